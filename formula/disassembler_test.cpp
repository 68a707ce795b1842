#include "formula/disassembler.h"

#include "formula/test_support.h"

namespace {

using FormulaDisassembler = CFormulaTest;

// A logical IF jumps past the source line that follows its statement: the
// statement parser reads the line end before the target is set.
TEST_F(FormulaDisassembler, ListsEveryInstruction) {
  CvdiFunction* f =
      Compile(L"INTEGER FUNCTION F(A)", L"INTEGER A\r\nIF (A > 1) F = -A\r\nF = G('x', 2.5)\r\n");
  ASSERT_NE(f, nullptr);
  // #A and #F stand for the ids of the parameter and the result.
  CString expected =
      L"FUNCTION F (115 words)\n"
      L"    0: SRCLINE 1 \"INTEGER FUNCTION F(A)\"\n"
      L"   48: SRCLINE 2 \"INTEGER A\"\n"
      L"   72: SRCLINE 3 \"IF (A > 1) F = -A\"\n"
      L"  112: IF -> 174\n"
      L"  116: GT\n"
      L"  118: VARVAL #A\n"
      L"  120: ICONST 1\n"
      L"  126: ASSIGN #F\n"
      L"  128: MINUS\n"
      L"  130: ICONST 0\n"
      L"  136: VARVAL #A\n"
      L"  138: SRCLINE 4 \"F = G('x', 2.5)\"\n"
      L"  174: ASSIGN #F\n"
      L"  176: CALL \"G\"\n"
      L"  180: KLAMMAUF\n"
      L"  182: CCONST \"x\"\n"
      L"  186: RCONST 2.5\n"
      L"  192: KLAMMZU\n"
      L"  194: SRCLINE 5 \"END FUNCTION F\"\n"
      L"  228: END\n";
  for (const auto& [mark, nId] :
       {std::pair{L"#A", f->m_listParameters[0]->m_nId}, std::pair{L"#F", f->m_result.m_nId}})
    for (auto n = expected.find(mark); n != CString::npos; n = expected.find(mark, n))
      expected.replace(n + 1, 1, std::to_wstring(nId));
  EXPECT_EQ(DisassembleFunction(*f), expected);
}

TEST_F(FormulaDisassembler, TruncatedCodeEndsWithQuestionMark) {
  CvdiFunction f;
  f.m_strName = L"X";
  f.m_code = {ICONST, 1};
  EXPECT_EQ(DisassembleFunction(f), L"FUNCTION X (2 words)\n    0: ICONST ?\n");
}

}  // namespace
