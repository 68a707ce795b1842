#include "store/mmtb/mat_text_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <vector>

#include "OrvaMat/mat_manager.h"
#include "platform/text.h"
#include "store/mmtb/mmtb_test_util.h"

namespace {

class MatTextWriter : public CMmtbTest {
 protected:
  CStringList Write(CMatTable* pTable) {
    CStringList lines;
    CMatManager::WriteTableText(pTable, lines);
    return lines;
  }
  // The lines written, each ended by "|".
  CString Joined(CMatTable* pTable) {
    CString all;
    for (const CString& line : Write(pTable)) all += line + L"|";
    return all;
  }
};

TEST_F(MatTextWriter, MapRowsAreWrittenInTheOrderTheirNamesWereMade) {
  // Names made in one order, rows set in another: the text follows the
  // names, whatever order the map keeps its rows in.
  std::vector<Handle> names;
  for (int i = 0; i < 300; ++i) {
    wchar_t text[16];
    std::swprintf(text, 16, L"r%03d", i);
    names.push_back(Store().CreateHandle(text));
  }
  CMatTable* pTable = Table(L"Zahlen", eTypeInteger);
  for (int i = 0; i < 300; ++i) {
    const int n = (i * 7) % 300;  // 7 and 300 are coprime: every row once
    ASSERT_EQ(Store().SetCellValue(pTable, names[n], 0, 0, CCellInput::Value(n)), eMatOk);
  }
  const CStringList lines = Write(pTable);
  ASSERT_EQ(lines.size(), 300u + 7u);
  for (int i = 0; i < 300; ++i) {
    wchar_t expected[32];
    std::swprintf(expected, 32, L"(*r%03d*) %d", i, i);
    ASSERT_EQ(lines[4 + i], expected) << i;
  }
}

TEST_F(MatTextWriter, ChildBlockStandsBetweenCommentAndRows) {
  CMatTable* pTable = Table(L"P", eTypeHandle, 2);
  pTable->m_strRegStr1 = L"reg";
  pTable->m_strBeschreibung = L"two\r\nlines";
  CMatTable* pChild = Table(L"K", eTypeVoid, 1, pTable);
  ASSERT_EQ(Store().AddRow(pChild, Row(L"v")), eMatOk);
  Set(pTable, H(L"h"), Row(L"target"), 0);
  EXPECT_EQ(Joined(pTable),
            L"[MMTB]|(*P*)(**)H,2|RegStr(*reg*)|Comment(*two\r\nlines*)|"
            L"[MMTB]|(*K*)(*P*)V,1|RegStr(**)|Comment(**)|(*v*)|[Ende_MMTB]|||"
            L"(*h*) (*target*) (**)|[Ende_MMTB]|||");
  EXPECT_TRUE(Write(nullptr).empty());
}

TEST_F(MatTextWriter, CellFormsOfEachType) {
  CMatTable* pInts = Table(L"I3", eTypeInteger, 3);
  Set(pInts, H(L"r"), 0x80000000u, 0);
  Set(pInts, H(L"r"), 7, 2);
  EXPECT_EQ(Write(pInts)[4], L"(*r*) -2147483648  0  7 ");
  CMatTable* pBit = Table(L"B", eTypeBit);
  Set(pBit, H(L"r"), 5);
  EXPECT_EQ(Write(pBit)[4], L"(*r*) %" + CString(29, L'0') + L"101");
  CMatTable* pBits = Table(L"B2", eTypeBit, 2);
  Set(pBits, H(L"r"), 5, 1);
  EXPECT_EQ(Write(pBits)[4], L"(*r*) 0  5 ");
  CMatTable* pFloat = Table(L"F", eTypeFloat, 2);
  Set(pFloat, H(L"r"), 0x3FC00000, 0);  // 1.5
  const float fLong = 1.2345678f;
  std::uint32_t nLong;
  std::memcpy(&nLong, &fLong, 4);
  Set(pFloat, H(L"r"), nLong, 1);
  EXPECT_EQ(Write(pFloat)[4], L"(*r*) 1.5 1.2345678");
  CMatTable* pString = Table(L"C", eTypeString);
  SetText(pString, Row(L"a"), L"x\r\ny");
  ASSERT_EQ(Store().AddRow(pString, Row(L"b")), eMatOk);
  const CStringList lines = Write(pString);
  EXPECT_NE(std::find(lines.begin(), lines.end(), L"(*a*) (*x\r\ny*)"), lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), L"(*b*) (**)"), lines.end());
  CMatTable* pUni = Table(L"U", eTypeUniString);
  SetText(pUni, Row(L"u"), L"\x263A");
  EXPECT_EQ(Write(pUni)[1], L"(*U*)(**)U,1");
  EXPECT_EQ(Write(pUni)[4], L"(*u*) (*\x263A*)");
  EXPECT_EQ(m_UI.Count(), 0u);
}

