#include <cmath>

#include "query/query_test_util.h"

namespace {

class QueryValues : public CQueryTest {
 protected:
  QueryValues() {
    m_pDataset = &AddDataset(L"ABCD");
    m_hRow = Row(L"Artikel1");
    m_pTexte = Table(L"Texte-Kurz", eTypeString);
    SetText(m_pTexte, m_hRow, L"Rohr");
  }
  CMatDatenSatz* m_pDataset;
  Handle m_hRow;
  CMatTable* m_pTexte;
};

TEST_F(QueryValues, StringValueExRefusesWhatHoldsNoText) {
  CString out = L"unchanged";
  CMatTable* pInt = Table(L"Zahl", eTypeInteger);
  SetValue(pInt, m_hRow, 5);
  EXPECT_EQ(CMatManager::GetStringValueEx(out, pInt, m_hRow, 0, 0, 1), eMatWrongType);
  CMatTable* pLine = Table(L"Zeile", eTypeStrLine);
  SetText(pLine, 0, L"Zeilen");
  EXPECT_EQ(CMatManager::GetStringValueEx(out, pLine, 0, 1, 0, 1), eMatField);
  EXPECT_EQ(CMatManager::GetStringValueEx(out, pLine, 0, 0, 0, 1), eMatOk);
  EXPECT_EQ(out, L"Zeilen");
  EXPECT_EQ(CMatManager::GetStringValueEx(out, m_pTexte, Row(L"Fehlt"), 0, 0, 1), eMatNoRow);
  EXPECT_EQ(CMatManager::GetStringValueEx(out, nullptr, m_hRow, 0, 0, 1), eMatNoTable);
}

TEST_F(QueryValues, LanguageChildComesFirstAndIsNotTranslated) {
  SetLanguage(L"ENGLISH");
  AddTranslation(L"Rohr", L"pipe (dictionary)");
  AddTranslation(L"Bogen", L"bend (dictionary)");
  CMatTable* pEnglish = Table(L"English", eTypeString, 1, m_pTexte);
  SetText(pEnglish, m_hRow, L"Rohr");  // held as the English text already
  const Handle hBogen = Row(L"Bogen");
  SetText(m_pTexte, hBogen, L"Bogen");
  CString out;
  EXPECT_EQ(CMatManager::GetStringValue(out, m_pTexte, m_hRow, 0, 0), eMatOk);
  EXPECT_EQ(out, L"Rohr");
  EXPECT_EQ(CMatManager::GetStringValue(out, m_pTexte, hBogen, 0, 0), eMatOk);
  EXPECT_EQ(out, L"bend (dictionary)") << "no row in the child: the base text, translated";
  EXPECT_EQ(CMatManager::GetStringValueEx(out, m_pTexte, hBogen, 0, 0, 0), eMatOk);
  EXPECT_EQ(out, L"Bogen");
}

TEST_F(QueryValues, StructStringFieldsReadThroughTheirField) {
  CMatTable* pStruct = Table(L"Maße", eTypeStruct);
  const std::uint32_t def[] = {2, eTypeInteger, eTypeString};
  ASSERT_EQ(Store().SetStrucDef(pStruct, def), eMatOk);
  SetText(pStruct, m_hRow, L"DN 20", 1, 1);
  CString out;
  EXPECT_EQ(CMatManager::GetStringValueEx(out, pStruct, m_hRow, 1, 1, 0), eMatOk);
  EXPECT_EQ(out, L"DN 20");
  EXPECT_EQ(CMatManager::GetStringValueEx(out, pStruct, m_hRow, 1, 0, 0), eMatWrongType);
  EXPECT_EQ(CMatManager::GetStructRowCount(pStruct, 0), 2);
  EXPECT_EQ(CMatManager::GetStructRowCount(pStruct, m_hRow), 2);
  EXPECT_EQ(CMatManager::GetStructRowCount(pStruct, Row(L"Fehlt")), 0);
  EXPECT_EQ(CMatManager::GetStructRowCountEx(pStruct, m_hRow), 2);
  EXPECT_EQ(CMatManager::GetStructRowCountEx(m_pTexte, m_hRow), 1) << "no definition";
  EXPECT_EQ(CMatManager::GetStructRowCount(m_pTexte, m_hRow), 0);
}

TEST_F(QueryValues, SubStringsSplitTheTranslatedText) {
  SetText(m_pTexte, m_hRow, L"a;b;c");
  CString out = L"x";
  EXPECT_EQ(CMatManager::GetSubStringText(out, m_pTexte, m_hRow, 0, 2, ';'), eMatOk);
  EXPECT_EQ(out, L"b");
  EXPECT_EQ(CMatManager::GetSubStringText(out, m_pTexte, m_hRow, 0, 3, ';'), eMatOk);
  EXPECT_EQ(out, L"c");
  EXPECT_EQ(CMatManager::GetSubStringText(out, m_pTexte, m_hRow, 0, 4, ';'), eMatOk);
  EXPECT_EQ(out, L"");
  EXPECT_EQ(CMatManager::GetSubStringText(out, m_pTexte, m_hRow, 0, 0, ';'), eMatOk);
  EXPECT_EQ(out, L"Kurz") << "part 0: the table's name after its first dash";
  EXPECT_EQ(CMatManager::GetSubStringText(out, m_pTexte, m_hRow, 0, -1, ';'), eMatIndex);
  EXPECT_EQ(CMatManager::GetSubStringText(out, nullptr, m_hRow, 0, 1, ';'), eMatNoTable);
}

TEST_F(QueryValues, SubStringNumbersReadTheLeadingNumber) {
  SetText(m_pTexte, m_hRow, L" 1.25 m;-42x; ;99999999999");
  double d = -1;
  int n = -1;
  EXPECT_EQ(CMatManager::GetSubString(d, m_pTexte, m_hRow, 0, 1, ';'), eMatOk);
  EXPECT_DOUBLE_EQ(d, 1.25);
  EXPECT_EQ(CMatManager::GetSubStringInt(n, m_pTexte, m_hRow, 0, 2, ';'), eMatOk);
  EXPECT_EQ(n, -42);
  EXPECT_EQ(CMatManager::GetSubStringInt(n, m_pTexte, m_hRow, 0, 3, ';'), eMatOk);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(CMatManager::GetSubStringInt(n, m_pTexte, m_hRow, 0, 4, ';'), eMatOk);
  EXPECT_EQ(n, 2147483647) << "too large clamps";
  d = 7;
  EXPECT_EQ(CMatManager::GetSubString(d, m_pTexte, Row(L"Fehlt"), 0, 1, ';'), eMatNoRow);
  EXPECT_EQ(d, 0.0);
}

TEST_F(QueryValues, RoundedValueKeepsSevenDecimals) {
  CMatTable* pFloat = Table(L"Gewicht", eTypeFloat);
  ASSERT_EQ(CMatManager::SetFloatValueF(0.1f, pFloat, m_hRow, 0, 0), eMatOk);
  double d = -1;
  EXPECT_EQ(CMatManager::GetRoundedValue(d, pFloat, m_hRow, 0, 0), eMatOk);
  EXPECT_EQ(d, std::floor(0.1 * 1e7 + 0.5) / 1e7);
  EXPECT_NE(d, static_cast<double>(0.1f));
  EXPECT_EQ(CMatManager::GetRoundedValue(d, nullptr, m_hRow, 0, 0), eMatNoTable);
  EXPECT_EQ(d, 0.0);
}

TEST_F(QueryValues, StringPtrOutlivesTheDataset) {
  SetLanguage(L"ENGLISH");
  AddTranslation(L"Rohr", L"pipe");
  const wchar_t* pFirst = nullptr;
  const wchar_t* pSecond = nullptr;
  ASSERT_EQ(CMatManager::GetStringPtr(pFirst, m_pTexte, m_hRow, 0, 0), eMatOk);
  const Handle hOther = Row(L"Artikel2");
  SetText(m_pTexte, hOther, L"Bogen");
  ASSERT_EQ(CMatManager::GetStringPtr(pSecond, m_pTexte, hOther, 0, 0), eMatOk);
  const wchar_t* pAgain = nullptr;
  ASSERT_EQ(CMatManager::GetStringPtr(pAgain, m_pTexte, m_hRow, 0, 0), eMatOk);
  EXPECT_EQ(pAgain, pFirst) << "equal texts share one address";
  SetText(m_pTexte, m_hRow, L"Muffe");
  Store().RemoveAllDatasets();
  EXPECT_STREQ(pFirst, L"pipe");
  EXPECT_STREQ(pSecond, L"Bogen");
}

TEST_F(QueryValues, RowsIterateAndReportExistence) {
  const Handle hSecond = Row(L"Artikel2");
  SetText(m_pTexte, hSecond, L"Bogen");
  POSITION pos = CMatManager::GetFirstRowPosition(m_pTexte);
  int nRows = 0;
  while (pos != nullptr && nRows < 10) {
    const unsigned long h = CMatManager::GetNextRow(m_pTexte, pos);
    EXPECT_TRUE(h == m_hRow || h == hSecond);
    ++nRows;
  }
  EXPECT_EQ(nRows, 2);
  EXPECT_EQ(CMatManager::GetNextRow(nullptr, pos), 0u);
  EXPECT_EQ(CMatManager::RowExistsEx(m_pTexte, hSecond), eMatOk);
  EXPECT_EQ(CMatManager::RowExistsEx(m_pTexte, Row(L"Fehlt")), eMatNoRow);
  EXPECT_EQ(CMatManager::RowExistsEx(nullptr, hSecond), eMatNoTable);
}

TEST_F(QueryValues, RowOfAnotherDatasetIsNoRowHere) {
  AddDataset(L"EFGH");
  const Handle hForeign = Row(L"Artikel1");
  CString out = L"unchanged";
  EXPECT_EQ(CMatManager::GetStringValueEx(out, m_pTexte, hForeign, 0, 0, 1), eMatNoRow);
  EXPECT_EQ(out, L"unchanged");
}

}  // namespace
