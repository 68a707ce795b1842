#include "platform/code_page.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/text.h"

namespace {

using namespace std::string_literals;

// Bytes and the text they stand for in a code page. Invalid, undefined and
// cut sequences read as U+FFFD and decoding goes on; CP_DETECT reads a
// byte-order mark, else valid UTF-8, else 1252.
TEST(PlatformCodePage, DecodesEachCodePage) {
  const struct {
    std::string bytes;
    unsigned nCodePage;
    CString text;
  } cases[] = {
      {"\200\304\326\334\344\366\374\337", CP_WINDOWS_1252,
       L"\u20ac\u00c4\u00d6\u00dc\u00e4\u00f6\u00fc\u00df"},
      {"a\0b"s, CP_WINDOWS_1252, CString(L"a\0b", 3)},
      // Runs of ASCII long enough to be widened eight at a time, with the
      // code page's own bytes between them and at the end.
      {"Rohrschelle DN15 \304u\337ere Gr\366\337e 1/2 Zoll\200", CP_WINDOWS_1252,
       L"Rohrschelle DN15 \u00c4u\u00dfere Gr\u00f6\u00dfe 1/2 Zoll\u20ac"},
      {"Pressfitting Kupfer 22 mm x 3/4 Zoll\200", CP_WINDOWS_1252,
       L"Pressfitting Kupfer 22 mm x 3/4 Zoll\u20ac"},
      {"Muffe DN 20 aus Messing \216u\341ere", CP_DOS_850,
       L"Muffe DN 20 aus Messing \u00c4u\u00dfere"},
      {"a\201\215\217\220\235b", CP_WINDOWS_1252, L"a\uFFFD\uFFFD\uFFFD\uFFFD\uFFFDb"},
      {"\216\231\232\201\224\341", CP_DOS_850, L"\u00c4\u00d6\u00dc\u00fc\u00f6\u00df"},
      {"\300\377", 1251, L"\u0410\u044f"},
      {"\271\346", 1250, L"\u0105\u0107"},
      {"\222\206\225\266", 932, L"\u4e2d\u6587"},
      {"\260\241", 949, L"\uac00"},
      {"\244\244", 950, L"\u4e2d"},
      {"a\222", 932, L"a\uFFFD"},
      {"\377a", 936, L"\uFFFDa"},
      {"\357\273\277\303\244", CP_UTF8_TEXT, L"\u00e4"},
      {"\303\244\377", CP_UTF8_TEXT, L"\u00e4\uFFFD"},
      {"A\0\075\330\000\336"s, 1200, L"A\U0001F600"},
      {"\377\376A\0"s, 1200, L"A"},
      {"\377\376A\0\344\0"s, CP_DETECT, L"A\u00e4"},
      {"\376\377\0A\0\344"s, CP_DETECT, L"A\u00e4"},
      {"\357\273\277A\303\244", CP_DETECT, L"A\u00e4"},
      {"A\303\244\342\202\254", CP_DETECT, L"A\u00e4\u20ac"},
      {"A\344\200", CP_DETECT, L"A\u00e4\u20ac"},
      {"", CP_DETECT, L""},
      {"\377\376\000\330A\0B"s, CP_DETECT, L"\uFFFDA\uFFFD"},  // lone surrogate, odd last byte
  };
  for (const auto& c : cases) {
    CString out = L"stale";
    EXPECT_TRUE(DecodeText(c.bytes, c.nCodePage, out)) << c.nCodePage;
    EXPECT_EQ(out, c.text) << c.nCodePage << " " << ToUtf8(c.text);
  }
}

// Characters a code page can not hold are written as '?'.
TEST(PlatformCodePage, EncodesEachCodePage) {
  const struct {
    CString text;
    unsigned nCodePage;
    std::string bytes;
  } cases[] = {
      {L"\u20ac\u00c4\u00d6\u00dc\u00e4\u00f6\u00fc\u00df", CP_WINDOWS_1252,
       "\200\304\326\334\344\366\374\337"},
      {L"x\u4e2d\u20acy\uFFFD", CP_WINDOWS_1252, "x?\200y?"},
      {L"\u00c4\u00d6\u00dc\u00fc\u00f6\u00df", CP_DOS_850, "\216\231\232\201\224\341"},
      {L"\u20ac", CP_DOS_850, "?"},
      {L"\u00e9\u4e2d", 932, "?\222\206"},
      {L"\u4e2d\u6587", 936, "\326\320\316\304"},
      {L"\u00e4", CP_UTF8_TEXT, "\303\244"},
      {L"\u00e4", CP_DETECT, "\357\273\277\303\244"},
      {L"A\U0001F600", 1200, "A\0\075\330\000\336"s},
  };
  for (const auto& c : cases) {
    std::string out = "stale";
    EXPECT_TRUE(EncodeText(c.text, c.nCodePage, out)) << c.nCodePage;
    EXPECT_EQ(out, c.bytes) << c.nCodePage << " " << ToUtf8(c.text);
  }
}

TEST(PlatformCodePage, UnknownCodePagesFail) {
  CString text = L"old";
  std::string bytes = "old";
  EXPECT_FALSE(DecodeText("abc", 4711, text));
  EXPECT_FALSE(EncodeText(L"abc", 0, bytes));
  EXPECT_TRUE(text.empty());
  EXPECT_TRUE(bytes.empty());
  EXPECT_FALSE(IsKnownCodePage(4711));
}

}  // namespace
