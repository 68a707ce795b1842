#include "formula/formula_runtime.h"

#include <cmath>

#include "formula/test_support.h"

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
  float Real(const CString& body) { return Result(L"REAL", body).m_fValue; }
  bool Logical(const CString& body) { return Result(L"LOGICAL", body).m_nValue != 0; }
  CString Text(const CString& body) { return CString(Result(L"CHARACTER (10)", body).GetText()); }
  // The message when the body fails at run time.
  CString Failure(const wchar_t* type, const CString& body) {
    Result(type, body);
    EXPECT_FALSE(m_bRunOk);
    EXPECT_TRUE(m_context.m_bError);
    return LastMessage();
  }
  bool m_bRunOk = false;
};

TEST_F(FormulaRuntime, SlashBeforeStar) {
  EXPECT_EQ(Int(L"F = 2 * 3 / 4\r\n"), 0);
  EXPECT_EQ(Int(L"F = 8 / 2 * 3\r\n"), 12);
}

TEST_F(FormulaRuntime, PowerOfIntegersIsReal) {
  EXPECT_EQ(Real(L"F = 2 ** 3\r\n"), 8.0f);
  EXPECT_EQ(Int(L"F = 2 ** 3\r\n"), 8);
  EXPECT_EQ(Int(L"F = 2 ** -1 * 4\r\n"), 2);
}

TEST_F(FormulaRuntime, ExponentLiteralKeepsItsValue) {
  EXPECT_EQ(Int(L"F = 1E5\r\n"), 100000);
  EXPECT_FLOAT_EQ(Real(L"F = 25E-1\r\n"), 2.5f);
}

TEST_F(FormulaRuntime, UndefinedConstructsAreReported) {
  EXPECT_EQ(Failure(L"INTEGER", L"F = 'a' + 1\r\n"), L"Different data types");
  EXPECT_EQ(Failure(L"LOGICAL", L"F = .TRUE. + .TRUE.\r\n"),
            L"Arithmetic needs INTEGER, REAL or DOUBLE PRECISION values");
  EXPECT_EQ(Failure(L"LOGICAL", L"F = 'a' .AND. .TRUE.\r\n"), L"Bad argument");
  EXPECT_EQ(Failure(L"INTEGER", L"INTEGER A(2)\r\nF = A\r\n"), L"Array A used as a value");
  EXPECT_EQ(Failure(L"LOGICAL", L"F = .TRUE. > .FALSE.\r\n"), L"Unknown data type handler");
  EXPECT_EQ(Failure(L"INTEGER", L"F = (/1, 2/)\r\n"), L"Init. list used as a value");
  EXPECT_EQ(Failure(L"INTEGER", L"F = MAX()\r\n"), L"MIN or MAX without arguments");
  EXPECT_EQ(Failure(L"INTEGER", L"F = VDIIWERT('100', 1, 2)\r\n"),
            L"VDIIWERT: no product records are bound");
}

TEST_F(FormulaRuntime, Strings) {
  EXPECT_EQ(Text(L"F = 'a\\b'\r\n"), L"ab");
  CvdiFunction::CVdiVar& r = Result(L"CHARACTER (10)", L"F = '123456789012345678901234567890'\r\n");
  EXPECT_EQ(r.GetText(), L"123456789012345678901234567890");
  EXPECT_EQ(r.m_nLength, 30);
  EXPECT_TRUE(Logical(L"F = 'abc' == 'abc'\r\n"));
  EXPECT_TRUE(Logical(L"F = 'abc' < 'abd'\r\n"));
}

TEST_F(FormulaRuntime, ArrayAssignments) {
  EXPECT_EQ(Int(L"INTEGER A(3)\r\nA(1:3) = (/1, 2, 3/)\r\nF = A(1) + A(2) * 10 + A(3) * 100\r\n"),
            321);
  EXPECT_EQ(Failure(L"INTEGER", L"INTEGER A(3)\r\nA(1:3) = (/1, 2/)\r\n"), L"Init. list to short");
  EXPECT_EQ(Failure(L"INTEGER", L"INTEGER A(3)\r\nA(1:2) = (/1, 2, 3/)\r\n"),
            L"Init. list to long");
  EXPECT_EQ(Failure(L"INTEGER", L"INTEGER A(3)\r\nA(1:2) = 5\r\n"), L"Init. list missing");
  EXPECT_EQ(Failure(L"INTEGER", L"INTEGER A(3)\r\nA(4) = 1\r\n"), L"Index to big");
  EXPECT_EQ(Failure(L"INTEGER", L"INTEGER A(3)\r\nF = A(4)\r\n"), L"Index too big");
  EXPECT_EQ(Failure(L"INTEGER", L"INTEGER A(3)\r\nA(4:5) = (/1, 2/)\r\n"), L"Index #1 too big");
  EXPECT_EQ(Failure(L"INTEGER", L"INTEGER A(3)\r\nA(2:4) = (/1, 2, 3/)\r\n"), L"Index #2 too big");
  EXPECT_EQ(Failure(L"INTEGER", L"INTEGER A(3)\r\nA(1.0) = 1\r\n"), L"INTEGER Vaue missing");
  EXPECT_EQ(Failure(L"INTEGER", L"INTEGER A(3)\r\nF = A(1.0)\r\n"),
            L"INTEGER value missing as index");
}

