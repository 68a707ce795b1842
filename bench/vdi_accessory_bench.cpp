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
#include "platform/recording_host_ui.h"
#include "store/base/translation.h"
#include "store/mat_store.h"
#include "store/table_names.h"
#include "vdi/vdi_reader.h"

namespace {

constexpr int kGroups = 10;
constexpr int kEntriesPerGroup = 50;

std::string ProductFile() {
  std::string file = "010;4;Hersteller\n100;1;Reihe\n110;1;Pumpe\n700;1;Variante;35\n";
  file += "830;1;1\n830;2;2\n";
  for (int n = 1; n <= kGroups * kEntriesPerGroup; ++n)
    file += "900;" + std::to_string(n) + ";A-" + std::to_string(n) + ";;;;;Artikel " +
            std::to_string(n) + ";;;Stahl\n";
  // Groups 1 and 2 hold the first entries and lead on to the others.
  for (int g = 1; g <= kGroups; ++g) {
    file += "930;" + std::to_string(g) + ";Gruppe " + std::to_string(g) + "\n";
    for (int e = 1; e <= kEntriesPerGroup; ++e) {
      const int n = (g - 1) * kEntriesPerGroup + e;
      file += "930.01;" + std::to_string(e) + ";Eintrag " + std::to_string(n) + ";0\n";
      file += "930.02;" + std::to_string(e) + ";0;1\n";
      file += "930.03;1;" + std::to_string(n) + ";1;1;Stk;;0\n";
      file += "930.04;1;1;1;0;10;100\n930.04;2;2;2;;;;700;4;1;0;50\n";
    }
    if (g + 2 <= kGroups)
      file += "930.01;" + std::to_string(kEntriesPerGroup + 1) + ";weiter;" +
              std::to_string(g + 2) + "\n";
  }
  return file;
}

void BM_RebuildAccessoryTree(benchmark::State& state) {
  CRecordingHostUI ui;
  CScopedHostUI scopedUI(ui);
  CTranslationManager translation(L"");
  CScopedTranslationManager scopedTranslation(translation);
  CScopedMatStore scope;
  CMatDatenSatz* pDataset = scope.Get().AddDataset(std::make_unique<CMatDatenSatz>());
  scope.Get().SetCurrent(pDataset);
  CVdiReader reader(&scope.Get());
  reader.ReadBytes(ProductFile());
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
