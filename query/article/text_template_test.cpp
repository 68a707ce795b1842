#include "query/article/text_template.h"

#include <gtest/gtest.h>

TEST(ArticleTextTemplate, ValuesFillTheRunsOfTheTemplate) {
  EXPECT_EQ(FillTextTemplate(L"DN $$ PN $$ bar", L"15$40"), L"DN 15 PN 40 bar");
  EXPECT_EQ(FillTextTemplate(L"[$$$][$$]", L"7$12"), L"[7  ][12]");
  EXPECT_EQ(FillTextTemplate(L"$$-$$-$$", L"ab$cd"), L"ab-cd-  ");
  EXPECT_EQ(FillTextTemplate(L"ohne $", L""), L"ohne  ");
  EXPECT_EQ(FillTextTemplate(L"$$ x $$", L"123"), L"12 x 3 ");
}
