// Test support for the BDH-2 import: a fresh store with one current dataset,
// a recording host UI, and the import of a catalogue written in the test.
// Test code only.
#pragma once

#include <memory>
#include <string>

#include "import/bdh_import.h"
#include "import/bdh_model.h"
#include "query/article/table_lookup.h"
#include "store/store_test_util.h"

class CBdhTestDataset : public CTestSurroundings {
 public:
  CBdhTestDataset() {
    m_pDataset = Store().AddDataset(std::make_unique<CMatDatenSatz>());
    Store().SetCurrent(m_pDataset);
  }

  CMatDatenSatz& Dataset() { return *m_pDataset; }

  // Imports the lines (joined by CR LF) and keeps the counts.
  const CBdhImportCounts& Import(const std::string& text) {
    CBdhImporter importer(Store());
    importer.ImportBytes(text, L"HK.DAT");
    m_Counts = importer.GetCounts();
    return m_Counts;
  }

  CMatTable* Top() { return FindTopTableNamed(*m_pDataset, L"BDH2"); }
  // The table at the path of names below "BDH2"; null when one is missing.
  CMatTable* At(std::initializer_list<const wchar_t*> names) {
    CMatTable* p = Top();
    for (const wchar_t* name : names) p = p != nullptr ? FindChildNamed(*p, name) : nullptr;
    return p;
  }
  // A model loaded by its series and name.
  CBdhModel Load(const wchar_t* series, const wchar_t* model) {
    CBdhModel loaded;
    LoadBdhModel(Store(), loaded, At({series, model}));
    return loaded;
  }

  std::uint32_t Cell(CMatTable* t, const wchar_t* row, int entry, int field) {
    CCell cell;
    if (Store().GetCellValue(t, cell, m_pDataset->FindHandle(row), entry, field) != eMatOk)
      return ~0u;
    return cell.m_nValue;
  }
  // A String cell's text; "<none>" when it can not be read.
  CString Text(CMatTable* t, const wchar_t* row, int entry = 0, int field = 0) {
    const std::uint32_t n = Cell(t, row, entry, field);
    if (n == ~0u) return L"<none>";
    return m_pDataset->GetPoolText(n).ToString();
  }

  CBdhImportCounts m_Counts;

 private:
  CMatDatenSatz* m_pDataset = nullptr;
};

// Lines joined by CR LF, as catalogues are written.
inline std::string Lines(std::initializer_list<const char*> lines) {
  std::string text;
  for (const char* line : lines) text += std::string(line) + "\r\n";
  return text;
}
