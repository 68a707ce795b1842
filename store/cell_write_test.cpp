#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/mat_store.h"
#include "store/store_test_util.h"

namespace {

class StoreCellWrite : public CStoreTest {
 protected:
  StoreCellWrite() : m_Dataset(AddDataset()) {}
  eMatManager SetText(CMatTable* p, Handle hRow, int nIndex, const wchar_t* pText, int nField = 0) {
    return Store().SetCellValue(p, hRow, nIndex, nField, CCellInput::Text(pText));
  }
  eMatManager Set(CMatTable* p, Handle hRow, int nIndex, std::uint32_t n, int nField = 0) {
    return Store().SetCellValue(p, hRow, nIndex, nField, CCellInput::Value(n));
  }
  CMatDatenSatz& m_Dataset;
};

TEST_F(StoreCellWrite, ArraysGrowInGroupsOfFourAndKeepTheirCells) {
  CMatTable* pTable = Table(L"A", eTypeStringArray);
  ASSERT_EQ(SetText(pTable, 0, 5, L"fünf"), eMatOk);
  EXPECT_EQ(pTable->m_nRowCount, 6);
  void* pArray = pTable->m_pData;
  ASSERT_EQ(SetText(pTable, 0, 7, L"sieben"), eMatOk);  // still inside the 8 cells
  EXPECT_EQ(pTable->m_pData, pArray);
  EXPECT_EQ(pTable->m_nRowCount, 8);
  ASSERT_EQ(SetText(pTable, 0, 8, nullptr), eMatOk);
  EXPECT_NE(pTable->m_pData, pArray);
  EXPECT_EQ(pTable->m_nRowCount, 9);
  CCell cell;
  ASSERT_EQ(Store().GetCellValue(pTable, cell, 0, 5, 0), eMatOk);
  EXPECT_STREQ(cell.m_pText, L"fünf");
  ASSERT_EQ(Store().GetCellValue(pTable, cell, 0, 0, 0), eMatOk);
  EXPECT_EQ(cell.m_pText, nullptr);
  ASSERT_EQ(SetText(pTable, 0, 2, L"zwei"), eMatOk);
  EXPECT_EQ(pTable->m_nRowCount, 9);  // the count never shrinks
  CMatTable* pWords = Table(L"D", eTypeDWordArray);
  for (int i = 0; i < 100; ++i) ASSERT_EQ(Set(pWords, 0, i, 1000 + i), eMatOk);
  for (int i = 0; i < 100; ++i) ASSERT_EQ(Cell(pWords, 0, i), 1000u + i);
  EXPECT_EQ(pWords->m_nRowCount, 100);
}

// A shorter text overwrites its pool entry in place, a longer one takes a new
// entry. Through either the row's word tells where its text lies, and its
// cell is the pool index alone.
TEST_F(StoreCellWrite, ShorterTextOverwritesInPlaceLongerOneAppends) {
  CMatTable* pTable = Table(L"S", eTypeString);
  const Handle h = Row(L"r");
  auto write = [&](const wchar_t* pText) {
    EXPECT_EQ(SetText(pTable, h, 0, pText), eMatOk);
    std::uint64_t word = 1;
    EXPECT_TRUE(pTable->FindRow(h, word));
    const std::uint32_t nCell = Cell(pTable, h);
    EXPECT_EQ(nCell, static_cast<std::uint32_t>(word));
    if (pText == nullptr) {
      EXPECT_EQ(word, 0u);
    } else {
      EXPECT_EQ(m_Dataset.HintedText(static_cast<std::uint32_t>(word >> 32)),
                m_Dataset.GetPoolText(nCell).Address())
          << pText;
    }
    return nCell;
  };
  const std::uint32_t nFirst = write(L"abc");
  EXPECT_EQ(write(L"xy"), nFirst);
  EXPECT_EQ(m_Dataset.GetPoolText(nFirst).ToString(), L"xy");
  EXPECT_EQ(write(L"wxyz"), nFirst + 1);
  EXPECT_EQ(m_Dataset.GetPoolText(nFirst).ToString(), L"xy");
  EXPECT_EQ(m_Dataset.GetPoolText(nFirst + 1).ToString(), L"wxyz");
  EXPECT_EQ(write(L""), nFirst + 2);  // an empty text gets its own entry
  EXPECT_EQ(m_Dataset.GetPoolText(nFirst + 1).ToString(), L"wxyz");
  EXPECT_EQ(write(nullptr), 0u);
  // Spaces are a text like any other.
  EXPECT_EQ(m_Dataset.GetPoolText(write(L"   ")).ToString(), L"   ");
}

// The texts of a large text table lie together, though another table's texts
// and the handle names are written between them (as an import writes them).
TEST_F(StoreCellWrite, LargeTextTableKeepsItsTextsTogether) {
  CMatTable* pA = Table(L"A", eTypeString);
  CMatTable* pB = Table(L"B", eTypeString);
  std::vector<Handle> rows;
  for (int i = 0; i < 2000; ++i) {
    const Handle h = Row((L"Artikel " + std::to_wstring(i)).c_str());
    ASSERT_EQ(SetText(pA, h, 0, L"aaaa"), eMatOk);
    ASSERT_EQ(SetText(pB, h, 0, L"bbbbbb"), eMatOk);
    rows.push_back(h);
  }
  int nTogether = 0;
  for (std::size_t i = 1500; i < 1600; ++i) {
    // "aaaa" takes 8 bytes: four, the end and the step to the next four.
    const CPoolText text = m_Dataset.GetPoolText(Cell(pA, rows[i]));
    const auto* pBefore =
        static_cast<const char*>(m_Dataset.GetPoolText(Cell(pA, rows[i - 1])).Address());
    nTogether += text.Address() == pBefore + 8 ? 1 : 0;
    EXPECT_EQ(text.ToString(), L"aaaa");
  }
  EXPECT_GE(nTogether, 99);  // at most one step into the lane's next block
}

TEST_F(StoreCellWrite, RowsKeepEachCellAndRefuseIndexesBeyondThem) {
  CMatTable* pTable = Table(L"S", eTypeUniString, 3);
  CMatTable* pInt = Table(L"I", eTypeInteger);
  const Handle h = Row(L"r");
  ASSERT_EQ(SetText(pTable, h, 2, L"zwei"), eMatOk);
  ASSERT_EQ(SetText(pTable, h, 0, L"null"), eMatOk);
  EXPECT_EQ(m_Dataset.GetPoolText(Cell(pTable, h, 2)).ToString(), L"zwei");
  EXPECT_EQ(m_Dataset.GetPoolText(Cell(pTable, h, 0)).ToString(), L"null");
  EXPECT_EQ(Cell(pTable, h, 1), 0u);
  EXPECT_EQ(SetText(pTable, h, 3, L"drei"), eMatIndex);
  ASSERT_EQ(Set(pInt, h, 0, 1), eMatOk);
  EXPECT_EQ(Set(pInt, h, 1, 2), eMatIndex);
  EXPECT_EQ(Set(pInt, h, -1, 2), eMatIndex);
  EXPECT_EQ(Cell(pInt, h), 1u);
  EXPECT_EQ(Set(pInt, 0, 0, 2), eMatNoRow);
}

TEST_F(StoreCellWrite, ValuesOfTheWrongKindAreRefused) {
  CMatTable* pInt = Table(L"I", eTypeInteger);
  CMatTable* pText = Table(L"S", eTypeString);
  CMatTable* pStruct = Table(L"St", eTypeStruct);
  const std::uint32_t def[] = {2, eTypeString, eTypeInteger};
  Store().SetStrucDef(pStruct, def);
  const Handle h = Row(L"r");
  EXPECT_EQ(SetText(pInt, h, 0, L"5"), eMatWrongType);
  EXPECT_EQ(Set(pText, h, 0, 5), eMatWrongType);
  EXPECT_EQ(Set(pStruct, h, 0, 5, 0), eMatWrongType);
  EXPECT_EQ(SetText(pStruct, h, 0, L"x", 1), eMatWrongType);
  EXPECT_EQ(pInt->GetRowCount() + pText->GetRowCount() + pStruct->GetRowCount(), 0u);
  ASSERT_EQ(SetText(pStruct, h, 1, L"Text", 0), eMatOk);
  EXPECT_EQ(m_Dataset.GetPoolText(Cell(pStruct, h, 1, 0)).ToString(), L"Text");
  ASSERT_EQ(SetText(pStruct, h, 1, nullptr, 0), eMatOk);
  EXPECT_EQ(Cell(pStruct, h, 1, 0), 0u);
}

// An importer writes an article's fields of one row at once: the cells must
// be those the writes one by one give, the first refusal answered, and a row
// made only when a field could be written.
TEST_F(StoreCellWrite, StructFieldsAtOnceAsOneByOne) {
  const std::uint32_t def[] = {3, eTypeInteger, eTypeString, eTypeHandle};
  CMatTable* pOnce = Table(L"Einmal", eTypeStruct);
  CMatTable* pEach = Table(L"Einzeln", eTypeStruct);
  Store().SetStrucDef(pOnce, def);
  Store().SetStrucDef(pEach, def);
  const Handle h = Row(L"r");
  const CFieldInput fields[] = {{2, CCellInput::Value(h)},
                                {1, CCellInput::Value(7)},  // a text field: refused
                                {1, CCellInput::Text(L"Rohr")},
                                {5, CCellInput::Value(1)},  // no such field
                                {0, CCellInput::Value(42)}};
  EXPECT_EQ(Store().SetStructFields(pOnce, h, fields, std::size(fields)), eMatWrongType);
  for (const CFieldInput& field : fields)
    Store().SetCellValue(pEach, h, 0, field.m_nField, field.m_Value);
  for (int nField = 0; nField < 3; ++nField) {
    if (nField == 1) {
      EXPECT_EQ(m_Dataset.GetPoolText(Cell(pOnce, h, 0, 1)).ToString(), L"Rohr");
    } else {
      EXPECT_EQ(Cell(pOnce, h, 0, nField), Cell(pEach, h, 0, nField)) << nField;
    }
  }
  EXPECT_EQ(Cell(pOnce, h, 0, 0), 42u);
  const CFieldInput refused[] = {{1, CCellInput::Value(7)}};
  EXPECT_EQ(Store().SetStructFields(pOnce, Row(L"neu"), refused, 1), eMatWrongType);
  EXPECT_EQ(pOnce->GetRowCount(), 1u);
}

TEST_F(StoreCellWrite, VoidRowsCountAndModifiedFlagIsSet) {
  CMatTable* pTable = Table(L"V", eTypeVoid);
  m_Dataset.m_bModified = false;
  ASSERT_EQ(Set(pTable, Row(L"a"), 0, 99), eMatOk);
  ASSERT_EQ(SetText(pTable, Row(L"b"), 0, L"egal"), eMatOk);
  EXPECT_EQ(pTable->m_nRowCount, 2);
  EXPECT_TRUE(m_Dataset.m_bModified);
}

TEST_F(StoreCellWrite, LockedDatasetChangesNothing) {
  CFakeBacking& backing = AttachBacking(m_Dataset);
  CMatTable* pTable = Table(L"I", eTypeInteger);
  const Handle h = Row(L"r");
  backing.m_bLockedByOther = true;
  m_Dataset.m_bModified = false;
  EXPECT_EQ(Set(pTable, h, 0, 1), eMatLocked);
  EXPECT_TRUE(backing.m_Takes.back());  // a write takes a free lock
  EXPECT_EQ(Store().AddRow(pTable, h), eMatLocked);
  EXPECT_EQ(pTable->GetRowCount(), 0u);
  EXPECT_FALSE(m_Dataset.m_bModified);
  backing.m_bLockedByOther = false;
  backing.m_Loaded.clear();
  EXPECT_EQ(Set(pTable, h, 0, 1), eMatOk);
  ASSERT_EQ(backing.m_Loaded.size(), 1u);  // rows on disk come in before the write
  EXPECT_EQ(backing.m_Loaded[0], pTable);
}

TEST_F(StoreCellWrite, TextsOfAForeignRowStayInTheTablesDataset) {
  CMatTable* pTable = Table(L"S", eTypeString);
  CMatDatenSatz& other = AddDataset(L"BBBB");
  const Handle hForeign = other.CreateHandle(L"fremd");
  ASSERT_EQ(SetText(pTable, hForeign, 0, L"Text"), eMatOk);
  EXPECT_EQ(Store().GetCurrent(), &other);
  EXPECT_EQ(other.GetPoolCount(), 0u);
  EXPECT_EQ(m_Dataset.GetPoolText(Cell(pTable, hForeign)).ToString(), L"Text");
}

TEST_F(StoreCellWrite, OversizedRequestsFailOnceWithoutCrashing) {
  CMatTable* pStruct = Table(L"St", eTypeStruct);
  const std::uint32_t def[] = {4, eTypeInteger, eTypeInteger, eTypeInteger, eTypeInteger};
  Store().SetStrucDef(pStruct, def);
  CMatTable* pArray = Table(L"A", eTypeStringArray);
  CMatTable* pText = Table(L"S", eTypeString);
  CMatTable* pLine = Table(L"L", eTypeStrLine);
  const Handle h = Row(L"r");
  ASSERT_EQ(Set(pStruct, h, 0, 7, 3), eMatOk);
  EXPECT_EQ(Set(pStruct, h, 0x7FFFFFFF, 1, 0), eMatIndex);
  EXPECT_EQ(m_UI.Count(), 1u);
  EXPECT_EQ(Cell(pStruct, h, 0, 3), 7u);  // the row keeps its block
  EXPECT_EQ(SetText(pArray, 0, 100000, L"x"), eMatIndex);
  EXPECT_EQ(pArray->m_nRowCount, 0);
  const std::wstring huge(0x40000, L'y');  // beyond a request of the arena, also at a byte each
  EXPECT_EQ(SetText(pText, h, 0, huge.c_str()), eMatIndex);
  EXPECT_EQ(SetText(pLine, 0, 0, huge.c_str()), eMatIndex);
  EXPECT_EQ(m_UI.Count(), 4u);
  EXPECT_TRUE(m_UI.HasMessageContaining(L"Memory allocation failed"));
}

}  // namespace
