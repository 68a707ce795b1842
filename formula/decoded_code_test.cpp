// The decoded run against the general evaluator: generated programs run both
// ways must leave the same results, parameters, locals, step and statement
// counts, line number, last assigned cell and reports.
#include "formula/decoded_code.h"

#include <cstring>
#include <random>

#include "formula/test_support.h"
#include "platform/text.h"

namespace {

using CVdiVar = CvdiFunction::CVdiVar;

const wchar_t* const kHeader = L"DOUBLE PRECISION FUNCTION F(I, X, D)";

// Random programs over every kind of variable the decoder takes, with the
// cases it must hand back: INTEGER products outside the range, MOD by 0,
// indexes outside arrays, REAL values too big for INTEGER, runaway loops,
// and statements it never takes (intrinsics, texts).
class CProgramMaker {
 public:
  explicit CProgramMaker(unsigned seed) : m_rng(seed) {}

  // The declarations and statements of F (see kHeader).
  CString Program() {
    CString s =
        L"INTEGER I, J, K, IA(4)\r\n"
        L"REAL X, Y, RA(0:3)\r\nDOUBLE PRECISION D, E, DA(2:4)\r\nLOGICAL L, M\r\n"
        L"CHARACTER (8) T\r\n";
    for (int n = 0; n < 6; ++n) s += Statement(2);
    return s + L"F = D + E + Y\r\n";
  }

 private:
  CString Statement(int nDepth) {
    switch (nDepth > 0 ? Pick(9) : Pick(5)) {
      case 0:
      case 1:
        return Target() + L" = " + Number(3) + L"\r\n";
      case 2:
        return (Pick(2) ? L"L = " : L"M = ") + Logical(2) + L"\r\n";
      case 3:
        return Pick(2) ? L"Y = SIN(X) + ABS(J)\r\n" : L"T = VDISTRING('##', K)\r\n";
      case 4:
        return L"IF (" + Condition() + L") " + Target() + L" = " + Number(2) + L"\r\n";
      case 5:
      case 6: {
        CString s = L"IF (" + Condition() + L") THEN\r\n" + Statement(nDepth - 1);
        if (Pick(2)) s += L"ELSE\r\n" + Statement(nDepth - 1);
        return s + L"ENDIF\r\n";
      }
      default:
        return L"K = 0\r\nDO WHILE (" + (Pick(3) ? L"K < " + Int(3) : Condition()) +
               L")\r\nK = K + 1\r\n" + Statement(nDepth - 1) + L"ENDDO\r\n";
    }
  }
  CString Target() {
    static const wchar_t* const kTargets[] = {L"I", L"J", L"K", L"X", L"Y", L"D", L"E"};
    switch (Pick(5)) {
      case 0:
        return L"IA(" + Index(1) + L")";
      case 1:
        return L"RA(" + Index(0) + L")";
      case 2:
        return L"DA(" + Index(2) + L")";
      default:
        return kTargets[Pick(7)];
    }
  }
  // Mostly inside the array (three elements from its lower bound), sometimes not.
  CString Index(int nLower) {
    return Pick(6) != 0 ? std::to_wstring(nLower + Pick(3)) : L"K + " + Int(1);
  }
  CString Int(int nMax) { return std::to_wstring(Pick(nMax + 1)); }
  CString Number(int nDepth) {
    static const wchar_t* const kLeaves[] = {L"I",
                                             L"J",
                                             L"K",
                                             L"X",
                                             L"Y",
                                             L"D",
                                             L"E",
                                             L"0.5",
                                             L"2000000000",
                                             L"PI",
                                             L"3",
                                             L"1E30",
                                             L"IA(MOD(K, 4) + 1)",
                                             L"RA(MOD(J, 4))",
                                             L"DA(MOD(I, 3) + 2)"};
    if (nDepth == 0 || Pick(3) == 0) return kLeaves[Pick(15)];
    const CString a = Number(nDepth - 1), b = Number(nDepth - 1);
    static const wchar_t* const kOps[] = {L" + ", L" - ", L" * ", L" / ", L" ** "};
    switch (Pick(7)) {
      case 0:
        return L"MOD(" + a + L", " + (Pick(5) == 0 ? b : CString(L"3")) + L")";
      case 1:
        return L"-(" + a + L")";
      default:
        return L"(" + a + kOps[Pick(5)] + b + L")";
    }
  }
  CString Condition() {
    static const wchar_t* const kRelations[] = {L" < ", L" <= ", L" == ", L" /= ", L" > ", L" >= "};
    if (Pick(3) == 0) return Logical(2);
    return Number(2) + kRelations[Pick(6)] + Number(2);
  }
  CString Logical(int nDepth) {
    static const wchar_t* const kOps[] = {L" .AND. ", L" .OR. ", L" .EQV. ", L" .NEQV. "};
    switch (nDepth == 0 ? 0 : Pick(5)) {
      case 0:
        return Pick(2) ? L"(" + Number(1) + L" < " + Number(1) + L")" : CString(L"L");
      case 1:
        return L".NOT. " + Logical(nDepth - 1);
      case 2:
        return Pick(2) ? L".TRUE." : L"M";
      default:
        return L"(" + Logical(nDepth - 1) + kOps[Pick(4)] + Logical(nDepth - 1) + L")";
    }
  }
  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_rng); }

  std::mt19937 m_rng;
};

