#include "OrvaMat/OrvaMat.h"

#include <gtest/gtest.h>

#include "store/store_test_util.h"

namespace {

using StoreManager = CStoreTest;

// The exported calls hand over to the store, whose tests check the rows and
// cells; here what the calls add: floats as their bits, and an out value of 0
// whenever a call fails.
TEST_F(StoreManager, FloatsKeepTheirBitsAndFailuresClearTheOutValue) {
  AddDataset();
  CMatTable* pFloat = CMatManager::CreateTable(nullptr, L"F", eTypeFloat, 2);
  const unsigned long r = CMatManager::CreateHandle(L"r");
  ASSERT_EQ(CMatManager::SetFloatValue(2.5, pFloat, r, 0, 0), eMatOk);
  ASSERT_EQ(CMatManager::SetFloatValueF(-1.25f, pFloat, r, 1, 0), eMatOk);
  float f = 0;
  ASSERT_EQ(CMatManager::GetFloatValue(f, pFloat, r, 0, 0), eMatOk);
  EXPECT_EQ(f, 2.5f);
  ASSERT_EQ(CMatManager::GetFloatValue(f, pFloat, r, 1, 0), eMatOk);
  EXPECT_EQ(f, -1.25f);
  unsigned long out = 5;
  EXPECT_EQ(CMatManager::GetValue(out, nullptr, 1, 0, 0), eMatNoTable);
  EXPECT_EQ(out, 0ul);
  EXPECT_EQ(CMatManager::GetFloatValue(f, nullptr, 1, 0, 0), eMatNoTable);
  EXPECT_EQ(f, 0.0f);
  EXPECT_FALSE(CMatManager::SetStringValue(nullptr, 1, 0, 0, L"x"));
}

TEST_F(StoreManager, StringPtrTranslatesCellTextsButNotTextLines) {
  m_Translation.SetActualLanguage(L"ENGLISH");
  LibraryTranslation().AddTranslation(L"Ventil", L"Valve");
  AddDataset();
  CMatTable* pText = CMatManager::CreateTable(nullptr, L"S", eTypeString, 1);
  CMatTable* pArray = CMatManager::CreateTable(nullptr, L"A", eTypeStringArray, 1);
  CMatTable* pLine = CMatManager::CreateTable(nullptr, L"L", eTypeStrLine, 1);
  CMatTable* pInt = CMatManager::CreateTable(nullptr, L"I", eTypeInteger, 1);
  const unsigned long r = CMatManager::CreateHandle(L"r");
  ASSERT_TRUE(CMatManager::SetStringValue(pText, r, 0, 0, L"Ventil"));
  ASSERT_EQ(CMatManager::SetStringValueW(L"Ventil", pArray, 0, 1, 0), eMatOk);
  ASSERT_EQ(CMatManager::SetStringValueW(L"Ventil", pLine, 0, 0, 0), eMatOk);
  const wchar_t* p = nullptr;
  ASSERT_EQ(CMatManager::GetStringPtr(p, pText, r, 0, 0), eMatOk);
  EXPECT_STREQ(p, L"Valve");
  ASSERT_EQ(CMatManager::GetStringPtr(p, pArray, 0, 1, 0), eMatOk);
  EXPECT_STREQ(p, L"Valve");
  ASSERT_EQ(CMatManager::GetStringPtr(p, pArray, 0, 0, 0), eMatOk);
  EXPECT_STREQ(p, L"");  // a cell without text
  ASSERT_EQ(CMatManager::GetStringPtr(p, pLine, 0, 0, 0), eMatOk);
  EXPECT_STREQ(p, L"Ventil");
  EXPECT_EQ(CMatManager::GetStringPtr(p, pInt, r, 0, 0), eMatWrongType);
  unsigned long out = 0;
  EXPECT_EQ(CMatManager::GetValue(out, pArray, 0, 1, 0), eMatWrongType);
  EXPECT_EQ(CMatManager::SetIntValue(1, pText, r, 0, 0), eMatWrongType);
}

}  // namespace
