#include "platform/code_page.h"

#include <gtest/gtest.h>

namespace {

CString Decode(std::string_view bytes, unsigned codePage) {
  CString out = L"stale";
  EXPECT_TRUE(DecodeText(bytes, codePage, out)) << codePage;
  return out;
}

std::string Encode(std::wstring_view text, unsigned codePage) {
  std::string out = "stale";
  EXPECT_TRUE(EncodeText(text, codePage, out)) << codePage;
  return out;
}

TEST(PlatformCodePage, Windows1252RoundTripsGermanAndEuro) {
  const CString text = L"\u20ac\u00c4\u00d6\u00dc\u00e4\u00f6\u00fc\u00df";
  const std::string bytes = "\x80\xC4\xD6\xDC\xE4\xF6\xFC\xDF";
  EXPECT_EQ(Encode(text, CP_WINDOWS_1252), bytes);
  EXPECT_EQ(Decode(bytes, CP_WINDOWS_1252), text);
  EXPECT_EQ(Decode(std::string("a\0b", 3), CP_WINDOWS_1252), CString(L"a\0b", 3));
}

TEST(PlatformCodePage, UndefinedAndUnmappableCharacters) {
  // The five bytes 1252 leaves undefined read as U+FFFD; decoding goes on.
  EXPECT_EQ(Decode("a\x81\x8D\x8F\x90\x9D"
                   "b",
                   CP_WINDOWS_1252),
            L"a\uFFFD\uFFFD\uFFFD\uFFFD\uFFFDb");
  // Characters a code page cannot hold are written as '?'.
  EXPECT_EQ(Encode(L"x\u4e2d\u20acy\uFFFD", CP_WINDOWS_1252), "x?\x80y?");
  EXPECT_EQ(Encode(L"\u20ac", CP_DOS_850), "?");
  EXPECT_EQ(Encode(L"\u00e9\u4e2d", 932), "?\x92\x86");
}

TEST(PlatformCodePage, DosCharacterSet) {
  EXPECT_EQ(Decode("\x8E\x99\x9A\x81\x94\xE1", CP_DOS_850),
            L"\u00c4\u00d6\u00dc\u00fc\u00f6\u00df");
  EXPECT_EQ(Encode(L"\u00c4\u00d6\u00dc\u00fc\u00f6\u00df", CP_DOS_850),
            "\x8E\x99\x9A\x81\x94\xE1");
}

TEST(PlatformCodePage, OtherWindowsPages) {
  EXPECT_EQ(Decode("\xC0\xFF", 1251), L"\u0410\u044f");
  EXPECT_EQ(Decode("\xB9\xE6", 1250), L"\u0105\u0107");
  EXPECT_EQ(Decode("\x92\x86\x95\xB6", 932), L"\u4e2d\u6587");
  EXPECT_EQ(Encode(L"\u4e2d\u6587", 936), "\xD6\xD0\xCE\xC4");
  EXPECT_EQ(Decode("\xB0\xA1", 949), L"\uac00");
  EXPECT_EQ(Decode("\xA4\xA4", 950), L"\u4e2d");
  // An invalid or cut multi-byte sequence becomes U+FFFD and decoding goes on.
  EXPECT_EQ(Decode("a\x92", 932), L"a\uFFFD");
  EXPECT_EQ(Decode("\xFF"
                   "a",
                   936),
            L"\uFFFD"
            L"a");
}

TEST(PlatformCodePage, Utf8AndUtf16) {
  EXPECT_EQ(Decode("\xEF\xBB\xBF\xC3\xA4", CP_UTF8_TEXT), L"\u00e4");
  EXPECT_EQ(Decode("\xC3\xA4\xFF", CP_UTF8_TEXT), L"\u00e4\uFFFD");
  EXPECT_EQ(Encode(L"\u00e4", CP_UTF8_TEXT), "\xC3\xA4");
  EXPECT_EQ(Encode(L"\u00e4", CP_DETECT), "\xEF\xBB\xBF\xC3\xA4");
  EXPECT_EQ(Encode(L"A\U0001F600", 1200), std::string("A\0\x3D\xD8\x00\xDE", 6));
  EXPECT_EQ(Decode(std::string("A\0\x3D\xD8\x00\xDE", 6), 1200), L"A\U0001F600");
  EXPECT_EQ(Decode(std::string("\xFF\xFE"
                               "A\0",
                               4),
                   1200),
            L"A");
}

TEST(PlatformCodePage, DetectsByteOrderMarksAndUtf8) {
  EXPECT_EQ(Decode(std::string("\xFF\xFE"
                               "A\0\xE4\0",
                               6),
                   CP_DETECT),
            L"A\u00e4");
  EXPECT_EQ(Decode(std::string("\xFE\xFF\0A\0\xE4", 6), CP_DETECT), L"A\u00e4");
  EXPECT_EQ(Decode("\xEF\xBB\xBF"
                   "A\xC3\xA4",
                   CP_DETECT),
            L"A\u00e4");
  EXPECT_EQ(Decode("A\xC3\xA4\xE2\x82\xAC", CP_DETECT), L"A\u00e4\u20ac");
  // Not UTF-8: the file is read as 1252.
  EXPECT_EQ(Decode("A\xE4\x80", CP_DETECT), L"A\u00e4\u20ac");
  EXPECT_EQ(Decode("", CP_DETECT), L"");
  // Broken UTF-16: a lone surrogate and an odd last byte.
  EXPECT_EQ(Decode(std::string("\xFF\xFE\x00\xD8"
                               "A\0"
                               "B",
                               7),
                   CP_DETECT),
            L"\uFFFD"
            L"A\uFFFD");
}

TEST(PlatformCodePage, UnknownCodePagesFail) {
  CString text = L"old";
  std::string bytes = "old";
  EXPECT_FALSE(DecodeText("abc", 4711, text));
  EXPECT_FALSE(EncodeText(L"abc", 0, bytes));
  EXPECT_TRUE(text.empty());
  EXPECT_TRUE(bytes.empty());
  EXPECT_FALSE(IsKnownCodePage(4711));
  for (unsigned known :
       {1250u, 1252u, 1258u, 874u, 932u, 936u, 949u, 950u, 65001u, 3331u, 3332u, 1200u}) {
    EXPECT_TRUE(IsKnownCodePage(known)) << known;
  }
}

}  // namespace
