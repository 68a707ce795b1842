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
  // GetStringValueEx's text, or "<code n>" when it fails.
  static CString Read(CMatTable* pTable, Handle hRow, int nIndex = 0, int nField = 0,
                      int nTranslate = 1) {
    CString out = L"unchanged";
    const eMatManager n =
        CMatManager::GetStringValueEx(out, pTable, hRow, nIndex, nField, nTranslate);
    return n == eMatOk ? out : Code(n);
  }
  static CString Code(eMatManager n) { return L"<code " + std::to_wstring(n) + L">"; }
  // GetSubStringText's part n of row m_hRow, or "<code n>" when it fails.
  CString Part(int n) {
    CString out = L"x";
    const eMatManager nResult = CMatManager::GetSubStringText(out, m_pTexte, m_hRow, 0, n, ';');
    return nResult == eMatOk ? out : Code(nResult);
  }
  CMatDatenSatz* m_pDataset;
  Handle m_hRow;
  CMatTable* m_pTexte;
};

TEST_F(QueryValues, StringValueExRefusesWhatHoldsNoText) {
  CMatTable* pInt = Table(L"Zahl", eTypeInteger);
  SetValue(pInt, m_hRow, 5);
  EXPECT_EQ(Read(pInt, m_hRow), Code(eMatWrongType));
  CMatTable* pLine = Table(L"Zeile", eTypeStrLine);
  SetText(pLine, 0, L"Zeilen");
  EXPECT_EQ(Read(pLine, 0, 1), Code(eMatField));
  EXPECT_EQ(Read(pLine, 0), L"Zeilen");
  EXPECT_EQ(Read(m_pTexte, Row(L"Fehlt")), Code(eMatNoRow));
  EXPECT_EQ(Read(nullptr, m_hRow), Code(eMatNoTable));
  // A row of another dataset is no row here, and the text is left alone.
  AddDataset(L"EFGH");
  CString out = L"unchanged";
  EXPECT_EQ(CMatManager::GetStringValueEx(out, m_pTexte, Row(L"Artikel1"), 0, 0, 1), eMatNoRow);
  EXPECT_EQ(out, L"unchanged");
}

TEST_F(QueryValues, StructStringFieldsReadThroughTheirField) {
  CMatTable* pStruct = Table(L"Maße", eTypeStruct);
  const std::uint32_t def[] = {2, eTypeInteger, eTypeString};
  ASSERT_EQ(Store().SetStrucDef(pStruct, def), eMatOk);
  SetText(pStruct, m_hRow, L"DN 20", 1, 1);
  EXPECT_EQ(Read(pStruct, m_hRow, 1, 1, 0), L"DN 20");
  EXPECT_EQ(Read(pStruct, m_hRow, 1, 0, 0), Code(eMatWrongType));
  EXPECT_EQ(CMatManager::GetStructRowCount(pStruct, 0), 2);
  EXPECT_EQ(CMatManager::GetStructRowCount(pStruct, m_hRow), 2);
  EXPECT_EQ(CMatManager::GetStructRowCount(pStruct, Row(L"Fehlt")), 0);
  EXPECT_EQ(CMatManager::GetStructRowCountEx(pStruct, m_hRow), 2);
  EXPECT_EQ(CMatManager::GetStructRowCountEx(m_pTexte, m_hRow), 1) << "no definition";
  EXPECT_EQ(CMatManager::GetStructRowCount(m_pTexte, m_hRow), 0);
}

TEST_F(QueryValues, SubStringsSplitTheTranslatedText) {
  SetText(m_pTexte, m_hRow, L"a;b;c");
  EXPECT_EQ(Part(2), L"b");
  EXPECT_EQ(Part(3), L"c");
  EXPECT_EQ(Part(4), L"");
  EXPECT_EQ(Part(0), L"Kurz") << "part 0: the table's name after its first dash";
  EXPECT_EQ(Part(-1), Code(eMatIndex));
  CString out;
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

// Row positions and existence are the store's; a null table or an ended
// walk is answered here.
TEST_F(QueryValues, RowCallsAnswerNullTablesAndEndedWalks) {
  POSITION pos = nullptr;
  EXPECT_EQ(CMatManager::GetNextRow(m_pTexte, pos), 0u);
  pos = CMatManager::GetFirstRowPosition(m_pTexte);
  EXPECT_EQ(CMatManager::GetNextRow(nullptr, pos), 0u);
  EXPECT_EQ(CMatManager::GetNextRow(m_pTexte, pos), m_hRow);
  EXPECT_EQ(CMatManager::RowExistsEx(nullptr, m_hRow), eMatNoTable);
}

}  // namespace
