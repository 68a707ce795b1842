#include "OrvaMat/article_set.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <string>
#include <vector>

#include "OrvaMat/mat_manager.h"
#include "query/article/article_test_util.h"

namespace {

// A dataset with a set group table and helpers to write set lines.
class ArticleSet : public ::testing::Test {
 protected:
  ArticleSet() {
    m_pGroups = t.Table(L"ArtikelSetGruppen", eTypeStruct, nullptr,
                        {eTypeFloat, eTypeHandle, eTypeInteger});
    t.Dataset().m_pSetGruppen = m_pGroups;
  }
  // Line n of a row: the fields in order (a float first, then 32-bit values).
  void Line(CMatTable* pTable, const wchar_t* row, int n, float fMenge,
            std::initializer_list<std::uint32_t> rest) {
    t.Store().SetCellValue(pTable, t.H(row), n, 0,
                           CCellInput::Value(std::bit_cast<std::uint32_t>(fMenge)));
    int nField = 1;
    for (const std::uint32_t v : rest)
      t.Store().SetCellValue(pTable, t.H(row), n, nField++, CCellInput::Value(v));
  }
  // A table whose rows are articles chosen by size: quantity, alternative
  // key, flags, size, order number, selection bits.
  CMatTable* SizeTable() {
    return t.Table(
        L"Sets", eTypeStruct, nullptr,
        {eTypeFloat, eTypeHandle, eTypeInteger, eTypeInteger, eTypeInteger, eTypeInteger});
  }
  std::wstring Items(const CArtikelSet& set) {
    std::wstring text;
    for (POSITION pos = set.GetHeadPosition(); pos != nullptr;) {
      const CArtikelSetItem* p = set.GetNextItem(pos);
      const wchar_t* pName = t.Store().HdlToString(p->m_hArtikel);
      text += std::wstring(pName ? pName : L"?") + L" " +
              std::to_wstring(static_cast<int>(p->m_fMenge));
      if (p->m_nFlags != 0) text += L" #" + std::to_wstring(p->m_nFlags);
      text += L"; ";
    }
    return text;
  }

