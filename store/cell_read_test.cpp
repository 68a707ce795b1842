#include <gtest/gtest.h>

#include "store/mat_store.h"
#include "store/store_test_util.h"

namespace {

class StoreCellRead : public CStoreTest {
 protected:
  StoreCellRead() { AddDataset(); }
  eMatManager Get(CMatTable* p, Handle hRow, int nIndex, int nField = 0) {
    return Store().GetCellValue(p, m_Cell, hRow, nIndex, nField);
  }
  eMatManager Set(CMatTable* p, Handle hRow, int nIndex, int nField, std::uint32_t n) {
    return Store().SetCellValue(p, hRow, nIndex, nField, CCellInput::Value(n));
  }
  CCell m_Cell;
};

TEST_F(StoreCellRead, MultiValueRowsCheckTheRowBeforeTheIndex) {
  CMatTable* pTable = Table(L"Drei", eTypeInteger, 3);
  const Handle hWritten = Row(L"a"), hNever = Row(L"b");
  ASSERT_EQ(Set(pTable, hWritten, 2, 0, 42), eMatOk);
  EXPECT_EQ(Cell(pTable, hWritten, 2), 42u);
  EXPECT_EQ(Cell(pTable, hWritten, 0), 0u);
  m_Cell.m_nValue = 7;
  EXPECT_EQ(Get(pTable, hWritten, 3), eMatIndex);
  EXPECT_EQ(m_Cell.m_nValue, 0u);
  EXPECT_EQ(Get(pTable, hWritten, -1), eMatIndex);
  EXPECT_EQ(Get(pTable, hNever, 2), eMatNoRow);
  EXPECT_EQ(Get(pTable, 0, 0), eMatNoRow);
  EXPECT_EQ(Get(nullptr, hWritten, 0), eMatNoTable);
}

TEST_F(StoreCellRead, RowAddedWithoutValuesReadsZeroInEveryCell) {
  CMatTable* pMulti = Table(L"M", eTypeFloat, 4);
  CMatTable* pVoid = Table(L"V", eTypeVoid, 3);
  CMatTable* pStruct = Table(L"S", eTypeStruct);
  const std::uint32_t def[] = {1, eTypeInteger};
  Store().SetStrucDef(pStruct, def);
  const Handle h = Row(L"r");
  for (CMatTable* p : {pMulti, pVoid, pStruct}) ASSERT_EQ(Store().AddRow(p, h), eMatOk);
  EXPECT_EQ(Cell(pMulti, h, 3), 0u);
  EXPECT_EQ(Get(pVoid, h, 2), eMatOk);
  EXPECT_EQ(Get(pStruct, h, 0, 0), eMatIndex);  // no sub-rows yet
  // Writing into such a row makes its array or block first.
  EXPECT_EQ(Set(pMulti, h, 1, 0, 9), eMatOk);
  EXPECT_EQ(Set(pStruct, h, 0, 0, 8), eMatOk);
  EXPECT_EQ(Cell(pMulti, h, 1), 9u);
  EXPECT_EQ(Cell(pStruct, h, 0, 0), 8u);
}

TEST_F(StoreCellRead, StructChecksFieldRowAndSubRowInThatOrder) {
  CMatTable* pTable = Table(L"S", eTypeStruct);
  const Handle h = Row(L"r");
  EXPECT_EQ(Get(pTable, h, 0, 0), eMatWrongType);  // no structure definition
  const std::uint32_t def[] = {2, eTypeHandle, eTypeInteger};
  Store().SetStrucDef(pTable, def);
  EXPECT_EQ(Get(pTable, 0, 0, 5), eMatNoRow);
  EXPECT_EQ(Get(pTable, h, 0, 2), eMatField);
  EXPECT_EQ(Get(pTable, h, 0, -1), eMatField);
  EXPECT_EQ(Get(pTable, h, 0, 0), eMatNoRow);
  ASSERT_EQ(Set(pTable, h, 0, 1, 5), eMatOk);
  EXPECT_EQ(Get(pTable, h, 0, 0), eMatEmptyHandle);  // Handle field holding 0
  EXPECT_EQ(m_Cell.m_nValue, 0u);
  EXPECT_EQ(Cell(pTable, h, 0, 1), 5u);
  EXPECT_EQ(Get(pTable, h, 1, 1), eMatIndex);
  ASSERT_EQ(Set(pTable, h, 0, 0, h), eMatOk);
  EXPECT_EQ(Cell(pTable, h, 0, 0), h);
}

TEST_F(StoreCellRead, SubRowsBetweenAreReadableAfterAJumpAhead) {
  CMatTable* pTable = Table(L"S", eTypeStruct);
  const std::uint32_t def[] = {3, eTypeInteger, eTypeInteger, eTypeInteger};
  Store().SetStrucDef(pTable, def);
  const Handle h = Row(L"r");
  ASSERT_EQ(Set(pTable, h, 0, 2, 11), eMatOk);
  ASSERT_EQ(Set(pTable, h, 6, 1, 77), eMatOk);  // six sub-rows at once
  // Every sub-row up to 6 exists (zero-filled) and the count says so; the
  // reads stay inside the block (ASan).
  for (int i = 0; i <= 6; ++i)
    for (int f = 0; f < 3; ++f) ASSERT_EQ(Get(pTable, h, i, f), eMatOk) << i << "," << f;
  EXPECT_EQ(Get(pTable, h, 7, 0), eMatIndex);
  EXPECT_EQ(Cell(pTable, h, 0, 2), 11u);
  EXPECT_EQ(Cell(pTable, h, 6, 1), 77u);
  EXPECT_EQ(Cell(pTable, h, 3, 1), 0u);
}

// Text arrays read back in the cell write tests.
TEST_F(StoreCellRead, ArraysAndTextLines) {
  CMatTable* pWords = Table(L"W", eTypeDWordArray);
  CMatTable* pLine = Table(L"L", eTypeStrLine);
  EXPECT_EQ(Get(pWords, 0, 0), eMatIndex);
  ASSERT_EQ(Set(pWords, 0, 1, 0, 5), eMatOk);
  EXPECT_EQ(Cell(pWords, 0, 1), 5u);
  EXPECT_EQ(Get(pWords, 0, 2), eMatIndex);
  EXPECT_EQ(Get(pLine, 0, 0), eMatOk);
  EXPECT_EQ(m_Cell.m_pText, nullptr);
  ASSERT_EQ(Store().SetCellValue(pLine, 0, 0, 0, CCellInput::Text(L"Zeile 1\nZeile 2")), eMatOk);
  EXPECT_EQ(Get(pLine, 0, 0), eMatOk);
  EXPECT_STREQ(m_Cell.m_pText, L"Zeile 1\nZeile 2");
  EXPECT_EQ(Get(pLine, 0, 1), eMatNoRow);
}

TEST_F(StoreCellRead, UnknownTypeCodeGivesWrongType) {
  CMatTable* pTable = Table(L"X", static_cast<eMatType>(42));
  EXPECT_EQ(Get(pTable, Row(L"r"), 0), eMatWrongType);
  EXPECT_EQ(Set(pTable, Row(L"r"), 0, 0, 1), eMatWrongType);
}

TEST_F(StoreCellRead, ReadsLoadTheBodyAndActivateTheRowsDataset) {
  CMatDatenSatz& first = *Store().GetCurrent();
  CFakeBacking& backing = AttachBacking(first);
  CMatTable* pTable = Table(L"T", eTypeInteger);
  CMatDatenSatz& second = AddDataset(L"BBBB");
  const Handle hForeign = second.CreateHandle(L"fremd");
  Store().SetCurrent(&first);
  EXPECT_EQ(Get(pTable, hForeign, 0), eMatNoRow);
  EXPECT_EQ(Store().GetCurrent(), &second);
  ASSERT_FALSE(backing.m_Loaded.empty());
  EXPECT_EQ(backing.m_Loaded.back(), pTable);
}

}  // namespace
