// The formula debugger's decisions, without a display: the source shown and
// followed, the cell assigned last, calls entered and left, the watches, and
// the end of a run.
#include <gtest/gtest.h>

#include "OrvaMat/dialogs.h"
#include "formula/test_support.h"

namespace {

class FortranDebugModel : public CFormulaTest {
 protected:
  // F calls G; both have locals, F an array.
  CvdiFunction* MakeF() {
    Bodies(L"INTEGER FUNCTION G(A)\r\nINTEGER A\r\nA = A + 1\r\nG = A * 2\r\nEND FUNCTION G");
    CvdiFunction* f = Compile(L"INTEGER FUNCTION F()",
                              L"INTEGER X, V(2)\r\nREAL R\r\nX = 5\r\nG(X)\r\nV(2) = X * 2\r\n"
                              L"R = 1.5\r\nF = X\r\n");
    m_context.m_bDebugMode = true;
    m_runtime.EnterFunction(f);
    return f;
  }
};

TEST_F(FortranDebugModel, StepsThroughACallAndBackAndEndsWithTheRun) {
  CvdiFunction* f = MakeF();
  CFortranDebugModel model(m_runtime, &m_list, f);
  EXPECT_EQ(model.GetFunctionNames()[std::size_t(model.GetShownFunction())], L"F");
  EXPECT_EQ(model.GetSourceLine(model.GetCurrentLine()), L"X = 5");

  EXPECT_EQ(model.Step(), CFortranDebugModel::eStep::kGoesOn);
  EXPECT_EQ(model.GetLastAssigned(), L"X");
  EXPECT_EQ(model.GetSourceLine(model.GetCurrentLine()), L"G(X)");
  // Into G: its source is shown and selected.
  EXPECT_EQ(model.Step(), CFortranDebugModel::eStep::kGoesOn);
  EXPECT_EQ(model.GetFunctionNames()[std::size_t(model.GetShownFunction())], L"G");
  EXPECT_EQ(model.GetSourceLine(model.GetCurrentLine()), L"A = A + 1");
  CString name, value;
  model.Watch(L"  a", name, value);  // a parameter by reference shows the caller's X
  EXPECT_EQ(name, L"A");
  EXPECT_EQ(value, L"5");
  int nSteps = 0;
  while (model.GetFunctionNames()[std::size_t(model.GetShownFunction())] == L"G" && nSteps++ < 10)
    ASSERT_EQ(model.Step(), CFortranDebugModel::eStep::kGoesOn);
  EXPECT_EQ(model.GetSourceLine(model.GetCurrentLine()), L"V(2) = X * 2") << "back in F";
  EXPECT_EQ(model.Step(), CFortranDebugModel::eStep::kGoesOn);
  EXPECT_EQ(model.GetLastAssigned(), L"V(2)");
  model.Watch(L"v(2)", name, value);
  EXPECT_EQ(name, L"V(2)");
  EXPECT_EQ(value, L"12");
  model.Watch(L"V(3)", name, value);  // outside the array
  EXPECT_EQ(value, L"");
  model.Watch(L"nix", name, value);
  EXPECT_EQ(name, L"");
  EXPECT_EQ(model.Step(), CFortranDebugModel::eStep::kGoesOn);
  model.Watch(L"r", name, value);
  EXPECT_EQ(value, L"1.500000");
  model.Watch(L"f", name, value);  // the function's own name: its result
  EXPECT_EQ(name, L"F");
  for (nSteps = 0; nSteps < 10; ++nSteps)
    if (model.Step() == CFortranDebugModel::eStep::kEnded) break;
  EXPECT_LT(nSteps, 10) << "stepping over the END of F ends the run";
  EXPECT_EQ(f->m_result.m_nValue, 6);
  EXPECT_EQ(model.Step(), CFortranDebugModel::eStep::kEnded);
}

TEST_F(FortranDebugModel, TheViewFollowsTheCurrentLineAndAnErrorEndsTheRun) {
  CvdiFunction* f = Compile(L"INTEGER FUNCTION F()",
                            L"INTEGER I, A(2)\r\nI = 1\r\nI = 2\r\nI = 3\r\nI = 4\r\nA(I) = 1\r\n"
                            L"F = I\r\n");
  m_runtime.EnterFunction(f);
  CFortranDebugModel model(m_runtime, &m_list, f);
  model.SetVisibleLines(4);
  const int nTop = model.GetTopLine();
  for (int i = 0; i < 3; ++i) ASSERT_EQ(model.Step(), CFortranDebugModel::eStep::kGoesOn);
  EXPECT_GT(model.GetTopLine(), nTop);
  EXPECT_LT(model.GetCurrentLine() + 2, model.GetTopLine() + 4) << "two lines stay below it";
  ASSERT_EQ(model.Step(), CFortranDebugModel::eStep::kGoesOn);
  EXPECT_EQ(model.Step(), CFortranDebugModel::eStep::kError) << "A(4) is outside A";
  EXPECT_FALSE(LastMessage().empty());
  EXPECT_EQ(model.GetCurrentLine(), 0);
  // A function selected after the run ended is entered, so stepping starts it.
  model.ShowFunction(0);
  EXPECT_EQ(model.Step(), CFortranDebugModel::eStep::kGoesOn);
  model.ShowFunction(7);  // stale: nothing
  EXPECT_EQ(model.GetShownFunction(), 0);
}

}  // namespace
