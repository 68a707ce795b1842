#include <gtest/gtest.h>

#include <vector>

#include "store/mat_store.h"
#include "store/store_test_util.h"

namespace {

class StoreRows : public CStoreTest {
 protected:
  StoreRows() : m_Dataset(AddDataset()) {}
  std::vector<Handle> RowsInOrder(CMatTable* pTable) {
    std::vector<Handle> rows;
    std::uint64_t word = 0;
    for (POSITION pos = Store().GetFirstRowPosition(pTable); pos != nullptr;)
      rows.push_back(pTable->GetNextRow(pos, word));
    return rows;
  }
  CMatDatenSatz& m_Dataset;
};

TEST_F(StoreRows, ListModeKeepsInsertionOrderThroughRemovalAndReAdding) {
  CMatTable* pTable = Table(L"L", eTypeInteger);
  pTable->SetHashTableSize(1);
  EXPECT_TRUE(pTable->m_bListMode);
  EXPECT_EQ(pTable->m_nFlags & eFlagListMode, unsigned{eFlagListMode});
  const Handle a = Row(L"a"), b = Row(L"b"), c = Row(L"c");
  for (Handle h : {a, b, c}) ASSERT_EQ(Store().AddRow(pTable, h), eMatOk);
  EXPECT_EQ(RowsInOrder(pTable), (std::vector<Handle>{a, b, c}));
  EXPECT_EQ(Store().RemoveRow(pTable, b), eMatOk);
  EXPECT_EQ(Store().RemoveRow(pTable, b), eMatNoRow);
  EXPECT_EQ(pTable->m_nRowCount, 2);
  ASSERT_EQ(Store().SetCellValue(pTable, b, 0, 0, CCellInput::Value(5)), eMatOk);
  EXPECT_EQ(RowsInOrder(pTable), (std::vector<Handle>{a, c, b}));
  EXPECT_EQ(Store().RemoveRow(pTable, a), eMatOk);
  EXPECT_EQ(Store().RemoveRow(pTable, b), eMatOk);  // the last one
  ASSERT_EQ(Store().AddRow(pTable, a), eMatOk);
  EXPECT_EQ(RowsInOrder(pTable), (std::vector<Handle>{c, a}));
  EXPECT_EQ(Store().RowExists(pTable, b), eMatNoRow);
  EXPECT_EQ(Store().RowExists(pTable, c), eMatOk);
}

TEST_F(StoreRows, SwitchingModesCarriesTheRows) {
  CMatTable* pTable = Table(L"M", eTypeInteger);
  for (std::uint32_t i = 0; i < 300; ++i)
    ASSERT_EQ(Store().SetCellValue(pTable, Row(L"r"), 0, 0, CCellInput::Value(i)), eMatOk);
  pTable->SetListMode(true);
  EXPECT_EQ(pTable->GetRowCount(), 300u);
  pTable->SetHashTableSize(5000);
  EXPECT_FALSE(pTable->m_bListMode);
  EXPECT_EQ(pTable->m_nFlags & eFlagListMode, 0u);
  EXPECT_EQ(RowsInOrder(pTable).size(), 300u);
}

// A table kept as a list only because its file held few rows becomes a map
// again as it grows, its flags kept; one whose flag asks for a list stays one.
TEST_F(StoreRows, AListKeptForSpeedBecomesAMapAsItGrows) {
  for (const bool bFlagged : {false, true}) {
    CMatTable* pTable = Table(bFlagged ? L"Flagged" : L"Speed", eTypeInteger);
    pTable->SetListMode(true);
    if (!bFlagged) pTable->m_nFlags &= ~std::uint32_t{eFlagListMode};  // as a file's is read
    const std::uint32_t nFlags = pTable->m_nFlags;
    std::vector<Handle> rows;
    for (std::uint32_t i = 0; i < 1000; ++i) {
      rows.push_back(Row(L"r"));
      ASSERT_EQ(Store().SetCellValue(pTable, rows.back(), 0, 0, CCellInput::Value(i)), eMatOk);
    }
    EXPECT_EQ(pTable->m_bListMode, bFlagged);
    EXPECT_EQ(pTable->m_nFlags, nFlags);
    EXPECT_EQ(Store().GetRowCount(pTable), 1000);
    CCell cell;
    ASSERT_EQ(Store().GetCellValue(pTable, cell, rows[700], 0, 0), eMatOk);
    EXPECT_EQ(cell.m_nValue, 700u);
  }
}

TEST_F(StoreRows, RemovedStructBlockIsReusedByTheNextBlockOfItsSize) {
  CMatTable* pTable = Table(L"S", eTypeStruct);
  const std::uint32_t def[] = {2, eTypeInteger, eTypeInteger};
  Store().SetStrucDef(pTable, def);
  const Handle a = Row(L"a"), b = Row(L"b");
  ASSERT_EQ(Store().SetCellValue(pTable, a, 2, 1, CCellInput::Value(1)), eMatOk);
  std::uint64_t word = 0;
  ASSERT_TRUE(pTable->FindRow(a, word));
  EXPECT_EQ(Store().RemoveRow(pTable, a), eMatOk);
  EXPECT_EQ(m_Dataset.GetArena().GetFreePieceCount(), 1u);
  ASSERT_EQ(Store().SetCellValue(pTable, b, 2, 0, CCellInput::Value(2)), eMatOk);
  std::uint64_t wordB = 0;
  ASSERT_TRUE(pTable->FindRow(b, wordB));
  EXPECT_EQ(wordB, word);
  EXPECT_EQ(Cell(pTable, b, 2, 1), 0u);  // the reused block starts zero-filled
  EXPECT_EQ(Cell(pTable, b, 0, 0), 0u);
}

TEST_F(StoreRows, TablesWithoutRowsAndNullTables) {
  CMatTable* pLine = Table(L"L", eTypeStrLine);
  CMatTable* pArray = Table(L"A", eTypeStringArray);
  const Handle h = Row(L"r");
  EXPECT_EQ(Store().RemoveRow(pLine, h), eMatNoRow);
  EXPECT_EQ(Store().AddRow(pArray, h), eMatNoRow);
  EXPECT_EQ(Store().RowExists(pLine, h), eMatNoRow);
  EXPECT_EQ(Store().GetFirstRowPosition(pArray), nullptr);
  EXPECT_EQ(Store().RemoveRow(nullptr, h), eMatNoTable);
  EXPECT_EQ(Store().AddRow(nullptr, h), eMatNoTable);
  EXPECT_EQ(Store().RowExists(nullptr, h), eMatNoTable);
  EXPECT_EQ(Store().GetRowCount(nullptr), 0);
  EXPECT_EQ(Store().GetFirstRowPosition(nullptr), nullptr);
}

// Many rows at once: each row once, those already there kept, in an empty
// map (which takes its room first) and in a list that has a row already; a table without rows and
// no table are refused as one row is.
TEST_F(StoreRows, RowsAddedAtOnceAddOnlyTheMissingOnes) {
  std::vector<Handle> rows;
  for (int i = 0; i < 300; ++i) rows.push_back(Row((L"r" + std::to_wstring(i)).c_str()));
  for (const bool bList : {false, true}) {
    CMatTable* pTable = Table(bList ? L"List" : L"Map", eTypeVoid);
    if (bList) {
      pTable->SetHashTableSize(1);
      ASSERT_EQ(Store().AddRow(pTable, rows[5]), eMatOk);
    }
    const std::vector<Handle> first(rows.begin(), rows.begin() + 200);
    EXPECT_EQ(Store().AddRows(pTable, first.data(), first.size()), eMatOk);
    std::vector<Handle> again(rows.begin() + 100, rows.end());
    again.push_back(rows[150]);
    EXPECT_EQ(Store().AddRows(pTable, again.data(), again.size()), eMatOk);
    EXPECT_EQ(Store().GetRowCount(pTable), 300);
    EXPECT_EQ(pTable->m_nRowCount, 300);
    for (const Handle h : rows) EXPECT_EQ(Store().RowExists(pTable, h), eMatOk);
    if (bList) {
      std::vector<Handle> expected = {rows[5]};
      for (const Handle h : rows)
        if (h != rows[5]) expected.push_back(h);
      EXPECT_EQ(RowsInOrder(pTable), expected);
    }
  }
  EXPECT_EQ(Store().AddRows(Table(L"A", eTypeStringArray), rows.data(), 1), eMatNoRow);
  EXPECT_EQ(Store().AddRows(nullptr, rows.data(), 1), eMatNoTable);
}

TEST_F(StoreRows, AMillionRowsInOneTable) {
  CMatTable* pTable = Table(L"Gross", eTypeInteger);
  std::vector<Handle> rows(1000000);
  for (std::uint32_t i = 0; i < rows.size(); ++i) {
    rows[i] = m_Dataset.CreateHandle(L"r");
    ASSERT_EQ(pTable->SetValue(rows[i], i), true);
  }
  pTable->UpdateRowCount();
  EXPECT_EQ(Store().GetRowCount(pTable), 1000000);
  EXPECT_EQ(Cell(pTable, rows[654321]), 654321u);
  std::size_t nSeen = 0;
  std::uint64_t word = 0;
  for (POSITION pos = Store().GetFirstRowPosition(pTable); pos != nullptr; ++nSeen)
    pTable->GetNextRow(pos, word);
  EXPECT_EQ(nSeen, 1000000u);
}

}  // namespace
