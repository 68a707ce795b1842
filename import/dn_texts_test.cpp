#include <gtest/gtest.h>

#include "import/dn_test_util.h"
#include "platform/temp_folder.h"
#include "store/mmd/mmd_file.h"
#include "store/mmd/mmd_format.h"

namespace {

// The entries of an article's "DATANORM_D" row: template text and key name.
std::vector<std::pair<CString, CString>> Entries(CDnTestDataset& t, const wchar_t* article) {
  std::vector<std::pair<CString, CString>> entries;
  for (int i = 0; i < 10000; ++i) {
    CCell key;
    // An empty key cell reads as 12; past the last entry the index is out of range.
    const eMatManager rc = t.Store().GetCellValue(t.Table(L"DATANORM_D"), key, t.H(article), i, 1);
    if (rc != eMatOk && rc != eMatEmptyHandle) break;
    entries.emplace_back(t.Text(L"DATANORM_D", article, i, 0),
                         t.Dataset().GetName(key.m_nValue).ToString());
  }
  return entries;
}

TEST(DatanormTexts, Version4TextBlocksWithContinuationAndTrailingBlanks) {
  CDnTestDataset t;
  ASSERT_TRUE(t.Load(DnHeader4() + "T;N;K1;;1;;Erste Zeile;2;;zweite;\r\n"
                                   "T;N;K1;;3;;dritte   ;0;;;\r\n"
                                   "T;N;K2;;1;;andere;;;;\r\n"
                                   "E;N;EK;;1;;Wert $$ mm;;;;\r\n"));
  EXPECT_EQ(t.Text(L"DATANORM_T", L"K1"), L"Erste Zeile\r\nzweite\r\ndritte");
  EXPECT_EQ(t.Text(L"DATANORM_T", L"K2"), L"andere");
  // "E" blocks go to their own table.
  EXPECT_EQ(t.Text(L"DATANORM_E", L"EK"), L"Wert $$ mm");
  EXPECT_EQ(t.Cell(L"DATANORM_T", L"EK"), ~0u);
}

TEST(DatanormTexts, Version5TextBlockLimitsAndEndRecord) {
  CDnTestDataset t;
  const std::string long80(80, 'x');
  ASSERT_TRUE(t.Load(DnHeader5() + "T;N;TK;0;01;" + long80 + ";\r\n" + "T;N;TK;1;02;" + long80 +
                     ";\r\nE;3;Ende;\r\n"));
  EXPECT_EQ(t.Text(L"DATANORM_T", L"TK"),
            CString(70, L'x') + L"\r\n" + CString(80, L'x'));  // "0" limits a line to 70
  EXPECT_EQ(t.H(L"Ende"), 0u);  // the version 5 end record is no text block
}

TEST(DatanormTexts, Version4LinesOfOneArticleBecomeOneSeries) {
  CDnTestDataset t;
  ASSERT_TRUE(t.Load(DnHeader4() + "D;N;ART;1;F;;Anfang;2;F;;Fortsetzung;\r\n"
                                   "D;N;ART;3;T;TK1;;4;E;EK;12;\r\n"
                                   "D;N;ART;5;E;EK;34;0;;;;\r\n"
                                   "D;N;BRT;1;X;;Eigenes;;;;;\r\n"));
  using E = std::pair<CString, CString>;
  EXPECT_EQ(Entries(t, L"ART"),
            (std::vector<E>{{L"Anfang\r\nFortsetzung\r\n", L""}, {L"", L"TK1"}, {L"1234", L"EK"}}));
  EXPECT_EQ(Entries(t, L"BRT"), (std::vector<E>{{L"Eigenes\r\n", L""}}));
}

TEST(DatanormTexts, Version5LinesAndAShorterSeriesLeavesNothingBehind) {
  CDnTestDataset t;
  ASSERT_TRUE(
      t.Load(DnHeader5() + "D;N;A5;01;T;;TKEY;\r\nD;N;A5;02;X;Zwei;;\r\nD;N;A5;03;X;Drei;;\r\n"));
  EXPECT_EQ(Entries(t, L"A5").size(), 3u);
  ASSERT_TRUE(t.Load(DnHeader5() + "D;N;A5;01;X;Neu;;\r\n"));
  using E = std::pair<CString, CString>;
  EXPECT_EQ(Entries(t, L"A5"), (std::vector<E>{{L"Neu\r\n", L""}}));
  // One reference to a text block alone, the most common series.
  ASSERT_TRUE(t.Load(DnHeader5() + "D;N;A5;01;T;;TB2;\r\n"));
  EXPECT_EQ(Entries(t, L"A5"), (std::vector<E>{{L"", L"TB2"}}));
}

TEST(DatanormTexts, EndlessContinuationIsBoundedAndEndsWithTheFile) {
  CDnTestDataset t;
  std::string text = DnHeader5();
  for (int i = 0; i < 3000; ++i) text += "D;N;LONG;01;X;Zeile;;\r\n";
  for (int i = 0; i < 3000; ++i) text += "T;N;TL;1;01;" + std::string(128, 'y') + ";\r\n";
  CDnLoader loader(&t.Store());
  ASSERT_TRUE(loader.LoadBytes(text, L"x", true));
  EXPECT_EQ(loader.GetLineCount(), 6001u);
  EXPECT_EQ(Entries(t, L"LONG").size(), CDnLoader::kMaxTextLines);
  EXPECT_EQ(t.Text(L"DATANORM_T", L"TL").size(), CDnLoader::kMaxTextLength);
}

// Bytes of the text in the database file's UTF-8.
std::size_t Utf8Size(const CString& text) { return ToUtf8(text).size(); }

TEST(DatanormTexts, LongTextsAreCutToWhatTheDatabaseFileStoresAndReported) {
  CDnTestDataset t;
  CTempFolder folder;
  t.Dataset().m_strPath = folder / L"lang.mmd";
  // Umlauts take two bytes: 32,000 characters would be about 64,000 bytes.
  // Blocks of version 5 ("T") and version 4 ("E", own table).
  const std::string umlauts = "\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F";  // äöüß
  std::string v5 = DnHeader5(), v4 = DnHeader4();
  for (int i = 0; i < 1500; ++i) {
    v5 += "T;N;TL;1;01;a" + umlauts + umlauts + umlauts + umlauts + umlauts + ";\r\n";
    v4 += "E;N;EL;;1;;" + umlauts + umlauts + ";2;;" + umlauts + ";\r\n";
  }
  ASSERT_TRUE(t.Load(v5));
  ASSERT_TRUE(t.Load(v4));
  for (const CString& cut : {t.Text(L"DATANORM_T", L"TL"), t.Text(L"DATANORM_E", L"EL")}) {
    EXPECT_LE(Utf8Size(cut), mmd::kMaxStringBytes);
    EXPECT_GT(Utf8Size(cut), mmd::kMaxStringBytes - 4);  // cut at the limit, not before
  }
  EXPECT_TRUE(t.UI().HasMessageContaining(L"Langtext TL"));
  EXPECT_TRUE(t.UI().HasMessageContaining(L"Langtext EL"));
  // The whole catalogue can be saved.
  EXPECT_TRUE(SaveDataset(t.Dataset())) << ToUtf8(t.UI().LastText());
}

TEST(DatanormTexts, LanguageSubTablesTakeTheTexts) {
  CDnTestDataset t(L"ENGLISH");
  ASSERT_TRUE(t.Load(DnHeader5() + "A;N;A1;Pump;;PCE;1;1;100;;;;;;;;;;;;;;;;;\r\n"
                                   "T;N;K;1;01;Text;\r\n"));
  CMatTable* pKurz = t.Child(L"KurzText", L"ENGLISH");
  ASSERT_NE(pKurz, nullptr);
  EXPECT_EQ(pKurz->m_nFlags & 1u, 1u);
  EXPECT_EQ(t.Text(pKurz, L"A1"), L"Pump");
  EXPECT_EQ(t.Cell(L"KurzText", L"A1"), ~0u);
  EXPECT_EQ(t.Text(t.Child(L"DATANORM_T", L"ENGLISH"), L"K"), L"Text");
  EXPECT_EQ(t.Text(t.Child(L"StringTable", L"ENGLISH"), L"WAEHRUNG"), L"EUR");
  EXPECT_NE(t.Child(L"DATANORM_D", L"ENGLISH"), nullptr);
  EXPECT_NE(t.Child(L"DATANORM_E", L"ENGLISH"), nullptr);
}

TEST(DatanormTexts, CodePagesAndLineEnds) {
  CDnTestDataset t;
  // DOS character set: 0x94 is "ö"; lone CR and LF end lines too; an empty
  // line in the middle does not end the file, 0x1A does.
  ASSERT_TRUE(
      t.Load(DnHeader4() + "T;N;K;;1;;M\x94glich;;;;\n\nT;N;L;;1;;x;;;;\r\x1A\r\nT;N;M;;1;;y;;;;"));
  EXPECT_EQ(t.Text(L"DATANORM_T", L"K"), L"Möglich");
  EXPECT_EQ(t.Text(L"DATANORM_T", L"L"), L"x");
  EXPECT_EQ(t.H(L"M"), 0u);
  // A file in UTF-8 is read as UTF-8 whatever the switch says.
  ASSERT_TRUE(t.Load(DnHeader4() + "T;N;U;;1;;Pultgehäuse;;;;\r\n"));
  EXPECT_EQ(t.Text(L"DATANORM_T", L"U"), L"Pultgehäuse");
}

}  // namespace
