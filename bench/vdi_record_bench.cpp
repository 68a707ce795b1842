// Record function speed: a compiled product function reads a field of the
// 710.01 records of its product's 700 record (500 of them, stored out of
// numeric order) inside a DO WHILE loop, once by record number along the
// path, once as the current record, and once sequencing through the records
// by their lists (VDIERSTER/VDIFOLGE) and reading each; a loop with a plain
// text assignment instead of the read shows the loop's own share.
// Counter: ns_per_read (the whole run divided by the records read).
#include <benchmark/benchmark.h>

#include <cstdio>

#include "formula/formula_context.h"
#include "formula/formula_runtime.h"
#include "formula/fortran_parser.h"
#include "platform/host_ui.h"
#include "platform/text.h"
#include "store/mat_store.h"
#include "vdi/record_access.h"

namespace {

constexpr int kRecords = 500;

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

// A sheet 6 product whose 700 record 1 has the 710.01 records 1 to 500,
// stored in a shuffled order, each with five fields.
struct CProduct {
  CStderrHostUI m_ui;
  CScopedHostUI m_scopedUi{m_ui};
  CScopedMatStore m_store;
  CFormulaContext m_context;
  CVdiRecordAccess m_access{&m_context, &m_store.Get()};
  CvdiFunctionList m_list;
  VdiRecordPosition m_pos;

  CProduct() {
    CMatStore& store = m_store.Get();
    store.SetCurrent(store.AddDataset(std::make_unique<CMatDatenSatz>()));
    CMatTable* pSheet = Record(nullptr, L"VDI-Heizkoerper-2", L"6");
    CMatTable* pProduct = Record(Record(pSheet, L"100-1", L"Reihe"), L"110-1", L"Typ");
    CMatTable* p700 = Record(pProduct, L"700-1", L"Bauhoehe 600;600");
    for (int i = 0; i < kRecords; ++i) {
      const int n = (i * 37) % kRecords + 1;  // every number once, out of order
      const CString name = L"710_01-" + std::to_wstring(n);
      const CString text = std::to_wstring(n * 100) + L";" + std::to_wstring(n) +
                           L";0.25;Typ 10 Kompakt;" + std::to_wstring(n % 7);
      Record(p700, name.c_str(), text.c_str());
    }
    m_list.m_pTable = pProduct;
    m_context.m_pRecordAccess = &m_access;
    m_pos.m_nRecord[15] = 1;
    m_pos.m_nRecord[17] = 250;
  }
  CMatTable* Record(CMatTable* pParent, const wchar_t* pName, const wchar_t* pText) {
    CMatStore& store = m_store.Get();
    CMatTable* pTable = store.CreateTable(pParent, pName, eTypeStrLine, 1);
    store.SetCellValue(pTable, pTable->m_hName, 0, 0, CCellInput::Text(pText));
    return pTable;
  }
  CvdiFunction* Compile(const CString& loopBody) {
    const CString text = L"INTEGER FUNCTION F()\r\nINTEGER N, K\r\nCHARACTER (40) T\r\n" +
                         loopBody + L"F = K\r\nEND FUNCTION F\r\n";
    CFortranParser(m_context, m_list).Bodies(text.c_str());
    return m_list.findFunction(L"F");
  }
};

void RunReads(benchmark::State& state, const wchar_t* loopBody) {
  CProduct product;
  CvdiFunction* f = product.Compile(loopBody);
  if (f == nullptr) return state.SkipWithError("parse failed");
  CFormulaRuntime runtime(product.m_context);
  for (auto _ : state) {
    if (!runtime.Run(f, &product.m_pos)) return state.SkipWithError("run failed");
  }
  if (f->m_result.m_nValue != kRecords) return state.SkipWithError("not every record read");
  state.counters["ns_per_read"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kRecords * 1e-9,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// By number along the path: the 710.01 record below the current 700 record.
void BM_VdiCwertByNumber(benchmark::State& state) {
  RunReads(state,
           L"N = 1\r\nDO WHILE (N <= 500)\r\nT = VDICWERT('710.01', N, 4)\r\nN = N + 1\r\n"
           L"K = K + 1\r\nENDDO\r\n");
}
BENCHMARK(BM_VdiCwertByNumber);

// The current 710.01 record of the host's position.
void BM_VdiCwertCurrent(benchmark::State& state) {
  RunReads(state,
           L"N = 1\r\nDO WHILE (N <= 500)\r\nT = VDICWERT('710.01', 0, 4)\r\nN = N + 1\r\n"
           L"K = K + 1\r\nENDDO\r\n");
}
BENCHMARK(BM_VdiCwertCurrent);

// Sequencing through the lists in stored order, reading each record.
void BM_VdiFolgeAndCwert(benchmark::State& state) {
  RunReads(state,
           L"N = VDIERSTER('710.01')\r\nDO WHILE (N > 0)\r\nT = VDICWERT('710.01', N, 4)\r\n"
           L"N = VDIFOLGE('710.01', N)\r\nK = K + 1\r\nENDDO\r\n");
}
BENCHMARK(BM_VdiFolgeAndCwert);

// The same loop without a record function: what the loop itself costs.
void BM_LoopWithoutRead(benchmark::State& state) {
  RunReads(state,
           L"N = 1\r\nDO WHILE (N <= 500)\r\nT = 'Typ 10 Kompakt'\r\nN = N + 1\r\n"
           L"K = K + 1\r\nENDDO\r\n");
}
BENCHMARK(BM_LoopWithoutRead);

}  // namespace
