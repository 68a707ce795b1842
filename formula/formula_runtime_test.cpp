#include "formula/formula_runtime.h"

#include <cmath>

#include "formula/test_support.h"
#include "platform/text.h"

namespace {

class FormulaRuntime : public CFormulaTest {
 protected:
  // Runs "<type> FUNCTION F()" with the body and returns the result cell.
  CvdiFunction::CVdiVar& Result(const wchar_t* type, const CString& body) {
    CvdiFunction* f = Compile(CString(type) + L" FUNCTION F()", body);
    static CvdiFunction::CVdiVar none;
    if (f == nullptr) {
      ADD_FAILURE() << "parse: " << LastMessage().size();
      return none;
    }
    m_bRunOk = Run(f);
    return f->m_result;
  }
  int Int(const CString& body) { return Result(L"INTEGER", body).m_nValue; }
  // The message when the body fails at run time.
  CString Failure(const wchar_t* type, const CString& body) {
    Result(type, body);
    EXPECT_FALSE(m_bRunOk);
    EXPECT_TRUE(m_context.m_bError);
    return LastMessage();
  }
  bool m_bRunOk = false;
};

TEST_F(FormulaRuntime, CallsByReferenceAndByValue) {
  Bodies(L"INTEGER FUNCTION G(A)\r\nINTEGER A\r\nA = A + 1\r\nG = A * 2\r\nEND FUNCTION G");
  EXPECT_EQ(Int(L"INTEGER X, Y\r\nX = 5\r\nY = G(X)\r\nF = X * 100 + Y\r\n"), 612);
  EXPECT_EQ(Int(L"INTEGER X, Y\r\nX = 5\r\nY = G(X + 0)\r\nF = X * 100 + Y\r\n"), 512);
  EXPECT_EQ(Int(L"INTEGER X\r\nX = 5\r\nG(X)\r\nF = X\r\n"), 6);
  CvdiFunction* g = m_list.findFunction(L"G");
  EXPECT_EQ(g->m_listParameters[0]->m_nRefId, 0u) << "the binding lasts for one call";
}

TEST_F(FormulaRuntime, CallErrors) {
  Bodies(L"INTEGER FUNCTION G(A, B)\r\nINTEGER A, B\r\nG = A\r\nEND FUNCTION G");
  EXPECT_EQ(Failure(L"INTEGER", L"F = H(1)\r\n"), L"Function H not found");
  EXPECT_EQ(Failure(L"INTEGER", L"F = G(1)\r\n"), L"Missing function parameter");
  EXPECT_EQ(Failure(L"INTEGER", L"F = G(1, 2, 3)\r\n"), L"Missing ')'");
  EXPECT_EQ(Failure(L"INTEGER", L"F = G('x', 2)\r\n"), L"Different data types");
}

TEST_F(FormulaRuntime, RunawayLoopsAndRecursionAreStopped) {
  m_context.m_nMaxRunSteps = 1000;
  EXPECT_EQ(Failure(L"INTEGER", L"INTEGER S\r\nDO WHILE (.TRUE.)\r\nS = S + 1\r\nENDDO\r\n"),
            L"Function did not end within 1000 steps");
  Bodies(L"INTEGER FUNCTION G(A)\r\nINTEGER A\r\nG = G(A)\r\nEND FUNCTION G");
  EXPECT_EQ(Failure(L"INTEGER", L"F = G(1)\r\n"), L"Function calls nested too deeply");
  EXPECT_TRUE(m_context.m_listFrames.empty());
}

TEST_F(FormulaRuntime, LocalsAreZeroedOnEntry) {
  CvdiFunction* f = Compile(L"INTEGER FUNCTION F()", L"INTEGER I\r\nI = I + 1\r\nF = I\r\n");
  ASSERT_NE(f, nullptr);
  EXPECT_TRUE(Run(f));
  EXPECT_TRUE(Run(f));
  EXPECT_EQ(f->m_result.m_nValue, 1);
}

TEST_F(FormulaRuntime, QelDebugWritesToTheDebugOutput) {
  std::vector<CString> lines;
  m_context.m_fnDebugOutput = [&](const CString& s) { lines.push_back(s); };
  Int(L"QEL_DEBUG('F=&', 42)\r\nF = 1\r\n");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], L"F=42");
}

TEST_F(FormulaRuntime, ParametersWrittenByTheHost) {
  Bodies(
      L"CHARACTER (20) FUNCTION F(NAME, N)\r\nCHARACTER (8) NAME\r\nINTEGER N\r\n"
      L"F = VDISTRING('$$$-~##', NAME, N)\r\nN = N + 1\r\nEND FUNCTION F");
  CvdiFunction* f = m_list.findFunction(L"F");
  ASSERT_NE(f, nullptr) << m_ui.LastText();
  ASSERT_TRUE(f->m_listParameters[0]->SetText(L"HKV"));
  f->m_listParameters[1]->m_nValue = 7;
  ASSERT_TRUE(Run(f)) << m_ui.LastText();
  EXPECT_EQ(f->m_result.GetText(), L"HKV-007");
  EXPECT_EQ(f->m_listParameters[1]->m_nValue, 8);
}

// A debugger stand-in: steps the run to its end, counting the steps.
class CSteppingHook : public CFormulaDebugHook {
 public:
  void ShowDebugger(CFormulaRuntime& runtime, CvdiFunctionList*, CvdiFunction*) override {
    while (!runtime.GetContext().m_listFrames.empty()) {
      runtime.Step();
      ++m_nSteps;
    }
  }
  int m_nSteps = 0;
};

TEST_F(FormulaRuntime, DebugModeHandsTheRunToTheDebugger) {
  CSteppingHook hook;
  m_context.m_pDebugHook = &hook;
  m_context.m_bDebugMode = true;
  EXPECT_EQ(Int(L"INTEGER I\r\nI = 2\r\nF = I * 3\r\n"), 6);
  EXPECT_EQ(hook.m_nSteps, 3);  // two assignments and the END
  m_context.m_pDebugHook = nullptr;
  EXPECT_EQ(Int(L"F = 4\r\n"), 4) << "without a debugger the run goes straight through";
}

// The good path of the exported entries is run by the VDI reader's tests on
// the function texts of a file.
TEST(FormulaExportedEntries, ProcessWideContextReportsFailures) {
  CRecordingHostUI ui;
  CScopedHostUI scoped(ui);
  CvdiFunctionList list;
  ClearFormulaErrorFlag();
  list.scanAndParseFunctions(L"INTEGER FUNCTION BAD()\r\nBAD = Q\r\nEND FUNCTION BAD");
  EXPECT_TRUE(FormulaErrorFlag());
  EXPECT_EQ(ui.Count(), 1u);
  EXPECT_FALSE(CvdiFortran::runFunction(nullptr, nullptr));
}

}  // namespace
