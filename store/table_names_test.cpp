#include "store/table_names.h"

#include <string>

#include "store/store_test_util.h"

namespace {

// The same children under a parent walked and one indexed; every rule must
// answer alike for both, and a hidden child tells the rules apart.
class StoreTableNames : public CStoreTest {
 protected:
  StoreTableNames() : m_Dataset(AddDataset()) {
    m_pSmall = Table(L"Klein", eTypeVoid);
    m_pLarge = Table(L"Gross", eTypeVoid);
    for (CMatTable* pParent : {m_pSmall, m_pLarge}) {
      const int nChildren = pParent == m_pSmall ? 7 : 24;
      for (int i = 0; i < nChildren; ++i)
        Table((L"WG_0" + std::to_wstring(i % 5) + L".5").c_str(), eTypeVoid, 1, pParent);
    }
  }
  CMatDatenSatz& m_Dataset;
  CMatTable* m_pSmall;
  CMatTable* m_pLarge;
};

TEST_F(StoreTableNames, FirstOfANameInAnyCaseDotsIncluded) {
  for (CMatTable* pParent : {m_pSmall, m_pLarge}) {
    SCOPED_TRACE(pParent->m_strName.c_str());
    EXPECT_EQ(FindChildTable(*pParent, L"wg_03.5", eHiddenTables::kSkip),
              pParent->m_Children[3].get());
    EXPECT_EQ(FindChildTable(*pParent, L"WG_03", eHiddenTables::kFind), nullptr);
  }
  EXPECT_EQ(FindTopLevelTable(m_Dataset, L"GROSS", eHiddenTables::kSkip), m_pLarge);
}

TEST_F(StoreTableNames, HiddenTablesAreFoundOnlyWhenAskedFor) {
  for (CMatTable* pParent : {m_pSmall, m_pLarge}) {
    SCOPED_TRACE(pParent->m_strName.c_str());
    // Index the large parent first, then hide a child: the index still holds it.
    FindChildTable(*pParent, L"WG_00.5", eHiddenTables::kSkip);
    CMatTable* pHidden = pParent->m_Children[1].get();
    ASSERT_EQ(Store().SetFlags(pHidden, eFlagHidden, 0), eMatOk);
    EXPECT_EQ(FindChildTable(*pParent, L"WG_01.5", eHiddenTables::kFind), pHidden);
    // The next child of that name, where there is one.
    EXPECT_EQ(FindChildTable(*pParent, L"WG_01.5", eHiddenTables::kSkip),
              pParent->m_Children[6].get());
    // Only an index still answers with the child hidden since it was built.
    EXPECT_EQ(FindChildTable(*pParent, L"WG_01.5", eHiddenTables::kAsIndexed),
              pParent == m_pLarge ? pHidden : pParent->m_Children[6].get());
  }
  ASSERT_EQ(Store().SetFlags(m_pSmall, eFlagHidden, 0), eMatOk);
  EXPECT_EQ(FindTopLevelTable(m_Dataset, L"Klein", eHiddenTables::kSkip), nullptr);
  EXPECT_EQ(FindTopLevelTable(m_Dataset, L"Klein", eHiddenTables::kFind), m_pSmall);
}

TEST_F(StoreTableNames, ATableGoesByItsHandlesText) {
  ASSERT_TRUE(m_Dataset.RenameHandle(m_pSmall->m_hName, L"Neu"));
  EXPECT_EQ(FindTopLevelTable(m_Dataset, L"neu", eHiddenTables::kFind), m_pSmall);
  EXPECT_EQ(FindTopLevelTable(m_Dataset, L"Klein", eHiddenTables::kFind), nullptr);
  EXPECT_EQ(TableNameText(*m_pSmall), L"Neu");
}

}  // namespace
