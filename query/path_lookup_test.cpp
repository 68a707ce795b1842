#include "query/path_lookup.h"

#include <string>

#include "query/query_test_util.h"

namespace {

class QueryPathLookup : public CQueryTest {
 protected:
  QueryPathLookup() {
    m_pDataset = &AddDataset(L"ABCD");
    m_pArtikel = Table(L"Artikel", eTypeString);
    m_pPreise = Table(L"Preise", eTypeFloat, 1, m_pArtikel);
    m_pBrutto = Table(L"Brutto", eTypeFloat, 1, m_pPreise);
    m_pGruppen = Table(L"Gruppen", eTypeHandle);
  }
  CMatDatenSatz* m_pDataset;
  CMatTable* m_pArtikel;
  CMatTable* m_pPreise;
  CMatTable* m_pBrutto;
  CMatTable* m_pGruppen;
};

TEST_F(QueryPathLookup, NamesJoinedByDotsFindChildrenInAnyCase) {
  EXPECT_EQ(Found(L"Artikel"), m_pArtikel);
  EXPECT_EQ(Found(L"ARTIKEL.preise"), m_pPreise);
  EXPECT_EQ(Found(L"artikel.Preise.BRUTTO"), m_pBrutto);
  EXPECT_EQ(Found(L"Preise.Brutto", m_pArtikel), m_pBrutto);
  EXPECT_EQ(Found(L"ABCD\\Artikel.Preise"), m_pPreise);
  EXPECT_EQ(Find(L"Artikel.Netto"), eMatNoTable);
  EXPECT_EQ(Find(L"abcd\\Artikel"), eMatNoDataset) << "the ID compares exactly";
}

TEST_F(QueryPathLookup, MissingMiddleNameGoesOnUnderTheLastTableFound) {
  EXPECT_EQ(Found(L"Artikel.Fehlt.Preise"), m_pPreise);
  EXPECT_EQ(Found(L"Fehlt.Gruppen"), m_pGruppen);
}

TEST_F(QueryPathLookup, MalformedPathsEndWithNoTable) {
  EXPECT_EQ(Find(L""), eMatNoTable);
  EXPECT_EQ(Find(L".Artikel"), eMatNoTable);
  // After two dots the rest, from the second dot on, is one name.
  EXPECT_EQ(Find(L"Artikel..Preise"), eMatNoTable);
  EXPECT_EQ(Found(L"Artikel."), m_pArtikel) << "a trailing dot leaves an empty rest";
  EXPECT_EQ(Find(L"\\ABCD\\Artikel"), eMatNoTable) << "a backslash at 0 is no prefix";
  EXPECT_EQ(Find(L"ABCD\\"), eMatNoTable);
  EXPECT_EQ(CMatManager::FindTable(nullptr, nullptr, L"Artikel"), eMatOk) << "out may be null";
  EXPECT_EQ(CMatManager::FindTable(nullptr, nullptr, nullptr), eMatNoTable);
}

TEST_F(QueryPathLookup, HiddenTablesAreRefused) {
  ASSERT_EQ(Store().SetFlags(m_pPreise, eFlagHidden, 0), eMatOk);
  EXPECT_EQ(Find(L"Artikel.Preise"), eMatNoTable);
  ASSERT_EQ(Store().SetFlags(m_pArtikel, eFlagHidden, 0), eMatOk);
  EXPECT_EQ(Find(L"Artikel"), eMatNoTable) << "a hidden first name is not found";
  EXPECT_EQ(Find(L"Artikel.Gruppen"), eMatOk) << "the search goes on at the top level";
}

TEST_F(QueryPathLookup, PrefixesNeedAListedOpenDataset) {
  CMatDatenSatz& second = AddDataset(L"EFGH");
  CMatTable* pOther = Table(L"Artikel", eTypeString);
  Store().SetCurrent(m_pDataset);
  EXPECT_EQ(Found(L"EFGH\\Artikel"), pOther);
  EXPECT_EQ(Store().GetCurrent(), &second) << "the prefix's dataset stays current";
  EXPECT_EQ(Find(L"XXXX\\Artikel"), eMatNoDataset);
  second.m_bClosed = true;
  EXPECT_EQ(Find(L"EFGH\\Artikel"), eMatClosed);
  second.m_bListed = false;
  EXPECT_EQ(Find(L"EFGH\\Artikel"), eMatNoDataset);
  // Without a prefix the parent's dataset becomes current.
  Store().SetCurrent(&second);
  EXPECT_EQ(Found(L"Preise", m_pArtikel), m_pPreise);
  EXPECT_EQ(Store().GetCurrent(), m_pDataset);
  CScopedMatStore empty;  // no dataset at all
  EXPECT_EQ(Find(L"Artikel"), eMatNoDataset);
}

TEST_F(QueryPathLookup, AliasStandsForItsPath) {
  Store().AddAlias(L"P", L"Artikel.Preise");
  EXPECT_EQ(Found(L"P"), m_pPreise);
  EXPECT_EQ(Found(L"P.Brutto"), m_pBrutto);
  EXPECT_EQ(Find(L"p"), eMatNoTable) << "aliases compare with case";
  // A later pair that resolves replaces the earlier; one that does not keeps it.
  Store().AddAlias(L"P", L"Gruppen");
  Store().AddAlias(L"P", L"Fehlt");
  EXPECT_EQ(Found(L"P"), m_pGruppen);
  // An alias that resolves nowhere: the name is searched at the top level.
  Store().AddAlias(L"Gruppen", L"Fehlt");
  EXPECT_EQ(Found(L"Artikel.Gruppen"), m_pGruppen);
}

TEST_F(QueryPathLookup, AliasCyclesEndWithNoTable) {
  Store().AddAlias(L"Selbst", L"Selbst");
  EXPECT_EQ(Find(L"Selbst"), eMatNoTable);
  Store().AddAlias(L"A", L"B.Preise");
  Store().AddAlias(L"B", L"A");
  EXPECT_EQ(Find(L"A"), eMatNoTable);
  EXPECT_EQ(Find(L"B.Preise"), eMatNoTable);
  // A cycle through a table of the same name ends at that table.
  Store().AddAlias(L"Artikel", L"Artikel");
  EXPECT_EQ(Found(L"Artikel.Preise"), m_pPreise);
}

TEST_F(QueryPathLookup, LargeParentsFindWhatAWalkFinds) {
  // The same children under a small and a large parent (the large one is
  // indexed): every look-up must answer alike.
  CMatTable* pSmall = Table(L"Klein", eTypeVoid);
  CMatTable* pLarge = Table(L"Gross", eTypeVoid);
  for (int i = 0; i < 25; ++i) {
    const std::wstring name = L"Kind" + std::to_wstring(i % 12);
    if (i < 18) Table(name.c_str(), eTypeVoid, 1, pSmall);
    Table(name.c_str(), eTypeVoid, 1, pLarge);
  }
  ASSERT_EQ(Store().SetFlags(pLarge->m_Children[3].get(), eFlagHidden, 0), eMatOk);
  ASSERT_EQ(Store().SetFlags(pSmall->m_Children[3].get(), eFlagHidden, 0), eMatOk);
  for (const wchar_t* pName : {L"kind0", L"KIND11", L"Kind12", L"Kind3"}) {
    CMatTable* pInSmall = nullptr;
    CMatTable* pInLarge = nullptr;
    const eMatManager nSmall = Find(pName, pSmall, &pInSmall);
    EXPECT_EQ(Find(pName, pLarge, &pInLarge), nSmall) << ToNarrow(pName);
    if (nSmall != eMatOk) continue;
    const auto nAt = [](CMatTable* p) {
      auto& list = p->m_pParent->m_Children;
      for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i].get() == p) return i;
      return list.size();
    };
    EXPECT_EQ(nAt(pInSmall), nAt(pInLarge)) << "the first child of a name wins";
  }
  // Kind3 is hidden at 3 but visible at 15.
  EXPECT_EQ(Found(L"Kind3", pLarge), pLarge->m_Children[15].get());
}

