#include "query/article/text_template.h"

#include <gtest/gtest.h>

TEST(ArticleTextTemplate, TextModes) {
  EXPECT_EQ(GetTextMode(10), 4);
  EXPECT_EQ(GetTextMode(20), 5);
  EXPECT_EQ(GetTextMode(30), 6);
  EXPECT_EQ(GetTextMode(40), 4);
  EXPECT_EQ(GetTextMode(50), 5);
  EXPECT_EQ(GetTextMode(60), 6);
  EXPECT_EQ(GetTextMode(75), 7);
  EXPECT_EQ(GetTextMode(11), 1);
  EXPECT_EQ(GetTextMode(3), 3);
  EXPECT_EQ(GetTextMode(0), 0);
}

TEST(ArticleTextTemplate, TwoValuesFillTwoRuns) {
  EXPECT_EQ(FillTextTemplate(L"DN $$ PN $$ bar", L"15$40"), L"DN 15 PN 40 bar");
}

TEST(ArticleTextTemplate, ShortValueBlanksTheRestOfItsRun) {
  EXPECT_EQ(FillTextTemplate(L"[$$$][$$]", L"7$12"), L"[7  ][12]");
}

TEST(ArticleTextTemplate, UsedUpTemplateLeavesBlanks) {
  EXPECT_EQ(FillTextTemplate(L"$$-$$-$$", L"ab$cd"), L"ab-cd-  ");
  EXPECT_EQ(FillTextTemplate(L"ohne $", L""), L"ohne  ");
}

TEST(ArticleTextTemplate, LongValueContinuesInTheNextRun) {
  EXPECT_EQ(FillTextTemplate(L"$$ x $$", L"123"), L"12 x 3 ");
}
