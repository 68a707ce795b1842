// Test support for the BDH-2 import: the DATANORM tests' dataset (a fresh
// store with one current dataset, a recording host UI, readers of cells)
// and the import of a catalogue written in the test. Test code only.
#pragma once

#include <string>

#include "import/bdh_import.h"
#include "import/bdh_model.h"
#include "import/dn_test_util.h"

class CBdhTestDataset : public CDnTestDataset {
 public:
  // Imports the lines (joined by CR LF) and keeps the counts.
  const CBdhImportCounts& Import(const std::string& text) {
    CBdhImporter importer(Store());
    importer.ImportBytes(text, L"HK.DAT");
    m_Counts = importer.GetCounts();
    return m_Counts;
  }

  CMatTable* Top() { return Table(L"BDH2"); }
  // The table at the path of names below "BDH2"; null when one is missing.
  CMatTable* At(std::initializer_list<const wchar_t*> names) {
    CMatTable* p = Top();
    for (const wchar_t* name : names) p = Child(p, name);
    return p;
  }
  // A model loaded by its series and name.
  CBdhModel Load(const wchar_t* series, const wchar_t* model) {
    CBdhModel loaded;
    LoadBdhModel(Store(), loaded, At({series, model}));
    return loaded;
  }

  CBdhImportCounts m_Counts;
};

// Lines joined by CR LF, as catalogues are written.
inline std::string Lines(std::initializer_list<const char*> lines) {
  std::string text;
  for (const char* line : lines) text += std::string(line) + "\r\n";
  return text;
}
