// Accessory tree speed: RebuildZubehoerbaum with the recording tree for a
// product whose two 830 records name 10 accessory groups of 50 entries each
// (500 entries, each with a 930.02 condition on the tag and one article
// with a range condition on a design value and a record condition on the
// 700 record, every article with its own 900 record), read from VDI text.
// The target: under 20 ms per build. Counters: s_per_build (CPU time); items.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "OrvaMat/vdi_accessories.h"
#include "bench/vdi_product_file.h"
#include "platform/recording_host_ui.h"
#include "store/base/translation.h"
#include "store/mat_store.h"
#include "store/table_names.h"
#include "vdi/vdi_reader.h"

namespace {

constexpr int kGroups = 10;
constexpr int kEntriesPerGroup = 50;

void BM_RebuildAccessoryTree(benchmark::State& state) {
  CRecordingHostUI ui;
  CScopedHostUI scopedUI(ui);
  CTranslationManager translation(L"");
  CScopedTranslationManager scopedTranslation(translation);
  CScopedMatStore scope;
  CMatDatenSatz* pDataset = scope.Get().AddDataset(std::make_unique<CMatDatenSatz>());
  scope.Get().SetCurrent(pDataset);
  CVdiReader reader(&scope.Get());
  reader.ReadBytes(AccessoryProductFile(kGroups, kEntriesPerGroup));
  CMatTable* pSheet = FindTopLevelTable(*pDataset, L"VDI-Pumpen", eHiddenTables::kSkip);
  CMatTable* pProduct = FindChildTable(*FindChildTable(*pSheet, L"100-1", eHiddenTables::kSkip),
                                       L"110-1", eHiddenTables::kSkip);
  CRecordingTreeCtrl control;
  std::vector<double> quantities{50};
  CStringList selection{L"1-1-1-1-1"};
  CVDIZubehoerbaum930 tree(&control, false, pProduct, L"1-1-0-0-0-0-0-0-0-0-0-0-0-0-0-1",
                           quantities, selection);
  for (auto _ : state) {
    tree.RebuildZubehoerbaum();
    benchmark::DoNotOptimize(tree.GetItemKeys().size());
  }
  if (tree.GetItemKeys().size() != kGroups * kEntriesPerGroup)
    state.SkipWithError("not every article was offered");
  state.counters["items"] = static_cast<double>(control.GetItems().size());
  // Seconds of CPU time per build (printed with its unit prefix: 2.3m).
  state.counters["s_per_build"] =
      benchmark::Counter(static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_RebuildAccessoryTree)->Unit(benchmark::kMillisecond);

}  // namespace
