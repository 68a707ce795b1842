#include <gtest/gtest.h>

#include <cmath>

#include "platform/recording_host_ui.h"
#include "store/base/num_string_macros.h"
#include "store/mmtb/mat_text_reader.h"

namespace {

class MatTextTokens : public ::testing::Test {
 protected:
  MatTextTokens() : m_ScopedUI(m_UI), m_ScopedMacros(m_Macros) {}
  CMatTextReader& Open(const wchar_t* pText) {
    m_Reader.OpenString(pText, L"t.mmtb");
    return m_Reader;
  }
  CString String(const wchar_t* pText, bool bMultiLine = true, bool bExpect = true) {
    CString out;
    EXPECT_EQ(Open(pText).LoadString(out, bMultiLine), bExpect) << pText;
    return out;
  }

  CRecordingHostUI m_UI;
  CScopedHostUI m_ScopedUI;
  CNumStringMacros m_Macros;
  CScopedNumStringMacros m_ScopedMacros;
  CMatTextReader m_Reader;
};

TEST_F(MatTextTokens, LoadStringPiecesMarkersLinesAndEmptyTexts) {
  // A missing string (line end, comment) is empty.
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"  (*abc*) rest", L"abc"}, {L"_PTR(*a*)", L"a"}, {L"_TR(*b*)", L"b"}, {L"(**)", L""},
      {L"   \r\nnext", L""},       {L" ; comment", L""}, {L"(*a**)", L"a*"}};
  for (const auto& [text, expected] : cases) EXPECT_EQ(String(text), expected);
  // "-)" ... "(-" joins pieces with CR LF, also in single-line fields.
  EXPECT_EQ(String(L"(*first-)\r\n   (-second*)", false), L"first\r\nsecond");
  EXPECT_EQ(m_Reader.GetZeile(), 1);
  // Multi-line strings keep CR LF and count their lines.
  EXPECT_EQ(String(L"(*one\r\ntwo\nthree*) x"), L"one\r\ntwo\r\nthree");
  EXPECT_EQ(m_Reader.GetZeile(), 2);
  EXPECT_EQ(*m_Reader.GetPos(), L' ');
  EXPECT_EQ(m_UI.Count(), 0u);
}

TEST_F(MatTextTokens, LoadStringErrorsNameFileAndLine) {
  String(L"(*a(*b*)", true, false);
  String(L"abc", true, false);
  ASSERT_EQ(m_UI.Count(), 2u);
  EXPECT_EQ(m_UI.GetMessages()[1].strText, L"Datei: t.mmtb, Zeile:0 LoadString() Fehler.");
  EXPECT_EQ(m_UI.GetMessages()[1].nStyle, unsigned{MB_OK | MB_ICONERROR});
  m_UI.Clear();
  // Unterminated: in a single-line field at the line end, in any field at
  // the end of the text.
  CMatTextReader& reader = Open(L"\n(*abc\r\n*)");
  reader.NextZeile();
  CString out;
  EXPECT_FALSE(reader.LoadString(out, false));
  EXPECT_EQ(m_UI.LastText(),
            L"Datei: t.mmtb, Zeile:1 LoadString() Fehler. Die Terminierung \"*)\" ist nicht "
            L"vorhanden.");
  String(L"(*abc\r\nno end", true, false);
  EXPECT_EQ(m_UI.LastText(),
            L"Datei: t.mmtb, Zeile:1 LoadString() Fehler. Die Terminierung \"*)\" ist nicht "
            L"vorhanden.");
  // A continuation whose next line has no "(-".
  String(L"(*a-)\r\nplain", true, false);
  EXPECT_EQ(m_UI.LastText(), L"Datei: t.mmtb, Zeile:1 LoadString() Fehler.");
}

TEST_F(MatTextTokens, ReadIntInAllSixForms) {
  m_Macros.Define(L"BREITE", L"20");
  const std::pair<const wchar_t*, int> cases[] = {
      {L" 0x1F", 31},   {L"0xffffffff", -1}, {L"%1010_0001", 161},
      {L"'AB'", 16706}, {L"-42", -42},       {L"4294967295", -1},
      {L";5", 0},       {L"\r\n5", 0},       {L"(BREITE*2+1)", 41}};
  for (const auto& [text, n] : cases) EXPECT_EQ(Open(text).ReadInt(), n) << text;
  EXPECT_EQ(m_UI.Count(), 0u);
  // Separators: one "," after a decimal or hexadecimal number.
  CMatTextReader& reader = Open(L"1, 2 ,3 0x4,5");
  for (int n = 1; n <= 5; ++n) EXPECT_EQ(reader.ReadInt(), n);
}

