#include "OrvaMat/OrvaMat.h"

#include <gtest/gtest.h>

#include "store/store_test_util.h"

namespace {

using StoreManager = CStoreTest;

TEST_F(StoreManager, HandlesRoundTripThroughTheExportedCalls) {
  AddDataset();
  const unsigned long h = CMatManager::CreateHandle(L"Radiator");
  EXPECT_EQ(h, 0x01000002ul);
  EXPECT_EQ(CMatManager::FindHandle(L"Radiator"), h);
  EXPECT_EQ(CMatManager::GetOrCreateHandle(L"Radiator"), h);
  EXPECT_STREQ(CMatManager::HdlToString(h), L"Radiator");
  CMatManager::RenameHandle(h, L"Heizkörper");
  EXPECT_STREQ(CMatManager::HdlToString(h), L"Heizkörper");
  EXPECT_EQ(CMatManager::RemoveHandle(h), eMatOk);
  EXPECT_EQ(CMatManager::HdlToString(h), nullptr);
  EXPECT_EQ(CMatManager::CreateHandle(nullptr), 0ul);
  EXPECT_EQ(CMatManager::FindHandle(nullptr), 0ul);
}

TEST_F(StoreManager, TypedSettersAndGetters) {
  AddDataset();
  CMatTable* pFloat = CMatManager::CreateTable(nullptr, L"F", eTypeFloat, 2);
  CMatTable* pInt = CMatManager::CreateTable(nullptr, L"I", eTypeInteger, 1);
  CMatTable* pHdl = CMatManager::CreateTable(nullptr, L"H", eTypeHandle, 1);
  const unsigned long r = CMatManager::CreateHandle(L"r");
  ASSERT_EQ(CMatManager::SetFloatValue(2.5, pFloat, r, 0, 0), eMatOk);
  ASSERT_EQ(CMatManager::SetFloatValueF(-1.25f, pFloat, r, 1, 0), eMatOk);
  float f = 0;
  ASSERT_EQ(CMatManager::GetFloatValue(f, pFloat, r, 0, 0), eMatOk);
  EXPECT_EQ(f, 2.5f);
  ASSERT_EQ(CMatManager::GetFloatValue(f, pFloat, r, 1, 0), eMatOk);
  EXPECT_EQ(f, -1.25f);
  ASSERT_EQ(CMatManager::SetIntValue(-7, pInt, r, 0, 0), eMatOk);
  unsigned long out = 1;
  ASSERT_EQ(CMatManager::GetValue(out, pInt, r, 0, 0), eMatOk);
  EXPECT_EQ(static_cast<int>(out), -7);
  ASSERT_EQ(CMatManager::SetHandleValue(r, pHdl, r, 0, 0), eMatOk);
  ASSERT_EQ(CMatManager::GetValue(out, pHdl, r, 0, 0), eMatOk);
  EXPECT_EQ(out, r);
  EXPECT_EQ(CMatManager::AddRow(pInt, CMatManager::CreateHandle(L"s")), eMatOk);
  EXPECT_EQ(CMatManager::RemoveRow(pInt, r), eMatOk);
  EXPECT_EQ(CMatManager::GetValue(out, pInt, r, 0, 0), eMatNoRow);
}

TEST_F(StoreManager, NullTablesAnswerNoTableEverywhere) {
  AddDataset();
  unsigned long out = 5;
  float f = 5;
  const wchar_t* p = nullptr;
  EXPECT_EQ(CMatManager::GetValue(out, nullptr, 1, 0, 0), eMatNoTable);
  EXPECT_EQ(out, 0ul);
  EXPECT_EQ(CMatManager::GetFloatValue(f, nullptr, 1, 0, 0), eMatNoTable);
  EXPECT_EQ(f, 0.0f);
  EXPECT_EQ(CMatManager::GetStringPtr(p, nullptr, 1, 0, 0), eMatNoTable);
  EXPECT_EQ(CMatManager::SetIntValue(1, nullptr, 1, 0, 0), eMatNoTable);
  EXPECT_EQ(CMatManager::SetHandleValue(1, nullptr, 1, 0, 0), eMatNoTable);
  EXPECT_EQ(CMatManager::SetStringValueW(L"x", nullptr, 1, 0, 0), eMatNoTable);
  EXPECT_FALSE(CMatManager::SetStringValue(nullptr, 1, 0, 0, L"x"));
  EXPECT_EQ(CMatManager::AddRow(nullptr, 1), eMatNoTable);
  EXPECT_EQ(CMatManager::RemoveRow(nullptr, 1), eMatNoTable);
  EXPECT_EQ(CMatManager::RemoveTable(nullptr), eMatNoTable);
  EXPECT_EQ(CMatManager::RenameTable(nullptr, L"x"), eMatNoTable);
  EXPECT_EQ(CMatManager::SetStrucDef(nullptr, nullptr), eMatNoTable);
  CMatManager::SetBeschreibung(nullptr, L"x");
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
