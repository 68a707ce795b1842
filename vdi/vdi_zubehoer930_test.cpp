// The accessory positions: the list operations, and the keys a host hands
// back, well-formed or not.
#include <gtest/gtest.h>

#include "OrvaMat/vdi_accessories.h"
#include "vdi/vdi_test_util.h"

namespace {

CStringList Keys(const CVdiZubehoer930& list) {
  CStringList keys;
  for (const auto& position : list.m_Positions) keys.push_back(position.m_strKey);
  return keys;
}

void Add(CVdiZubehoer930& list, const wchar_t* pKey) {
  list.setPosition(1.5, true, L"t1", L"t2", L"t3", 4, pKey, false, L"t4");
}

TEST(AccessoryPositions, ListOperations) {
  CVdiZubehoer930 list;
  EXPECT_EQ(list.getArtikelPosition(L"a"), -1);
  Add(list, L"a");
  Add(list, L"b");
  Add(list, L"a");
  EXPECT_EQ(list.getArtikelPosition(L"a"), 0);
  EXPECT_EQ(list.getArtikelPosition(L"A"), -1);
  EXPECT_EQ(list.getArtikelPosition(L"b"), 1);
  list.removePosition(CString(L"x"));
  list.removePosition(3);
  list.removePosition(-1);
  EXPECT_EQ(Keys(list), (CStringList{L"a", L"b", L"a"}));
  list.removePosition(CString(L"a"));
  EXPECT_EQ(Keys(list), (CStringList{L"b", L"a"}));
  list.removePosition(1);
  EXPECT_EQ(Keys(list), CStringList{L"b"});

  CVdiZubehoer930 copy;
  Add(copy, L"old");
  Add(list, L"c");
  copy.copyFrom(&list);
  copy.copyFrom(nullptr);
  copy.copyFrom(&copy);
  EXPECT_EQ(Keys(copy), (CStringList{L"b", L"c"}));
  EXPECT_EQ(Describe(copy.m_Positions[1]), "1.5 t1|t2|t3|t4 4 c 10");
  copy.removeAll();
  EXPECT_TRUE(copy.m_Positions.empty());
}

// The groups of a key that address an article are read from its end. The
// reader keeps a main record's index as the file wrote it ("930-07"); keys
// name it by number.
TEST(AccessoryPositions, KeysAddressArticlesFromTheirEnd) {
  CVdiTestDataset t;
  ASSERT_TRUE(t.Read(
      "010;4;x\n900;012;N;;;;;Ventil;;;Messing\n930;07;G\n930.01;1;E;0\n"
      "930.03;4;12;1;1;Stk;;0\n930.01;2;F;0\n930.03;1;5;1;0;m;;0\n930.03;4;12;3.5;0;Stk;Notiz;0\n"
      "930;8;H\n930.01;2;E;0\n930.03;4;1;1;0;Stk;;0\n"));
  CMatTable* pSheet = t.Table(L"VDI-Pumpen");
  const std::pair<const wchar_t*, bool> cases[] = {
      {L"1-7-2-4-12", true},    // 930-7, its 930_01-2 and 930_03-4
      {L"7-2-4-99", true},      // four groups; the last is not read
      {L"1-2-7-2-4-12", true},  // a nested group: only the last ones count
      {L"2-4-12", false},       // too few groups
      {L"", false},
      {L"1-x-2-4-12", false},  // no number
      {L"1-7--4-12", false},
      {L"1-7-2-+4-12", false},
      {L"1-7-3-4-12", false},  // no 930_01-3
      {L"1-7-1-9-12", false},  // no 930_03-9
      {L"1-9-1-4-12", false},  // no 930-9
      {L"1-8-2-4-1", false},   // its 900-1 is missing (900-12 is another)
      {L"1-99999999999999999999-2-4-12", false},
  };
  for (const auto& [pKey, bMade] : cases) {
    CVdiZubehoer930 list;
    list.setPosition(pSheet, pKey);
    ASSERT_EQ(list.m_Positions.size(), bMade ? 1u : 0u) << ToUtf8(pKey);
    if (!bMade) continue;
    EXPECT_EQ(Describe(list.m_Positions[0]),
              "3.5 Ventil|Messing|Stk|Notiz 0 " + ToUtf8(pKey) + " 00");
  }
  CVdiZubehoer930 list;
  list.setPosition(nullptr, L"1-7-2-4-12");
  EXPECT_TRUE(list.m_Positions.empty());
}

TEST(RecordingTreeCtrl, DeletedItemsAndEmptiedTreesAnswerAsNone) {
  CRecordingTreeCtrl tree;
  const HTREEITEM a = tree.InsertItem(L"a", 0, 0, nullptr);
  const HTREEITEM b = tree.InsertItem(L"b", 0, 0, a);
  const HTREEITEM c = tree.InsertItem(L"c", 0, 0, b);
  const HTREEITEM d = tree.InsertItem(L"d", 0, 0, a);
  EXPECT_EQ(tree.GetNextSiblingItem(b), d);
  EXPECT_TRUE(tree.DeleteItem(b));
  EXPECT_FALSE(tree.IsItem(c));
  EXPECT_EQ(tree.GetChildItem(a), d);
  EXPECT_EQ(tree.InsertItem(L"e", 0, 0, c), nullptr);
  tree.DeleteAllItems();
  const HTREEITEM f = tree.InsertItem(L"f", 0, 0, nullptr);
  EXPECT_NE(f, a);
  EXPECT_FALSE(tree.IsItem(a));
  EXPECT_FALSE(tree.SetCheck(a, true));
  EXPECT_EQ(tree.Dump(), L"[ ] f\n");
}

}  // namespace
