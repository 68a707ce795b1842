#include "store/mmd/mmd_test_fixture.h"

#include <bit>

void CMmdTest::BuildSample(CMatDatenSatz& dataset) {
  ASSERT_EQ(Store().GetCurrent(), &dataset);
  CMatTable* pHdl = Table(L"Verweise", eTypeHandle);
  Set(pHdl, H(L"a1"), H(L"Ziel"));
  Set(pHdl, H(L"a2"), 0);  // a handle cell of 0 stays 0
  pHdl->m_strRegStr1 = L"reg1";
  pHdl->m_strRegStr3 = L"reg3";
  pHdl->m_strBeschreibung = L"Kommentar äöü";
  pHdl->m_hDefaultItem = H(L"a1");
  pHdl->m_nFlags |= 0x200;

  CMatTable* pStr = Table(L"KurzText", eTypeString);
  SetText(pStr, H(L"a1"), L"Grüße €");
  SetText(pStr, H(L"a2"), L"zweite");
  CMatTable* pMulti = Table(L"Preis", eTypeFloat, 2);
  Set(pMulti, H(L"a1"), std::bit_cast<std::uint32_t>(1.5f), 1);
  CMatTable* pInts = Table(L"Zahlen", eTypeInteger, 3);
  Set(pInts, H(L"a1"), std::uint32_t(-7), 2);
  Store().AddRow(pInts, H(L"a2"));  // no cell array yet: all cells 0
  CMatTable* pStrs = Table(L"Namen", eTypeString, 2, pStr);
  SetText(pStrs, H(L"a1"), L"links", 0);
  SetText(pStrs, H(L"a1"), L"rechts", 1);

  CMatTable* pStruct = Table(L"ArtikelInfo1", eTypeStruct);
  const std::uint32_t def[] = {3, eTypeHandle, eTypeString, eTypeInteger};
  ASSERT_EQ(Store().SetStrucDef(pStruct, def), eMatOk);
  Set(pStruct, H(L"a1"), H(L"Stck"), 0, 0);
  SetText(pStruct, H(L"a1"), L"Suchwort", 1, 1);
  Set(pStruct, H(L"a1"), 42, 1, 2);

  Store().AddRow(Table(L"Leer", eTypeVoid), H(L"a1"));
  Store().AddRow(Table(L"Bits", eTypeBit), H(L"a2"));
  CMatTable* pArr = Table(L"Liste", eTypeStringArray);
  SetText(pArr, 0, L"eins", 0);
  SetText(pArr, 0, L"fünf", 4);
  CMatTable* pDw = Table(L"Worte", eTypeDWordArray);
  Set(pDw, 0, 0xDEADBEEF, 1);
  CMatTable* pBlock = Table(L"Block", eTypeStrLine, 1, pHdl);
  SetText(pBlock, 0, L"Zeile 1\r\nZeile 2");
  CMatTable* pBig = Table(L"Gross", eTypeInteger);
  for (int i = 0; i < 300; ++i) Set(pBig, H((L"r" + std::to_wstring(i)).c_str()), std::uint32_t(i));
}

void CMmdTest::ExpectSample(CMatDatenSatz& dataset) {
  EXPECT_EQ(Store().FindHandle(L"a1") & 0xFF000000u, dataset.GetPrefix());
  CMatTable* pHdl = Find(dataset, L"Verweise");
  ASSERT_NE(pHdl, nullptr);
  // The skeleton knows the rows are there before they are read.
  EXPECT_EQ(pHdl->m_nRowCount, 2);
  EXPECT_EQ(pHdl->GetRowCount(), 0u);
  EXPECT_EQ(Cell(pHdl, H(L"a1")), H(L"Ziel"));
  EXPECT_EQ(pHdl->GetRowCount(), 2u);
  EXPECT_EQ(Store().RowExists(pHdl, H(L"a2")), eMatOk);
  EXPECT_EQ(Cell(pHdl, H(L"a2")), 0u);
  EXPECT_EQ(pHdl->m_strRegStr1, L"reg1");
  EXPECT_EQ(pHdl->m_strRegStr2, L"");
  EXPECT_EQ(pHdl->m_strRegStr3, L"reg3");
  EXPECT_EQ(pHdl->m_strBeschreibung, L"Kommentar äöü");
  EXPECT_EQ(pHdl->m_hDefaultItem, H(L"a1"));
  EXPECT_EQ(pHdl->m_nFlags & 0x200u, 0x200u);
  EXPECT_EQ(pHdl->m_nState, 1u);

  CMatTable* pStr = Find(dataset, L"KurzText");
  ASSERT_NE(pStr, nullptr);
  EXPECT_EQ(GetText(pStr, H(L"a1")), L"Grüße €");
  EXPECT_EQ(GetText(pStr, H(L"a2")), L"zweite");
  EXPECT_EQ(pStr->m_nState, 0u);  // no first RegStr
  EXPECT_EQ(Cell(Find(dataset, L"Preis"), H(L"a1"), 1), std::bit_cast<std::uint32_t>(1.5f));
  EXPECT_EQ(Cell(Find(dataset, L"Preis"), H(L"a1"), 0), 0u);
  EXPECT_EQ(Cell(Find(dataset, L"Zahlen"), H(L"a1"), 2), std::uint32_t(-7));
  EXPECT_EQ(Store().RowExists(Find(dataset, L"Zahlen"), H(L"a2")), eMatOk);
  EXPECT_EQ(Cell(Find(dataset, L"Zahlen"), H(L"a2"), 1), 0u);
  EXPECT_EQ(GetText(Find(dataset, L"KurzText", L"Namen"), H(L"a1"), 1), L"rechts");

  CMatTable* pStruct = Find(dataset, L"ArtikelInfo1");
  ASSERT_NE(pStruct, nullptr);
  ASSERT_EQ(pStruct->GetFieldCount(), 3u);
  EXPECT_EQ(Cell(pStruct, H(L"a1"), 0, 0), H(L"Stck"));
  EXPECT_EQ(GetText(pStruct, H(L"a1"), 1, 1), L"Suchwort");
  EXPECT_EQ(Cell(pStruct, H(L"a1"), 1, 2), 42u);
  CCell cell;
  EXPECT_EQ(Store().GetCellValue(pStruct, cell, H(L"a1"), 1, 0), eMatEmptyHandle);

  EXPECT_EQ(Store().RowExists(Find(dataset, L"Leer"), H(L"a1")), eMatOk);
  EXPECT_EQ(Store().RowExists(Find(dataset, L"Bits"), H(L"a2")), eMatOk);
  CMatTable* pArr = Find(dataset, L"Liste");
  EXPECT_EQ(GetText(pArr, 0, 0), L"eins");
  EXPECT_EQ(GetText(pArr, 0, 4), L"fünf");
  EXPECT_EQ(pArr->m_nRowCount, 5);
  EXPECT_EQ(Cell(Find(dataset, L"Worte"), 0, 1), 0xDEADBEEFu);
  EXPECT_EQ(GetText(Find(dataset, L"Verweise", L"Block"), 0), L"Zeile 1\r\nZeile 2");
  CMatTable* pBig = Find(dataset, L"Gross");
  EXPECT_EQ(Cell(pBig, H(L"r299")), 299u);
  EXPECT_FALSE(pBig->m_bListMode);
  EXPECT_TRUE(pStr->m_bListMode);
  EXPECT_EQ(pStr->m_nFlags & 16u, 0u);  // list mode for speed is not the table's flag
}