TEST_F(MatTextWriter, StructRowsSubRowLinesAndEmptyRows) {
  CMatTable* pTable = Table(L"S", eTypeStruct);
  const std::uint32_t def[] = {4, eTypeHandle, eTypeInteger, eTypeFloat, eTypeBit};
  ASSERT_EQ(Store().SetStrucDef(pTable, def), eMatOk);
  const Handle hRow = Row(L"r");
  for (int s = 0; s < 2; ++s) {
    ASSERT_EQ(Store().SetCellValue(pTable, hRow, s, 0, CCellInput::Value(s ? Row(L"b") : 0)),
              eMatOk);
    ASSERT_EQ(Store().SetCellValue(pTable, hRow, s, 1, CCellInput::Value(s + 1)), eMatOk);
    ASSERT_EQ(Store().SetCellValue(pTable, hRow, s, 2, CCellInput::Value(0x40200000)), eMatOk);
  }
  ASSERT_EQ(Store().AddRow(pTable, Row(L"empty")), eMatOk);
  const CStringList lines = Write(pTable);
  EXPECT_EQ(lines[4], L"StrucDef=4,H,I,F,B");
  const CString bits0 = L"%" + CString(32, L'0');
  const auto first = std::find(lines.begin(), lines.end(), L"(*r*)[2]   (**) 1 2.5  " + bits0);
  ASSERT_NE(first, lines.end()) << ToUtf8(lines[5]);
  EXPECT_EQ(first[1], L"       (*b*) 2 2.5  " + bits0);
  // A row without sub-rows is written too, so that it is read back.
  EXPECT_NE(std::find(lines.begin(), lines.end(), L"(*empty*)[0]  "), lines.end());
}

TEST_F(MatTextWriter, StrLineAndArrayTables) {
  CMatTable* pText = Table(L"Txt", eTypeStrLine);
  ASSERT_EQ(Store().SetCellValue(pText, 0, 0, 0, CCellInput::Text(L"a\r\nb")), eMatOk);
  EXPECT_EQ(Joined(pText), L"[MMTB]|(*Txt*)(**)L,1|(*a\r\nb*)|[Ende_MMTB]|||");
  CMatTable* pArray = Table(L"SA", eTypeStringArray);
  ASSERT_EQ(Store().SetCellValue(pArray, 0, 1, 0, CCellInput::Text(L"one")), eMatOk);
  const CStringList arrayLines = Write(pArray);
  EXPECT_EQ(arrayLines[1], L"(*SA*)(**)7,1");
  EXPECT_EQ(arrayLines[4], L"(*0*) (**)");
  EXPECT_EQ(arrayLines[5], L"(*1*) (*one*)");
  CMatTable* pWords = Table(L"DA", eTypeDWordArray);
  ASSERT_EQ(Store().SetCellValue(pWords, 0, 0, 0, CCellInput::Value(0xFFFFFFFF)), eMatOk);
  EXPECT_EQ(Write(pWords)[4], L"(*0*) -1");
}

TEST_F(MatTextWriter, TextsThatDoNotReadBackAreNamedInOneWarning) {
  CMatTable* pTable = Table(L"T", eTypeString);
  SetText(pTable, Row(L"a"), L"x*)y");
  SetText(pTable, Row(L"b"), L"ends with (");
  SetText(pTable, Row(L"c"), L"lone\nLF");
  SetText(pTable, Row(L"d"), L"fine\r\ntext-");
  pTable->m_strRegStr1 = L"two\r\nlines";  // RegStr takes no line break
  Write(pTable);
  ASSERT_EQ(m_UI.Count(), 1u);
  EXPECT_EQ(m_UI.LastStyle(), unsigned{MB_OK | MB_ICONWARNING});
  EXPECT_EQ(m_UI.LastText().substr(0, 25), L"Tabelle <T>: 4 Texte enth");
  EXPECT_NE(m_UI.LastText().find(L"Erster: Tabelle <T>, Zeile <>"), CString::npos);
}

TEST_F(MatTextWriter, Utf8TextHoldsTheLinesAsTheirFileWould) {
  CMatTable* pTable = Table(L"Maße", eTypeString);
  CMatTable* pChild = Table(L"Kind", eTypeInteger, 1, pTable);
  Set(pChild, H(L"k"), 7);
  SetText(pTable, Row(L"größe"), L"zwei\r\nZeilen \u20ac");
  SetText(pTable, Row(L"lang"), CString(700, L'x').c_str());
  SetText(pTable, Row(L"kaputt"), L"a*)b");
  std::string expected;
  for (const CString& line : Write(pTable)) expected += ToUtf8(line) + "\r\n";
  ASSERT_EQ(m_UI.Count(), 1u);  // the lossy text, once per write
  std::string bytes = "vorher";
  WriteTableUtf8(pTable, bytes);
  EXPECT_EQ(bytes, "vorher" + expected);
  EXPECT_EQ(m_UI.Count(), 2u);
}

TEST_F(MatTextWriter, DeepTreesAreWrittenWithoutRecursion) {
  CMatTable* pTable = Table(L"t", eTypeVoid);
  CMatTable* pRoot = pTable;
  for (int i = 0; i < 3000; ++i)
    pTable = Table((L"t" + std::to_wstring(i)).c_str(), eTypeVoid, 1, pTable);
  EXPECT_EQ(Write(pRoot).size(), 3001u * 7);
}

}  // namespace
