#include <gtest/gtest.h>

#include "platform/format.h"
#include "platform/text.h"
#include "store/mmtb/mmtb_test_util.h"

namespace {

class MatTextRows : public CMmtbTest {
 protected:
  // Reads one block "(*T*)(**)<type>,<k>" with the given body lines into
  // the dataset emptied of its tables.
  CMatTable* Block(const wchar_t* pHead, const std::wstring& body, bool bExpect = true) {
    m_pDataset->m_Tables.clear();
    EXPECT_EQ(
        Read(L"[MMTB]\r\n(*T*)(**)" + std::wstring(pHead) + L"\r\n" + body + L"[Ende_MMTB]\r\n"),
        bExpect)
        << Texts();
    return Top(L"T");
  }
};

// Read whole, and decoded in blocks that end anywhere inside the brace block.
TEST_F(MatTextRows, StructRowsInBracketAndBraceFormGiveTheSameBlock) {
  const std::wstring text =
      L"[MMTB]\r\n(*T*)(**)S,1\r\n"
      L"StrucDef=2,H,I\r\n"
      L"(*r1*)[2] (*a*) 1 <br> (*b*) 2\r\n"
      L"(*r2*) {\r\n"
      L"  (*a*) 1\r\n"
      L"  (*b*) 2\r\n"
      L"}\r\n"
      L"(*r3*)[2]  (*a*) 1\r\n"
      L"      (*b*) 2\r\n"
      L"(*after*)[1] (*c*) 3\r\n"
      L"[Ende_MMTB]\r\n";
  const std::string bytes = ToUtf8(text);
  for (const std::size_t nBlock : {0, 1, 3, 7}) {
    SCOPED_TRACE(nBlock);
    m_pDataset = &AddDataset();
    CMatTextReader reader(&Store());
    if (nBlock == 0) {
      reader.OpenString(text, L"test.mmtb");
    } else {
      reader.SetDecodeBlock(nBlock);
      reader.OpenBytes(bytes, L"test.mmtb");
    }
    ASSERT_TRUE(reader.ReadTableBody(nullptr)) << Texts();
    CMatTable* pTable = Top(L"T");
    for (const wchar_t* pRow : {L"r1", L"r2", L"r3"}) {
      EXPECT_EQ(Cell(pTable, pRow, 0, 0), Name(L"a")) << pRow;
      EXPECT_EQ(Cell(pTable, pRow, 1, 0), Name(L"b")) << pRow;
      EXPECT_EQ(Cell(pTable, pRow, 1, 1), 2u) << pRow;
      EXPECT_EQ(Cell(pTable, pRow, 2, 0), ~0u) << pRow;  // exactly two sub-rows
    }
    EXPECT_EQ(Cell(pTable, L"after", 0, 1), 3u);
    EXPECT_EQ(m_UI.Count(), 0u) << Texts();
  }
}

// Fields of the other kinds read back in the round trip; a Void field takes
// nothing from the line, and what follows the last field is ignored.
TEST_F(MatTextRows, AVoidStructFieldTakesNothing) {
  CMatTable* pTable = Block(L"S,1", L"StrucDef=3,I,V,I\r\n(*r*)[1] -4 3 (*ignored*)\r\n");
  EXPECT_EQ(Cell(pTable, L"r", 0, 0), static_cast<std::uint32_t>(-4));
  EXPECT_EQ(Cell(pTable, L"r", 0, 2), 3u);
  EXPECT_EQ(m_UI.Count(), 0u) << Texts();
}
TEST_F(MatTextRows, StructRowMessages) {
  CMatTable* pTable = Block(L"S,1",
                            L"(*early*)[1] (*a*)\r\n"
                            L"StrucDef=1,I\r\n"
                            L"(*nocount*) 1 7\r\n"
                            L"(*wrong*) {\r\n"
                            L" 1\r\n"
                            L" 2 }\r\n"
                            L"(*next*)[1] 4\r\n");
  const auto& messages = m_UI.GetMessages();
  ASSERT_EQ(messages.size(), 3u) << ToUtf8(Texts());
  EXPECT_EQ(messages[0].strText,
            L"Zeile:2 Tabelle (T) mit dem Typ Strukt. <StrucDef...> ist aber nicht angegeben.");
  EXPECT_EQ(messages[1].strText,
            L"Zeile:4 in <test.mmtb>\nTabelle mit dem Typ Strukt. Anzahl Zeilen '[x]' nicht "
            L"vorhanden");
  // The line that ends the block has "}" but not first: a message, and the
  // body goes on after that line.
  EXPECT_EQ(messages[2].strText, L"Klammerung nicht richtig geschlossen in Zeile #7");
  EXPECT_EQ(Cell(pTable, L"early"), ~0u);
  EXPECT_EQ(Cell(pTable, L"nocount", 0, 0), 7u);
  EXPECT_EQ(Cell(pTable, L"wrong", 0, 0), 1u);
  EXPECT_EQ(Cell(pTable, L"next", 0, 0), 4u);

  // A brace block without "}" takes the lines up to the end of the text.
  m_UI.Clear();
  EXPECT_TRUE(Read(L"[MMTB]\n(*T*)(**)S,1\n(*open*) {\n 5\n 6\n"));
  EXPECT_EQ(m_UI.LastText(), L"Klammerung nicht richtig geschlossen in Zeile #5");
  EXPECT_EQ(Cell(pTable, L"open", 1, 0), 6u);
}

TEST_F(MatTextRows, TextEndingInsideAStructRowKeepsWhatWasThere) {
  CMatTable* pTable = Block(L"S,1", L"StrucDef=1,I\r\n(*r*)[1000] 1\r\n 2\r\n", true);
  // The "[Ende_MMTB]" line was taken as a sub-row too: three sub-rows.
  EXPECT_EQ(Cell(pTable, L"r", 1, 0), 2u);
  EXPECT_EQ(Cell(pTable, L"r", 2, 0), 0u);
  EXPECT_EQ(Cell(pTable, L"r", 3, 0), ~0u);
  pTable = Block(L"S,1", L"StrucDef=0\r\n(*r*)[2000000000]\r\n");
  EXPECT_EQ(pTable->m_nRowCount, 1);
}

TEST_F(MatTextRows, RowsWithoutNameAreSkippedOthersStayInTheDataset) {
  CMatTable* pTable = Block(L"I,1", L"(**) 5\r\n(*   *) 6\r\n(*ok*) 7\r\n");
  EXPECT_EQ(pTable->m_nRowCount, 1);
  EXPECT_EQ(m_UI.Count(), 2u);
  EXPECT_EQ(m_UI.LastText(),
            L"Datei: test.mmtb, Zeile:3 Zeile ohne Namen in der Tabelle <T> wird ignoriert");
  // A backslash names no other dataset here: the row stays in the one read into.
  CMatDatenSatz& other = AddDataset(L"ABCD");
  Store().SetCurrent(m_pDataset);
  pTable = Block(L"I,1", L"(*ABCD\\x*) 1\r\n(*y*) 2\r\n");
  EXPECT_EQ(Store().GetCurrent(), m_pDataset);
  EXPECT_EQ(other.m_Tables.size(), 0u);
  EXPECT_EQ(pTable->m_nRowCount, 2);
  EXPECT_TRUE(m_pDataset->OwnsHandle(Name(L"ABCD\\x")));
}

// The values of every row type read back in the round-trip test; a name
// that is no index of an array is this reader's own case.
TEST_F(MatTextRows, ArrayRowWhoseNameIsNoIndexIsSkipped) {
  CMatTable* pArray = Block(L"7,1", L"(*0*) (*a*)\r\n(*2*) (*c*)\r\n(*x*) (*bad*)\r\n");
  EXPECT_EQ(pArray->m_nRowCount, 3);
  EXPECT_EQ(m_UI.LastText(),
            L"Datei: test.mmtb, Zeile:4 <x> ist kein gültiger Index der Tabelle <T> und wird "
            L"ignoriert");
}
TEST_F(MatTextRows, TooManyValuesPerRowStops) {
  Block(L"I,100000", L"(*r*) 1\r\n", false);
  EXPECT_EQ(m_UI.LastText(),
            L"Datei: test.mmtb, Zeile:2 Die Tabelle <T> hat mehr als 32768 Werte pro Zeile.");
}

// A database file stores a text of up to 32,767 bytes. Texts up to that are
// read whole, in every kind of text cell; a longer one stops the reading with
// its table and row named, instead of losing the row and going on.
TEST_F(MatTextRows, TextsUpToTheFileLimitAreKeptLongerOnesStopTheRead) {
  const std::wstring fits(32767, L'x');
  const std::wstring umlauts(16384, L'ä');  // 32,768 bytes in UTF-8
  struct {
    const wchar_t* head;
    std::wstring body;
  } const cases[] = {
      {L"C,1", L"(*a*) (*" + fits + L"*)\r\n"},
      {L"C,2", L"(*a*) (*x*) (*" + fits + L"*)\r\n"},
      {L"S,1\r\nStrucDef=1,C", L"(*a*)[1] (*" + fits + L"*)\r\n"},
      {L"L,1", L"(*" + fits + L"*)\r\n"},
  };
  for (const auto& c : cases) {
    m_UI.Clear();
    Block(c.head, c.body);
    EXPECT_EQ(m_UI.Count(), 0u) << ToUtf8(c.head) << ToUtf8(Texts());
    std::wstring tooLong = c.body;
    tooLong.replace(tooLong.find(fits), fits.size(), umlauts);
    Block(c.head, tooLong, false);
    EXPECT_TRUE(m_UI.HasMessageContaining(L"ist mit 32768 Bytes zu lang")) << ToUtf8(Texts());
    EXPECT_TRUE(m_UI.HasMessageContaining(L"Tabelle <T>")) << ToUtf8(Texts());
  }
  CMatTable* pTable = Block(L"C,1", L"(*a*) (*" + fits + L"*)\r\n");
  EXPECT_EQ(Text(Cell(pTable, L"a")), fits);
}

// A dataset whose pool is full takes no more texts: the read stops at the
// first one it refuses, naming the line, instead of leaving rows without
// their texts and reporting success.
TEST_F(MatTextRows, AFullPoolStopsTheReadAtTheFirstTextItRefuses) {
  const struct {
    const wchar_t* pHead;
    const wchar_t* pRows;
    int nLine;  // of the second row, counted from 0 as the reader's messages count
  } cases[] = {
      {L"(*T*)(**)C,1\n", L"(*a*) (*x*)\n(*b*) (*y*)\n(*c*) (*z*)\n", 3},
      {L"(*T*)(**)S,1\nStrucDef=2,H,C\n", L"(*a*)[1] (*h*) (*x*)\n(*b*)[1] (*h*) (*y*)\n", 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pHead);
    m_pDataset = &AddDataset();
    // Room for the first row's text.
    m_pDataset->m_nPoolLimit = static_cast<std::uint32_t>(m_pDataset->GetPoolCount() + 1);
    m_UI.Clear();
    EXPECT_FALSE(Read(std::wstring(L"[MMTB]\n") + c.pHead + c.pRows + L"[Ende_MMTB]\n"));
    EXPECT_EQ(m_UI.LastText(),
              Format(L"Der Datensatz hat keinen Speicher mehr frei: Die Datei test.mmtb wurde bei "
                     L"Zeile %d abgebrochen.",
                     c.nLine));
  }
}

}  // namespace
