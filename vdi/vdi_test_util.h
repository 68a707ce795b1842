// Test support for the VDI reader: a fresh store with one current dataset, a
// recording host UI, and look-ups of the tables the reader writes by their
// path of names ("VDI-Pumpen/100-1/110-1"). Test code only.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "OrvaMat/types.h"
#include "OrvaMat/vdi_accessories.h"
#include "platform/text.h"
#include "query/article/table_lookup.h"
#include "store/store_test_util.h"
#include "vdi/vdi_reader.h"

class CVdiTestDataset : public CTestSurroundings {
 public:
  CVdiTestDataset() {
    m_pDataset = Store().AddDataset(std::make_unique<CMatDatenSatz>());
    Store().SetCurrent(m_pDataset);
  }

  CMatDatenSatz& Dataset() { return *m_pDataset; }

  // Reads the bytes with a fresh reader (UTF-8 text is read as UTF-8).
  bool Read(std::string_view bytes) {
    CVdiReader reader(&Store());
    return reader.ReadBytes(bytes);
  }
  // Reads vdi/testdata/<name> with a fresh reader.
  bool ReadTestFile(const char* name) {
    CVdiReader reader(&Store());
    return reader.Read(FromUtf8(std::string(ORVAMAT_TEST_SOURCE_DIR) + "/vdi/testdata/" + name));
  }

  // The table at the path of names joined by '/', null when missing.
  CMatTable* Table(std::wstring_view path) {
    CMatTable* pTable = nullptr;
    while (!path.empty()) {
      const auto slash = path.find(L'/');
      const std::wstring_view name = path.substr(0, slash);
      pTable =
          pTable == nullptr ? FindTopTableNamed(*m_pDataset, name) : FindChildNamed(*pTable, name);
      if (pTable == nullptr || slash == std::wstring_view::npos) break;
      path.remove_prefix(slash + 1);
    }
    return pTable;
  }
  // The text of the StrLine table at the path; "<none>" when it is missing.
  CString Text(std::wstring_view path) {
    const CMatTable* pTable = Table(path);
    if (pTable == nullptr) return L"<none>";
    return pTable->m_pData != nullptr ? static_cast<const wchar_t*>(pTable->m_pData) : L"";
  }
  // The names of the table's children (top-level tables for an empty path),
  // joined by ' '.
  CString Children(std::wstring_view path) {
    const CTableList* pList = &m_pDataset->m_Tables;
    if (!path.empty()) {
      const CMatTable* pTable = Table(path);
      if (pTable == nullptr) return L"<none>";
      pList = &pTable->m_Children;
    }
    CString names;
    for (const auto& pChild : *pList)
      names += (names.empty() ? L"" : L" ") + m_pDataset->GetName(pChild->m_hName).ToString();
    return names;
  }
  // A String field of a Struct row (sub-row index), "<none>" when unreadable.
  CString Field(CMatTable* pTable, std::wstring_view row, int index, int field) {
    CCell cell;
    const Handle h = m_pDataset->FindHandle(row);
    if (Store().GetCellValue(pTable, cell, h, index, field) != eMatOk) return L"<none>";
    return m_pDataset->GetPoolText(cell.m_nValue).ToString();
  }
  // The text of a Handle field of a Struct row.
  CString HandleField(CMatTable* pTable, std::wstring_view row, int index, int field) {
    CCell cell;
    const Handle h = m_pDataset->FindHandle(row);
    if (Store().GetCellValue(pTable, cell, h, index, field) != eMatOk) return L"<none>";
    return m_pDataset->GetName(cell.m_nValue).ToString();
  }
  // The texts of the message boxes shown, joined by '\n'.
  CString Messages() {
    CString texts;
    for (const auto& message : UI().GetMessages())
      texts += (texts.empty() ? L"" : L"\n") + message.strText;
    return texts;
  }

 private:
  CMatDatenSatz* m_pDataset = nullptr;
};

// A position as "quantity text1|text2|text3|text4 number key flag1flag2".
inline std::string Describe(const CVdiZubehoer930::stlPosition& p) {
  char quantity[32];
  std::snprintf(quantity, sizeof quantity, "%.17g", p.m_dQuantity);
  return quantity +
         (" " + ToUtf8(p.m_strText1 + L"|" + p.m_strText2 + L"|" + p.m_strText3 + L"|" +
                       p.m_strText4 + L" " + std::to_wstring(p.m_nNumber) + L" " + p.m_strKey)) +
         " " + std::to_string(p.m_bFlag1) + std::to_string(p.m_bFlag2);
}
