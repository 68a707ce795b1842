#include "platform/format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace {

// What C's printf makes of the same directive (ASCII results only).
template <typename T>
CString CPrintf(const char* format, T value) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, format, value);
  return CString(buffer, buffer + std::char_traits<char>::length(buffer));
}

CString Wide(const char* text) {
  return CString(text, text + std::char_traits<char>::length(text));
}

TEST(PlatformFormat, FloatingMatchesPrintf) {
  const char* formats[] = {"%g",    "%f",   "%e",      "%.3f",     "%10.2f", "%-10.2f|", "%+g",
                           "% g",   "%#g",  "%#.0f",   "%010.3e",  "%.0e",   "%G",       "%E",
                           "%.10g", "%.0g", "%+08.2f", "%-+9.1e|", "%.17g",  "%F"};
  const double values[] = {0.0,   -0.0,    1.5, -2.25, 123456789.0, 1e-7,    3.14159265358979,
                           1e300, -1e-300, 0.1, 100.0, 2.5,         -999.999};
  for (const char* f : formats) {
    for (const double v : values) {
      EXPECT_EQ(Format(Wide(f), v), CPrintf(f, v)) << f << " " << v;
    }
  }
  EXPECT_EQ(Format(L"%f", std::numeric_limits<double>::infinity()), L"inf");
  EXPECT_EQ(Format(L"%g", -std::numeric_limits<double>::infinity()), L"-inf");
  EXPECT_EQ(Format(L"%5.1f", std::nan("")), CPrintf("%5.1f", std::nan("")));
}

TEST(PlatformFormat, IntegersMatchPrintf) {
  const char* signedFormats[] = {"%d",  "%5d",  "%-5d|", "%05d",   "%+d",
                                 "% d", "%.3d", "%8.3d", "%-08d|", "%+05d",
                                 "%i",  "%ld",  "%lld",  "%I64d",  "%hd"};
  const int signedValues[] = {0, 1, -1, 42, -42, 2147483647, -2147483647 - 1, 12345};
  for (const char* f : signedFormats) {
    for (const int v : signedValues) {
      // Length prefixes are ignored: compare against the plain directive.
      std::string plain(f);
      for (const char* prefix : {"I64", "ll", "l", "h"}) {
        if (auto at = plain.find(prefix); at != std::string::npos) plain.erase(at, strlen(prefix));
      }
      EXPECT_EQ(Format(Wide(f), v), CPrintf(plain.c_str(), v)) << f << " " << v;
    }
  }
  const char* unsignedFormats[] = {"%u",  "%x", "%X",    "%08X", "%#x",
                                   "%#o", "%o", "%-6x|", "%.4X", "%10u"};
  const unsigned unsignedValues[] = {0u, 1u, 255u, 0xDEADBEEFu, 4294967295u};
  for (const char* f : unsignedFormats) {
    for (const unsigned v : unsignedValues) {
      EXPECT_EQ(Format(Wide(f), v), CPrintf(f, v)) << f << " " << v;
    }
  }
  EXPECT_EQ(Format(L"%lld", -9000000000000LL), L"-9000000000000");
  EXPECT_EQ(Format(L"%llu", 18446744073709551615ULL), L"18446744073709551615");
}

TEST(PlatformFormat, KindsConvertLikeC) {
  // %d of an unsigned int reads it as signed; %X of an int shows 32 bits.
  EXPECT_EQ(Format(L"%d", 4294967295u), L"-1");
  EXPECT_EQ(Format(L"%X", -1), L"FFFFFFFF");
  EXPECT_EQ(Format(L"%u", -2), L"4294967294");
  EXPECT_EQ(Format(L"%x", -1LL), L"ffffffff");
  EXPECT_EQ(Format(L"%X", -5000000000LL), L"FFFFFFFED5FA0E00");
  EXPECT_EQ(Format(L"%d", 5000000000ULL), L"5000000000");
  // Floating values truncate toward zero for the integer directives.
  EXPECT_EQ(Format(L"%d", 3.99), L"3");
  EXPECT_EQ(Format(L"%d", -3.99), L"-3");
  EXPECT_EQ(Format(L"%x", 255.5), L"ff");
  // Integers print as floating for the floating directives.
  EXPECT_EQ(Format(L"%g", 3), L"3");
  EXPECT_EQ(Format(L"%.2f", 7u), L"7.00");
  // %s of a number prints the number; its width and precision still apply.
  EXPECT_EQ(Format(L"%s|%s|%s", 42, 7u, 2.5), L"42|7|2.5");
  EXPECT_EQ(Format(L"%5s|%.2s", -12, 12345), L"  -12|12");
  // %c of an integer is that character; %d of a character its code.
  EXPECT_EQ(Format(L"%c%c", 65, 0xE4u), L"A\u00e4");
  EXPECT_EQ(Format(L"%d", L'A'), L"65");
  EXPECT_EQ(Format(L"[%c]", 0), L"[]");
  EXPECT_EQ(Format(L"%c", 0xD800), L"\uFFFD");
  EXPECT_EQ(Format(L"%c", -1), L"\uFFFD");
}

