#include "store/base/reg_util.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/code_page.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "store/base/test_folder.h"

namespace {

TEST(BaseRegUtil, LanguageCodePages) {
  EXPECT_EQ(CRegUtil::getLanguageCodepage(L"ENGLISH"), 1252u);
  EXPECT_EQ(CRegUtil::getLanguageCodepage(L"german"), 1252u);
  EXPECT_EQ(CRegUtil::getLanguageCodepage(L"POLISH"), 1250u);
  EXPECT_EQ(CRegUtil::getLanguageCodepage(L"CS"), 1250u);
  EXPECT_EQ(CRegUtil::getLanguageCodepage(L"Hungarian"), 1250u);
  EXPECT_EQ(CRegUtil::getLanguageCodepage(L"RUSSIAN"), 1251u);
  EXPECT_EQ(CRegUtil::getLanguageCodepage(L"ru-RU"), 1251u);
  EXPECT_EQ(CRegUtil::getLanguageCodepage(L"GREEK"), 1253u);
  EXPECT_EQ(CRegUtil::getLanguageCodepage(L"TR"), 1254u);
  EXPECT_EQ(CRegUtil::getLanguageCodepage(L"lt_LT"), 1257u);
  EXPECT_EQ(CRegUtil::getLanguageCodepage(L"CHINESE"), 936u);
  EXPECT_EQ(CRegUtil::getLanguageCodepage(L""), 1252u);
  EXPECT_EQ(CRegUtil::getLanguageCodepage(L"KLINGON"), 1252u);
  EXPECT_EQ(CRegUtil::getLanguageCodepage(L"PLX"), 1252u);  // not a code with a region
}

TEST(BaseRegUtil, EveryLanguageCodePageCanBeDecoded) {
  for (const wchar_t* language :
       {L"PL", L"RU", L"EN", L"EL", L"TR", L"LT", L"TH", L"JA", L"ZH", L"KO"}) {
    EXPECT_TRUE(IsKnownCodePage(CRegUtil::getLanguageCodepage(language))) << language;
  }
}

TEST(BaseRegUtil, ReadsTheCurrentUsersSettings) {
  CTestFolder home;
  const char* saved = std::getenv("ORVAMAT_HOME");
  std::string previous = saved ? saved : "";
  ::setenv("ORVAMAT_HOME", ToUtf8(home.GetPath()).c_str(), 1);
  const CString key = L"Software\\OrvaMat\\Test";
  ASSERT_TRUE(CRegistryFile().SetString(key, L"Datensatz1", L"/daten/a.mmd"));
  CString out = L"stale";
  EXPECT_TRUE(CRegUtil::GetProfileStringCurUser(out, key, L"Datensatz1"));
  EXPECT_EQ(out, L"/daten/a.mmd");
  EXPECT_FALSE(CRegUtil::GetProfileStringCurUser(out, key, L"Datensatz2"));
  EXPECT_EQ(out, L"");
  EXPECT_FALSE(CRegUtil::GetProfileStringCurUser(out, L"Software\\Other", L"Datensatz1"));
  if (saved)
    ::setenv("ORVAMAT_HOME", previous.c_str(), 1);
  else
    ::unsetenv("ORVAMAT_HOME");
}

}  // namespace
