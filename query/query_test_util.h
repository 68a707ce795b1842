// The fixture of the query tests: the store's test surroundings, whose
// language a test may set.
#pragma once

#include "OrvaMat/mat_manager.h"
#include "store/store_test_util.h"

class CQueryTest : public CStoreTest {
 protected:
  // Sets the user-interface language and one translation of the library.
  void SetLanguage(const wchar_t* pLanguage) { m_Translation.SetActualLanguage(pLanguage); }
  void AddTranslation(const wchar_t* pSource, const wchar_t* pTranslation) {
    LibraryTranslation().AddTranslation(pSource, pTranslation);
  }
  void SetText(CMatTable* pTable, Handle hRow, const wchar_t* pText, int nIndex = 0,
               int nField = 0) {
    ASSERT_EQ(Store().SetCellValue(pTable, hRow, nIndex, nField, CCellInput::Text(pText)), eMatOk);
  }
  void SetValue(CMatTable* pTable, Handle hRow, std::uint32_t nValue, int nIndex = 0,
                int nField = 0) {
    ASSERT_EQ(Store().SetCellValue(pTable, hRow, nIndex, nField, CCellInput::Value(nValue)),
              eMatOk);
  }
  // FindTable's result, with the table found in *ppOut when given.
  eMatManager Find(const wchar_t* pPath, CMatTable* pParent = nullptr,
                   CMatTable** ppOut = nullptr) {
    CMatTable* pOut = reinterpret_cast<CMatTable*>(1);
    const eMatManager nResult = CMatManager::FindTable(&pOut, pParent, pPath);
    if (nResult != eMatOk) {
      EXPECT_EQ(pOut, nullptr) << "out must be null on failure";
    }
    if (ppOut != nullptr) *ppOut = pOut;
    return nResult;
  }
  CMatTable* Found(const wchar_t* pPath, CMatTable* pParent = nullptr) {
    CMatTable* pOut = nullptr;
    EXPECT_EQ(Find(pPath, pParent, &pOut), eMatOk) << "path " << ToNarrow(pPath);
    return pOut;
  }
  static std::string ToNarrow(const wchar_t* p) { return std::string(p, p + std::wcslen(p)); }
};
