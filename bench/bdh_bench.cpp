// BDH-2 catalogues at catalogue size: a generated HK.DAT of 200 series,
// 2,000 models and 20,000 elements (27 single lengths per series, the three
// order-number rules, element data; about 43,000 lines). Times the import
// into a fresh dataset, the import through ImportBdhIntoFile into a new
// database file (read, tables, save), and loading every model with all its
// size variants, each with its order number and heat output.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "OrvaMat/bdh.h"
#include "import/bdh_dialog.h"
#include "import/bdh_import.h"
#include "import/bdh_model.h"
#include "platform/recording_host_ui.h"
#include "platform/text.h"
#include "store/base/translation.h"
#include "store/mat_store.h"

namespace {

constexpr int kSeries = 200;
constexpr int kModelsPerSeries = 10;
constexpr int kElementsPerModel = 10;

std::string N(int n) { return std::to_string(n); }

std::string Catalogue() {
  std::string out = "5|Generierte Heizkoerper GmbH|01.02.25|2.0|Benchmark\r\n";
  std::string lengths;
  for (int l = 400; l <= 3000; l += 100) lengths += "|" + N(l);
  for (int s = 0; s < kSeries; ++s) {
    for (int m = 0; m < kModelsPerSeries; ++m) {
      const char kind = "MSE"[m % 3];
      out += "10|Modell " + N(m) + "|-|P|Serie " + N(s) + ".|" + kind +
             "|0|0|0|0|Flachheizkoerper|Typ " + N(m) + "|||||\r\n";
      if (m == 0) {
        out += "20|1|Serie mit glatter Front\r\n25|1" + lengths + "\r\n";
        out += "43|1|2|HK||||12|1|Z\r\n50|-|9|4|0|" + std::string(kind == 'S' ? "@SE@" : "@BL@") +
               "\r\n";
      }
      for (int e = 0; e < kElementsPerModel; ++e) {
        const int height = 300 + 100 * e;
        out += "60|" + N(e) + "|" + N(20 + m % 3) + "|50|Bauhoehe " + N(height) + "|-|" +
               N(500 + 60 * e) + ",5|1,3" + N(e % 4) + "|0|0|0|0|" + (e % 5 == 0 ? "200" : "0") +
               "|15|0|PK" + N(s) + "." + N(height) + ".0000|\r\n";
        out += "75|1|Anschluss rechts\r\n";
      }
    }
  }
  return out;
}

const std::string& CatalogueText() {
  static const std::string text = Catalogue();
  return text;
}

// A fresh store with one dataset, messages recorded.
struct CBenchStore {
  CRecordingHostUI ui;
  CScopedHostUI scopedUI{ui};
  CTranslationManager translation{L""};
  CScopedTranslationManager scopedTranslation{translation};
  CScopedMatStore scope;
  CMatDatenSatz* pDataset = nullptr;
  CBenchStore() {
    pDataset = scope.Get().AddDataset(std::make_unique<CMatDatenSatz>());
    scope.Get().SetCurrent(pDataset);
  }
};

void BM_BdhImport(benchmark::State& state) {
  const std::string& text = CatalogueText();
  std::size_t nLines = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto pStore = std::make_unique<CBenchStore>();
    state.ResumeTiming();
    CBdhImporter importer(pStore->scope.Get());
    importer.ImportBytes(text, L"HK.DAT");
    nLines = importer.GetCounts().nLines;
    state.PauseTiming();
    pStore.reset();
    state.ResumeTiming();
  }
  state.counters["lines"] = static_cast<double>(nLines);
  state.counters["lines/s"] = benchmark::Counter(static_cast<double>(nLines) * state.iterations(),
                                                 benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BdhImport)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BdhImportIntoFile(benchmark::State& state) {
  const std::string folder =
      (std::filesystem::temp_directory_path() / ("orvamat-bdhbench-" + N(::getpid()))).string();
  std::filesystem::create_directories(folder);
  ::setenv("ORVAMAT_HOME", folder.c_str(), 1);
  const std::string input = folder + "/HK.DAT";
  std::ofstream(input, std::ios::binary) << CatalogueText();
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::remove(folder + "/hk.mmd");
    std::filesystem::remove(folder + "/hk.bak");
    CRecordingHostUI ui;
    CScopedHostUI scopedUI(ui);
    CTranslationManager translation(L"");
    CScopedTranslationManager scopedTranslation(translation);
    CScopedMatStore scope;
    CBdhFileImport request;
    request.files = {FromUtf8(input)};
    request.target.strPath = FromUtf8(folder + "/hk.mmd");
    request.target.strID = L"BDH0";
    CBdhFileImportResult result;
    state.ResumeTiming();
    if (!ImportBdhIntoFile(scope.Get(), request, {}, result)) state.SkipWithError("not saved");
  }
  state.counters["MB file"] =
      static_cast<double>(std::filesystem::file_size(folder + "/hk.mmd")) / 1e6;
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
}
BENCHMARK(BM_BdhImportIntoFile)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BdhLoadEveryModel(benchmark::State& state) {
  CBenchStore store;
  CBdhImporter importer(store.scope.Get());
  importer.ImportBytes(CatalogueText(), L"HK.DAT");
  std::size_t nVariants = 0;
  std::size_t nModels = 0;
  for (auto _ : state) {
    nVariants = 0;
    std::vector<CBdhModel> models = ListBdhModels(store.scope.Get(), *store.pDataset);
    nModels = models.size();
    for (CBdhModel& model : models) {
      LoadBdhModel(store.scope.Get(), model, model.m_pModelTable);
      nVariants += model.m_Variants.size();
    }
    benchmark::DoNotOptimize(nVariants);
  }
  state.counters["models"] = static_cast<double>(nModels);
  state.counters["variants"] = static_cast<double>(nVariants);
  state.counters["variants/s"] = benchmark::Counter(
      static_cast<double>(nVariants) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BdhLoadEveryModel)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
