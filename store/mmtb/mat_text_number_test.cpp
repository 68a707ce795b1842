#include "store/mmtb/mat_text_number.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace {

CString FloatText(float f) {
  CString s;
  AppendFloatText(s, f);
  return s;
}

std::uint32_t Bits(float f) {
  std::uint32_t n;
  std::memcpy(&n, &f, 4);
  return n;
}

TEST(MatTextNumber, ShortFormWhenExactAndParsingOutOfRangeAndInvalidTexts) {
  const float kInf = std::numeric_limits<float>::infinity();
  // Six digits would lose bits of 1.2345678.
  const std::pair<float, const wchar_t*> texts[] = {
      {1.5f, L"1.5"}, {100000.0f, L"100000"}, {1e20f, L"1e+20"},          {0.1f, L"0.1"},
      {-0.0f, L"-0"}, {kInf, L"inf"},         {1.2345678f, L"1.2345678"}, {-kInf, L"-inf"}};
  for (const auto& [f, text] : texts) EXPECT_EQ(FloatText(f), text);
  EXPECT_EQ(FloatText(std::nanf("")), L"nan");
  const std::pair<const wchar_t*, float> parsed[] = {{L"1e999", kInf},  {L"-1e999", -kInf},
                                                     {L"1e-999", 0.0f}, {L"", 0.0f},
                                                     {L"-", 0.0f},      {L".", 0.0f}};
  for (const auto& [text, f] : parsed) EXPECT_EQ(ParseFloatText(text), f) << text;
  EXPECT_TRUE(std::isnan(ParseFloatText(L"nan")));
}

TEST(MatTextNumber, IntegersAreAppendedInFull) {
  for (const std::int32_t n :
       {0, 7, -1, 10, 999999999, 1000000000, std::numeric_limits<std::int32_t>::max(),
        std::numeric_limits<std::int32_t>::min()}) {
    CString text = L"x";
    AppendIntText(text, n);
    EXPECT_EQ(text, L"x" + std::to_wstring(n));
  }
}

TEST(MatTextNumber, EveryFloatReadsBackBitForBit) {
  std::mt19937 random(7);
  const float special[] = {std::numeric_limits<float>::max(), std::numeric_limits<float>::min(),
                           std::numeric_limits<float>::denorm_min(), -1e-40f, 3.0e38f};
  for (float f : special) EXPECT_EQ(Bits(ParseFloatText(FloatText(f))), Bits(f)) << f;
  for (int i = 0; i < 20000; ++i) {
    std::uint32_t n = random();
    float f;
    std::memcpy(&f, &n, 4);
    if (std::isnan(f)) continue;
    ASSERT_EQ(Bits(ParseFloatText(FloatText(f))), n) << FloatText(f);
  }
}

}  // namespace
