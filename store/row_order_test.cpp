#include "store/row_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "store/mat_store.h"
#include "store/store_test_util.h"

namespace {

class StoreRowOrder : public CStoreTest {
 protected:
  StoreRowOrder() { AddDataset(); }
  static std::vector<std::pair<Handle, std::uint64_t>> Rows(const CMatTable& table) {
    std::vector<std::pair<Handle, std::uint64_t>> rows;
    ForEachRowInWriteOrder(table,
                           [&rows](Handle h, std::uint64_t word) { rows.emplace_back(h, word); });
    return rows;
  }
  static std::vector<Handle> Handles(const CMatTable& table) {
    std::vector<Handle> handles;
    for (const auto& [h, word] : Rows(table)) handles.push_back(h);
    return handles;
  }
};

TEST_F(StoreRowOrder, MapRowsComeInHandleOrderListRowsInTheirOwn) {
  std::vector<Handle> names;
  for (int i = 0; i < 200; ++i) names.push_back(Row((L"n" + std::to_wstring(i)).c_str()));
  CMatTable* pMap = Table(L"M", eTypeInteger);
  CMatTable* pList = Table(L"L", eTypeInteger);
  pList->SetHashTableSize(1);
  std::vector<Handle> listed;
  for (int i = 0; i < 200; ++i) {
    const Handle h = names[(i * 7) % 200];  // 7 and 200 are coprime: each once
    ASSERT_EQ(Store().SetCellValue(pMap, h, 0, 0, CCellInput::Value(std::uint32_t(h))), eMatOk);
    ASSERT_EQ(Store().AddRow(pList, h), eMatOk);
    listed.push_back(h);
  }
  EXPECT_EQ(Handles(*pMap), names);
  for (const auto& [h, word] : Rows(*pMap)) EXPECT_EQ(word, h);  // each row keeps its word
  EXPECT_EQ(Handles(*pList), listed);
  // A row under a handle beyond the names made (as a file may hold) comes in
  // its place as well.
  const Handle hBeyond = names.back() + 1000;
  ASSERT_EQ(Store().SetCellValue(pMap, hBeyond, 0, 0, CCellInput::Value(hBeyond)), eMatOk);
  names.push_back(hBeyond);
  EXPECT_EQ(Handles(*pMap), names);
}

// The bit-wise and the byte-wise sort of many rows give what a comparison
// sort gives, for handles of several datasets, of every size and close
// together.
TEST(StoreRowOrderSort, ManyRowsSortAsFewDo) {
  std::vector<Handle> scrambled;
  std::uint32_t x = 12345;
  for (std::uint32_t i = 0; i < 5000; ++i) {
    x = x * 1664525u + 1013904223u;  // distinct: a full-period sequence
    scrambled.push_back(x);
  }
  // Handles of every size; one dataset's, which share their top byte; and
  // handles close together, with gaps and with one handle twice.
  for (const int nCase : {0, 1, 2, 3}) {
    std::vector<Handle> handles = scrambled;
    for (std::uint32_t i = 0; i < handles.size(); ++i) {
      if (nCase == 1) handles[i] = 0x03000000u | (handles[i] & 0xFFFFFFu);
      if (nCase >= 2) handles[i] = 0x03000000u | (i * 7919u % 20000u);  // 7919 prime: distinct
    }
    if (nCase == 3) handles.push_back(handles[17]);
    std::vector<Handle> expected = handles;
    std::sort(expected.begin(), expected.end());
    SortByHandle(handles);
    EXPECT_EQ(handles, expected) << nCase;
  }
}

}  // namespace
