// The field readers of a BDH-2 line, at the edges of their fields.
#include "import/bdh_fields.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>

namespace {

TEST(BdhFields, IntegersTakeTheirFieldAndNoMore) {
  struct {
    const wchar_t* pLine;
    int nValue;
    bool bNumber;
    const wchar_t* pNext;
  } const cases[] = {
      {L"60|x", 60, true, L"x"},
      {L" -7 |x", -7, true, L"x"},
      {L"12ab|x", 12, true, L"x"},
      {L"|x", 0, false, L"x"},
      {L"abc|x", 0, false, L"x"},
      {L"99999999999999|x", INT_MAX, true, L"x"},
      {L"-99999999999999|x", INT_MIN, true, L"x"},
      {L"5", 5, true, L""},
  };
  for (const auto& c : cases) {
    CBdhLine line(c.pLine);
    bool bNumber = !c.bNumber;
    EXPECT_EQ(line.ReadInt(&bNumber), c.nValue) << c.pLine;
    EXPECT_EQ(bNumber, c.bNumber) << c.pLine;
    EXPECT_EQ(line.ReadText(), c.pNext) << c.pLine;
  }
}

TEST(BdhFields, DecimalsReadCommaOrPointAndStayInRange) {
  EXPECT_FLOAT_EQ(CBdhLine::ParseDecimal(L"1,31"), 1.31f);
  EXPECT_FLOAT_EQ(CBdhLine::ParseDecimal(L" 80.5"), 80.5f);
  EXPECT_FLOAT_EQ(CBdhLine::ParseDecimal(L"-2,5x"), -2.5f);
  EXPECT_FLOAT_EQ(CBdhLine::ParseDecimal(L""), 0.0f);
  EXPECT_FLOAT_EQ(CBdhLine::ParseDecimal(L"1.2.3"), 1.2f);
  // Far beyond a float: held at its largest value, never infinite.
  EXPECT_EQ(CBdhLine::ParseDecimal(std::wstring(60, L'9')), FLT_MAX);
}

// A field longer than the reader's 259 characters is cut, and the field
// after it is still the next field.
TEST(BdhFields, LongFieldsAreCutWithoutShiftingTheNextOnes) {
  const std::wstring longText(300, L'a');
  const std::wstring text = longText + L"|next|" + longText;
  CBdhLine line(text);
  EXPECT_EQ(line.ReadText(), std::wstring(259, L'a'));
  EXPECT_EQ(line.ReadText(), L"next");
  EXPECT_EQ(line.ReadRest(), std::wstring(259, L'a'));
  EXPECT_TRUE(line.AtEnd());
  EXPECT_EQ(line.ReadText(), L"");
  EXPECT_EQ(line.ReadInt(), 0);
}

TEST(BdhFields, RestOfLineKeepsItsSeparators) {
  CBdhLine line(L"25|3|400|600|");
  line.ReadInt();
  line.ReadInt();
  EXPECT_EQ(line.ReadRest(), L"400|600|");
  EXPECT_EQ(SplitBdhFields(L"400|600|"), (std::vector<std::wstring_view>{L"400", L"600", L""}));
  EXPECT_EQ(SplitBdhFields(L""), (std::vector<std::wstring_view>{L""}));
}

}  // namespace