// Everything a run leaves behind, for comparison.
struct COutcome {
  bool m_bOk = false;
  std::size_t m_nReports = 0;
  CString m_strReport;
  std::uint64_t m_nSteps = 0, m_nStatements = 0;
  int m_nLine = 0;
  const CVdiVar* m_pLastAssigned = nullptr;
  int m_nLastAssignedIndex = 0;
  std::vector<std::uint8_t> m_bytes;  // values of the result, parameters and locals

  bool operator==(const COutcome&) const = default;
};

void AppendValue(std::vector<std::uint8_t>& bytes, const CVdiVar& var) {
  const std::size_t n = var.m_eType == DOUBLE ? 8 : 4;  // only the bytes of the type count
  const auto* p = var.GetData() != nullptr ? static_cast<const std::uint8_t*>(var.GetData())
                                           : reinterpret_cast<const std::uint8_t*>(&var.m_dValue);
  bytes.insert(bytes.end(), p, p + (var.GetData() != nullptr ? var.GetDataBytes() : n));
}

class FormulaDecodedRun : public CFormulaTest {
 protected:
  COutcome RunOnce(CvdiFunction* f, bool bDecoded, std::int32_t i, float x, double d) {
    m_context.m_bDecodedRun = bDecoded;
    m_nTicks += 1000;  // every report is shown
    f->m_result.clean();
    f->m_listParameters[0]->m_nValue = i;
    f->m_listParameters[1]->m_fValue = x;
    f->m_listParameters[2]->m_dValue = d;
    const std::size_t nBefore = m_ui.GetMessages().size();
    COutcome o;
    o.m_bOk = Run(f);
    o.m_nReports = m_ui.GetMessages().size() - nBefore;
    if (o.m_nReports != 0) o.m_strReport = m_ui.LastText();
    o.m_nSteps = m_context.m_nSteps;
    o.m_nStatements = m_context.m_nStatements;
    o.m_nLine = m_context.m_scanner.GetLine();
    o.m_pLastAssigned = m_context.m_pLastAssigned;
    o.m_nLastAssignedIndex = m_context.m_nLastAssignedIndex;
    AppendValue(o.m_bytes, f->m_result);
    for (const auto& p : f->m_listParameters) AppendValue(o.m_bytes, *p);
    for (const auto& p : f->m_listLocals) AppendValue(o.m_bytes, *p);
    return o;
  }
  // Runs f both ways for each input; returns how many runs failed.
  int Compare(CvdiFunction* f, const CString& text, int nInputs, std::mt19937& rng) {
    int nFailed = 0;
    for (int n = 0; n < nInputs; ++n) {
      const std::int32_t i = static_cast<std::int32_t>(rng() % 7);
      const float x = static_cast<float>(static_cast<int>(rng() % 41) - 20) / 4.0f;
      const double d = static_cast<double>(rng() % 1000) / 7.0;
      m_context.m_nMaxRunSteps = 20 + rng() % 3000;
      const COutcome general = RunOnce(f, false, i, x, d);
      const COutcome decoded = RunOnce(f, true, i, x, d);
      EXPECT_TRUE(general == decoded)
          << ToUtf8(text) << "\nI=" << i << " X=" << x << " D=" << d << " bound "
          << m_context.m_nMaxRunSteps << "\nsteps " << general.m_nSteps << " / " << decoded.m_nSteps
          << ", line " << general.m_nLine << " / " << decoded.m_nLine << "\nreports:\n"
          << ToUtf8(general.m_strReport) << "\n---\n"
          << ToUtf8(decoded.m_strReport);
      nFailed += general.m_bOk ? 0 : 1;
    }
    return nFailed;
  }
};

