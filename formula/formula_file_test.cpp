#include "formula/formula_file.h"

#include <fstream>

#include "formula/test_support.h"
#include "platform/temp_folder.h"

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

// Every file that holds no function text fails with a message naming why,
// whatever it is; none throws.
TEST_F(FormulaFileParse, LoadRefusesWhatHoldsNoFunctionText) {
  CTempFolder folder;
  std::ofstream(ToUtf8(folder / L"empty"));
  std::ofstream(ToUtf8(folder / L"bytes"), std::ios::binary) << std::string("\x01\xff\0[bo", 6);
  std::ofstream(ToUtf8(folder / L"good")) << "\xEF\xBB\xBF[bodies]\nINTEGER FUNCTION G()\nG = 1\n"
                                             "END FUNCTION G\n";
  const struct {
    CString strName;
    const wchar_t* szMessage;
  } cases[] = {{L"missing", L"kann nicht gelesen"},
               {L"", L"kann nicht gelesen"},  // the folder itself
               {L"empty", L"keinen Funktionstext"},
               {L"bytes", L"keinen Funktionstext"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(ToUtf8(c.strName));
    m_context.m_bError = false;
    EXPECT_FALSE(LoadFormulaFile(m_context, m_list, folder / c.strName));
    EXPECT_TRUE(m_context.m_bError);
    EXPECT_NE(m_ui.LastText().find(c.szMessage), CString::npos) << ToUtf8(m_ui.LastText());
  }
  m_context.m_bError = false;
  EXPECT_TRUE(LoadFormulaFile(m_context, m_list, folder / L"good"));
  EXPECT_NE(m_list.findFunction(L"G"), nullptr);
}

}  // namespace
