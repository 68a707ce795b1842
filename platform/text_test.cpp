#include "platform/text.h"

#include <gtest/gtest.h>

namespace {

TEST(PlatformText, Utf8RoundTripsEveryPlane) {
  const CString text = L"A\u00e4\u20ac\U0001F600z";
  const std::string bytes = ToUtf8(text);
  EXPECT_EQ(bytes, "A\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80z");
  EXPECT_TRUE(IsValidUtf8(bytes));
  EXPECT_EQ(FromUtf8(bytes), text);
}

TEST(PlatformText, LongMixedTextsConvertWholeAndAppend) {
  // ASCII runs and sequences across the decoder's 512-character pieces, a
  // defect right at a piece edge, and appending behind what is there.
  CString text;
  for (int i = 0; i < 700; ++i) text += (i % 97 == 0) ? L"\u00f6\U0001F600" : L"x";
  std::string bytes = ToUtf8(text);
  EXPECT_EQ(FromUtf8(bytes), text);
  std::string edge(511, 'a');
  edge += "\xC3(";
  EXPECT_EQ(FromUtf8(edge), CString(511, L'a') + L"\uFFFD(");
  CString wide = L"vor ";
  AppendFromUtf8("\xC3\xA4nd", wide);
  EXPECT_EQ(wide, L"vor \u00e4nd");
  std::string narrow = "vor ";
  AppendToUtf8(L"\u00e4nd", narrow);
  EXPECT_EQ(narrow, "vor \xC3\xA4nd");
  const CString ascii = CString(600, L'a') + L"\u00e4" + CString(300, L'b');
  narrow.clear();
  AppendToUtf8(ascii, narrow);
  EXPECT_EQ(narrow, std::string(600, 'a') + "\xC3\xA4" + std::string(300, 'b'));
}

TEST(PlatformText, InvalidUtf8BecomesOneReplacementPerDefect) {
  struct Case {
    std::string bytes;
    CString expected;
  };
  const Case cases[] = {
      {"a\200b", L"a\uFFFDb"},                            // stray continuation byte
      {"\303", L"\uFFFD"},                                // truncated at the end
      {"\342\202x", L"\uFFFDx"},                          // truncated three-byte sequence
      {"\300\257", L"\uFFFD\uFFFD"},                      // overlong '/'
      {"\340\200\257", L"\uFFFD\uFFFD\uFFFD"},            // overlong three-byte
      {"\355\240\200", L"\uFFFD\uFFFD\uFFFD"},            // encoded surrogate
      {"\364\220\200\200", L"\uFFFD\uFFFD\uFFFD\uFFFD"},  // beyond U+10FFFF
      {"\377\376", L"\uFFFD\uFFFD"},
      {"\360\237\230", L"\uFFFD"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FromUtf8(c.bytes), c.expected) << c.bytes.size();
    EXPECT_FALSE(IsValidUtf8(c.bytes));
  }
  EXPECT_TRUE(IsValidUtf8(""));
  EXPECT_TRUE(IsValidUtf8(std::string("a\0b", 3)));
}

TEST(PlatformText, ToUtf8ReplacesWhatIsNoCharacter) {
  const wchar_t lone[] = {L'a', static_cast<wchar_t>(0xD800), L'b', 0};
  EXPECT_EQ(ToUtf8(lone), "a\357\277\275b");
  const wchar_t tooBig[] = {static_cast<wchar_t>(0x110000), 0};
  EXPECT_EQ(ToUtf8(tooBig), "\xEF\xBF\xBD");
  // A pair of surrogates (text that came in UTF-16 units) is one character.
  const wchar_t pair[] = {static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00), 0};
  EXPECT_EQ(ToUtf8(pair), "\xF0\x9F\x98\x80");
}

TEST(PlatformText, Utf8LengthAgreesWithTheEncoder) {
  const std::wstring texts[] = {L"",
                                L"abc",
                                L"Heizkörper ä€",
                                std::wstring(L"x\U0001F600y"),
                                std::wstring{L'a', wchar_t(0xD83D), wchar_t(0xDE00), L'b'},
                                std::wstring{wchar_t(0xDC00), L'a', wchar_t(0xD800)}};
  for (const std::wstring& text : texts) EXPECT_EQ(Utf8Length(text), ToUtf8(text).size());
}

TEST(PlatformText, CaseFoldsBeyondAscii) {
  EXPECT_EQ(ToLower(L"ABC \u00c4\u00d6\u00dc \u00c9\u00de"),
            L"abc \u00e4\u00f6\u00fc \u00e9\u00fe");
  EXPECT_EQ(ToUpper(L"abc \u00e4\u00f6\u00fc \u00ff"), L"ABC \u00c4\u00d6\u00dc \u0178");
  // Latin Extended-A: both pairings (even/odd and odd/even) and the exceptions.
  EXPECT_EQ(ToLower(L"\u0100\u0141\u0152\u0160\u017d\u0178"),
            L"\u0101\u0142\u0153\u0161\u017e\u00ff");
  EXPECT_EQ(ToUpper(L"\u0101\u0142\u0153\u0161\u017e"), L"\u0100\u0141\u0152\u0160\u017d");
  EXPECT_EQ(ToUpperChar(L'\u00df'), L'\u00df');  // ß has no one-letter capital
  EXPECT_EQ(ToLowerChar(L'\u00d7'), L'\u00d7');  // × is no letter
  EXPECT_EQ(ToUpperChar(L'\u00f7'), L'\u00f7');  // ÷ neither
  EXPECT_EQ(ToLowerChar(L'\u0149'), L'\u0149');
  EXPECT_EQ(ToLower(L"\u0391\u03a3\u0414\u0401"), L"\u03b1\u03c3\u0434\u0451");
  EXPECT_EQ(ToUpperChar(L'\u03c2'), L'\u03a3');
}

TEST(PlatformText, EqualsNoCase) {
  EXPECT_TRUE(EqualsNoCase(L"Stra\u00dfe \u00c4", L"STRA\u00dfE \u00e4"));
  EXPECT_TRUE(EqualsNoCase(L"", L""));
  EXPECT_FALSE(EqualsNoCase(L"abc", L"abd"));
  EXPECT_FALSE(EqualsNoCase(L"abc", L"ab"));
  EXPECT_FALSE(EqualsNoCase(L"a", L"\u00e4"));
}

TEST(PlatformText, TrimsAsciiWhiteSpaceOnly) {
  EXPECT_EQ(Trim(L" \t\r\n a b \v\f"), L"a b");
  EXPECT_EQ(TrimLeft(L"  a "), L"a ");
  EXPECT_EQ(TrimRight(L"  a "), L"  a");
  EXPECT_EQ(Trim(L"   "), L"");
  EXPECT_EQ(Trim(L"\u00a0x\u00a0"), L"\u00a0x\u00a0");
}

}  // namespace
