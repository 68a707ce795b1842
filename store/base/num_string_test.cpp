#include "store/base/num_string.h"

#include <gtest/gtest.h>

#include <tuple>

#include "platform/recording_host_ui.h"
#include "platform/text.h"
#include "store/base/translation.h"

namespace {

// Each test gets its own host UI, macro table and (language-less) translations.
class BaseNumString : public ::testing::Test {
 protected:
  CRecordingHostUI m_UI;
  CScopedHostUI m_ScopedUI{m_UI};
  CNumStringMacros m_Macros;
  CScopedNumStringMacros m_ScopedMacros{m_Macros};
  CTranslationManager m_Translations{L""};
  CScopedTranslationManager m_ScopedTranslations{m_Translations};
};

// Int rounds half away from zero; an empty text is zero without a message.
TEST_F(BaseNumString, ValuesOfOneText) {
  const std::tuple<const wchar_t*, int, double> cases[] = {
      {L"(3+4)*2", 14, 14.0},  {L"12,5", 13, 12.5}, {L"", 0, 0.0},       {L"   ", 0, 0.0},
      {L"2.4", 2, 2.4},        {L"2.5", 3, 2.5},    {L"-2.5", -3, -2.5}, {L"-2.4", -2, -2.4},
      {L"0.29*100", 29, 29.0}, {L"7/2", 4, 3.5},
  };
  CNumString number;
  for (const auto& [pText, nInt, dValue] : cases) {
    number = pText;
    EXPECT_EQ(number.Int(), nInt) << ToUtf8(pText);
    EXPECT_DOUBLE_EQ(number.Value(), dValue) << ToUtf8(pText);
  }
  number = L"(3+4)*2";
  EXPECT_FLOAT_EQ(number.Float(), 14.0f);
  EXPECT_EQ(m_UI.Count(), 0u);
}

TEST_F(BaseNumString, OutOfRangeConversionsReportAndGiveZero) {
  CNumString number;
  number.SetCurZeile(12);
  number = L"2147483647";
  EXPECT_EQ(number.Int(), 2147483647);
  number = L"-2147483648";
  EXPECT_EQ(number.Int(), -2147483647 - 1);
  EXPECT_EQ(m_UI.Count(), 0u);

  number = L"0xFFFFFFFF";
  EXPECT_EQ(number.Int(), 0);
  EXPECT_EQ(m_UI.LastText(),
            L"Zeile 12: Wert außerhalb des Zahlenbereichs im Zahlenausdruck \"0xFFFFFFFF\"");
  number = L"2147483647.6";
  EXPECT_EQ(number.Int(), 0);
  number = L"1e39";
  EXPECT_EQ(number.Float(), 0.0f);
  EXPECT_DOUBLE_EQ(number.Value(), 1e39);
  EXPECT_EQ(m_UI.Count(), 3u);
}

// Each error names the line once, in its own words, and gives zero.
TEST_F(BaseNumString, EachErrorHasItsMessage) {
  CNumString::DefineMacro(L"A", L"B");
  CNumString::DefineMacro(L"B", L"A");
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"3+*4", L"Fehler im Zahlenausdruck \"3+*4\""},
      {L"X1+1", L"Unbekannter Name <X1> im Zahlenausdruck \"X1+1\""},
      {L"4/(2-2)", L"Division durch 0 im Zahlenausdruck \"4/(2-2)\""},
      {L"A", L"Makro <A> ist rekursiv oder zu tief verschachtelt im Zahlenausdruck \"A\""},
  };
  for (const auto& [pText, pMessage] : cases) {
    m_UI.Clear();
    CNumString number;
    number.SetCurZeile(7);
    number = pText;
    EXPECT_EQ(number.Int(), 0);
    EXPECT_EQ(number.Value(), 0.0);
    EXPECT_EQ(number.Float(), 0.0f);
    ASSERT_EQ(m_UI.Count(), 1u) << ToUtf8(pText);
    EXPECT_EQ(m_UI.LastText(), CString(L"Zeile 7: ") + pMessage);
    EXPECT_EQ(m_UI.LastTitle(), L"OrvaMat");
    EXPECT_TRUE(*pText != L'3' || number.GetError() == eNumSyntax);
  }
}

TEST_F(BaseNumString, MessagesAreTranslated) {
  m_Translations.SetActualLanguage(L"ENGLISH");
  LibraryTranslation().AddTranslation(L"Zeile %d: Fehler im Zahlenausdruck \"%s\"",
                                      L"Line %d: error in number expression \"%s\"");
  CNumString number;
  number.SetCurZeile(4);
  number = L"(";
  number.Value();
  EXPECT_EQ(m_UI.LastText(), L"Line 4: error in number expression \"(\"");
}

TEST_F(BaseNumString, StaticMacrosUseTheInstalledTable) {
  EXPECT_TRUE(CNumString::DefineMacro(L"DN", L"25"));
  EXPECT_FALSE(CNumString::DefineMacro(L"", L"1"));
  EXPECT_TRUE(CNumString::knownMacro(L"DN"));
  EXPECT_TRUE(m_Macros.IsKnown(L"DN"));
  EXPECT_FALSE(CNumString::knownMacro(L"dn"));
  CNumString number;
  number = L"DN*2";
  EXPECT_EQ(number.Int(), 50);
  // A redefinition is seen by a text already evaluated.
  CNumString::DefineMacro(L"DN", L"32");
  EXPECT_EQ(number.Int(), 64);
  EXPECT_TRUE(CNumString::unDefineMacro(L"DN"));
  EXPECT_FALSE(CNumString::unDefineMacro(L"DN"));
  EXPECT_EQ(number.Int(), 0);
  EXPECT_EQ(m_UI.Count(), 1u);
  CNumString::DefineMacro(L"X", L"1");
  CNumString::deleteContents();
  EXPECT_FALSE(CNumString::knownMacro(L"X"));
  EXPECT_EQ(m_Macros.GetCount(), 0u);
}

TEST_F(BaseNumString, ScopedTablesAreIndependent) {
  CNumString::DefineMacro(L"OUTER", L"1");
  CNumString number;
  number = L"OUTER";
  EXPECT_EQ(number.Int(), 1);
  {
    CNumStringMacros inner;
    CScopedNumStringMacros scoped(inner);
    EXPECT_FALSE(CNumString::knownMacro(L"OUTER"));
    EXPECT_EQ(number.Int(), 0);  // re-evaluated against the inner table
  }
  EXPECT_EQ(number.Int(), 1);
  CNumStringMacros own;
  own.Define(L"OUTER", L"5");
  CNumString bound(&own);
  bound = L"OUTER";
  EXPECT_EQ(bound.Int(), 5);
}

}  // namespace
