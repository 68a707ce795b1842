#include "vdi/vdi_reader.h"

#include <gtest/gtest.h>

#include "vdi/vdi_test_util.h"

namespace {

constexpr const char* kPumpen = "010;4;Hersteller;Pumpen\r\n";

// The head of a product: sheet 4, 100-1, 110-1, 700-1.
std::string Product(const std::string& records) {
  return std::string(kPumpen) + "100;1;Reihe\r\n110;1;Pumpe A\r\n700;1;Variante\r\n" + records;
}

// Lines of one record kind and the table (path under the sheet) and text
// they give.
TEST(VdiReader, RecordKeysBodiesAndDefaultFlag) {
  struct CCase {
    const char* lines;
    const wchar_t* path;
    const wchar_t* text;
    bool bDefault;
  };
  const CCase cases[] = {
      {"710.01;3;abc\r\n", L"700-1/710_01-3", L"abc", false},
      {"710_01;3;abc\r\n", L"700-1/710_01-3", L"abc", false},
      {"710.01;03;abc\r\n", L"700-1/710_01-3", L"abc", false},
      {"400;01;x\r\n", L"400-01", L"x", true},
      {"400;2;x\r\n", L"400-2", L"x", false},
      {"400;1;x\r\n", L"400-1", L"x", true},
      {"400;1;x;\r\n", L"400-1", L"x", true},
      {"400;1;x;;\r\n", L"400-1", L"x;", true},
      {"820;1;TGA_810;\r\n", L"820-1", L"TGA_810", false},
      {"160;2;a\r\n160.01;1;b\r\n", L"160-2/160_01-1", L"b", false},
      {"200;1;a\r\n250;2;b\r\n250.01;7;c\r\n", L"200-1/250-2/250_01-7", L"c", false},
      {"710.01;1;a\r\n710.02;1;b\r\n710.21;4;c\r\n", L"700-1/710_02-1/710_21-4", L"c", false},
      {"710.01;1;a\r\n710.11;2;b\r\n", L"700-1/710_01-1/710_11-2", L"b", false},
      // The same number under the next parent is a table of its own.
      {"710.01;1;a\r\n700;2;v\r\n710.01;1;b\r\n", L"700-1/710_01-1", L"a", false},
      {"710.01;1;a\r\n700;2;v\r\n710.01;1;b\r\n", L"700-2/710_01-1", L"b", false},
      {"710.01;5000;a\r\n710.01;5000;b\r\n", L"700-1/710_01-5000", L"b", false},
      {"710.01;-3;a\r\n", L"700-1/710_01--3", L"a", false},
  };
  for (const CCase& c : cases) {
    CVdiTestDataset t;
    ASSERT_TRUE(t.Read(Product(c.lines))) << c.lines;
    const CString path = CString(L"VDI-Pumpen/100-1/110-1/") + c.path;
    EXPECT_EQ(t.Text(path), c.text) << c.lines;
    const CMatTable* pTable = t.Table(path);
    ASSERT_NE(pTable, nullptr) << c.lines;
    EXPECT_EQ((pTable->m_nFlags & eFlagDefaultChild) != 0, c.bDefault) << c.lines;
    EXPECT_EQ(t.Messages(), L"") << c.lines;
  }
}

// A second line of the same key, in any case, replaces the text of the one
// table: under tables of this read and under tables read before.
TEST(VdiReader, SameKeyReplacesTheText) {
  CVdiTestDataset t;
  ASSERT_TRUE(t.Read(Product("400;a;x\r\n400;A;y\r\n710.01;1;p\r\n710_01;1;q\r\n")));
  EXPECT_EQ(t.Children(L"VDI-Pumpen/100-1/110-1"), L"700-1 400-a");
  EXPECT_EQ(t.Text(L"VDI-Pumpen/100-1/110-1/400-a"), L"y");
  EXPECT_EQ(t.Text(L"VDI-Pumpen/100-1/110-1/700-1/710_01-1"), L"q");
  ASSERT_TRUE(t.Read("100;1;r\r\n110;1;s\r\n"));
  ASSERT_TRUE(t.Read("100;1;r2\r\n110;1;s2\r\n"));
  EXPECT_EQ(t.Children(L""), L"VDI-Pumpen 100-1");
  EXPECT_EQ(t.Children(L"100-1"), L"110-1");
  EXPECT_EQ(t.Text(L"100-1/110-1"), L"s2");
}

TEST(VdiReader, SheetNamesAndReadingASheetAgainReplacesIt) {
  {
    CVdiTestDataset t;
    ASSERT_TRUE(t.Read("010;21;x\r\n010;1098;y\r\n010;22;z\r\n"));
    EXPECT_EQ(t.Children(L""), L"VDI_Blatt21 VDI-Heizungsarmaturen VDI-Wärmepumpen");
    EXPECT_EQ(t.Text(L"VDI-Heizungsarmaturen"), L"1098;y");
    EXPECT_EQ(t.Children(L"VDI_Blatt21"), L"TGA-Nummer TGA-800to810");
  }
  CVdiTestDataset t;
  ASSERT_TRUE(t.Read(Product("710.01;1;a\r\n")));
  ASSERT_TRUE(t.Read("010;4;neu\r\n100;2;Reihe\r\n"));
  EXPECT_EQ(t.Children(L""), L"VDI-Pumpen");
  EXPECT_EQ(t.Children(L"VDI-Pumpen"), L"TGA-Nummer TGA-800to810 100-2");
  EXPECT_EQ(t.Text(L"VDI-Pumpen"), L"4;neu");
}

// The same sheet twice in one file: the second removes the first's tables,
// and no record after it may land under them (they are gone).
TEST(VdiReader, SheetRepeatedInOneFileStartsAfresh) {
  CVdiTestDataset t;
  ASSERT_TRUE(t.Read(Product("010;4;zwei\r\n110;5;p\r\n700;2;v\r\n710.01;1;a\r\n")));
  EXPECT_EQ(t.Children(L"VDI-Pumpen"), L"TGA-Nummer TGA-800to810");
  EXPECT_EQ(t.Text(L"110-5/700-2/710_01-1"), L"a");
}

TEST(VdiReader, FunctionTextsJoinTheirLines) {
  CVdiTestDataset t;
  ASSERT_TRUE(
      t.Read(Product("600;1;      INTEGER FUNCTION TGA_810(T, R);\r\n"
                     "600;2;      CHARACTER*58 T;\r\n"
                     "600;3;      CHARACTER*100 R\r\n"
                     "610;1;; Kommentar\r\n"
                     "610;2;      R = '810;1;A;'; Zuweisung\r\n"
                     "610;3;      END\r\n"
                     "800;001001000\r\n")));
  EXPECT_EQ(t.Text(L"VDI-Pumpen/100-1/110-1/600-1"),
            L"      INTEGER FUNCTION TGA_810(T, R)\r\n      CHARACTER*58 T\r\n"
            L"      CHARACTER*100 R");
  EXPECT_EQ(t.Text(L"VDI-Pumpen/100-1/110-1/600-1/610"),
            L"; Kommentar\r\n      R = '810;1;A;'; Zuweisung\r\n      END");
}

TEST(VdiReader, EndMarkAndSkippedLines) {
  CVdiTestDataset t;
  ASSERT_TRUE(t.Read(Product("\r\n;leer\r\n970.11;1;x\r\n710.40;1;y\r\n\x1A\r\n100;9;nie\r\n")));
  EXPECT_EQ(t.Children(L"VDI-Pumpen"), L"TGA-Nummer TGA-800to810 100-1");
  EXPECT_EQ(t.Children(L"VDI-Pumpen/100-1/110-1/700-1"), L"");
  EXPECT_EQ(t.Messages(), L"");
}

TEST(VdiReader, UnknownRecordsAreShownOncePerLine) {
  CVdiTestDataset t;
  ASSERT_TRUE(t.Read(Product("710.15;1;x\r\n123;1;y\r\n710.99;1;z\r\n710.01;1;w\r\n")));
  EXPECT_EQ(t.Messages(),
            L"Unbekannte ID [7100015]. Leseroutine muss angepasst werden\n"
            L"Unbekannte ID [1230000]. Leseroutine muss angepasst werden\n"
            L"Unbekannte ID [7100099]. Leseroutine muss angepasst werden");
  EXPECT_EQ(t.Text(L"VDI-Pumpen/100-1/110-1/700-1/710_01-1"), L"w");
}

TEST(VdiReader, SubRecordWithoutParent) {
  CVdiTestDataset t;
  // 710.41 needs a 710.04 first; 920 without a 900 is skipped silently.
  ASSERT_TRUE(t.Read(Product("710.41;2;x\r\n710.41;3;y\r\n920;1;z\r\n")));
  ASSERT_EQ(t.UI().GetConsoleTexts().size(), 1u);
  EXPECT_EQ(t.UI().GetConsoleTexts()[0],
            L"FEHLER: Folgende Zeile ist nicht an erwarteter Stelle bzw. eine bestimmte andere "
            L"Zeile müsste ihr voraus gehen: 710.41;2;x\r\n");
  EXPECT_EQ(t.Text(L"710_41-3"), L"y");
  EXPECT_EQ(t.Table(L"920-1"), nullptr);
}

TEST(VdiReader, TgaNumbersAndArticleKeys) {
  CVdiTestDataset t;
  ASSERT_TRUE(
      t.Read(Product("800;1;001001???;\r\n810;1;A;DN1;;;;;1;\r\n810;2;$DGN;x\r\n"
                     "800;2;001002000\r\n810;1;A;DN2\r\n810;2;A|1;eigen\r\n"
                     "800;3;001003000\r\n810;1;A;DN3\r\n810;2; A;blank\r\n")));
  CMatTable* pRefs = t.Table(L"VDI-Pumpen/TGA-800to810");
  CMatTable* pNumbers = t.Table(L"VDI-Pumpen/TGA-Nummer");
  EXPECT_EQ(t.Field(pRefs, L"1-1-?", 0, 0), L"A;DN1;;;;;1");
  EXPECT_EQ(t.Field(pRefs, L"1-1-?", 0, 1), L"A");
  EXPECT_EQ(t.Field(pRefs, L"1-1-?", 1, 1), L"$DGN");
  EXPECT_EQ(t.Field(pRefs, L"1-2-0", 1, 0), L"A|1;eigen");
  // Under keys of their own: A, A|1 (the second A), then the article A|1
  // itself and the third A go on from there.
  EXPECT_EQ(t.HandleField(pNumbers, L"A", 0, 0), L"1-1-?");
  EXPECT_EQ(t.HandleField(pNumbers, L"A|1", 0, 0), L"1-2-0");
  EXPECT_EQ(t.Field(pNumbers, L"A|2", 0, 1), L"A|1;eigen");
  EXPECT_EQ(t.HandleField(pNumbers, L"A|3", 0, 0), L"1-3-0");
  EXPECT_EQ(t.Field(pNumbers, L"$DGN", 0, 1), L"<none>");
  // Leading blanks are no part of an article number.
  EXPECT_EQ(t.Field(pNumbers, L"A|4", 0, 1), L" A;blank");
  EXPECT_EQ(t.Dataset().FindHandle(L" A"), 0u);
}

// Keys of article numbers that end in a number too long to count on: a
// "|1" more, never an exception or a key tried twice.
TEST(VdiReader, ArticleKeysOfLongNumbers) {
  CVdiTestDataset t;
  ASSERT_TRUE(
      t.Read(Product("800;1;001\r\n810;1;X|99999999999999999999;a\r\n"
                     "810;2;X|99999999999999999999;b\r\n810;3;Y|999999999;c\r\n"
                     "810;4;Y|999999999;d\r\n")));
  CMatTable* pNumbers = t.Table(L"VDI-Pumpen/TGA-Nummer");
  EXPECT_EQ(t.Field(pNumbers, L"X|99999999999999999999|1", 0, 1), L"X|99999999999999999999;b");
  EXPECT_EQ(t.Field(pNumbers, L"Y|1000000000", 0, 1), L"Y|999999999;d");
  EXPECT_EQ(t.Messages(), L"");
}

TEST(VdiReader, TgaFieldNormalisation) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"001001???", L"1-1-?"},
      {L"000", L"0"},
      {L"001002???000", L"1-2-?-0"},
      {L"", L""},
      {L"00", L"0"},
      // 15 groups of 3, the 700 index of 5, then 3, then groups of 5.
      {L"001002003004005006007008009010011012013014015000160170001800019",
       L"1-2-3-4-5-6-7-8-9-10-11-12-13-14-15-16-17-18-19"},
  };
  for (const auto& [field, text] : cases) EXPECT_EQ(NormaliseTgaField(field), text) << field;
  // Only the first 511 characters count: 24 groups at most.
  EXPECT_EQ(NormaliseTgaField(std::wstring(600, L'1')).size(), 15 * 4 + 6 + 4 + 7 * 6 - 1);
}

}  // namespace
