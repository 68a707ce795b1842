// Database file speed on a dataset like a large manufacturer's: 100,000
// articles with "KurzText" (String), "ArtikelInfo1" (Struct of 8 fields),
// "Preis" (Float, 2 values) and "LangText" (Handle); about 300,000 handles.
// Figures: opening (handle table and skeleton only), the first read of the
// 100,000-row "KurzText" body, the first look-up by name, saving, and the
// file's size.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <bit>
#include <filesystem>
#include <string>

#include "platform/file.h"
#include "platform/text.h"
#include "store/base/translation.h"
#include "store/mat_daten_satz.h"
#include "store/mat_store.h"
#include "store/mmd/dataset_registry.h"
#include "store/mmd/mmd_file.h"
#include "store/table_names.h"

namespace {

constexpr int kArticles = 100000;

CString BenchFolder() {
  static const std::string folder = [] {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "orvamat-mmd-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return std::string("/tmp");
    setenv("ORVAMAT_HOME", pattern.c_str(), 1);
    return pattern;
  }();
  return FromUtf8(folder);
}

void Fill(CMatStore& store) {
  CMatTable* pKurz = store.CreateTable(nullptr, L"KurzText", eTypeString, 1);
  CMatTable* pInfo = store.CreateTable(nullptr, L"ArtikelInfo1", eTypeStruct, 1);
  const std::uint32_t def[] = {8,           eTypeInteger, eTypeInteger,
                               eTypeHandle, eTypeInteger, eTypeInteger,
                               eTypeFloat,  eTypeHandle,  eTypeString};
  store.SetStrucDef(pInfo, def);
  CMatTable* pPreis = store.CreateTable(nullptr, L"Preis", eTypeFloat, 2);
  CMatTable* pLang = store.CreateTable(nullptr, L"LangText", eTypeHandle, 1);
  const Handle hStck = store.CreateHandle(L"Stck");
  for (int i = 0; i < kArticles; ++i) {
    const std::wstring nr = L"A" + std::to_wstring(1000000 + i);
    const Handle hArtikel = store.CreateHandle(nr.c_str());
    const std::wstring kurz = L"Heizkörper Typ " + std::to_wstring(i % 33) + L" Bauhöhe " +
                              std::to_wstring(300 + i % 600) + L" mm";
    store.SetCellValue(pKurz, hArtikel, 0, 0, CCellInput::Text(kurz.c_str()));
    store.SetCellValue(pInfo, hArtikel, 0, 0, CCellInput::Value(1));
    store.SetCellValue(pInfo, hArtikel, 0, 2, CCellInput::Value(hStck));
    store.SetCellValue(pInfo, hArtikel, 0, 5,
                       CCellInput::Value(std::bit_cast<std::uint32_t>(1.0f)));
    store.SetCellValue(pInfo, hArtikel, 0, 6,
                       CCellInput::Value(store.CreateHandle((L"M" + nr).c_str())));
    store.SetCellValue(pInfo, hArtikel, 0, 7, CCellInput::Text(L"Heizung"));
    store.SetCellValue(pPreis, hArtikel, 0, 0,
                       CCellInput::Value(std::bit_cast<std::uint32_t>(99.5f)));
    store.SetCellValue(pPreis, hArtikel, 1, 0,
                       CCellInput::Value(std::bit_cast<std::uint32_t>(0.25f)));
    store.SetCellValue(pLang, hArtikel, 0, 0,
                       CCellInput::Value(store.CreateHandle((L"T" + nr).c_str())));
  }
}

// The generated file, made once.
const CString& DatasetFile() {
  static const CString path = [] {
    const CString file = BenchFolder() + L"/gross.mmd";
    CScopedMatStore store;
    CMatDatenSatz* pDataset = NewDataset(store.Get());
    wcsncpy(pDataset->m_szHerstellerID, L"GROS", 5);
    pDataset->m_strPath = file;
    Fill(store.Get());
    SaveDataset(*pDataset);
    ReleaseWriteLock(*pDataset);
    return file;
  }();
  return path;
}

CMatDatenSatz* Open(CMatStore& store) {
  CMatDatenSatz* pDataset = NewDataset(store);
  AttachFile(*pDataset, DatasetFile());
  LoadDataset(*pDataset);
  return pDataset;
}

void BM_MmdOpen(benchmark::State& state) {
  DatasetFile();
  for (auto _ : state) {
    CScopedMatStore store;
    benchmark::DoNotOptimize(Open(store.Get()));
    state.PauseTiming();  // closing is not opening
    store.Get().RemoveAllDatasets();
    state.ResumeTiming();
  }
  state.counters["file_bytes"] = double(GetFileSize(DatasetFile()).value_or(0));
  CScopedMatStore store;
  state.counters["handles"] = double(Open(store.Get())->m_HandleToName.GetCount());
}
BENCHMARK(BM_MmdOpen)->Unit(benchmark::kMillisecond);

void BM_MmdFirstBodyLoad(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    CScopedMatStore store;
    CMatDatenSatz* pDataset = Open(store.Get());
    CMatTable* pKurz = FindTopLevelTable(*pDataset, L"KurzText", eHiddenTables::kFind);
    state.ResumeTiming();
    LoadTableBody(*pKurz);
    benchmark::DoNotOptimize(pKurz->GetRowCount());
    state.PauseTiming();
    store.Get().RemoveAllDatasets();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_MmdFirstBodyLoad)->Unit(benchmark::kMillisecond);

// Opening leaves the name-to-handle map to the first look-up by name; this
// is what that first look-up costs.
void BM_MmdFirstNameLookup(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    CScopedMatStore store;
    CMatDatenSatz* pDataset = Open(store.Get());
    state.ResumeTiming();
    benchmark::DoNotOptimize(pDataset->FindHandle(L"A1050000"));
    state.PauseTiming();
    store.Get().RemoveAllDatasets();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_MmdFirstNameLookup)->Unit(benchmark::kMillisecond);

void BM_MmdSave(benchmark::State& state) {
  CScopedMatStore store;
  CMatDatenSatz* pDataset = Open(store.Get());
  for (auto& pTable : pDataset->m_Tables) LoadTableBody(*pTable);
  pDataset->m_strPath = BenchFolder() + L"/kopie.mmd";
  for (auto _ : state) benchmark::DoNotOptimize(SaveDataset(*pDataset));
  state.counters["file_bytes"] = double(GetFileSize(pDataset->m_strPath).value_or(0));
}
BENCHMARK(BM_MmdSave)->Unit(benchmark::kMillisecond);

}  // namespace
