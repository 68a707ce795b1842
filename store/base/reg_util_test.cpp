#include "store/base/reg_util.h"

#include <gtest/gtest.h>

#include "platform/code_page.h"

namespace {

// Whatever language the user names, the code page it maps to must be one the
// text layer can decode, or every text of the dataset comes out wrong.
TEST(BaseRegUtil, EveryLanguageCodePageCanBeDecoded) {
  for (const wchar_t* language :
       {L"PL", L"RU", L"EN", L"EL", L"TR", L"LT", L"TH", L"JA", L"ZH", L"KO"}) {
    EXPECT_TRUE(IsKnownCodePage(CRegUtil::getLanguageCodepage(language))) << language;
  }
  // A locale name counts by its language part, in any case.
  EXPECT_EQ(CRegUtil::getLanguageCodepage(L"ru-RU"), CRegUtil::getLanguageCodepage(L"RU"));
  EXPECT_EQ(CRegUtil::getLanguageCodepage(L"lt_LT"), CRegUtil::getLanguageCodepage(L"LT"));
  EXPECT_EQ(CRegUtil::getLanguageCodepage(L" polish "), CRegUtil::getLanguageCodepage(L"PL"));
  EXPECT_NE(CRegUtil::getLanguageCodepage(L"RU"), CRegUtil::getLanguageCodepage(L"EN"));
}

}  // namespace
