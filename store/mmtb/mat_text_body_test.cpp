#include <gtest/gtest.h>

#include "store/mmtb/mmtb_test_util.h"

namespace {

using MatTextBody = CMmtbTest;

TEST_F(MatTextBody, NestedBlocksMakeChildTablesWithHeadAndKeywords) {
  ASSERT_TRUE(
      Read(L"; a comment\r\n"
           L"[MMTB]\r\n"
           L"\r\n"
           L"(*Artikel*)(**)I,1\r\n"
           L"RegStr(*r1*)(*r2*)(*r3*)\r\n"
           L"Comment(*line one\r\nline two*)\r\n"
           L"  [MMTB]\r\n"
           L"  (*Preise*)(*Artikel*)F,2\r\n"
           L"  [Ende_MMTB]\r\n"
           L"(*a1*) 5\r\n"
           L"[Ende_MMTB]\r\n"))
      << Texts();
  EXPECT_EQ(m_UI.Count(), 0u) << Texts();
  CMatTable* pTable = Top(L"Artikel");
  ASSERT_NE(pTable, nullptr);
  EXPECT_EQ(pTable->m_strRegStr1, L"r1");
  EXPECT_EQ(pTable->m_strRegStr3, L"r3");
  EXPECT_EQ(pTable->m_strBeschreibung, L"line one\r\nline two");
  ASSERT_EQ(pTable->m_Children.size(), 1u);
  EXPECT_EQ(pTable->m_Children[0]->m_strName, L"Preise");  // types and rows: the round trip
  EXPECT_EQ(Cell(pTable, L"a1"), 5u);
  EXPECT_TRUE(m_pDataset->m_bModified);
}

TEST_F(MatTextBody, ABlockReadsIntoAnExistingTableInsteadOfMakingASecond) {
  const wchar_t* pText =
      L"[MMTB]\n(*T*)(**)I,1\n[MMTB]\n(*C*)(*T*)I,1\n(*x*) 1\n[Ende_MMTB]\n[Ende_MMTB]\n";
  ASSERT_TRUE(Read(pText));
  // The second time the child is found by its name; top-level names compare
  // without regard to case.
  ASSERT_TRUE(
      Read(L"[MMTB]\n(*t*)(**)I,1\n[MMTB]\n(*C*)(*t*)I,1\n(*y*) 2\n[Ende_MMTB]\n"
           L"[Ende_MMTB]\n"));
  ASSERT_EQ(m_pDataset->m_Tables.size(), 1u);
  CMatTable* pTable = Top(L"T");
  ASSERT_EQ(pTable->m_Children.size(), 1u);
  EXPECT_EQ(pTable->m_Children[0]->m_nRowCount, 2);
}

TEST_F(MatTextBody, EndWarningsAndTheQuietEndOfText) {
  ASSERT_TRUE(
      Read(L"[MMTB]\n(*A*)(**)I,1\n(*r*) 1\n[Ende]\n"
           L"[MMTB]\n(*B*)(**)V,1\nDefaultitem(*gone*)\n(*r*)\n[Ende_MMTB]\n"
           L"[MMTB]\n(*C*)(**)V,1\nDefaultitem(*r*)\n(*r*)\n[Ende_MMTB]\n"
           L"[MMTB]\n(*D*)(**)I,1\n(*r*) 4\n"));
  ASSERT_EQ(m_UI.Count(), 2u) << Texts();
  EXPECT_EQ(m_UI.GetMessages()[0].strText, L"Tabelle <A> ist nicht mit [Ende_MMTB] abgeschlossen");
  EXPECT_EQ(m_UI.GetMessages()[0].nStyle, unsigned{MB_OK | MB_ICONINFORMATION});
  EXPECT_EQ(m_UI.GetMessages()[1].strText, L"Tabelle <B> hat den defaultitem gone nicht");
  EXPECT_EQ(m_UI.GetMessages()[1].nStyle, unsigned{MB_OK | MB_ICONINFORMATION});
  EXPECT_EQ(Top(L"B")->m_hDefaultItem, Name(L"gone"));
  EXPECT_EQ(Cell(Top(L"D"), L"r"), 4u);
  // A default item that names a child is there too.
  m_UI.Clear();
  ASSERT_TRUE(
      Read(L"[MMTB]\n(*E*)(**)V,1\nDefaultitem(*K*)\n[MMTB]\n(*K*)(*E*)V,1\n"
           L"[Ende_MMTB]\n[Ende_MMTB]\n"));
  EXPECT_EQ(m_UI.Count(), 0u) << Texts();
}

TEST_F(MatTextBody, ATableNameWithADotWarnsAndNoNameIsAnError) {
  ASSERT_TRUE(Read(L"[MMTB]\n(*a.b*)(**)I,1\n(*r*) 3\n[Ende_MMTB]\n"));
  EXPECT_EQ(m_UI.LastText(),
            L"Tabelle <a.b> enthält das '.' Zeichen. Das ist Bei TabellenNamen nicht erlaubt");
  EXPECT_EQ(Cell(Top(L"a.b"), L"r"), 3u);
  // A block without a name is an error.
  EXPECT_FALSE(Read(L"[MMTB]\n(**)(**)I,1\n(*r*) 1\n"));
  EXPECT_EQ(m_UI.LastText(),
            L"Datei: test.mmtb, Zeile:2 Die Tabelle <> kann nicht angelegt werden.");
  // "[MMTB]" as the last line reads nothing.
  m_UI.Clear();
  EXPECT_TRUE(Read(L"[MMTB]\n\n; nothing follows\n"));
  EXPECT_EQ(m_UI.Count(), 0u);
}

TEST_F(MatTextBody, HashTableSizeBeforeRowsSetsTheModeAfterRowsIsIgnored) {
  ASSERT_TRUE(
      Read(L"[MMTB]\n(*L*)(**)I,1\nHashTableSize=1\n(*c*) 1\n(*a*) 2\n(*b*) 3\n"
           L"[Ende_MMTB]\n"
           L"[MMTB]\n(*M*)(**)I,1\nHashTableSize=1000\n(*x*) 1\nHashTableSize=5\n"
           L"[Ende_MMTB]\n"
           L"[MMTB]\n(*N*)(**)I,1\nHashTableSize=1\n(*x*) 1\nHashTableSize=5\n"
           L"[Ende_MMTB]\n"));
  CMatTable* pList = Top(L"L");
  EXPECT_TRUE(pList->m_bListMode);
  EXPECT_TRUE(pList->m_nFlags & eFlagListMode);
  std::uint64_t word = 0;
  CString order;
  for (POSITION pos = pList->GetFirstRowPosition(); pos != nullptr;)
    m_pDataset->GetName(pList->GetNextRow(pos, word)).AppendTo(order);
  EXPECT_EQ(order, L"cab");
  EXPECT_FALSE(Top(L"M")->m_bListMode);
  // After the first row: the message, unless the table is in list mode.
  ASSERT_EQ(m_UI.Count(), 1u) << Texts();
  EXPECT_EQ(m_UI.LastText(),
            L"Tabelle <M> HashTableSize=n, Wird ignoriert da Tabelle nicht leer ist");
  // A size larger than the text could fill is not reserved.
  ASSERT_TRUE(Read(L"[MMTB]\n(*Big*)(**)I,1\nHashTableSize=2000000000\n[Ende_MMTB]\n"));
  EXPECT_LT(Top(L"Big")->m_Rows.GetMemoryBytes(), 100000u);
}

TEST_F(MatTextBody, StrucDefSetsOnceAndComparesAfterwards) {
  ASSERT_TRUE(
      Read(L"[MMTB]\n(*S*)(**)S,1\nStrucDef=3,H,C,I\nStrucDef=3,H,C,F\n"
           L"StrucDef=2,H,C\n[Ende_MMTB]\n"
           L"[MMTB]\n(*NoStruct*)(**)I,1\nStrucDef=1,H\n[Ende_MMTB]\n"));
  const std::uint32_t* pDef = Top(L"S")->m_pStrucDef;
  ASSERT_NE(pDef, nullptr);
  EXPECT_EQ(pDef[0], 3u);
  EXPECT_EQ(pDef[3], std::uint32_t{eTypeInteger});
  EXPECT_EQ(Top(L"NoStruct")->m_pStrucDef, nullptr);
  ASSERT_EQ(m_UI.Count(), 2u) << Texts();
  EXPECT_EQ(m_UI.GetMessages()[0].strText,
            L"test.mmtb: Zeile:3 Tabelle mit dem Typ Strukt. Unterschiedliche strukturdefinition");
  EXPECT_EQ(m_UI.GetMessages()[1].strText,
            L"test.mmtb: Zeile:4 Tabelle mit dem Typ Strukt. Unterschiedliche strukturdefinition");
}

TEST_F(MatTextBody, StrucDefWhoseCountDisagreesTakesTheTypesGiven) {
  ASSERT_TRUE(Read(L"[MMTB]\n(*S*)(**)S,1\nStrucDef=5,H,I\n(*r*)[1] (*a*) 7\n[Ende_MMTB]\n"));
  EXPECT_EQ(Top(L"S")->m_pStrucDef[0], 2u);
  EXPECT_EQ(m_UI.LastText(),
            L"test.mmtb: Zeile:2 Tabelle mit dem Typ Strukt. StrucDef nennt 5 Felder, gibt aber 2 "
            L"Typen an");
  EXPECT_EQ(Cell(Top(L"S"), L"r", 0, 1), 7u);
}

TEST_F(MatTextBody, UnknownTypesStopReading) {
  EXPECT_FALSE(Read(L"[MMTB]\n(*Q*)(**)Q,1\n(*r*) 1\n[Ende_MMTB]\n"));
  EXPECT_EQ(m_UI.LastText(),
            L"Datei: test.mmtb, Zeile:1 Die Tabelle <Q> hat einen unbekannten Typ.");
  EXPECT_EQ(m_UI.LastStyle(), unsigned{MB_OK | MB_ICONERROR});
  EXPECT_EQ(Top(L"Q"), nullptr);
  EXPECT_FALSE(Read(L"[MMTB]\n(*N*)(**)11,1\n[Ende_MMTB]\n"));
  EXPECT_FALSE(Read(L"[MMTB]\n(*S*)(**)S,1\nStrucDef=2,H,X\n[Ende_MMTB]\n"));
  EXPECT_EQ(
      m_UI.LastText(),
      L"Datei: test.mmtb, Zeile:2 Die StrucDef der Tabelle <S> enthält einen unbekannten Typ.");
}

TEST_F(MatTextBody, DuplicateRowKeepsTheFirstValue) {
  ASSERT_TRUE(Read(L"[MMTB]\n(*T*)(**)I,1\n(*r*) 1\n(*r*) 2\n[Ende_MMTB]\n"));
  EXPECT_EQ(Cell(Top(L"T"), L"r"), 1u);
  EXPECT_EQ(m_UI.LastText(),
            L"In der Tabelle (*T*) wird der Handle:(*r*) mehrfach eingelesen (Zeile #3)");
  // Reading the table again is a new body: the row takes the new value.
  m_UI.Clear();
  ASSERT_TRUE(Read(L"[MMTB]\n(*T*)(**)I,1\n(*r*) 9\n(*r*) 8\n[Ende_MMTB]\n"));
  EXPECT_EQ(Cell(Top(L"T"), L"r"), 9u);
  EXPECT_EQ(m_UI.Count(), 1u);
}

TEST_F(MatTextBody, LinesOutsideTablesAreShownAndSkipped) {
  ASSERT_TRUE(Read(L"(*stray*) 1\nComment(*x*)\n[Ende_MMTB]\n[MMTB]\n(*T*)(**)I,1\n[Ende_MMTB]\n"));
  ASSERT_EQ(m_UI.Count(), 3u) << Texts();
  EXPECT_EQ(
      m_UI.GetMessages()[1].strText,
      L"Datei: test.mmtb, Zeile:1 <Comment> steht außerhalb einer Tabelle und wird ignoriert");
  EXPECT_NE(Top(L"T"), nullptr);
}

TEST_F(MatTextBody, DeepNestingEndsWithAMessageNotTheStack) {
  std::wstring text;
  for (int i = 0; i < 5000; ++i) text += L"[MMTB]\n(*t" + std::to_wstring(i) + L"*)(**)I,1\n";
  EXPECT_FALSE(Read(text));
  EXPECT_EQ(m_UI.Count(), 1u);
  EXPECT_EQ(m_UI.LastText(),
            L"Datei: test.mmtb, Zeile:200 Tabellen und <#ifdef> sind tiefer als 100 Ebenen "
            L"verschachtelt.");
  // The top level counts as one level: 99 bodies were read, the 100th table
  // made but not read.
  int nDepth = 0;
  for (CMatTable* p = Top(L"t0"); p != nullptr;
       p = p->m_Children.empty() ? nullptr : p->m_Children[0].get())
    ++nDepth;
  EXPECT_EQ(nDepth, 100);
}

}  // namespace
