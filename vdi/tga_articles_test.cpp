#include "vdi/tga_articles.h"

#include "query/string_read.h"
#include "vdi/tga_test_support.h"

namespace {

class TgaArticles : public CTgaTest {
 protected:
  // The rows of "TGA-Nummer", "ARTICLE TAG BODY" each, sorted.
  std::vector<std::string> References() {
    std::vector<std::string> rows;
    CMatTable* pTable = FindChildTable(*m_pSheet, L"TGA-Nummer", eHiddenTables::kSkip);
    if (pTable == nullptr) return rows;
    std::uint64_t word = 0;
    for (POSITION pos = Store().GetFirstRowPosition(pTable); pos != nullptr;) {
      const Handle hRow = pTable->GetNextRow(pos, word);
      CCell cell;
      CString body;
      EXPECT_EQ(Store().GetCellValue(pTable, cell, hRow, 0, 0), eMatOk);
      const CString tag = Store().HdlToString(cell.m_nValue);
      EXPECT_EQ(ReadStringValue(Store(), body, pTable, hRow, 0, 1, false), eMatOk);
      rows.push_back(ToUtf8(CString(Store().HdlToString(hRow)) + L" " + tag + L" " + body));
    }
    std::sort(rows.begin(), rows.end());
    return rows;
  }
};

// The function's lines become the result text: quantity from the
// next-to-last field, at least 1; lines without an article are left out;
// never more lines than the function counts or the result holds.
TEST_F(TgaArticles, FunctionLinesFormTheResultText) {
  struct CCase {
    const wchar_t* szBody;
    const wchar_t* szText;
  };
  const CCase cases[] = {
      {L"R(1) = '810;1;X;DN1;;;;;1;'\r\nR(2) = '810;2;Y;DN2;;;;;3;'\r\nTGA_810 = 2\r\n", L"X;3|Y"},
      {L"R(1) = '810;1;X;DN1;;;;;4;'\r\nR(2) = '810;2;Y;DN2;;;;;1;'\r\nTGA_810 = 2\r\n", L"4|X;Y"},
      {L"R(1) = '810;1;X;;0;'\r\nR(2) = '810;2;Y;-5;'\r\nTGA_810 = 2\r\n", L"X;Y"},
      {L"R(1) = '810;1;X;DN1;;;;;2;'\r\nR(2) = '810;2;Y;;;;;;1;'\r\nTGA_810 = 1\r\n", L"2|X"},
      {L"R(1) = '810;1;;DN1;;;;;2;'\r\nR(2) = '810;2; Y ;;;;;;1;'\r\nTGA_810 = 2\r\n", L"Y"},
      {L"R(1) = '810'\r\nR(2) = '81'\r\nR(3) = '810;1'\r\nTGA_810 = 3\r\n", L""},
      {L"R(1) = '810;1;X;2;'\r\nR(5) = '810;5;Z;2;'\r\nTGA_810 = 99\r\n", L"2|X;2|Z"},
      {L"R(1) = '810;1;X;2;'\r\nTGA_810 = -1\r\n", L""},
  };
  for (const CCase& c : cases) {
    SCOPED_TRACE(ToUtf8(c.szBody));
    RemoveTgaFunction();
    TgaFunction(c.szBody);
    CString out = L"unchanged";
    EXPECT_TRUE(m_articles.GetArtikelnummern(out, L"1-2", m_pProduct)) << ToUtf8(UI().LastText());
    EXPECT_EQ(out, c.szText);
  }
  RemoveTgaFunction();
  TgaFunction(cases[6].szBody);
  std::vector<CTgaArticle> articles;
  CString out;
  ASSERT_TRUE(m_articles.GetArtikelnummern(out, L"1-2", m_pProduct, &articles));
  ASSERT_EQ(articles.size(), 2u);
  EXPECT_EQ(articles[1].m_strNumber, L"Z");
  EXPECT_EQ(articles[1].m_nQuantity, 2);
}

// The function reads the configuration as 18 fixed-width groups.
TEST_F(TgaArticles, TheFunctionReceivesTheDigitString) {
  TgaFunction(L"R(1) = VDISTRING('810;1;&;1;', T)\r\nTGA_810 = 1\r\n");
  CString out;
  ASSERT_TRUE(
      m_articles.GetArtikelnummern(out, L"1-2-?-3-0-0-0-0-0-0-0-0-0-0-0-12-1-77", m_pProduct));
  EXPECT_EQ(out,
            L"001002???003"
            L"000000000000000000000000000000000"
            L"00012"
            L"001"
            L"00077");
  // A number too wide for its group would shift every group after it.
  out = L"unchanged";
  EXPECT_FALSE(m_articles.GetArtikelnummern(out, L"1-2-1000", m_pProduct));
  EXPECT_EQ(out, L"unchanged");
  EXPECT_EQ(UI().LastText(), L"Die TGA-Nummer <1-2-1000> passt nicht in die Stellen der TGA_810");
}

// Without a function (or with one that does not compile) the cross
// references answer: slots below 1 match anything; the article is the
// number, not the key that made it unique.
TEST_F(TgaArticles, WithoutAFunctionTheCrossReferencesAnswer) {
  Reference(L"A", L"1-2-3-0-0-0-0-0-0-0-0-0-0-0-0-1-0-1", L"A;DN-A;Text;;;;1");
  Reference(L"A|1", L"1-2-4-0-0-0-0-0-0-0-0-0-0-0-0-1-0-1", L"A;DN-A2;Text;;;;1");
  Reference(L"B", L"1-2-5-0-0-0-0-0-0-0-0-0-0-0-0-2-0-1", L"");
  struct CCase {
    const wchar_t* szTag;
    const wchar_t* szText;  // null: no match
  };
  const CCase cases[] = {
      {L"1-2-4", L"A"},    {L"1-2-3-?-?", L"A"}, {L"1-2-5-0-0-0-0-0-0-0-0-0-0-0-0-2", L"B"},
      {L"1-2-6", nullptr}, {L"2-2-3", nullptr},  {L"1-2-4-0-0-0-0-0-0-0-0-0-0-0-0-2", nullptr},
  };
  for (const bool bBroken : {false, true}) {
    if (bBroken) TgaFunction(L"TGA_810 = Q\r\n");
    for (const CCase& c : cases) {
      SCOPED_TRACE(ToUtf8(c.szTag));
      CString out = L"unchanged";
      EXPECT_EQ(m_articles.GetArtikelnummern(out, c.szTag, m_pProduct), c.szText != nullptr);
      EXPECT_EQ(out, c.szText != nullptr ? c.szText : L"unchanged");
    }
  }
  CString out = L"unchanged";
  EXPECT_FALSE(m_articles.GetArtikelnummern(out, L"1-2-4", nullptr));
}

class TgaReferences : public TgaArticles {
 protected:
  // Two 200 variants (the first with 250 records 1 and 2), one 300, 400
  // and 500 each, and a 700 record with 760 records 3 and 4 and 710.01
  // records 1 and 2: 3 x 2 combinations.
  TgaReferences() {
    CMatTable* p200 = Record(m_pProduct, L"200-1", L"links");
    Record(p200, L"250-1", L"a");
    Record(p200, L"250-2", L"b");
    Record(m_pProduct, L"200-2", L"rechts");
    Record(m_pProduct, L"300-1", L"x");
    Record(m_pProduct, L"400-1", L"x");
    Record(m_pProduct, L"500-1", L"x");
    m_p700 = Record(m_pProduct, L"700-1", L"x");
    Record(m_p700, L"760-3", L"x");
    Record(m_p700, L"760-4", L"x");
    Record(m_p700, L"710_01-1", L"x");
    Record(m_p700, L"710_01-2", L"x");
  }
  CMatTable* m_p700 = nullptr;
};

TEST_F(TgaReferences, EveryCombinationIsEntered) {
  // The article is the 250 and 710.01 numbers of the digit string.
  TgaFunction(
      L"R(1) = VDISTRING('810;7;A&&;DN;1;', VDICSTRING(T, 0, 13, 15), VDICSTRING(T, 0, 56, "
      L"58))\r\nTGA_810 = 1\r\n");
  EXPECT_EQ(m_articles.CreateTGAreferences(m_pProduct), 6u) << ToUtf8(UI().LastText());
  EXPECT_EQ(m_articles.GetGeneratedCount(), 6u);
  EXPECT_EQ(UI().Count(), 0u) << ToUtf8(UI().LastText());
  const std::vector<std::string> expected = {
      "A000001 1-2-0-2-0-0-1-0-0-1-0-0-1-0-0-1-3-1 A000001;DN;1;",
      "A000002 1-2-0-2-0-0-1-0-0-1-0-0-1-0-0-1-3-2 A000002;DN;1;",
      "A001001 1-2-0-1-1-0-1-0-0-1-0-0-1-0-0-1-3-1 A001001;DN;1;",
      "A001002 1-2-0-1-1-0-1-0-0-1-0-0-1-0-0-1-3-2 A001002;DN;1;",
      "A002001 1-2-0-1-2-0-1-0-0-1-0-0-1-0-0-1-3-1 A002001;DN;1;",
      "A002002 1-2-0-1-2-0-1-0-0-1-0-0-1-0-0-1-3-2 A002002;DN;1;",
  };
  EXPECT_EQ(References(), expected);
  CMatTable* pTable = FindChildTable(*m_pSheet, L"TGA-800to810", eHiddenTables::kSkip);
  ASSERT_NE(pTable, nullptr);
  EXPECT_EQ(pTable->m_nType, static_cast<std::uint32_t>(eTypeStruct));
}

TEST_F(TgaReferences, LevelsWithoutRecordsAndMissingFunctions) {
  // A 700 record without 710.01 records gives nothing.
  Store().RemoveTable(FindChildTable(*m_p700, L"710_01-1", eHiddenTables::kSkip));
  Store().RemoveTable(FindChildTable(*m_p700, L"710_01-2", eHiddenTables::kSkip));
  TgaFunction(L"R(1) = '810;1;A;'\r\nTGA_810 = 1\r\n");
  EXPECT_EQ(m_articles.CreateTGAreferences(m_pProduct), 0u);
  EXPECT_TRUE(References().empty());
  EXPECT_EQ(UI().Count(), 0u);
  // The 820 record names the function; one that is not there is said.
  Record(m_pProduct, L"820-1", L"MEINE_TGA;Text");
  Record(m_p700, L"710_01-1", L"x");
  EXPECT_EQ(m_articles.CreateTGAreferences(m_pProduct), 0u);
  EXPECT_EQ(UI().LastText(), L"Funktion <MEINE_TGA> kann nicht gefunden werden");
  TgaFunction(L"R(1) = '810;1;M;'\r\nMEINE_TGA = 1\r\n", L"MEINE_TGA", L"600-2");
  EXPECT_EQ(m_articles.CreateTGAreferences(m_pProduct), 3u);
  EXPECT_EQ(References().size(), 1u) << "one article, entered three times";
  // Only 110 records are products.
  EXPECT_EQ(m_articles.CreateTGAreferences(m_p700), 0u);
  EXPECT_EQ(m_articles.CreateTGAreferences(nullptr), 0u);
}

// A function that fails is reported at its first combination, not at
// every one.
TEST_F(TgaReferences, AFailingRunEndsTheWalk) {
  TgaFunction(L"TGA_810 = VDIIWERT('710.01', 9, 2)\r\n");
  EXPECT_EQ(m_articles.CreateTGAreferences(m_pProduct), 0u);
  ASSERT_EQ(UI().Count(), 2u);
  EXPECT_EQ(UI().LastText(),
            L"Funktion <TGA_810> ist bei der TGA-Nummer 1-2-0-1-1-0-1-0-0-1-0-0-1-0-0-1-3-1 "
            L"fehlgeschlagen; die übrigen Kombinationen werden nicht berechnet");
}

}  // namespace
