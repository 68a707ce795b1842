#include "store/mat_store.h"

#include <gtest/gtest.h>

#include "store/store_test_util.h"

namespace {

using StoreDatasets = CStoreTest;

TEST_F(StoreDatasets, ActivationFollowsTheHandleByteAndIgnoresUnknownDatasets) {
  CMatDatenSatz& first = AddDataset(L"AAAA");
  CMatDatenSatz& second = AddDataset(L"BBBB");
  const Handle hFirst = first.CreateHandle(L"x");
  // Dataset 6 and 254 do not exist, 0 is no handle.
  for (const Handle h : {hFirst, 0x07000002u, 0u, 0xFF000002u}) {
    Store().ActivateDataset(h);
    EXPECT_EQ(Store().GetCurrent(), &first) << h;
  }
  Store().ActivateDataset(second.GetPrefix() | 5);
  EXPECT_EQ(Store().GetCurrent(), &second);
}

TEST_F(StoreDatasets, NoCurrentDatasetMakesNothing) {
  EXPECT_EQ(Store().CreateHandle(L"A"), 0u);
  EXPECT_EQ(Store().FindHandle(L"A"), 0u);
  EXPECT_EQ(Store().HdlToString(0x01000002), nullptr);
  EXPECT_EQ(Store().CreateTable(nullptr, L"T", eTypeInteger, 1), nullptr);
  EXPECT_EQ(Store().RemoveHandle(0x01000002), eMatNoHandle);
  Store().AddAlias(L"a", L"b");
}

TEST_F(StoreDatasets, StoreHoldsAtMost255Datasets) {
  for (int i = 0; i < 255; ++i)
    ASSERT_NE(Store().AddDataset(std::make_unique<CMatDatenSatz>()), nullptr);
  EXPECT_EQ(Store().AddDataset(std::make_unique<CMatDatenSatz>()), nullptr);
  EXPECT_EQ(Store().GetDataset(254)->GetPrefix(), 0xFF000000u);
  Store().RemoveAllDatasets();
  EXPECT_EQ(Store().GetDatasetCount(), 0u);
  EXPECT_EQ(Store().GetCurrent(), nullptr);
}

TEST_F(StoreDatasets, FindHandleWithAnIdLooksInThatDataset) {
  CMatDatenSatz& first = AddDataset(L"AAAA");
  CMatDatenSatz& second = AddDataset(L"BBBB");
  const Handle h = first.CreateHandle(L"Rohr");
  second.CreateHandle(L"Rohr");
  EXPECT_EQ(Store().FindHandle(L"AAAA\\Rohr"), h);
  EXPECT_EQ(Store().GetCurrent(), &first);
  // An unknown ID finds nothing and leaves the current dataset as it is.
  EXPECT_EQ(Store().FindHandle(L"CCCC\\Rohr"), 0u);
  EXPECT_EQ(Store().GetCurrent(), &first);
  // The ID is compared exactly; a backslash at position 0 does not separate.
  EXPECT_EQ(Store().FindHandle(L"aaaa\\Rohr"), 0u);
  EXPECT_EQ(Store().FindHandle(L"\\Rohr"), 0u);
}

TEST_F(StoreDatasets, FindHandleLoadsTheCurrentDatasetFirst) {
  CMatDatenSatz& dataset = AddDataset();
  CFakeBacking& backing = AttachBacking(dataset);
  Store().FindHandle(L"x");
  EXPECT_EQ(backing.m_nDatasetLoads, 1);
}

TEST_F(StoreDatasets, MakingADatasetCurrentPicksItsStringTableInTheUserLanguage) {
  m_Translation.SetActualLanguage(L"EN");
  CMatDatenSatz& withChild = AddDataset(L"AAAA");
  CMatTable* pStrings = Table(L"StringTable", eTypeString);
  Table(L"DE", eTypeString, 1, pStrings);
  CMatTable* pEnglish = Table(L"en", eTypeString, 1, pStrings);
  CMatDatenSatz& withoutChild = AddDataset(L"BBBB");
  CMatTable* pOnlyTop = Table(L"STRINGTABLE", eTypeString);
  CFakeBacking& backing = AttachBacking(withoutChild);
  CMatDatenSatz& withNone = AddDataset(L"CCCC");

  Store().SetCurrent(&withChild);
  EXPECT_EQ(withChild.m_pStringTable, pEnglish);
  Store().SetCurrent(&withoutChild);
  EXPECT_EQ(withoutChild.m_pStringTable, pOnlyTop);
  EXPECT_EQ(backing.m_nDatasetLoads, 1);  // its tables may still be in its file
  EXPECT_EQ(withNone.m_pStringTable, nullptr);
  // Once picked, the choice stays; the file is not asked again.
  withChild.m_pStringTable = pStrings;
  Store().SetCurrent(&withChild);
  Store().SetCurrent(&withoutChild);
  EXPECT_EQ(withChild.m_pStringTable, pStrings);
  EXPECT_EQ(backing.m_nDatasetLoads, 1);
}

TEST_F(StoreDatasets, HandleTextIsFoundAndRenamedOnlyInItsOwnDataset) {
  CMatDatenSatz& first = AddDataset(L"AAAA");
  const Handle h = first.CreateHandle(L"Kessel");
  AddDataset(L"BBBB");
  EXPECT_STREQ(Store().HdlToString(h), L"Kessel");
  EXPECT_EQ(Store().GetCurrent(), &first);
  EXPECT_EQ(Store().HdlToString(h + 1), nullptr);
  EXPECT_EQ(Store().HdlToString(0x09000002), nullptr);
  Store().RenameHandle(0x05000000 | (h & 0xFFFFFF), L"Kessel 2");  // of no dataset
  EXPECT_EQ(first.FindHandle(L"Kessel 2"), 0u);
  Store().RenameHandle(h, L"Kessel 2");
  EXPECT_STREQ(Store().HdlToString(h), L"Kessel 2");
}

TEST_F(StoreDatasets, RemoveHandleTakesTheRowFromTablesAndTheirChildren) {
  CMatDatenSatz& dataset = AddDataset();
  CFakeBacking& backing = AttachBacking(dataset);
  CMatTable* pTop = Table(L"Oben", eTypeInteger);
  CMatTable* pChild = Table(L"Kind", eTypeInteger, 1, pTop);
  CMatTable* pGrandChild = Table(L"Enkel", eTypeInteger, 1, pChild);
  const Handle h = Row(L"Artikel");
  const wchar_t* pText = Store().HdlToString(h);
  for (CMatTable* p : {pTop, pChild, pGrandChild})
    Store().SetCellValue(p, h, 0, 0, CCellInput::Value(1));
  dataset.m_bModified = false;
  EXPECT_EQ(Store().RemoveHandle(h), eMatOk);
  EXPECT_EQ(Store().RowExists(pTop, h), eMatNoRow);
  EXPECT_EQ(Store().RowExists(pChild, h), eMatNoRow);
  EXPECT_EQ(Store().RowExists(pGrandChild, h), eMatOk);  // only direct children
  EXPECT_EQ(pTop->m_nRowCount, 0);
  EXPECT_EQ(Store().FindHandle(L"Artikel"), 0u);
  EXPECT_EQ(Store().HdlToString(h), nullptr);
  EXPECT_STREQ(pText, L"");
  EXPECT_TRUE(dataset.m_bModified);
  EXPECT_GE(backing.m_Loaded.size(), 2u);

  const Handle h2 = Row(L"Zweiter");
  backing.m_bLockedByOther = true;
  EXPECT_EQ(Store().RemoveHandle(h2), eMatLocked);
  EXPECT_STREQ(Store().HdlToString(h2), L"Zweiter");
}

}  // namespace
