// The accessory tree over small VDI files of our own: which groups, entries
// and articles a product is offered, their keys, the clicks on check boxes,
// and the positions a selection makes (vdi/testdata/accessories_sheet4.vdi,
// the worked example of docs/accessories.md).
#include <gtest/gtest.h>

#include <string>

#include "OrvaMat/vdi_accessories.h"
#include "vdi/accessory_conditions.h"
#include "vdi/vdi_test_util.h"

namespace {

constexpr const wchar_t* kProduct = L"VDI-Pumpen/100-1/110-1";
constexpr const wchar_t* kTag = L"1-1-0-0-0-0-0-0-0-0-0-0-0-0-0-1";

// The tree of docs/accessories.md with the design value 50.
constexpr const wchar_t* kExampleTree =
    L"Zubehör-Auswahl\n"
    L"  [ ] Ventile\n"
    L"    [ ] Absperrung\n"
    L"      [ ] Kugelhahn DN20, Anzahl: 2 Stk\n"
    L"      [ ] Schmutzfaenger DN20, Anzahl: 1 Stk\n"
    L"    [ ] Konsolen\n"
    L"      [ ] Wandmontage\n"
    L"        [ ] Wandkonsole, Anzahl: 1 Stk\n"
    L"  [ ] Konsolen\n"
    L"    [ ] Wandmontage\n"
    L"      [ ] Wandkonsole, Anzahl: 1 Stk\n"
    L"    [ ] Ventile\n"
    L"      [ ] Absperrung\n"
    L"        [ ] Kugelhahn DN20, Anzahl: 2 Stk\n"
    L"        [ ] Schmutzfaenger DN20, Anzahl: 1 Stk\n";

// The accessory tree of the product kProduct of the file a test reads.
class AccessoryTrees : public ::testing::Test {
 protected:
  CVDIZubehoerbaum930 Build(const wchar_t* pTag, std::vector<double> quantities, bool bAll = false,
                            CStringList selection = {}) {
    m_bAll = bAll;  // the tree keeps a reference to it
    CVDIZubehoerbaum930 tree(&m_tree, m_bAll, t.Table(kProduct), pTag, quantities, selection);
    tree.RebuildZubehoerbaum();
    return tree;
  }
  // The item whose text is text, the n-th of that text in item order.
  HTREEITEM Item(std::wstring_view text, int n = 0) {
    for (HTREEITEM item : m_tree.GetItems())
      if (m_tree.GetItemText(item) == text && n-- == 0) return item;
    return nullptr;
  }
  CStringList Changes(CVDIZubehoerbaum930& tree) {
    CStringList changes;
    tree.getAuswahlAenderungen(changes);
    return changes;
  }
  // A click on the item's check box as the control reports it.
  bool Click(CVDIZubehoerbaum930& tree, HTREEITEM item) {
    const bool bChecked = tree.setItemStates(item);
    m_tree.ToggleCheck(item);
    return bChecked;
  }

