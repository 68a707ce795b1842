// Test support for the DATANORM import: a fresh store with one current
// dataset, a recording host UI, no user-interface language, and readers for
// the cells the import writes; a test with files and settings of its own.
// Test code only.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "OrvaMat/types.h"
#include "import/dn_loader.h"
#include "platform/file.h"
#include "platform/temp_folder.h"
#include "platform/text.h"
#include "query/article/table_lookup.h"
#include "store/dataset_backing.h"
#include "store/store_test_util.h"

class CDnTestDataset : public CTestSurroundings {
 public:
  explicit CDnTestDataset(const wchar_t* language = L"") : CTestSurroundings(language) {
    m_pDataset = Store().AddDataset(std::make_unique<CMatDatenSatz>());
    Store().SetCurrent(m_pDataset);
  }

  CMatDatenSatz& Dataset() { return *m_pDataset; }

  // Loads DATANORM text (UTF-8 here, so that tests may write umlauts) with
  // a fresh loader.
  bool Load(const std::string& text) {
    CDnLoader loader(&Store());
    return loader.LoadBytes(text, L"test.001", true);
  }

  Handle H(const wchar_t* text) const { return m_pDataset->FindHandle(text); }
  CMatTable* Table(const wchar_t* name) { return FindTopTableNamed(*m_pDataset, name); }
  CMatTable* Child(CMatTable* parent, const wchar_t* name) {
    return parent ? FindChildNamed(*parent, name) : nullptr;
  }
  CMatTable* Child(const wchar_t* parent, const wchar_t* name) {
    return Child(Table(parent), name);
  }

  // The cell, or ~0u when it can not be read (an empty Handle field reads 0).
  std::uint32_t Cell(CMatTable* t, const wchar_t* row, int index = 0, int field = 0) {
    CCell cell;
    const eMatManager rc = Store().GetCellValue(t, cell, H(row), index, field);
    if (rc != eMatOk && rc != eMatEmptyHandle) return ~0u;
    return cell.m_nValue;
  }
  std::uint32_t Cell(const wchar_t* table, const wchar_t* row, int index = 0, int field = 0) {
    return Cell(Table(table), row, index, field);
  }
  // The text of a String cell; "<none>" when the read fails.
  CString Text(CMatTable* t, const wchar_t* row, int index = 0, int field = 0) {
    const std::uint32_t n = Cell(t, row, index, field);
    if (n == ~0u) return L"<none>";
    return m_pDataset->GetPoolText(n).ToString();
  }
  CString Text(const wchar_t* table, const wchar_t* row, int index = 0, int field = 0) {
    return Text(Table(table), row, index, field);
  }
  // The text of a Handle cell.
  CString Name(const wchar_t* table, const wchar_t* row, int index = 0, int field = 0) {
    const std::uint32_t n = Cell(table, row, index, field);
    const CPoolText name = n == ~0u ? CPoolText() : m_pDataset->GetName(n);
    return name ? name.ToString() : L"<none>";
  }
  float Float(const wchar_t* table, const wchar_t* row, int index = 0, int field = 0) {
    return std::bit_cast<float>(Cell(table, row, index, field));
  }
  // Whether an article's fields are as given: "name=value" joined by ';',
  // e.g. "PE=100;ME=Stk;Preis=12.5". The names of each info table stand in
  // field order with their kind (n number, h name, t text); Preis is the
  // price, printed as %g.
  ::testing::AssertionResult HasFields(const wchar_t* row, const CString& fields) {
    static const std::pair<const wchar_t*, std::vector<CString>> kInfo[] = {
        {L"ArtikelInfo1", {L"PKn", L"PEn", L"MEh", L"RGh", L"KAn", L"VPEn", L"SBh"}},
        {L"ArtikelInfo2", {L"MCh", L"HWGh", L"EANt", L"ANh", L"WGh", L"Seitet", L"TKn"}}};
    CString actual;
    for (std::size_t at = 0; at < fields.size();) {
      const std::size_t end = std::min(fields.find(L';', at), fields.size());
      const CString name = fields.substr(at, fields.find(L'=', at) - at);
      at = end + 1;
      CString value = L"<no such field>";
      char price[32];
      std::snprintf(price, sizeof price, "%g", double(Float(L"Preis", row)));
      if (name == L"Preis") value = FromUtf8(price);
      for (const auto& [table, names] : kInfo) {
        for (int i = 0; i < static_cast<int>(names.size()); ++i) {
          if (names[i].substr(0, names[i].size() - 1) != name) continue;
          const wchar_t kind = names[i].back();
          value = kind == L'h'   ? Name(table, row, 0, i)
                  : kind == L't' ? Text(table, row, 0, i)
                                 : std::to_wstring(Cell(table, row, 0, i));
        }
      }
      actual += (actual.empty() ? L"" : L";") + name + L"=" + value;
    }
    if (actual == fields) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << ToUtf8(row) << ": " << ToUtf8(actual);
  }

 private:
  CMatDatenSatz* m_pDataset = nullptr;
};

// A dataset whose file another user holds: every write is refused.
struct CLockedBacking : CDatasetBacking {
  bool CheckWriteLock(CMatDatenSatz&, bool) override { return true; }
  void LoadTableBody(CMatDatenSatz&, CMatTable&) override {}
  void LoadDataset(CMatDatenSatz&) override {}
};

// A test whose files lie in a folder of its own, which holds its settings
// (ORVAMAT_HOME) as well.
class CFileTest : public ::testing::Test, public CTestSurroundings {
 protected:
  CFileTest() { setenv("ORVAMAT_HOME", ToUtf8(m_Folder.GetPath()).c_str(), 1); }
  // Writes a file under the folder (sub-folders made) and gives its path.
  CString Write(const CString& name, const std::string& bytes) {
    const CString path = m_Folder / name;
    std::filesystem::create_directories(std::filesystem::path(ToUtf8(path)).parent_path());
    std::ofstream(ToUtf8(path), std::ios::binary) << bytes;
    return path;
  }

  CTempFolder m_Folder;
};

// The bytes of a file; empty when it can not be read.
inline std::string FileBytes(const CString& path) {
  std::string bytes;
  ReadWholeFile(path, bytes);
  return bytes;
}

// A version 4 header line: date (ddmmyy), 80 characters of text, "04" at
// 123-124 and the currency at 125-127.
inline std::string DnHeader4(const std::string& date = "010125",
                             const std::string& text = "Katalog",
                             const std::string& currency = "EUR") {
  std::string line = "V " + date + text;
  line.resize(123, ' ');
  return line + "04" + currency + "\r\n";
}

inline std::string DnHeader5() { return "V;050;A;20240315;EUR;Zeile eins;Zeile zwei;HSK;\r\n"; }

// The source tree: ORVAMAT_SOURCE_DIR, else the one the tests were built from.
inline std::string DnSourceDir() {
  if (const char* dir = std::getenv("ORVAMAT_SOURCE_DIR"); dir && *dir) return dir;
  return ORVAMAT_TEST_SOURCE_DIR;
}

// Where the third-party test files are: ORVAMAT_TESTDATA, else
// ../shared/testdata beside the source tree.
inline std::string DnTestDataDir() {
  if (const char* dir = std::getenv("ORVAMAT_TESTDATA"); dir && *dir) {
    return std::string(dir) + "/datanorm";
  }
  return DnSourceDir() + "/../shared/testdata/datanorm";
}
