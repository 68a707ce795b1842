#include <gtest/gtest.h>

#include "OrvaMat/formula.h"

namespace {

using CVdiVar = CvdiFunction::CVdiVar;

CVdiVar& Text(CVdiVar& v, const wchar_t* text) {
  v.setType(CHARACTER, static_cast<int>(wcslen(text)), 0, 0);
  v.SetText(text);
  return v;
}

TEST(FormulaVdiVar, SetTypeAllocatesZeroedStorage) {
  CVdiVar v;
  EXPECT_EQ(v.m_eType, nNONE);
  EXPECT_EQ(v.GetData(), nullptr);
  ASSERT_TRUE(v.setType(DOUBLE, 0, 4, 0));
  EXPECT_EQ(v.GetDataBytes(), 32u);
  ASSERT_TRUE(v.setType(CHARACTER, 5, 3, 1));
  EXPECT_EQ(v.GetDataBytes(), 3 * 6 * sizeof(wchar_t));
  EXPECT_EQ(v.GetText(2), L"");
  v.setType(INTEGER, 0, 0, 1);
  EXPECT_EQ(v.GetData(), nullptr);
  EXPECT_FALSE(v.setType(DOUBLE, 0, 1 << 30, 1)) << "storage is bounded";
  EXPECT_EQ(v.m_nCount, 0);
}

TEST(FormulaVdiVar, ScalarCharacterLengthensAndDropsBackslashes) {
  CVdiVar target, src;
  target.setType(CHARACTER, 3, 0, 0);
  ASSERT_TRUE(target.setValue(Text(src, L"a\\bcdef"), 0));
  EXPECT_EQ(target.GetText(), L"abcdef");
  EXPECT_EQ(target.m_nLength, 7);
}

TEST(FormulaVdiVar, ArrayElements) {
  CVdiVar a, src;
  a.setType(INTEGER, 0, 3, 0);  // indexes 0..2
  src.m_eType = INTEGER;
  src.m_nValue = 9;
  EXPECT_TRUE(a.setValue(src, 2));
  EXPECT_EQ(static_cast<const std::int32_t*>(a.GetData())[2], 9);
  EXPECT_FALSE(a.setValue(src, 3)) << "beyond the storage";
  a.m_nCount = 1000;  // a host's mistake must not open the storage
  EXPECT_FALSE(a.setValue(src, 500));
  EXPECT_FALSE(a.SetElement(src, 3));
}

TEST(FormulaVdiVar, CharacterElementIsCut) {
  CVdiVar a, src;
  a.setType(CHARACTER, 2, 2, 1);
  EXPECT_TRUE(a.setValue(Text(src, L"x\\yz"), 2));
  EXPECT_EQ(a.GetText(1), L"x");  // at most min(4, 2) characters, then no backslash
}

TEST(FormulaVdiVar, WholeCopyAndClean) {
  CVdiVar a, b;
  a.setType(REAL, 0, 3, 1);
  b.setType(REAL, 0, 2, 1);
  static_cast<float*>(a.GetData())[2] = 5;
  static_cast<float*>(b.GetData())[0] = 1;
  static_cast<float*>(b.GetData())[1] = 2;
  EXPECT_TRUE(a.setValue(b, -1));
  const float* p = static_cast<const float*>(a.GetData());
  EXPECT_EQ(p[0], 1);
  EXPECT_EQ(p[1], 2);
  EXPECT_EQ(p[2], 0) << "a longer target is zeroed first";
  CVdiVar v;
  v.setType(DOUBLE, 0, 0, 1);
  v.m_dValue = 3;
  v.clean();
  EXPECT_EQ(v.m_dValue, 0);
  CVdiVar s;
  Text(s, L"abc");
  s.clean();
  EXPECT_EQ(s.GetText(), L"");
  EXPECT_EQ(s.m_nLength, 3);
}

}  // namespace