TEST_F(MatTextTokens, ReadIntWithoutDigitsWarnsAndLongNumbersStopAt64Characters) {
  EXPECT_EQ(Open(L"-").ReadInt(), 0);
  EXPECT_EQ(m_UI.LastText(),
            L"Fehler beim interpretieren von Integerwert.\nZeile: 0\nFile: t.mmtb");
  EXPECT_EQ(m_UI.LastStyle(), unsigned{MB_OK | MB_ICONWARNING});
  // 70 digits: the first 64 make the number, the rest is the next one.
  CMatTextReader& reader = Open((std::wstring(64, L'0') + L"123456").c_str());
  EXPECT_EQ(reader.ReadInt(), 0);
  EXPECT_EQ(reader.ReadInt(), 123456);
}

TEST_F(MatTextTokens, LoadNumStringTakesNestedParentheses) {
  CString out;
  Open(L"((1+2)*3) x").LoadNumString(out);
  EXPECT_EQ(out, L"(1+2)*3");
  EXPECT_EQ(*m_Reader.GetPos(), L' ');
  out.clear();
  Open(L"(1+(2").LoadNumString(out);  // unclosed: up to the line end
  EXPECT_EQ(out, L"1+(2");
  out.clear();
  Open(L"5").LoadNumString(out);
  EXPECT_EQ(m_UI.LastText(), L"Zeile:0 LoadNumString() Fehler.");
}

TEST_F(MatTextTokens, ReadFloatForms) {
  const std::pair<const wchar_t*, float> cases[] = {{L"1,5", 1.5f},
                                                    {L" -2.25", -2.25f},
                                                    {L"1e+20", 1e20f},
                                                    {L"2.5E-3", 2.5e-3f},
                                                    {L"(3/2)", 1.5f}};
  for (const auto& [text, f] : cases) EXPECT_FLOAT_EQ(Open(text).ReadFloat(), f) << text;
  EXPECT_TRUE(std::isinf(Open(L"-inf").ReadFloat()));
  EXPECT_TRUE(std::isnan(Open(L"nan").ReadFloat()));
  EXPECT_EQ(Open(L"abc").ReadFloat(), 0.0f);
  // "e" not followed by digits is no exponent; nothing after is skipped.
  CMatTextReader& reader = Open(L"3e 4");
  EXPECT_EQ(reader.ReadFloat(), 3.0f);
  EXPECT_EQ(*reader.GetPos(), L'e');
  CMatTextReader& two = Open(L"1.5 2.5");
  EXPECT_EQ(two.ReadFloat(), 1.5f);
  EXPECT_EQ(two.ReadFloat(), 2.5f);
}

TEST_F(MatTextTokens, ReadTypeLettersNumbersAndUnknown) {
  const std::pair<const wchar_t*, std::uint32_t> cases[] = {
      {L"B", eTypeBit},         {L"c", eTypeString},       {L"F", eTypeFloat},
      {L"h", eTypeHandle},      {L"I", eTypeInteger},      {L"S", eTypeStruct},
      {L"u", eTypeUniString},   {L"V", eTypeVoid},         {L"L", eTypeStrLine},
      {L"7", eTypeStringArray}, {L" 10 ,", eTypeUniString}};
  for (const auto& [text, type] : cases) EXPECT_EQ(Open(text).ReadType(), type) << text;
  EXPECT_EQ(Open(L"X").ReadType(), CMatTextReader::kTypeUnknown);
  EXPECT_EQ(Open(L"").ReadType(), CMatTextReader::kTypeUnknown);
  EXPECT_GT(Open(L"99999999999999").ReadType(), std::uint32_t{eTypeUniString});
  CMatTextReader& reader = Open(L"I, 3");
  EXPECT_EQ(reader.ReadType(), std::uint32_t{eTypeInteger});
  EXPECT_EQ(reader.ReadInt(), 3);
}

TEST_F(MatTextTokens, ReadKeywordStopsWhereTheGrammarSays) {
  CString word;
  // The keywords of a table's head and the preprocessor are read in the body
  // and preprocessor tests.
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {{L"  StrucDef=2,H", L"StrucDef="},
                                                             {L"(*row*) 5", L""},
                                                             {L"\"two words\" x", L"two words"},
                                                             {L"_TR(*a*)", L"_TR"},
                                                             {L"x;y", L"x"},
                                                             {L"\"open", L"open"}};
  for (const auto& [text, expected] : cases) {
    Open(text).ReadKeyword(word);
    EXPECT_EQ(word, expected) << text;
  }
}

TEST_F(MatTextTokens, BitValuesReadTheOldAndTheNewForm) {
  const CString bits = L"00000000000000000000000000000101";
  EXPECT_EQ(Open((L"0x" + bits).c_str()).ReadBitValue(), 5u);
  EXPECT_EQ(Open((L"%" + bits).c_str()).ReadBitValue(), 5u);
  EXPECT_EQ(Open(L"0x10").ReadBitValue(), 16u);  // a short "0x" number stays hexadecimal
  EXPECT_EQ(Open((L"0x" + bits + L"F").c_str()).ReadBitValue(), 0x101Fu);  // 33 digits: hex
  CMatTextReader& reader = Open((L"0x" + bits + L", 7").c_str());
  EXPECT_EQ(reader.ReadBitValue(), 5u);
  EXPECT_EQ(reader.ReadBitValue(), 7u);
}

}  // namespace