  CArticleTestDataset t;
  CMatTable* m_pGroups = nullptr;
};

TEST_F(ArticleSet, ItemsMergeByArticleUnlessKept) {
  CArtikelSet set;
  set.AddItem(1, t.H(L"A"), 0);
  set.AddItem(2, t.H(L"A"), 0);
  set.AddItem(1, t.H(L"K"), kSetItemKeep);
  set.AddItem(1, t.H(L"K"), 0);
  EXPECT_EQ(Items(set), L"A 3; K 1 #4096; K 1; ");
  EXPECT_EQ(set.IstInSet(t.H(L"none")), nullptr);
  CArtikelSet other = set;
  set.Merge(other);
  EXPECT_EQ(Items(set), L"A 6; K 2 #4096; K 2; ");
  EXPECT_EQ(set.GetGesamtMenge(), 10.0f);
}

// Groups inside groups give their leaves with the quantities multiplied along
// the way, in the order a walk from the head after each group gives; a group
// that contains itself, directly or through another, ends with one message.
TEST_F(ArticleSet, ExplodingGroupsGivesLeavesAndEndsOnGroupsThatContainThemselves) {
  Line(m_pGroups, L"G1", 0, 2, {t.H(L"A"), 0});
  Line(m_pGroups, L"G1", 1, 1, {t.H(L"G2"), 0});
  Line(m_pGroups, L"G2", 0, 3, {t.H(L"B"), 0});
  Line(m_pGroups, L"G2", 1, 1, {t.H(L"A"), 0});
  CArtikelSet set;
  set.AddItem(2, t.H(L"G1"), 0);
  set.AddItem(5, t.H(L"C"), 0);
  set.AddItem(1, t.H(L"G2"), kSetItemKeep);
  CMatManager::ExplodeSet(set);
  EXPECT_EQ(Items(set), L"C 5; G2 1 #4096; A 6; B 6; ");
  EXPECT_TRUE(CMatManager::IsSetGruppe(t.H(L"G2")));
  EXPECT_FALSE(CMatManager::IsSetGruppe(t.H(L"A")));

  Line(m_pGroups, L"L1", 0, 1, {t.H(L"L2"), 0});
  Line(m_pGroups, L"L2", 0, 1, {t.H(L"L1"), 0});
  Line(m_pGroups, L"L2", 1, 4, {t.H(L"D"), 0});
  CArtikelSet loop;
  loop.AddItem(1, t.H(L"L1"), 0);
  CMatManager::ExplodeSet(loop);
  EXPECT_EQ(Items(loop), L"D 4; ");
  ASSERT_EQ(t.UI().Count(), 1u);
  EXPECT_EQ(t.UI().LastText(),
            L"Die Setgruppe L1 enthält sich selbst; sie wird nicht weiter aufgelöst.");
}

// Quantities beyond the float range stay the largest float instead of
// becoming infinite; one that is not a number holds 0.
TEST_F(ArticleSet, HugeQuantitiesAreHeld) {
  Line(m_pGroups, L"G", 0, 3e38f, {t.H(L"A"), 0});
  CArtikelSet set;
  set.AddItem(3e38f, t.H(L"G"), 0);
  CMatManager::ExplodeSet(set);
  EXPECT_EQ(set.IstInSet(t.H(L"A"))->m_fMenge, FLT_MAX);
  EXPECT_EQ(set.AddItem(std::nanf(""), t.H(L"B"), 0)->m_fMenge, 0.0f);
}

// A set row's lines replace the items; what the set held before comes back
// as changes, and the comparison with the definition sees them.
TEST_F(ArticleSet, SetRowsPutTheItemsBeforeBackAsChanges) {
  CMatTable* pTable = t.Table(L"SetRows", eTypeStruct, nullptr,
                              {eTypeFloat, eTypeHandle, eTypeInteger, eTypeInteger, eTypeInteger});
  Line(pTable, L"S", 0, 1, {t.H(L"A"), 0});
  Line(pTable, L"S", 1, 2, {t.H(L"B"), 1});
  CArtikelSet set;
  set.m_pSetTabelle = pTable;
  set.SetSet(t.H(L"S"));
  EXPECT_EQ(Items(set), L"A 1; B 2 #1; ");
  EXPECT_EQ(set.m_bStandard, 1u);
  set.CheckStandard();
  EXPECT_EQ(set.m_bStandard, 1u);

  set.RemoveAllItems();
  set.AddItem(1, t.H(L"A"), 0);
  set.AddItem(1, t.H(L"C"), 0);
  set.SetSet(t.H(L"S"));
  EXPECT_EQ(Items(set), L"A 2 #262144; B 2 #1; C 1 #131072; ");
  EXPECT_EQ(set.m_bStandard, 0u);
  set.m_bStandard = 1;
  set.CheckStandard();  // C is no line of the set
  EXPECT_EQ(set.m_bStandard, 0u);
  set.IstInSet(t.H(L"A"))->m_fMenge = 0;
  set.CleanSet();
  EXPECT_EQ(Items(set), L"B 2 #262145; C 1 #131072; ");
}

// Lines of one alternative key form one list; the size asked is held within
// the table's sizes; a change of size keeps each list's choice.
TEST_F(ArticleSet, FillingBySizeChoosesAlternativesAndOptionalAdditions) {
  CMatTable* pTable = SizeTable();
  const Handle k = t.H(L"K");
  Line(pTable, L"A1", 0, 1, {k, 0, 10, 1, 0});
  Line(pTable, L"A2", 0, 1, {k, 0, 10, 2, 0});
  Line(pTable, L"B", 0, 2, {0, 0, 20, 3, 0});
  Line(pTable, L"X", 0, 5, {0, 0, 0, 4, 0});
  Line(pTable, L"O", 0, 1, {0, 0x100000, 10, 5, 0});
  CArtikelSet set;
  set.m_pSetTabelle = pTable;
  EXPECT_EQ(set.GetMinGroesse(), 10);
  EXPECT_EQ(set.GetMaxGroesse(), 20);
  EXPECT_EQ(set.SetGroesse(5, 0), 1);
  EXPECT_EQ(set.m_nGroesse, 10u);
  EXPECT_EQ(Items(set), L"A1 1; X 5; O 1 #1179648; ");
  std::vector<unsigned long> combo;
  CMatManager::getComboArtikel(combo, set, t.H(L"A2"));
  EXPECT_EQ(combo, (std::vector<unsigned long>{t.H(L"A1"), t.H(L"A2")}));

  EXPECT_EQ(set.SetGroesse(10, 0), 0);  // unchanged
  EXPECT_EQ(set.SetGroesse(30, 0), 0);
  EXPECT_EQ(set.m_nGroesse, 20u);
  EXPECT_EQ(Items(set), L"B 2; X 5; ");
}

// Lines chosen by the second size, and a second size that is a length
// (100 or more) moving a candidate towards the smallest size not below it.
TEST_F(ArticleSet, SelectionBitsAndLengths) {
  CMatTable* pTable = SizeTable();
  Line(pTable, L"S1", 0, 1, {0, 0, 15, 1, 1});   // by the size
  Line(pTable, L"S2", 0, 1, {0, 0, 7, 2, 2});    // by the second size
  Line(pTable, L"L0", 0, 1, {0, 0, 150, 0, 2});  // a length line without order: taken
  Line(pTable, L"L1", 0, 1, {0, 0, 15, 3, 1});
  Line(pTable, L"L2", 0, 1, {0, 0, 300, 3, 2});  // replaces L1 (below the length 200)
  Line(pTable, L"L3", 0, 1, {0, 0, 250, 3, 2});  // nearer the length from above
  CArtikelSet set;
  set.m_pSetTabelle = pTable;
  set.SetGroesse(15, 7);
  EXPECT_EQ(Items(set), L"S1 1; S2 1; L1 1; ");
  set.RemoveAllItems();
  set.SetGroesse(15, 200);
  EXPECT_EQ(Items(set), L"L0 1; S1 1; L3 1; ");
}

// Ordinal 26: an item moves to the line of its alternative key and order
// number that has the size.
TEST_F(ArticleSet, AlternativeSizeMovesItemsAlongTheirKey) {
  CMatTable* pTable = SizeTable();
  const Handle k = t.H(L"K");
  Line(pTable, L"A10", 0, 1, {k, 0, 10, 1, 0});
  Line(pTable, L"A20", 0, 3, {k, 0, 20, 1, 0});
  Line(pTable, L"N", 0, 1, {0, 0, 20, 1, 0});
  CArtikelSet set;
  set.m_pSetTabelle = pTable;
  set.AddItem(1, t.H(L"A10"), 0);
  set.AddItem(1, t.H(L"N"), 0);
  set.SetAlternativeSize(20);
  EXPECT_EQ(Items(set), L"A20 3; N 1; ");
  EXPECT_EQ(set.m_nGroesse, 20u);
}

// A set keeps a pointer to its table: a table removed since is not read, a
// table made anew under the same path is found again, and a closed dataset's
// table is never touched.
TEST_F(ArticleSet, ATableRemovedOrReplacedOrClosedIsNeverReadThroughTheOldPointer) {
  CMatTable* pTable = SizeTable();
  Line(pTable, L"A", 0, 1, {0, 0, 10, 1, 0});
  CArtikelSet set;
  set.m_pSetTabelle = pTable;
  EXPECT_EQ(set.GetMaxGroesse(), 10);
  t.Store().RemoveTable(pTable);
  EXPECT_EQ(set.GetMaxGroesse(), 0);
  EXPECT_EQ(set.m_pSetTabelle, nullptr);

  pTable = SizeTable();
  Line(pTable, L"B", 0, 1, {0, 0, 30, 1, 0});
  set.m_pSetTabelle = pTable;
  EXPECT_EQ(set.GetMaxGroesse(), 30);
  t.Store().RemoveTable(pTable);
  CMatTable* pNew = SizeTable();
  Line(pNew, L"C", 0, 1, {0, 0, 40, 1, 0});
  EXPECT_EQ(set.GetMaxGroesse(), 40);
  EXPECT_EQ(set.m_pSetTabelle, pNew);

  t.Store().RemoveAllDatasets();
  EXPECT_EQ(set.SetGroesse(1, 0), 0);
  EXPECT_EQ(set.m_pSetTabelle, nullptr);
}

}  // namespace
