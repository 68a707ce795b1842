// TGA number speed on a sheet 6 product whose TGA function reads its
// 710.01 record and the digit string: getArtikelnummern on a fresh cache
// (the function list compiled, then run) and repeated on a warm one, and
// createTGAreferences over 10 x 10 x 100 = 10,000 combinations (ten 200
// and ten 300 variants, one 400 and 500 each, a 700 record with 100 710.01
// records), every combination a row of "TGA-Nummer".
// Counters: us_per_call; combinations_per_s.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "formula/formula_context.h"
#include "platform/host_ui.h"
#include "platform/text.h"
#include "store/mat_store.h"
#include "store/table_names.h"
#include "vdi/record_access.h"
#include "vdi/tga_articles.h"

namespace {

// Messages go to stderr: a benchmark whose function failed says why.
class CStderrHostUI : public CHostUI {
 public:
  int MessageBox(const CString& text, const CString&, unsigned) override {
    std::fprintf(stderr, "%s\n", ToUtf8(text).c_str());
    return IDOK;
  }
  bool ChooseOpenFile(const CFileChooser&, CString&) override { return false; }
  bool ChooseSaveFile(const CFileChooser&, CString&) override { return false; }
  bool OpenWithViewer(const CString&) override { return false; }
  void ConsoleWrite(const CString&) override {}
};

constexpr int k710Records = 100;
constexpr int kCombinations = 10 * 10 * k710Records;

struct CProduct {
  CStderrHostUI m_ui;
  CScopedHostUI m_scopedUi{m_ui};
  CScopedMatStore m_store;
  CFormulaContext m_context;
  CVdiRecordAccess m_access{&m_context, &m_store.Get()};
  CMatTable* m_pSheet = nullptr;
  CMatTable* m_pProduct = nullptr;

  CProduct() {
    CMatStore& store = m_store.Get();
    store.SetCurrent(store.AddDataset(std::make_unique<CMatDatenSatz>()));
    m_context.m_pRecordAccess = &m_access;
    m_pSheet = Record(nullptr, L"VDI-Heizkoerper-2", L"6;2;Hersteller");
    m_pProduct = Record(Record(m_pSheet, L"100-1", L"Reihe;Flach"), L"110-1", L"Typ;Kompakt");
    for (int i = 1; i <= 10; ++i) {
      Record(m_pProduct, (L"200-" + std::to_wstring(i)).c_str(), L"Anschluss");
      Record(m_pProduct, (L"300-" + std::to_wstring(i)).c_str(), L"Farbe");
    }
    Record(m_pProduct, L"400-1", L"x");
    Record(m_pProduct, L"500-1", L"x");
    CMatTable* p700 = Record(m_pProduct, L"700-1", L"Bauhoehe 600;600");
    Record(p700, L"760-1", L"x");
    for (int i = 1; i <= k710Records; ++i)
      Record(p700, (L"710_01-" + std::to_wstring(i)).c_str(),
             (L"FK" + std::to_wstring(i) + L";" + std::to_wstring(i * 100)).c_str());
    const wchar_t* pHead = L"INTEGER FUNCTION TGA_810(T, R)\r\n";
    const CString decl = L"CHARACTER (58) T\r\nCHARACTER (100) R(2)\r\n";
    Record(Record(m_pProduct, L"600-1", (decl + pHead).c_str()), L"610",
           (pHead + decl +
            L"R(1) = VDISTRING('810;1;&-&;DN;;;;;1;', VDICWERT('710.01', 0, 2), "
            L"VDICSTRING(T, 0, 10, 27))\r\n"
            L"R(2) = '810;2;Konsole;DN;;;;;2;'\r\nTGA_810 = 2\r\nEND FUNCTION TGA_810\r\n")
               .c_str());
  }
  CMatTable* Record(CMatTable* pParent, const wchar_t* pName, const wchar_t* pText) {
    CMatStore& store = m_store.Get();
    CMatTable* pTable = store.CreateTable(pParent, pName, eTypeStrLine, 1);
    store.SetCellValue(pTable, pTable->m_hName, 0, 0, CCellInput::Text(pText));
    return pTable;
  }
};

constexpr const wchar_t* kTag = L"1-1-0-3-0-0-7-0-0-1-0-0-1-0-0-1-1-42";

void BM_ArtikelnummernFirstCall(benchmark::State& state) {
  CProduct product;
  CString out;
  for (auto _ : state) {
    CTgaFunctions functions(&product.m_context, &product.m_store.Get());
    CTgaArticles articles(functions, &product.m_store.Get());
    if (!articles.GetArtikelnummern(out, kTag, product.m_pProduct))
      return state.SkipWithError("no articles");
  }
  if (out != L"FK42-003000000007000000;2|Konsole") return state.SkipWithError(ToUtf8(out).c_str());
  state.counters["us_per_call"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * 1e-6,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ArtikelnummernFirstCall);

void BM_ArtikelnummernRepeated(benchmark::State& state) {
  CProduct product;
  CTgaFunctions functions(&product.m_context, &product.m_store.Get());
  CTgaArticles articles(functions, &product.m_store.Get());
  CString out;
  for (auto _ : state) {
    if (!articles.GetArtikelnummern(out, kTag, product.m_pProduct))
      return state.SkipWithError("no articles");
  }
  if (functions.GetBuildCount() != 1) return state.SkipWithError("list built again");
  state.counters["us_per_call"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * 1e-6,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ArtikelnummernRepeated);

void BM_CreateTGAreferences(benchmark::State& state) {
  CProduct product;
  CTgaFunctions functions(&product.m_context, &product.m_store.Get());
  CTgaArticles articles(functions, &product.m_store.Get());
  for (auto _ : state) {
    if (articles.CreateTGAreferences(product.m_pProduct) != kCombinations)
      return state.SkipWithError("not every combination entered");
  }
  CMatTable* pTable = FindChildTable(*product.m_pSheet, L"TGA-Nummer", eHiddenTables::kSkip);
  if (product.m_store.Get().GetRowCount(pTable) != kCombinations)
    return state.SkipWithError("rows missing");
  state.counters["combinations_per_s"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * kCombinations, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CreateTGAreferences)->Unit(benchmark::kMillisecond);

}  // namespace
