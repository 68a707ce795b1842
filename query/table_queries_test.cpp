#include "query/query_test_util.h"

namespace {

class QueryTables : public CQueryTest {
 protected:
  QueryTables() {
    m_pDataset = &AddDataset(L"ABCD");
    m_pArtikel = Table(L"Artikel", eTypeString, 2);
    m_pPreise = Table(L"Preise", eTypeFloat, 1, m_pArtikel);
    m_pMasse = Table(L"Masse", eTypeStruct, 1, m_pArtikel);
    const std::uint32_t def[] = {2, eTypeHandle, eTypeFloat};
    Store().SetStrucDef(m_pMasse, def);
  }
  CMatDatenSatz* m_pDataset;
  CMatTable* m_pArtikel;
  CMatTable* m_pPreise;
  CMatTable* m_pMasse;
};

TEST_F(QueryTables, NullTablesGetTheDocumentedAnswers) {
  CString s = L"x";
  CString s2;
  CString s3;
  unsigned long h = 9;
  CMatTable* pOut = m_pArtikel;
  void* pState = nullptr;
  EXPECT_EQ(CMatManager::GetTableType(nullptr), 2);
  EXPECT_EQ(CMatManager::GetValuesPerRow(nullptr), 0);
  EXPECT_EQ(CMatManager::GetCellType(nullptr, 0), 2);
  EXPECT_EQ(CMatManager::GetStrucFieldType(nullptr, 0), 6);
  EXPECT_EQ(CMatManager::GetStrucDef(nullptr), nullptr);
  EXPECT_FALSE(CMatManager::IsStructTable(nullptr));
  EXPECT_FALSE(CMatManager::IsFlag2Clear(nullptr));
  EXPECT_EQ(CMatManager::GetTableHandle(nullptr), 0u);
  EXPECT_EQ(CMatManager::GetTableName(nullptr), nullptr);
  EXPECT_EQ(CMatManager::GetGivenTableName(nullptr), nullptr);
  EXPECT_EQ(CMatManager::GetParentTable(nullptr), nullptr);
  EXPECT_EQ(CMatManager::GetItemCount(nullptr, true), 0);
  EXPECT_EQ(CMatManager::GetTablePath(s, nullptr), eMatNoTable);
  EXPECT_EQ(s, L"");
  s = L"x";
  EXPECT_EQ(CMatManager::GetRegStr(s, s2, s3, nullptr, &pState), eMatNoTable);
  EXPECT_EQ(s, L"");
  EXPECT_EQ(CMatManager::GetDefaultItem(h, nullptr), eMatNoTable);
  EXPECT_EQ(CMatManager::GetDefaultChild(&pOut, nullptr), eMatNoTable);
  EXPECT_EQ(pOut, nullptr);
  EXPECT_EQ(CMatManager::GetFirstRowPosition(nullptr), nullptr);
  EXPECT_EQ(CMatManager::GetStructRowCountEx(nullptr, 1), 0);
  EXPECT_EQ(CMatManager::HerstellerNameEx(s, nullptr, 1), eMatNoTable);
}

TEST_F(QueryTables, TypesOfCellsAndFields) {
  EXPECT_EQ(CMatManager::GetCellType(m_pArtikel, 5), eTypeString);
  EXPECT_EQ(CMatManager::GetCellType(m_pMasse, 1), eTypeFloat);
  EXPECT_EQ(CMatManager::GetCellType(m_pMasse, 2), 6);
  EXPECT_EQ(CMatManager::GetCellType(m_pMasse, -1), 6);
  EXPECT_EQ(CMatManager::GetStrucFieldType(m_pMasse, 0), eTypeHandle);
  EXPECT_EQ(CMatManager::GetStrucFieldType(m_pArtikel, 0), 6) << "no definition";
}

TEST_F(QueryTables, PathsAndNames) {
  CString path;
  EXPECT_EQ(CMatManager::GetTablePath(path, m_pPreise), eMatOk);
  EXPECT_EQ(path, L"ABCD\\Artikel.Preise");
  // Naming a table of a dataset that is not current makes it current.
  AddDataset(L"EFGH");
  EXPECT_STREQ(CMatManager::GetTableName(m_pPreise), L"Preise");
  EXPECT_EQ(Store().GetCurrent(), m_pDataset);
}

TEST_F(QueryTables, TablePositionsWalkChildrenAndTopLevel) {
  POSITION pos = CMatManager::GetFirstTablePosition(m_pArtikel);
  EXPECT_EQ(CMatManager::GetNextTable(m_pArtikel, pos), m_pPreise);
  // A child added during the walk is met, never freed memory.
  for (int i = 0; i < 40; ++i) Table(L"Neu", eTypeVoid, 1, m_pArtikel);
  EXPECT_EQ(CMatManager::GetNextTable(m_pArtikel, pos), m_pMasse);
  int nMore = 0;
  while (pos != nullptr && nMore < 100) {
    EXPECT_NE(CMatManager::GetNextTable(m_pArtikel, pos), nullptr);
    ++nMore;
  }
  EXPECT_EQ(nMore, 40);
  pos = CMatManager::GetFirstTablePositionEx(nullptr);
  EXPECT_EQ(CMatManager::GetNextTable(nullptr, pos), m_pArtikel);
  EXPECT_EQ(pos, nullptr);
  EXPECT_EQ(CMatManager::GetFirstTablePosition(m_pPreise), nullptr);
  Store().SetCurrent(nullptr);
  pos = reinterpret_cast<POSITION>(1);
  EXPECT_EQ(CMatManager::GetNextTable(nullptr, pos), nullptr);
}

TEST_F(QueryTables, ItemCountsRegStrAndDefaults) {
  const Handle hRow = Row(L"R");
  SetText(m_pArtikel, hRow, L"x");
  EXPECT_EQ(CMatManager::GetItemCount(m_pArtikel, true), 2);
  EXPECT_EQ(CMatManager::GetItemCount(m_pArtikel, false), 1);
  m_pArtikel->m_strRegStr2 = L"zwei";
  CString s1;
  CString s2;
  CString s3;
  void* pState = nullptr;
  EXPECT_EQ(CMatManager::GetRegStr(s1, s2, s3, m_pArtikel, &pState), eMatOk);
  EXPECT_EQ(s2, L"zwei");
  ASSERT_EQ(pState, &m_pArtikel->m_nState);
  EXPECT_EQ(static_cast<std::uint32_t*>(pState)[1], m_pArtikel->m_hDefaultItem);

  unsigned long hItem = 7;
  EXPECT_EQ(CMatManager::GetDefaultItem(hItem, m_pArtikel), eMatNoItem);
  CMatTable* pChild = nullptr;
  EXPECT_EQ(CMatManager::GetDefaultChild(&pChild, m_pArtikel), eMatNoRow);
  EXPECT_EQ(pChild, m_pPreise) << "the first child, with 7";
  Store().SetFlags(m_pMasse, eFlagDefaultChild, 0);
  EXPECT_EQ(CMatManager::GetDefaultChild(&pChild, m_pArtikel), eMatOk);
  EXPECT_EQ(pChild, m_pMasse);
  m_pArtikel->m_hDefaultItem = m_pPreise->m_hName;
  EXPECT_EQ(CMatManager::GetDefaultChild(&pChild, m_pArtikel), eMatOk);
  EXPECT_EQ(pChild, m_pPreise);
  EXPECT_EQ(CMatManager::GetDefaultItem(hItem, m_pArtikel), eMatOk);
  EXPECT_EQ(hItem, m_pPreise->m_hName);
  EXPECT_EQ(CMatManager::GetDefaultChild(&pChild, m_pPreise), eMatNoRow);
  EXPECT_EQ(pChild, nullptr);
}

}  // namespace
