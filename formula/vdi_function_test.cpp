#include "formula/fortran_parser.h"
#include "formula/test_support.h"

namespace {

using FormulaFunctionList = CFormulaTest;

TEST_F(FormulaFunctionList, RegistryFollowsOneReference) {
  CvdiFunction::CVdiVar a, b, c;
  const std::uint32_t na = m_list.RegisterVar(&a);
  const std::uint32_t nb = m_list.RegisterVar(&b);
  const std::uint32_t nc = m_list.RegisterVar(&c);
  b.m_nRefId = na;
  c.m_nRefId = nb;
  EXPECT_EQ(m_list.FindVar(nb), &a);
  EXPECT_EQ(m_list.FindVar(nc), &b) << "one step, not a chain";
  EXPECT_EQ(m_list.FindVarDirect(nc), &c);
  m_list.UnregisterVar(na);
  EXPECT_EQ(m_list.FindVar(na), nullptr);
  EXPECT_EQ(m_list.FindVar(9999), nullptr);
  EXPECT_EQ(m_list.findFunction(nullptr), nullptr);
}

// Ids are given per list: a process that builds many lists over its life
// (more than 4096 variables in all) still compiles each with correct ids.
TEST_F(FormulaFunctionList, IdsStayValidOverManyLists) {
  const wchar_t* text =
      L"INTEGER FUNCTION F(N)\r\nINTEGER N, A, B, C, D, E, G, H, I, J\r\nA = N\r\nB = A + 1\r\n"
      L"C = B + 1\r\nD = C + 1\r\nE = D + 1\r\nG = E + 1\r\nH = G + 1\r\nI = H + 1\r\nJ = I + 1\r\n"
      L"F = J\r\nEND FUNCTION F";
  for (int nList = 0; nList < 500; ++nList) {  // 500 lists x 12 cells = 6000 cells
    CvdiFunctionList list;
    CFortranParser(m_context, list).Bodies(text);
    CvdiFunction* f = list.findFunction(L"F");
    ASSERT_NE(f, nullptr);
    f->m_listParameters[0]->m_nValue = nList;
    ASSERT_TRUE(m_runtime.Run(f, nullptr));
    ASSERT_EQ(f->m_result.m_nValue, nList + 8);
  }
}

TEST_F(FormulaFunctionList, TooManyVariablesInOneListIsReported) {
  CString text = L"INTEGER FUNCTION F()\r\n";
  for (int nLine = 0; nLine < 21; ++nLine) {
    text += L"INTEGER V" + std::to_wstring(nLine * 200);
    for (int i = 1; i < 200; ++i) text += L",V" + std::to_wstring(nLine * 200 + i);
    text += L"\r\n";
  }
  text += L"END FUNCTION F";
  Bodies(text.c_str());
  EXPECT_EQ(LastMessage(), L"Too many variables in one function list (at most 4095)");
  EXPECT_EQ(m_list.findFunction(L"F"), nullptr);
  // The ids of the dropped function are free for lookups again.
  EXPECT_EQ(m_list.FindVar(5), nullptr);
}

}  // namespace
