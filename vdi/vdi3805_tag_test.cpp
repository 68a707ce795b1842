#include "vdi/vdi3805_tag.h"

#include "store/mat_store.h"
#include "store/table_names.h"
#include "vdi/tga_test_support.h"

namespace {

// The product 110-2 of the radiator sheet with two 200 records, neither
// marked (numbers 2 and 3, none is 1), the first with a 250 record and two
// 260 records of which the file marked the second; a marked 300 record; and
// records that get no node (160, 600, 700).
class Vdi3805Tag : public CTgaTest {
 protected:
  Vdi3805Tag() {
    CMatTable* p200 = Record(m_pProduct, L"200-2", L"Anschluss links;x");
    Record(m_pProduct, L"200-3", L"Anschluss rechts");
    Record(p200, L"250-1", L"Ventil");
    Record(p200, L"260-5", L"Farbe weiss");
    Store().SetFlags(Record(p200, L"260-6", L"Farbe grau"), eFlagDefaultChild, 0);
    Store().SetFlags(Record(m_pProduct, L"300-1", L"Bautiefe"), eFlagDefaultChild, 0);
    Record(m_pProduct, L"160-1", L"Zubehoer");
    Record(m_pProduct, L"700-1", L"H600");
  }
  Cvdi3805Tag* Tree() { return CreateVariantTree(m_roots, nullptr, m_pProduct); }
  CString Complete(const wchar_t* pTag, bool bReset, const Cvdi3805Tag* pRoot = nullptr) {
    CString tag = pTag;
    CompleteTgaTag(m_roots, tag, pRoot != nullptr ? pRoot : Tree(), bReset);
    return tag;
  }

  CVdiTagRoots m_roots{&Store()};
};

// "kind-index text default" of every node, depth first.
void Describe(const Cvdi3805Tag& node, std::string& out) {
  for (const auto& pChild : node.m_Children) {
    EXPECT_EQ(pChild->m_pParent, &node);
    out += std::to_string(pChild->m_nRecordId >> 16 == 0x200   ? 200
                          : pChild->m_nRecordId >> 16 == 0x250 ? 250
                          : pChild->m_nRecordId >> 16 == 0x260 ? 260
                          : pChild->m_nRecordId >> 16 == 0x300 ? 300
                                                               : 0) +
           "-" + std::to_string(pChild->m_nIndex) + " " + ToUtf8(pChild->m_strText) +
           (pChild->m_bDefault ? " *" : "") + "\n";
    Describe(*pChild, out);
  }
}

// Variant records become nodes in table order; the first of a kind is the
// default where the file marked none, even when no record is number 1.
TEST_F(Vdi3805Tag, TheTreeHoldsTheVariantsWithOneDefaultPerKind) {
  Cvdi3805Tag* pRoot = Tree();
  ASSERT_NE(pRoot, nullptr);
  EXPECT_EQ(pRoot->m_nRecordId, 0x01100000u);
  EXPECT_EQ(pRoot->m_nIndex, 2);
  EXPECT_EQ(pRoot->m_pTable, m_pProduct);
  std::string tree;
  Describe(*pRoot, tree);
  EXPECT_EQ(tree,
            "200-2 Anschluss links *\n250-1 Ventil *\n260-5 Farbe weiss\n260-6 Farbe grau *\n"
            "200-3 Anschluss rechts\n300-1 Bautiefe *\n");
  EXPECT_EQ(Tree(), pRoot) << "a product's tree is built once";
  EXPECT_EQ(m_roots.GetCount(), 1u);
}

// A tree built before the product's table tree changed is never handed out
// again: its tables may be gone. A completion asked of it changes nothing.
TEST_F(Vdi3805Tag, ARootIsNotReturnedOnceItsTablesChanged) {
  Cvdi3805Tag* pOld = Tree();
  Record(m_pProduct, L"200-9", L"neu");
  Cvdi3805Tag* pNew = Tree();
  ASSERT_NE(pNew, pOld);
  EXPECT_EQ(pNew->m_Children.size(), pOld->m_Children.size() + 1);
  EXPECT_TRUE(m_roots.IsStale(pOld));
  EXPECT_FALSE(m_roots.IsStale(pNew));

  ASSERT_EQ(Store().RemoveTable(m_pSheet), eMatOk);
  EXPECT_EQ(Complete(L"?", false, pNew), L"?");
  EXPECT_EQ(Complete(L"?", false, pNew->m_Children.front().get()), L"?");
  Store().RemoveAllDatasets();
  EXPECT_TRUE(m_roots.IsStale(pNew)) << "its dataset is closed";
  DeleteTag(m_roots, pOld);
  EXPECT_EQ(m_roots.GetCount(), 1u);
}

// A variant slot keeps a record that is there, an open one takes the
// default; the sub-record slots of the taken record keep theirs, else take
// its default, its first or 0. An open product comes from the root's
// names; a reset clears every group's slots, 560 (slot 14) included.
TEST_F(Vdi3805Tag, CompletionChoosesRecordsAndDefaults) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"", L"1-2-?-2-1-6-1-0-0-?-?-?-?-?-?-?-?-?"},
      {L"1-2-0-3-0-0", L"1-2-0-3-0-0-1-0-0-?-?-?-?-?-?-?-?-?"},
      {L"1-2-0-2-1-5", L"1-2-0-2-1-5-1-0-0-?-?-?-?-?-?-?-?-?"},
      {L"1-2-0-2-7-9-1-4-4-0-0-0-0-0-0-3", L"1-2-0-2-1-6-1-0-0-0-0-0-0-0-0-3-?-?"},
      {L"1-2-0-8", L"1-2-0-8-?-?-1-0-0-?-?-?-?-?-?-?-?-?"},
  };
  for (const auto& [pTag, pCompleted] : cases) EXPECT_EQ(Complete(pTag, false), pCompleted) << pTag;
  EXPECT_EQ(Complete(L"1-2-0-3-0-0-1-0-0-0-0-0-0-0-4-1", true),
            L"1-2-0-2-1-6-1-0-0-0-0-0-0-0-0-1-?-?");
  CString tag = L"1-2";
  CompleteTgaTag(m_roots, tag, nullptr, false);
  EXPECT_EQ(tag, L"1-2");
}

// A root leaves the list when deleted; a node of a tree leaves its parent,
// which would otherwise delete it a second time.
TEST_F(Vdi3805Tag, DeletingNodesAndRoots) {
  Cvdi3805Tag* pMade = CreateTag(m_roots, 0x01100000);
  ASSERT_NE(pMade, nullptr);
  EXPECT_TRUE(m_roots.Contains(pMade));
  EXPECT_EQ(CreateVariantTree(m_roots, pMade, m_pProduct), pMade);
  EXPECT_EQ(pMade->m_Children.size(), 3u);
  EXPECT_NE(Tree(), pMade) << "a root made by hand is no product's tree";
  DeleteTag(m_roots, pMade->m_Children.front().get());
  EXPECT_EQ(pMade->m_Children.size(), 2u);
  DeleteTag(m_roots, pMade);
  EXPECT_EQ(m_roots.GetCount(), 1u);
  DeleteTag(m_roots, CreateTag(m_roots, 0x02000000));
  EXPECT_EQ(m_roots.GetCount(), 1u);
  EXPECT_EQ(CreateVariantTree(m_roots, nullptr, nullptr), nullptr);
  m_roots.Clear();
  EXPECT_EQ(m_roots.GetCount(), 0u);
}

}  // namespace
