// Test helpers of the MMTB reader and writer: a fresh store with one current
// dataset, a recording host UI, a fresh macro table, and short ways to read a
// text and look at what it made.
#pragma once

#include <gtest/gtest.h>

#include <string_view>

#include "store/base/num_string_macros.h"
#include "store/mmtb/mat_text_reader.h"
#include "store/store_test_util.h"

class CMmtbTest : public CStoreTest {
 protected:
  CMmtbTest() : m_ScopedMacros(m_Macros) { m_pDataset = &AddDataset(); }

  // Reads text as a whole file (top level) under the name "test.mmtb".
  bool Read(std::wstring_view text) {
    CMatTextReader reader(&Store());
    reader.OpenString(text, L"test.mmtb");
    return reader.ReadTableBody(nullptr);
  }
  // Reads text as the body of table.
  bool ReadBody(CMatTable* pTable, std::wstring_view text) {
    CMatTextReader reader(&Store());
    reader.OpenString(text, L"test.mmtb");
    return reader.ReadTableBody(pTable);
  }
  CMatTable* Top(const wchar_t* pName) {
    for (auto& p : m_pDataset->m_Tables)
      if (p->m_strName == pName) return p.get();
    return nullptr;
  }
  Handle Name(const wchar_t* pText) { return m_pDataset->FindHandle(pText); }
  // The 32-bit cell, or ~0 when the read failed.
  std::uint32_t Cell(CMatTable* pTable, const wchar_t* pRow, int nIndex = 0, int nField = 0) {
    return CStoreTest::Cell(pTable, Name(pRow), nIndex, nField);
  }
  CString Text(std::uint32_t nPoolIndex) {
    const CPoolText text = m_pDataset->GetPoolText(nPoolIndex);
    return text ? text.ToString() : L"<none>";
  }
  CString Texts() const {
    CString all;
    for (const auto& m : m_UI.GetMessages()) all += m.strText + L"|";
    return all;
  }

  CNumStringMacros m_Macros;
  CScopedNumStringMacros m_ScopedMacros;
  CMatDatenSatz* m_pDataset = nullptr;
};