TEST_F(FormulaRuntime, IndexesOutsideTheStorageAreRejected) {
  // Lower bound 5, three elements: 5..7. The count check alone lets 0..3 pass.
  EXPECT_EQ(Failure(L"INTEGER", L"INTEGER A(5:7)\r\nA(2) = 1\r\n"), L"Index below the lower bound");
  EXPECT_EQ(Failure(L"INTEGER", L"INTEGER A(5:7)\r\nF = A(3)\r\n"), L"Index below the lower bound");
  EXPECT_EQ(Failure(L"INTEGER", L"INTEGER A(0:2)\r\nF = A(-1)\r\n"),
            L"Index below the lower bound");
  // Lower bound 0, count 3 (0..2): index 3 passes "greater than the count".
  EXPECT_EQ(Failure(L"INTEGER", L"INTEGER A(0:2)\r\nA(3) = 1\r\n"), L"Index to big");
  EXPECT_EQ(Failure(L"INTEGER", L"INTEGER A(0:2)\r\nF = A(3)\r\n"), L"Index too big");
  EXPECT_EQ(Int(L"INTEGER A(0:2)\r\nA(0) = 4\r\nA(2) = 5\r\nF = A(0) * 10 + A(2)\r\n"), 45);
}

TEST_F(FormulaRuntime, ConditionsUseATolerance) {
  EXPECT_EQ(Int(L"IF (1 == 1.0) F = 1\r\n"), 1);
  EXPECT_EQ(Int(L"DOUBLE PRECISION D\r\nD = 1\r\nIF (D + 1E-12 == 1) F = 1\r\n"), 1);
  EXPECT_EQ(Int(L"DOUBLE PRECISION D\r\nD = 1\r\nIF (D + 1E-12 > 1) F = 1\r\n"), 0);
  // Outside a condition the same relation compares exactly.
  EXPECT_FALSE(Logical(L"DOUBLE PRECISION D\r\nD = 1\r\nF = D + 1E-12 == 1\r\n"));
  // An INTEGER condition is false whatever it holds.
  EXPECT_EQ(Int(L"INTEGER I\r\nI = 5\r\nF = 2\r\nIF (I) F = 1\r\n"), 2);
  EXPECT_EQ(Int(L"IF (1) F = 1\r\n"), 1);
  EXPECT_EQ(Int(L"IF (1 .AND. 1) F = 1\r\n"), 0);
  EXPECT_EQ(Failure(L"INTEGER", L"IF ('a' == 1) F = 1\r\n"), L"Different data types");
}

TEST_F(FormulaRuntime, IfElseChains) {
  const CString body =
      L"INTEGER I\r\nI = 2\r\nIF (I == 1) THEN\r\nF = 10\r\nELSEIF (I == 2) THEN\r\nF = 20\r\n"
      L"ELSE\r\nF = 30\r\nENDIF\r\n";
  EXPECT_EQ(Int(body), 20);
  EXPECT_EQ(
      Int(L"INTEGER I, S\r\nDO WHILE (I < 10)\r\nI = I + 1\r\nS = S + I\r\nEND DO\r\nF = S\r\n"),
      55);
}

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

TEST_F(FormulaRuntime, LongCallStaysPendingAndCompletes) {
  Bodies(
      L"INTEGER FUNCTION G()\r\nINTEGER I\r\nDO WHILE (I < 60000)\r\nI = I + 1\r\nENDDO\r\n"
      L"G = I\r\nEND FUNCTION G");
  EXPECT_EQ(Int(L"INTEGER Y\r\nY = G()\r\nF = Y + 1\r\n"), 60001);
  EXPECT_TRUE(m_bRunOk);
}

TEST_F(FormulaRuntime, RunawayLoopIsStopped) {
  m_context.m_nMaxRunSteps = 1000;
  EXPECT_EQ(Failure(L"INTEGER", L"INTEGER S\r\nDO WHILE (.TRUE.)\r\nS = S + 1\r\nENDDO\r\n"),
            L"Function did not end within 1000 steps");
}

TEST_F(FormulaRuntime, RecursionIsBounded) {
  Bodies(L"INTEGER FUNCTION G(A)\r\nINTEGER A\r\nG = G(A)\r\nEND FUNCTION G");
  EXPECT_EQ(Failure(L"INTEGER", L"F = G(1)\r\n"), L"Function calls nested too deeply");
  EXPECT_TRUE(m_context.m_listFrames.empty());
}

TEST_F(FormulaRuntime, ReferenceToUnknownCallIsReported) {
  EXPECT_EQ(Failure(L"INTEGER", L"INTEGER X\r\nLATER(X)\r\n"),
            L"Syntax error: Function might not be defined yet");
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

}  // namespace

namespace {

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

TEST(FormulaExportedEntries, ProcessWideContext) {
  CRecordingHostUI ui;
  CScopedHostUI scoped(ui);
  CvdiFunctionList list;
  ClearFormulaErrorFlag();
  list.scanAndParseFunctionDeclarations(L"INTEGER A\r\nINTEGER FUNCTION TWICE(A)");
  list.scanAndParseFunctions(
      L"INTEGER FUNCTION TWICE(A)\r\nINTEGER A\r\nTWICE = A * 2\r\n"
      L"END FUNCTION TWICE");
  ASSERT_FALSE(FormulaErrorFlag());
  CvdiFunction* f = list.findFunction(L"twice");
  ASSERT_NE(f, nullptr);
  f->m_listParameters[0]->m_nValue = 21;
  VdiRecordPosition pos;
  EXPECT_TRUE(CvdiFortran::runFunction(f, &pos));
  EXPECT_EQ(f->m_result.m_nValue, 42);
  list.scanAndParseFunctions(L"INTEGER FUNCTION BAD()\r\nBAD = Q\r\nEND FUNCTION BAD");
  EXPECT_TRUE(FormulaErrorFlag());
  EXPECT_EQ(ui.Count(), 1u);
  EXPECT_FALSE(CvdiFortran::runFunction(nullptr, nullptr));
}

}  // namespace
