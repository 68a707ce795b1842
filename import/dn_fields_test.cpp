#include "import/dn_fields.h"

#include <gtest/gtest.h>

TEST(DatanormFields, TextStopsAtSeparatorMaximumOrEndAndDropsTrailingBlanks) {
  CDnFieldReader r(L"abc  ;defghij;xy");
  EXPECT_EQ(r.ReadText(10), L"abc");
  EXPECT_EQ(r.ReadText(3), L"def");  // the rest of the field is skipped
  EXPECT_EQ(r.ReadText(10), L"xy");
  EXPECT_TRUE(r.AtEnd());
  EXPECT_EQ(r.ReadText(10), L"");  // past the end: empty, no move
  EXPECT_TRUE(r.AtEnd());
  // The trimmed text drops leading blanks too.
  EXPECT_EQ(CDnFieldReader(L"  A-1 ;").ReadTrimmed(15), L"A-1");
}

TEST(DatanormFields, CharacterFieldRules) {
  CDnFieldReader r(L"A;N;;XY;");
  EXPECT_EQ(r.ReadChar(), L'A');
  EXPECT_EQ(r.ReadChar(), L'N');
  EXPECT_EQ(r.ReadChar(), 0);     // empty field
  EXPECT_EQ(r.ReadChar(), L'X');  // not followed by ";": Y begins the next field
  EXPECT_EQ(r.ReadText(5), L"Y");
  EXPECT_EQ(r.ReadChar(), 0);  // end of line
}

TEST(DatanormFields, NumberStopsAtFirstNonDigitAndSkipsRestOfField) {
  CDnFieldReader r(L"12,5;-3;0042;123456789;9;");
  EXPECT_EQ(r.ReadNumber(8), 12);
  EXPECT_EQ(r.ReadNumber(8), 0);  // a sign is no digit
  EXPECT_EQ(r.ReadNumber(8), 42);
  EXPECT_EQ(r.ReadNumber(4), 1234);  // only four positions count
  EXPECT_EQ(r.ReadNumber(1), 9);
  EXPECT_EQ(r.ReadNumber(2), 0);
}

TEST(DatanormFields, NumbersBeyondThirtyTwoBitsNeitherOverflowNorWrap) {
  CDnFieldReader r(L"9999999999;99999999999999999999999999;");
  EXPECT_EQ(r.ReadNumber(10), 9999999999LL);
  EXPECT_EQ(r.ReadNumber(40), 999999999999999999LL);  // at most 18 positions
  EXPECT_EQ(DnClampInt(9999999999LL), 2147483647);
  EXPECT_EQ(DnClampInt(-9999999999LL), -2147483647 - 1);
}