TEST(PlatformFormat, TextsAndCharacters) {
  EXPECT_EQ(Format(L"Tabelle <%s> hat den defaultitem %s nicht", L"Preise", CString(L"x\u00e4")),
            L"Tabelle <Preise> hat den defaultitem x\u00e4 nicht");
  EXPECT_EQ(Format(L"[%8s][%-8s][%.3s][%8.3s]", L"abc", L"abc", L"abcdef", L"abcdef"),
            L"[     abc][abc     ][abc][     abc]");
  EXPECT_EQ(Format(L"[%3c][%-3c][%c]", L'x', L'y', L'\u20ac'), L"[  x][y  ][\u20ac]");
  EXPECT_EQ(Format(L"%s", static_cast<const wchar_t*>(nullptr)), L"");
  EXPECT_EQ(Format(L"%S and %ls", L"one", L"two"), L"one and two");
  EXPECT_EQ(Format(L"100%% sicher %d%%", 5), L"100% sicher 5%");
  EXPECT_EQ(Format(L"no directives"), L"no directives");
  EXPECT_EQ(Format(L""), L"");
}

TEST(PlatformFormat, MalformedDirectivesPrintAsTheyStand) {
  EXPECT_EQ(Format(L"%"), L"%");
  EXPECT_EQ(Format(L"abc%", 1), L"abc%");
  EXPECT_EQ(Format(L"%5", 1), L"%5");
  EXPECT_EQ(Format(L"%-.", 1), L"%-.");
  EXPECT_EQ(Format(L"%l", 1), L"%l");
  EXPECT_EQ(Format(L"%s"), L"%s");
  EXPECT_EQ(Format(L"%d and %s", 7), L"7 and %s");
  EXPECT_EQ(Format(L"%q|%y %d", 3), L"%q|%y 3");
  // "*" widths are not taken: the argument stays for the next directive.
  EXPECT_EQ(Format(L"%*d|%d", 5, 6), L"%*d|5");
  EXPECT_EQ(Format(L"%.*f|%d", 2, 1.5), L"%.*f|2");
}

TEST(PlatformFormat, PointerDirectivesNeverTouchArguments) {
  int untouched = 17;
  EXPECT_EQ(Format(L"ab%n|%p|%d", untouched), L"ab%n|%p|17");
  EXPECT_EQ(untouched, 17);
  EXPECT_EQ(Format(L"%hn%lln", 1), L"%hn%lln");
}

TEST(PlatformFormat, KindMismatchPrintsDirectiveAndTakesArgument) {
  EXPECT_EQ(Format(L"%d-%s", L"text", L"next"), L"%d-next");
  EXPECT_EQ(Format(L"%x", L"text"), L"%x");
  EXPECT_EQ(Format(L"%c", L"text"), L"%c");
  EXPECT_EQ(Format(L"%5.2f|%d", L"text", 3), L"%5.2f|3");
  EXPECT_EQ(Format(L"%g", L'c'), L"%g");
  EXPECT_EQ(Format(L"%d", std::nan("")), L"%d");
  EXPECT_EQ(Format(L"%d", 1e300), L"%d");
}

TEST(PlatformFormat, HugeWidthAndPrecisionAreCapped) {
  EXPECT_EQ(Format(L"%.999999999d", 5).size(), 4096u);
  EXPECT_EQ(Format(L"%999999999999999999999d", 5).size(), 4096u);
  EXPECT_EQ(Format(L"%99999s", L"x").size(), 4096u);
  const CString f = Format(L"%.99999f", 1.0);
  EXPECT_EQ(f.size(), 2u + 4096u);
  EXPECT_EQ(f.substr(0, 4), L"1.00");
  EXPECT_EQ(Format(L"%.999999999d"), L"%.999999999d");
  // A long format of wide directives stops at the output limit.
  CString many;
  for (int i = 0; i < 2000; ++i) many += L"%4096d";
  std::vector<CFormatArg> args(2000, CFormatArg(1));
  EXPECT_LE(FormatV(many, args).size(), size_t{1} << 22);
}

}  // namespace
