#include <gtest/gtest.h>

#include "OrvaMat/article.h"
#include "OrvaMat/mat_manager.h"
#include "query/article/article_test_util.h"

namespace {

// An article "A" with a two-line short text, a long text key "LT" whose
// block is "Langtext", and the text mark given.
class ArticleGesammtText : public ::testing::Test {
 protected:
  void Build(std::int32_t mark) {
    auto& t = m_Data;
    m_pKurz = t.Table(L"KurzText", eTypeString);
    t.SetText(m_pKurz, L"A", L"Zeile 1\r\nZeile 2");
    t.SetValue(t.Info2(), L"A", static_cast<std::uint32_t>(mark), 0, 6);
    m_pLang = t.Table(L"LangText", eTypeHandle);
    t.SetValue(m_pLang, L"A", t.H(L"LT"));
    m_pT = t.Table(L"DATANORM_T", eTypeString);
    t.SetText(m_pT, L"LT", L"Langtext");
    m_pE = t.Table(L"DATANORM_E", eTypeString);
    m_pD = t.Table(L"DATANORM_D", eTypeStruct, nullptr, {eTypeString, eTypeHandle});
  }
  CString Text(eMatManager expected = eMatOk) {
    CString out;
    EXPECT_EQ(CMatManager::GetGesammtText(out, m_Data.H(L"A")), expected);
    return out;
  }

  CArticleTestDataset m_Data;
  CMatTable *m_pKurz = nullptr, *m_pLang = nullptr, *m_pT = nullptr, *m_pE = nullptr,
            *m_pD = nullptr;
};

TEST_F(ArticleGesammtText, ModesChooseShortAndLongText) {
  Build(40);  // mode 4: both short lines and the long text
  EXPECT_EQ(Text(), L"Zeile 1\r\nZeile 2\r\nLangtext");
  m_Data.SetValue(m_Data.Info2(), L"A", 2, 0, 6);  // mode 2: first line, no long text
  EXPECT_EQ(Text(), L"Zeile 1");
  m_Data.SetValue(m_Data.Info2(), L"A", 3, 0, 6);  // mode 3: no short text
  EXPECT_EQ(Text(), L"Langtext");
  // Mode 1: the second line first, the first at the end after a line end of
  // its own.
  m_Data.SetValue(m_Data.Info2(), L"A", 1, 0, 6);
  EXPECT_EQ(Text(), L"Zeile 2\r\nLangtext\r\n\r\nZeile 1");
  // A ready text wins whatever the text tables hold.
  m_Data.Table(L"GesammtText", eTypeString);
  ASSERT_EQ(CMatManager::SetGesammtText(L"Fertig \r\n", m_Data.H(L"A")), eMatOk);
  EXPECT_EQ(Text(), L"Fertig \r\n");
}

TEST_F(ArticleGesammtText, TextLinesWithTemplatesAndBlocksAndAMissingBlock) {
  Build(50);  // mode 5: no long text
  auto& t = m_Data;
  t.SetText(m_pE, L"EK", L"DN $$ PN $$");
  t.SetText(m_pT, L"TK", L"Block");
  t.SetValue(m_pD, L"A", t.H(L"EK"), 2, 1);
  t.SetText(m_pD, L"A", L"15$40", 2, 0);
  t.SetText(m_pD, L"A", L"frei ", 0, 0);
  t.SetValue(m_pD, L"A", t.H(L"TK"), 1, 1);
  EXPECT_EQ(Text(), L"Zeile 1\r\nZeile 2\r\nfrei Block\r\nDN 15 PN 40");
  // A line naming a block that is not there ends the call with nothing.
  t.SetValue(m_pD, L"A", t.H(L"FEHLT"), 3, 1);
  EXPECT_EQ(Text(eMatNoRow), L"");
}

TEST_F(ArticleGesammtText, LanguageChildrenComeFirst) {
  CArticleTestDataset data(L"ENGLISH");
  CMatTable* pKurz = data.Table(L"KurzText", eTypeString);
  data.SetText(pKurz, L"A", L"Pumpe");
  data.SetText(data.Table(L"ENGLISH", eTypeString, pKurz), L"A", L"Pump");
  data.SetValue(data.Info2(), L"A", 2, 0, 6);
  CString out;
  EXPECT_EQ(CMatManager::GetGesammtText(out, data.H(L"A")), eMatOk);
  EXPECT_EQ(out, L"Pump");
  EXPECT_EQ(CMatManager::GetKurzText(out, data.H(L"A")), eMatOk);
  EXPECT_EQ(out, L"Pump");
  ASSERT_EQ(CMatManager::SetKurzText(L"Pump 2", data.H(L"A")), eMatOk);
  EXPECT_EQ(CMatManager::GetKurzText(out, data.H(L"A")), eMatOk);
  EXPECT_EQ(out, L"Pump 2");
}

TEST(ArticleTexts, ShortTextsAndTableTexts) {
  CArticleTestDataset t;
  CString out;
  EXPECT_EQ(CMatManager::GetKurzText(out, t.H(L"A")), eMatNoTable);
  EXPECT_FALSE(CMatManager::HasKurzText(t.H(L"A")));
  EXPECT_EQ(CMatManager::SetGesammtText(L"x", t.H(L"A")), eMatNoTable);
  CMatTable* pKurz = t.Table(L"KurzText", eTypeString);
  EXPECT_EQ(CMatManager::GetKurzText(out, t.H(L"A")), eMatNoRow);
  t.SetText(pKurz, L"A", L"Kurz");
  EXPECT_TRUE(CMatManager::HasKurzText(t.H(L"A")));
  // Table texts: the nearest "Texte" above the table, else its name with 7.
  CMatTable* pTop = t.Table(L"Gruppe", eTypeVoid);
  CMatTable* pChild = t.Table(L"Kind", eTypeVoid, pTop);
  EXPECT_EQ(CMatManager::GetTableText(out, pChild), eMatNoRow);
  EXPECT_EQ(out, L"Kind");
  t.SetText(t.Table(L"Texte", eTypeString), L"Kind", L"Oben");
  EXPECT_EQ(CMatManager::GetTableText(out, pChild), eMatOk);
  EXPECT_EQ(out, L"Oben");
  t.SetText(t.Table(L"Texte", eTypeString, pTop), L"Kind", L"Nah");
  EXPECT_EQ(CMatManager::GetTableText(out, pChild), eMatOk);
  EXPECT_EQ(out, L"Nah");
  EXPECT_EQ(CMatManager::GetTableText(out, nullptr), eMatNoRow);
}

}  // namespace