TEST_F(FormulaDecodedRun, GeneratedProgramsAgreeWithTheGeneralEvaluator) {
  CProgramMaker maker(20261206);
  std::mt19937 rng(7);
  int nRuns = 0, nFailed = 0, nDecoded = 0;
  for (int nProgram = 0; nProgram < 150; ++nProgram) {
    const CString text = maker.Program();
    CvdiFunction* f = Compile(kHeader, text);
    ASSERT_NE(f, nullptr) << ToUtf8(text) << "\n" << ToUtf8(m_ui.LastText());
    nFailed += Compare(f, text, 8, rng);
    nRuns += 8;
    if (f->GetDecoded() != nullptr && !f->GetDecoded()->m_listOps.empty()) ++nDecoded;
  }
  // The programs must exercise both outcomes (most failures are the step
  // bound, indexes and MOD by 0 the decoded run hands back) and the decoded
  // form itself.
  EXPECT_GT(nFailed, nRuns / 20);
  EXPECT_LT(nFailed, nRuns * 4 / 5);
  EXPECT_GT(nDecoded, 140);
}

TEST_F(FormulaDecodedRun, StepBoundStopsAtTheSameStep) {
  const CString text =
      L"INTEGER I, K\r\nREAL X\r\n"
      L"DOUBLE PRECISION D\r\nK = 0\r\nDO WHILE (K < 50)\r\nK = K + 1\r\n"
      L"IF (MOD(K, 3) == 0) THEN\r\nD = D + K\r\nELSE\r\nX = X * 2\r\nENDIF\r\nENDDO\r\n"
      L"F = D\r\n";
  CvdiFunction* f = Compile(kHeader, text);
  ASSERT_NE(f, nullptr);
  for (std::uint64_t nBound = 1; nBound < 320; ++nBound) {
    m_context.m_nMaxRunSteps = nBound;
    const COutcome general = RunOnce(f, false, 1, 1, 0);
    const COutcome decoded = RunOnce(f, true, 1, 1, 0);
    ASSERT_TRUE(general == decoded)
        << "bound " << nBound << ": steps " << general.m_nSteps << " / " << decoded.m_nSteps
        << ", line " << general.m_nLine << " / " << decoded.m_nLine;
  }
}

// A call that outlives its step share continues in the run loop, with its
// parameter bound by reference to the caller's cells: an INTEGER in one
// call, a REAL in the next. The decoded form must follow the binding.
TEST_F(FormulaDecodedRun, ParametersBoundToCellsOfOtherTypes) {
  Bodies(
      L"INTEGER FUNCTION G(A)\r\nREAL A\r\nINTEGER N\r\nDO WHILE (N < 60000)\r\nN = N + 1\r\n"
      L"A = A + 0.5\r\nENDDO\r\nG = N\r\nEND FUNCTION G");
  const CString text =
      L"INTEGER I, K\r\nREAL X\r\nDOUBLE PRECISION D\r\n"
      L"K = G(I)\r\nK = G(X)\r\nK = G(I)\r\nF = I + X\r\n";
  CvdiFunction* f = Compile(kHeader, text);
  ASSERT_NE(f, nullptr) << ToUtf8(m_ui.LastText());
  m_context.m_nMaxRunSteps = 50'000'000;
  const COutcome general = RunOnce(f, false, 3, 1.5f, 0);
  const COutcome decoded = RunOnce(f, true, 3, 1.5f, 0);
  EXPECT_TRUE(general.m_bOk) << ToUtf8(general.m_strReport);
  EXPECT_TRUE(general == decoded);
  EXPECT_EQ(f->m_listParameters[1]->m_fValue, 1.5f + 30000.0f);
}

// The same call twice, its parameter bound to one cell and then to another
// of the same type: the second call must change the second cell, which the
// decoded form sees only because every binding moves the binding epoch.
TEST_F(FormulaDecodedRun, ACallWritesTheCellItIsBoundTo) {
  Bodies(
      L"INTEGER FUNCTION G(A)\r\nINTEGER A\r\nINTEGER N\r\nDO WHILE (N < 60000)\r\n"
      L"N = N + 1\r\nA = A + 1\r\nENDDO\r\nG = N\r\nEND FUNCTION G");
  const CString text =
      L"INTEGER I, J, K\r\nREAL X\r\nDOUBLE PRECISION D\r\n"
      L"J = 100\r\nK = G(I)\r\nK = G(J)\r\nF = J\r\n";
  CvdiFunction* f = Compile(kHeader, text);
  ASSERT_NE(f, nullptr) << ToUtf8(m_ui.LastText());
  m_context.m_nMaxRunSteps = 50'000'000;
  const COutcome general = RunOnce(f, false, 3, 0, 0);
  const COutcome decoded = RunOnce(f, true, 3, 0, 0);
  EXPECT_TRUE(decoded.m_bOk) << ToUtf8(decoded.m_strReport);
  EXPECT_TRUE(general == decoded);
  EXPECT_EQ(f->m_listParameters[0]->m_nValue, 3 + 60000);
  EXPECT_EQ(f->m_result.m_dValue, 100.0 + 60000);
  ASSERT_NE(m_list.findFunction(L"G")->GetDecoded(), nullptr) << "the call ran decoded";
}

}  // namespace
