// Article sets at the size of a large assembly: a set of 1,000 items, half of
// them set groups of two components and a group of their own with two
// components more (two levels), exploded into its components (ExplodeSet);
// and a size table of 2,000 articles filled by size (SetGroesse).
#include <benchmark/benchmark.h>

#include <bit>
#include <memory>
#include <string>

#include "OrvaMat/article_set.h"
#include "OrvaMat/mat_manager.h"
#include "platform/silent_host_ui.h"
#include "store/mat_daten_satz.h"
#include "store/mat_store.h"

namespace {

constexpr int kItems = 1000;

struct CSetDataset {
  CSilentHostUI ui;
  CScopedHostUI scopedUI{ui};
  CScopedMatStore scope;
  CMatStore& store = scope.Get();
  CMatDatenSatz* pDataset = nullptr;

  CSetDataset() {
    pDataset = store.AddDataset(std::make_unique<CMatDatenSatz>());
    store.SetCurrent(pDataset);
  }
  Handle H(const std::wstring& name) { return store.GetOrCreateHandle(name.c_str()); }
  CMatTable* Table(const wchar_t* pName, std::initializer_list<std::uint32_t> fields) {
    CMatTable* pTable = store.CreateTable(nullptr, pName, eTypeStruct, 1);
    std::vector<std::uint32_t> def{static_cast<std::uint32_t>(fields.size())};
    def.insert(def.end(), fields);
    store.SetStrucDef(pTable, def.data());
    return pTable;
  }
  void Line(CMatTable* pTable, Handle hRow, int n, float fMenge,
            std::initializer_list<std::uint32_t> rest) {
    store.SetCellValue(pTable, hRow, n, 0, CCellInput::Value(std::bit_cast<std::uint32_t>(fMenge)));
    int nField = 1;
    for (const std::uint32_t v : rest)
      store.SetCellValue(pTable, hRow, n, nField++, CCellInput::Value(v));
  }
};

void BM_ExplodeTwoLevels(benchmark::State& state) {
  CSetDataset d;
  CMatTable* pGroups = d.Table(L"ArtikelSetGruppen", {eTypeFloat, eTypeHandle, eTypeInteger});
  d.pDataset->m_pSetGruppen = pGroups;
  CArtikelSet set;
  for (int i = 0; i < kItems; ++i) {
    const std::wstring n = std::to_wstring(i);
    if (i % 2 != 0) {
      set.AddItem(1, d.H(L"Artikel" + n), 0);
      continue;
    }
    const Handle hGroup = d.H(L"Gruppe" + n), hInner = d.H(L"Innen" + n);
    d.Line(pGroups, hGroup, 0, 2, {d.H(L"Rohr" + n), 0});
    d.Line(pGroups, hGroup, 1, 1, {d.H(L"Bogen" + std::to_wstring(i % 50)), 0});
    d.Line(pGroups, hGroup, 2, 1, {hInner, 0});
    d.Line(pGroups, hInner, 0, 4, {d.H(L"Schelle" + n), 0});
    d.Line(pGroups, hInner, 1, 1, {d.H(L"Muffe" + std::to_wstring(i % 20)), 0});
    set.AddItem(1, hGroup, 0);
  }
  std::size_t nItems = 0;
  for (auto _ : state) {
    state.PauseTiming();
    CArtikelSet work = set;
    state.ResumeTiming();
    CMatManager::ExplodeSet(work);
    nItems = work.GetCount();
  }
  state.counters["items_after"] = static_cast<double>(nItems);
}
BENCHMARK(BM_ExplodeTwoLevels)->Unit(benchmark::kMicrosecond);

void BM_FillBySize(benchmark::State& state) {
  CSetDataset d;
  CMatTable* pTable = d.Table(
      L"Sets", {eTypeFloat, eTypeHandle, eTypeInteger, eTypeInteger, eTypeInteger, eTypeInteger});
  for (int i = 0; i < 2000; ++i) {
    d.Line(pTable, d.H(L"A" + std::to_wstring(i)), 0, 1,
           {d.H(L"K" + std::to_wstring(i % 100)), 0, static_cast<std::uint32_t>(10 * (i % 20)),
            static_cast<std::uint32_t>(i), 0});
  }
  for (auto _ : state) {
    CArtikelSet set;
    set.m_pSetTabelle = pTable;
    set.SetGroesse(50, 0);
    benchmark::DoNotOptimize(set.GetCount());
  }
}
BENCHMARK(BM_FillBySize)->Unit(benchmark::kMicrosecond);

}  // namespace
