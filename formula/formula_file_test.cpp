#include "formula/formula_file.h"

#include "formula/test_support.h"

namespace {

TEST(FormulaFile, SectionsInFileOrder) {
  const auto sections = SplitFormulaFile(
      L"ignored\n[declarations]\r\nINTEGER A\r\nREAL FUNCTION F(A)\n[bodies]\nREAL FUNCTION "
      L"F(A)\n  [bodies]\nEND FUNCTION F\n[declarations]");
  ASSERT_EQ(sections.size(), 3u);
  EXPECT_TRUE(sections[0].m_bDeclarations);
  EXPECT_EQ(sections[0].m_strText, L"INTEGER A\r\nREAL FUNCTION F(A)");
  EXPECT_FALSE(sections[1].m_bDeclarations);
  EXPECT_EQ(sections[1].m_strText, L"REAL FUNCTION F(A)\r\n  [bodies]\r\nEND FUNCTION F");
  EXPECT_TRUE(sections[2].m_bDeclarations);
  EXPECT_EQ(sections[2].m_strText, L"");
}

using FormulaFileParse = CFormulaTest;

TEST_F(FormulaFileParse, StopsAtTheFirstError) {
  const auto sections = SplitFormulaFile(
      L"[bodies]\nINTEGER FUNCTION F()\nF = Q\nEND FUNCTION F\n[bodies]\nINTEGER FUNCTION "
      L"G()\nG = 1\nEND FUNCTION G\n");
  EXPECT_FALSE(ParseFormulaSections(m_context, m_list, sections));
  EXPECT_EQ(m_list.findFunction(L"G"), nullptr);
}

}  // namespace