TEST_F(QueryPathLookup, ManyTopLevelTablesFindWhatAWalkFinds) {
  for (int i = 0; i < 30; ++i) Table((L"T" + std::to_wstring(i)).c_str(), eTypeVoid);
  EXPECT_EQ(Found(L"t29"), m_pDataset->m_Tables.back().get());
  ASSERT_EQ(Store().SetFlags(m_pGruppen, eFlagHidden, 0), eMatOk);
  EXPECT_EQ(Find(L"Gruppen"), eMatNoTable);
  CMatTable* pLater = Table(L"Gruppen", eTypeVoid);
  EXPECT_EQ(Found(L"Gruppen"), pLater);
}

TEST_F(QueryPathLookup, FindOrCreateTableMakesOnlyWhatIsMissing) {
  EXPECT_EQ(FindOrCreateTable(Store(), m_pArtikel, L"preise", eTypeFloat, 1), m_pPreise);
  CMatTable* pNew = FindOrCreateTable(Store(), m_pArtikel, L"Netto", eTypeFloat, 1);
  ASSERT_NE(pNew, nullptr);
  EXPECT_EQ(pNew->m_pParent, m_pArtikel);
  EXPECT_EQ(FindOrCreateTable(Store(), m_pArtikel, L"NETTO", eTypeFloat, 1), pNew);
}

TEST_F(QueryPathLookup, ChildHiddenAfterIndexingIsReachedAndRefused) {
  CMatTable* pLarge = Table(L"Gross", eTypeVoid);
  for (int i = 0; i < 20; ++i) Table((L"K" + std::to_wstring(i)).c_str(), eTypeVoid, 1, pLarge);
  EXPECT_EQ(Find(L"Gross.K7"), eMatOk);
  ASSERT_EQ(Store().SetFlags(pLarge->m_Children[7].get(), eFlagHidden, 0), eMatOk);
  EXPECT_EQ(Find(L"Gross.K7"), eMatHidden);
}

}  // namespace