  CVdiTestDataset t;
  CRecordingTreeCtrl m_tree;
  bool m_bAll = false;
};

class Accessories : public AccessoryTrees {
 protected:
  void SetUp() override { ASSERT_TRUE(t.ReadTestFile("accessories_sheet4.vdi")); }
};

TEST_F(Accessories, ExampleFileToTreeKeysAndPositions) {
  CVDIZubehoerbaum930 tree = Build(kTag, {50});
  EXPECT_EQ(m_tree.Dump(), kExampleTree);
  // Group 7 names group 5 back: below 830-2 group 5 appears once, and its
  // way back to 7 adds nothing; the entry without a 900 record is gone; the
  // entry for product 2 fails its 930.02 condition.
  const std::vector<CString> keys{L"1-5-1-1-1", L"1-5-1-2-2",     L"1-5-2-7-1-1-3",
                                  L"2-7-1-1-3", L"2-7-2-5-1-1-1", L"2-7-2-5-1-2-2"};
  EXPECT_EQ(tree.GetItemKeys(), keys);
  const HTREEITEM root = m_tree.GetRootItem();
  EXPECT_FALSE(m_tree.HasCheckBox(root));
  EXPECT_EQ(m_tree.GetItemData(root), t.Table(kProduct));
  EXPECT_EQ(m_tree.GetItemData(Item(L"Wandkonsole, Anzahl: 1 Stk")), t.Table(L"VDI-Pumpen/900-3"));
  EXPECT_EQ(m_tree.GetImage(Item(L"Absperrung")), 1);
  EXPECT_EQ(m_tree.GetImage(Item(L"Wandkonsole, Anzahl: 1 Stk")), 2);

  // The user picks the console below the valves, and one valve.
  EXPECT_TRUE(Click(tree, Item(L"Wandkonsole, Anzahl: 1 Stk")));
  EXPECT_EQ(Changes(tree), CStringList{L"1-5-2-7-1-1-3"});
  EXPECT_TRUE(Click(tree, Item(L"Kugelhahn DN20, Anzahl: 2 Stk", 1)));
  EXPECT_EQ(tree.GetSelection(), (CStringList{L"1-5-2-7-1-1-3", L"2-7-2-5-1-1-1"}));
  EXPECT_TRUE(m_tree.GetCheck(Item(L"Wandmontage")));
  EXPECT_TRUE(m_tree.GetCheck(Item(L"Ventile")));

  CVdiZubehoer930 positions;
  for (const CString& key : tree.GetSelection()) positions.setPosition(tree.GetSheet(), key);
  ASSERT_EQ(positions.m_Positions.size(), 2u);
  EXPECT_EQ(Describe(positions.m_Positions[0]),
            "1 Wandkonsole|Stahl verzinkt|Stk| 0 1-5-2-7-1-1-3 10");
  EXPECT_EQ(Describe(positions.m_Positions[1]),
            "2 Kugelhahn DN20|Messing|Stk|Paarweise 0 2-7-2-5-1-1-1 10");
}

TEST_F(Accessories, SelectionMarksItemsAndUncheckingKeepsSiblings) {
  CVDIZubehoerbaum930 tree =
      Build(kTag, {50}, false, {L"2-7-2-5-1-1-1", L"2-7-2-5-1-2-2", L"no-such-key"});
  const HTREEITEM valve = Item(L"Kugelhahn DN20, Anzahl: 2 Stk", 1);
  const HTREEITEM strainer = Item(L"Schmutzfaenger DN20, Anzahl: 1 Stk", 1);
  EXPECT_TRUE(m_tree.GetCheck(valve));
  EXPECT_TRUE(m_tree.GetCheck(Item(L"Absperrung", 1)));
  EXPECT_FALSE(m_tree.GetCheck(Item(L"Kugelhahn DN20, Anzahl: 2 Stk")));
  // Unchecking one article leaves its ancestors checked for the other.
  EXPECT_FALSE(Click(tree, valve));
  EXPECT_FALSE(m_tree.GetCheck(valve));
  EXPECT_TRUE(m_tree.GetCheck(strainer));
  EXPECT_TRUE(m_tree.GetCheck(Item(L"Absperrung", 1)));
  EXPECT_EQ(tree.GetSelection(), (CStringList{L"2-7-2-5-1-2-2", L"no-such-key"}));
  // Unchecking their group unchecks and reports every article below it.
  const HTREEITEM group = Item(L"Ventile", 1);
  m_tree.SetCheck(group, true);
  EXPECT_FALSE(Click(tree, group));
  EXPECT_EQ(Changes(tree), (CStringList{L"2-7-2-5-1-1-1", L"2-7-2-5-1-2-2"}));
  EXPECT_FALSE(m_tree.GetCheck(strainer));
  EXPECT_FALSE(m_tree.GetCheck(group));
  EXPECT_EQ(tree.GetSelection(), CStringList{L"no-such-key"});
  // Checking the root picks every article.
  EXPECT_TRUE(Click(tree, m_tree.GetRootItem()));
  EXPECT_EQ(Changes(tree).size(), 6u);
  EXPECT_EQ(tree.GetSelection().size(), 7u);
  // A handle of no item of this tree changes nothing.
  EXPECT_FALSE(tree.setItemStates(reinterpret_cast<HTREEITEM>(std::uintptr_t{9999})));
  EXPECT_EQ(tree.GetSelection().size(), 7u);
}

TEST_F(Accessories, ModesTagsAndDesignValues) {
  struct {
    const wchar_t* pTag;
    std::vector<double> quantities;
    bool bAll;
    std::size_t nArticles;
  } const cases[] = {
      {kTag, {5}, false, 4},  // the strainer needs a design value from 10 to 100
      {kTag, {}, false, 0},   // no design values: nothing is built
      {L"", {50}, false, 0},  // no tag: nothing is built
      {L"", {}, true, 8},     // all: every article, the entry for P2 too
      // "?" counts 0: the entries for P1 and for P2 fail; the consoles stay.
      {L"1-?-0-0-0-0-0-0-0-0-0-0-0-0-0-1", {50}, false, 2},
      // The entries for P2 pass, those for P1 fail.
      {L"1-2-0-0-0-0-0-0-0-0-0-0-0-0-0-1", {50}, false, 4},
      // No 700-7: the console's condition on the 700 record fails.
      {L"1-1-0-0-0-0-0-0-0-0-0-0-0-0-0-7", {50}, false, 4},
  };
  for (const auto& c : cases) {
    CVDIZubehoerbaum930 tree = Build(c.pTag, c.quantities, c.bAll);
    EXPECT_EQ(tree.GetItemKeys().size(), c.nArticles) << ToUtf8(c.pTag) << " " << c.bAll;
  }
}

// The conditions of one article against the product of a small file.
class ArticleConditions : public ::testing::Test {
 protected:
  bool Passes(const std::string& conditions, std::vector<double> quantities = {50}) {
    CVdiTestDataset t;
    EXPECT_TRUE(
        t.Read("010;4;x\n100;1;R\n110;1;P\n700;1;V;35;7\n710.01;2;W;12\n930;1;G\n"
               "930.01;1;E;0\n930.03;1;1;1;0;Stk;;0\n" +
               conditions));
    CMatTable* pProduct = t.Table(kProduct);
    const vdiaccessory::CArticleContext context{t.Store(), pProduct,
                                                ParseTgaTag(L"1-1-0-0-0-0-0-0-0-0-0-0-0-0-0-1-0-2"),
                                                quantities, false};
    return vdiaccessory::PassesArticleCondition(context,
                                                t.Table(L"VDI-Pumpen/930-1/930_01-1/930_03-1"));
  }
};

TEST_F(ArticleConditions, RangesRecordsGroupsAndNegation) {
  const std::pair<const char*, bool> cases[] = {
      {"", true},
      {"930.04;1;1;1;0;10;100\n", true},
      {"930.04;1;1;1;0;60;100\n", false},
      {"930.04;1;1;1;0;10;0\n", true},  // upper bound 0: open
      {"930.04;1;1;1;1;0;0\n", false},  // design value 1 is not there
      {"930.04;1;1;1;-1;0;0\n", false},
      {"930.04;1;1;2;;;;700;4;1;0;50\n", true},  // 700 field 2 (35), real range
      {"930.04;1;1;2;;;;700;4;1;40;50\n", false},
      {"930.04;1;1;2;;;;700;17;1;7;7\n", false},   // integer range on field 15: empty, 0
      {"930.04;1;1;2;;;;700.;5;1;7;0\n", true},    // field 3 (7); "." read as "_"
      {"930.04;1;1;2;;;;110;3;0;P;\n", true},      // text test on the product
      {"930.04;1;1;2;;;;110;3;0;p;\n", false},     // texts compare case-sensitively
      {"930.04;1;1;2;;;;110;3;1;0;0\n", false},    // numeric tests only on 700
      {"930.04;1;1;2;;;;110;1;0;a;\n", false},     // field -1: empty, below "a"
      {"930.04;1;1;2;;;;710.01;3;0;W;W\n", true},  // 710.01 of slot 17
      {"930.04;1;1;2;;;;999;3;0;;\n", false},      // no such record
      // Two groups: one holds.
      {"930.04;1;1;1;0;60;100\n930.04;2;2;1;0;10;100\n", true},
      // One group: both must hold.
      {"930.04;1;1;1;0;10;100\n930.04;2;1;1;0;60;100\n", false},
      // Second test holds; negated it fails; a missing second record is ignored.
      {"930.04;1;1;2;;;;700;4;1;0;50;700;4;1;0;50;0\n", true},
      {"930.04;1;1;2;;;;700;4;1;0;50;700;4;1;0;50;1\n", false},
      {"930.04;1;1;2;;;;700;4;1;0;50;710.05;3;0;x;x;0\n", true},
  };
  for (const auto& [conditions, bPasses] : cases)
    EXPECT_EQ(Passes(conditions), bPasses) << conditions;
}

TEST(EntryConditions, TagGroupsAgainstTheFirstConditionRecord) {
  const struct {
    const char* pCondition;
    const wchar_t* pTag;
    bool bPasses;
  } cases[] = {
      {"930.02;1;0;2\n", L"1-2", true},
      {"930.02;1;0;2\n", L"7-2-3", true},
      {"930.02;1;0;2\n", L"1-?", false},
      {"930.02;1;0;2\n", L"1-3", false},
      {"930.02;1;0;2\n", L"1", true},  // only the tag's groups are compared
      {"930.02;1;0;2\n", L"", true},
      {"930.02;1;;x;5\n", L"1-2-5", true},             // empty and non-numbers are 0
      {"930.02;1;0;2\n930.02;2;0;3\n", L"1-2", true},  // the first record counts
      {"", L"1-2", true},
  };
  for (const auto& c : cases) {
    CVdiTestDataset t;
    ASSERT_TRUE(t.Read(std::string("010;4;x\n930;1;G\n930.01;1;E;0\n") + c.pCondition));
    EXPECT_EQ(vdiaccessory::PassesEntryCondition(t.Store(), t.Table(L"VDI-Pumpen/930-1/930_01-1"),
                                                 vdiaccessory::EntryTagGroups(c.pTag)),
              c.bPasses)
        << c.pCondition << ToUtf8(c.pTag);
  }
}

// A group whose entries all fail is a leaf without a key: the article after
// it still reports its own key, and the group's click changes no key.
TEST_F(AccessoryTrees, AnEmptyGroupIsNoArticle) {
  ASSERT_TRUE(
      t.Read("010;4;x\n100;1;R\n110;1;P\n830;1;1\n830;2;2\n900;1;A;;;;;Teil\n930;1;Leer\n"
             "930.01;1;E;0\n930.02;1;9\n930.03;1;1;1;0;Stk;;0\n930;2;Voll\n930.01;1;F;0\n"
             "930.03;1;1;1;0;Stk;;0\n"));
  CVDIZubehoerbaum930 tree = Build(L"1", {1});
  const std::vector<HTREEITEM> items = m_tree.GetItems();
  ASSERT_EQ(items.size(), 5u);
  EXPECT_EQ(m_tree.GetItemText(items[1]), L"Leer");
  EXPECT_TRUE(tree.setItemStates(items[4]));
  EXPECT_EQ(Changes(tree), CStringList{L"2-2-1-1-1"});
  EXPECT_TRUE(tree.setItemStates(items[1]));
  EXPECT_TRUE(Changes(tree).empty());
  EXPECT_EQ(tree.GetSelection(), CStringList{L"2-2-1-1-1"});
}

// Groups that name each other twice per entry would double the tree at every
// level: the tree stops at its limit, says so once, and ends.
TEST_F(AccessoryTrees, GroupsNamingEachOtherEnd) {
  std::string file = "010;4;x\n100;1;R\n110;1;P\n830;1;1\n900;1;A;;;;;Teil\n";
  for (int g = 1; g <= 24; ++g) {
    file += "930;" + std::to_string(g) + ";G\n930.01;1;E;0\n930.03;1;1;1;0;Stk;;0\n";
    file += "930.01;2;N;" + std::to_string(g + 1) + "\n930.01;3;M;" + std::to_string(g + 1) + "\n";
    file += "930.01;4;B;1\n";  // back to the first group
  }
  ASSERT_TRUE(t.Read(file));
  CVDIZubehoerbaum930 tree = Build(L"", {}, true);
  EXPECT_LE(m_tree.GetItems().size(), CVDIZubehoerbaum930::kMaxItems);
  EXPECT_GT(tree.GetItemKeys().size(), 1000u);
  EXPECT_EQ(t.UI().Count(), 1u);
  EXPECT_TRUE(t.UI().HasMessageContaining(L"Zubehörbaum ist zu groß"));
}

}  // namespace
