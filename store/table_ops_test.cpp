#include <gtest/gtest.h>

#include "store/mat_store.h"
#include "store/store_test_util.h"

namespace {

using StoreTables = CStoreTest;

TEST_F(StoreTables, CreateTableLinksAndNamesTheTable) {
  CMatDatenSatz& dataset = AddDataset();
  CMatTable* pTop = Table(L"Heizkörper", eTypeStruct, 1);
  ASSERT_NE(pTop, nullptr);
  CMatTable* pChild = Table(L"Text", eTypeStrLine, 1, pTop);
  EXPECT_EQ(pTop->m_pDatenSatz, &dataset);
  EXPECT_EQ(pTop->m_nState, 1u);
  EXPECT_EQ(pTop->m_strName, L"Heizkörper");
  EXPECT_STREQ(Store().HdlToString(pTop->m_hName), L"Heizkörper");
  ASSERT_EQ(dataset.m_Tables.size(), 1u);
  ASSERT_EQ(pTop->m_Children.size(), 1u);
  EXPECT_EQ(pTop->m_Children[0].get(), pChild);
  EXPECT_EQ(pChild->m_pParent, pTop);
  EXPECT_EQ(pChild->m_nType, unsigned{eTypeStrLine});
  // A second table of the same name takes the existing name handle.
  CMatTable* pTwin = Table(L"Heizkörper", eTypeInteger);
  EXPECT_EQ(pTwin->m_hName, pTop->m_hName);
  EXPECT_EQ(CMatStore::FindChildByHandle(pTop, pChild->m_hName), pChild);
  EXPECT_EQ(CMatStore::FindChildByHandle(nullptr, pChild->m_hName), nullptr);
}

TEST_F(StoreTables, ChildIsMadeInItsParentsDataset) {
  CMatDatenSatz& first = AddDataset(L"AAAA");
  CMatTable* pTop = Table(L"Oben", eTypeInteger);
  CMatDatenSatz& second = AddDataset(L"BBBB");
  CMatTable* pChild = Table(L"Kind", eTypeInteger, 1, pTop);
  EXPECT_EQ(pChild->m_pDatenSatz, &first);
  EXPECT_TRUE(first.OwnsHandle(pChild->m_hName));
  EXPECT_EQ(second.FindHandle(L"Kind"), 0u);
}

TEST_F(StoreTables, LockedDatasetRefusesChanges) {
  CMatDatenSatz& dataset = AddDataset();
  CMatTable* pTable = Table(L"T", eTypeInteger);
  CFakeBacking& backing = AttachBacking(dataset);
  backing.m_bLockedByOther = true;
  EXPECT_EQ(Table(L"U", eTypeInteger), nullptr);
  EXPECT_FALSE(backing.m_Takes.back());  // making a table never takes the lock
  EXPECT_EQ(Store().RenameTable(pTable, L"V"), eMatLocked);
  EXPECT_TRUE(backing.m_Takes.back());
  EXPECT_EQ(Store().RemoveTable(pTable), eMatLocked);
  const std::uint32_t def[] = {1, eTypeInteger};
  EXPECT_EQ(Store().SetStrucDef(pTable, def), eMatLocked);
  EXPECT_EQ(Store().SetFlags(pTable, 8, 0), eMatLocked);
  Store().SetBeschreibung(pTable, L"Kommentar");
  EXPECT_EQ(pTable->m_strName, L"T");
  EXPECT_EQ(pTable->m_nFlags, 0u);
  EXPECT_EQ(pTable->m_strBeschreibung, L"");
  EXPECT_EQ(dataset.m_Tables.size(), 1u);
}

TEST_F(StoreTables, RemoveTableMovesItOutOfTheTreeAndKeepsItAlive) {
  CMatDatenSatz& dataset = AddDataset();
  CMatTable* pTop = Table(L"Oben", eTypeInteger);
  CMatTable* pChild = Table(L"Kind", eTypeInteger, 1, pTop);
  CMatTable* pGrandChild = Table(L"Enkel", eTypeInteger, 1, pChild);
  EXPECT_EQ(Store().RemoveTable(pGrandChild), eMatOk);
  EXPECT_TRUE(pChild->m_Children.empty());
  ASSERT_EQ(dataset.m_RemovedTables.size(), 1u);
  EXPECT_EQ(dataset.m_RemovedTables[0].get(), pGrandChild);
  EXPECT_EQ(Store().RemoveTable(pGrandChild), eMatNoTable);
  EXPECT_EQ(Store().RemoveTable(nullptr), eMatNoTable);
  // A table of another dataset is not in the current tree.
  AddDataset(L"BBBB");
  EXPECT_EQ(Store().RemoveTable(pTop), eMatNoTable);
  Store().SetCurrent(&dataset);
  EXPECT_EQ(Store().RemoveTable(pTop), eMatOk);
  EXPECT_TRUE(dataset.m_Tables.empty());
  EXPECT_EQ(pChild->m_pParent, pTop);  // the subtree moves whole
}

TEST_F(StoreTables, RenameTableKeepsTheNameOfTablesSharingIt) {
  CMatDatenSatz& dataset = AddDataset();
  CMatTable* pA = Table(L"Gleich", eTypeInteger);
  CMatTable* pB = Table(L"Gleich", eTypeInteger);
  const Handle hOld = pA->m_hName;
  EXPECT_EQ(Store().RenameTable(pA, L"Anders"), eMatOk);
  EXPECT_EQ(pA->m_strName, L"Anders");
  EXPECT_STREQ(Store().HdlToString(pA->m_hName), L"Anders");
  EXPECT_STREQ(Store().HdlToString(pB->m_hName), L"Gleich");
  EXPECT_EQ(Store().RenameTable(pB, L"Drittens"), eMatOk);
  // Now nobody carries the old name: it goes.
  EXPECT_EQ(Store().HdlToString(hOld), nullptr);
  EXPECT_EQ(dataset.FindHandle(L"Gleich"), 0u);
  EXPECT_EQ(Store().RenameTable(pB, L""), eMatNoHandle);
  EXPECT_EQ(Store().RenameTable(pB, nullptr), eMatNoHandle);
  EXPECT_EQ(pB->m_strName, L"Drittens");
  EXPECT_EQ(Store().RenameTable(nullptr, L"X"), eMatNoTable);
}

TEST_F(StoreTables, StrucDefIsCopiedAndNotChangedUnderExistingRows) {
  AddDataset();
  CMatTable* pTable = Table(L"S", eTypeStruct);
  std::uint32_t def[] = {2, eTypeHandle, eTypeInteger};
  ASSERT_EQ(Store().SetStrucDef(pTable, def), eMatOk);
  def[0] = 9;  // the table keeps its own copy
  EXPECT_EQ(pTable->GetFieldCount(), 2u);
  EXPECT_EQ(Store().SetStrucDef(pTable, nullptr), eMatWrongType);
  EXPECT_EQ(Store().SetStrucDef(nullptr, def), eMatNoTable);
  ASSERT_EQ(Store().SetCellValue(pTable, Row(L"r"), 0, 1, CCellInput::Value(5)), eMatOk);
  const std::uint32_t wider[] = {3, eTypeHandle, eTypeInteger, eTypeFloat};
  EXPECT_EQ(Store().SetStrucDef(pTable, wider), eMatWrongType);
  const std::uint32_t retyped[] = {2, eTypeInteger, eTypeInteger};
  EXPECT_EQ(Store().SetStrucDef(pTable, retyped), eMatOk);
}

TEST_F(StoreTables, FlagsDescriptionAndAliases) {
  CMatDatenSatz& dataset = AddDataset();
  CMatTable* pTable = Table(L"T", eTypeInteger);
  CMatTable* pText = Table(L"L", eTypeStrLine);
  dataset.m_bModified = false;
  EXPECT_EQ(Store().SetFlags(pTable, 0, 8), eMatOk);
  EXPECT_FALSE(dataset.m_bModified);  // no change, no mark
  EXPECT_EQ(Store().SetFlags(pTable, 8 | 4, 4), eMatOk);
  EXPECT_EQ(pTable->m_nFlags, 8u);
  EXPECT_TRUE(dataset.m_bModified);
  Store().SetBeschreibung(pTable, L"Kommentar");
  Store().SetBeschreibung(pText, L"Kommentar");
  Store().SetBeschreibung(nullptr, L"Kommentar");
  EXPECT_EQ(pTable->m_strBeschreibung, L"Kommentar");
  EXPECT_EQ(pText->m_strBeschreibung, L"");
  Store().AddAlias(L"HK", L"Heizkörper.Typen");
  Store().AddAlias(nullptr, L"x");
  ASSERT_EQ(dataset.m_Aliases.size(), 1u);
  EXPECT_EQ(dataset.m_Aliases[0].first, L"HK");
  EXPECT_EQ(dataset.m_Aliases[0].second, L"Heizkörper.Typen");
}

TEST_F(StoreTables, DeleteContentsEmptiesRowsArraysAndChildren) {
  AddDataset();
  CMatTable* pTable = Table(L"T", eTypeInteger);
  CMatTable* pChild = Table(L"K", eTypeDWordArray, 1, pTable);
  Store().SetCellValue(pTable, Row(L"r"), 0, 0, CCellInput::Value(1));
  Store().SetCellValue(pChild, 0, 2, 0, CCellInput::Value(1));
  pTable->DeleteContents();
  EXPECT_EQ(pTable->GetRowCount(), 0u);
  EXPECT_EQ(pTable->m_nRowCount, 0);
  EXPECT_TRUE(pTable->m_Children.empty());
  CMatTable* pArray = Table(L"A", eTypeStringArray);
  Store().SetCellValue(pArray, 0, 1, 0, CCellInput::Text(L"x"));
  pArray->DeleteContents();
  CCell cell;
  EXPECT_EQ(Store().GetCellValue(pArray, cell, 0, 0, 0), eMatIndex);
}

}  // namespace
