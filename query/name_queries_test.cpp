#include "query/query_test_util.h"

namespace {

class QueryNames : public CQueryTest {
 protected:
  QueryNames() {
    m_pDataset = &AddDataset(L"ABCD");
    m_pStrings = Table(L"StringTable", eTypeString);
    SetText(m_pStrings, Row(L"HERSTELLERNAME"), L"Muster GmbH");
    m_pArtikel = Table(L"Artikel", eTypeString);
  }
  CMatDatenSatz* m_pDataset;
  CMatTable* m_pStrings;
  CMatTable* m_pArtikel;
};

TEST_F(QueryNames, ManufacturerNameComesFromTheStringTable) {
  SetLanguage(L"ENGLISH");
  AddTranslation(L"Muster GmbH", L"Sample Ltd");
  CString out;
  EXPECT_EQ(CMatManager::HerstellerNameEx(out, m_pArtikel, 0), eMatOk);
  EXPECT_EQ(out, L"Muster GmbH");
  EXPECT_EQ(CMatManager::HerstellerName(out, m_pArtikel), eMatOk);
  EXPECT_EQ(out, L"Sample Ltd");
  out.clear();
  AddDataset(L"EFGH");
  EXPECT_EQ(CMatManager::HerstellerNameOfHandle(out, m_pArtikel->m_hName), eMatOk);
  EXPECT_EQ(out, L"Sample Ltd");
  EXPECT_EQ(Store().GetCurrent(), m_pDataset);
  EXPECT_EQ(CMatManager::HerstellerNameOfHandle(out, 0x7F000001), eMatNoHandle);
  CMatTable nameless;
  EXPECT_EQ(CMatManager::HerstellerNameEx(out, &nameless, 1), eMatNoHandle);
  EXPECT_EQ(out, L"");
}

TEST_F(QueryNames, StringTableTextPrefersTheLanguageChild) {
  const Handle hEinheit = Row(L"EINHEIT");
  const Handle hFarbe = Row(L"FARBE");
  SetText(m_pStrings, hEinheit, L"Stück");
  SetText(m_pStrings, hFarbe, L"rot");
  SetLanguage(L"ENGLISH");
  CMatTable* pEnglish = Table(L"ENGLISH", eTypeString, 1, m_pStrings);
  SetText(pEnglish, hEinheit, L"piece");
  CString out;
  EXPECT_EQ(CMatManager::GetStringTableText(out, hEinheit), eMatOk);
  EXPECT_EQ(out, L"piece");
  EXPECT_EQ(CMatManager::GetStringTableText(out, hFarbe), eMatOk);
  EXPECT_EQ(out, L"rot");
  Store().SetCurrent(nullptr);
  EXPECT_EQ(CMatManager::GetStringTableText(out, hFarbe), eMatNoDataset);
}

TEST_F(QueryNames, KeysAndCostTypes) {
  CString key = L"unchanged";
  CMatManager::HdlToHKKey(key, 0);
  EXPECT_EQ(key, L"unchanged");
  CMatManager::HdlToHKKey(key, m_pArtikel->m_hName);
  EXPECT_EQ(key, L"ABCD\\Artikel");
  EXPECT_STREQ(CMatManager::GetKostenartText(96), L"");
  SetLanguage(L"ENGLISH");
  AddTranslation(L"Material", L"material");
  const wchar_t* pText = CMatManager::GetKostenartText(90);
  EXPECT_STREQ(pText, L"material");
  CMatManager::GetKostenartText(99);
  EXPECT_STREQ(pText, L"material") << "the text stays valid";
}

}  // namespace
