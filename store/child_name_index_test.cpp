#include "store/child_name_index.h"

#include <random>
#include <string>

#include "platform/text.h"
#include "store/store_test_util.h"
#include "store/table_names.h"

namespace {

class QueryChildIndex : public CStoreTest {
 protected:
  QueryChildIndex() : m_Dataset(AddDataset()) {
    m_pParent = Table(L"Gruppen", eTypeVoid);
    for (int i = 0; i < 20; ++i) Child(L"WG" + std::to_wstring(i));
  }
  CMatTable* Child(const std::wstring& name) {
    return Table(name.c_str(), eTypeVoid, 1, m_pParent);
  }
  CMatTable* Lookup(std::wstring_view name) {
    const CChildNameIndex* pIndex = m_Dataset.m_ChildIndexes.Get(m_pParent, m_pParent->m_Children);
    return pIndex != nullptr ? pIndex->Find(name) : nullptr;
  }
  CMatDatenSatz& m_Dataset;
  CMatTable* m_pParent;
};

// Names are found in any case. Every change of the child list is seen by the
// next look-up, and those a look-up by name could see move the tree stamp; a
// look-up itself moves nothing, and a cache made later never shows a stamp an
// earlier one showed.
TEST_F(QueryChildIndex, ChangesOfTheChildListAreSeenAndMoveTheTreeStamp) {
  CChildIndexCache& cache = m_Dataset.m_ChildIndexes;
  std::uint64_t nStamp = cache.GetTreeStamp();
  auto moved = [&] {
    const std::uint64_t nNow = cache.GetTreeStamp();
    const bool bMoved = nNow != nStamp;
    nStamp = nNow;
    return bMoved;
  };
  ASSERT_NE(Lookup(L"WG5"), nullptr);
  EXPECT_FALSE(moved()) << "a look-up changes nothing";
  CMatTable* pNew = Child(L"Neu");
  EXPECT_TRUE(moved());
  EXPECT_EQ(Lookup(L"neu"), pNew);
  ASSERT_EQ(Store().RenameTable(pNew, L"Neuer"), eMatOk);
  EXPECT_TRUE(moved());
  EXPECT_EQ(Lookup(L"neuer"), pNew);
  ASSERT_EQ(Store().RemoveTable(pNew), eMatOk);
  EXPECT_TRUE(moved());
  EXPECT_EQ(Lookup(L"neuer"), nullptr);
  ASSERT_EQ(Store().RenameTable(m_pParent->m_Children[5].get(), L"Fünf"), eMatOk);
  EXPECT_TRUE(moved());
  EXPECT_EQ(Lookup(L"WG5"), nullptr);
  EXPECT_EQ(Lookup(L"FÜNF"), m_pParent->m_Children[5].get());  // any case, also beyond ASCII
  m_Dataset.RenameHandle(m_pParent->m_Children[6]->m_hName, L"Sechs");
  EXPECT_TRUE(moved());
  EXPECT_EQ(Lookup(L"sechs"), m_pParent->m_Children[6].get());
  // The database file's loader appends skeleton tables to the list itself.
  auto pTable = std::make_unique<CMatTable>();
  pTable->m_hName = Row(L"Geladen");
  pTable->m_pDatenSatz = &m_Dataset;
  m_pParent->m_Children.push_back(std::move(pTable));
  EXPECT_EQ(Lookup(L"geladen"), m_pParent->m_Children.back().get());
  moved();
  m_pParent->m_Children[0]->DeleteContents();
  EXPECT_TRUE(moved());
  CChildIndexCache later;
  EXPECT_GT(later.GetTreeStamp(), nStamp);
}

// Children added and removed one at a time between look-ups, the index
// answers as a walk of the list would: the first child of a name, in any
// case. First with names of their own (the index takes each change in, and
// grows), then with names that several children share.
TEST_F(QueryChildIndex, AddsAndRemovesBetweenLookUpsAnswerAsAWalk) {
  std::mt19937 random(7);
  const auto walk = [&](std::wstring_view name) -> CMatTable* {
    for (const auto& pChild : m_pParent->m_Children)
      if (EqualsNoCase(TableNameText(*pChild), name)) return pChild.get();
    return nullptr;
  };
  int nNext = 0;
  for (const int nNames : {1 << 30, 12}) {
    for (int nStep = 0; nStep < 600; ++nStep) {
      const auto name = [&](int n) {
        return (random() % 2 != 0 ? L"n" : L"N") + std::to_wstring(n % nNames);
      };
      if (random() % 3 != 0 || m_pParent->m_Children.size() < 25) {
        Child(name(nNext++));
      } else {
        const std::size_t nAt = random() % m_pParent->m_Children.size();
        ASSERT_EQ(Store().RemoveTable(m_pParent->m_Children[nAt].get()), eMatOk);
      }
      const CString sought = name(static_cast<int>(random() % (nNext + 1)));
      ASSERT_EQ(Lookup(sought), walk(sought)) << ToUtf8(sought) << " at step " << nStep;
    }
  }
}

TEST_F(QueryChildIndex, EmptiedOrDestroyedParentsLoseTheirIndex) {
  ASSERT_NE(Lookup(L"WG5"), nullptr);
  EXPECT_EQ(m_Dataset.m_ChildIndexes.GetCount(), 1u);
  m_pParent->DeleteContents();
  EXPECT_EQ(m_Dataset.m_ChildIndexes.GetCount(), 0u);
  for (int i = 0; i < 20; ++i) Child(L"X" + std::to_wstring(i));
  ASSERT_NE(Lookup(L"x3"), nullptr);
  ASSERT_EQ(Store().RemoveTable(m_pParent), eMatOk);
  m_Dataset.m_RemovedTables.clear();
  EXPECT_EQ(m_Dataset.m_ChildIndexes.GetCount(), 0u);
}

}  // namespace
