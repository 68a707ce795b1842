// Cross-checks the runtime's arithmetic against gfortran on generated, fully
// parenthesised expressions over many inputs. Only constructs whose meaning
// agrees are generated: INTEGER and REAL arithmetic without overflow or
// division by zero, INT, NINT, MOD, ABS, MIN, MAX (of REAL values) and the
// REAL intrinsics. Results are compared bit for bit. Where the language
// differs on purpose (INTEGER ** INTEGER is REAL, "/" binds tighter than
// "*", conditions compare with a tolerance, NINT of a half rounds up) the
// runtime tests check the language's own rule.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "formula/test_support.h"
#include "platform/text.h"

namespace {

struct CInputs {
  int i, j;
  float x, y;
};

class CExpressionMaker {
 public:
  explicit CExpressionMaker(unsigned seed) : m_rng(seed) {}

  // Each form is drawn in the same order as the operands it takes: both
  // operands first, then the form, then an operand of the other type.
  std::string Integer(int nDepth) {
    if (nDepth == 0 || Pick(4) == 0) {
      const int k = Pick(3);
      return k == 0 ? "I" : k == 1 ? "J" : std::to_string(1 + Pick(9));
    }
    const std::string a = Integer(nDepth - 1), b = Integer(nDepth - 1);
    static const char* const kForms[] = {
        "($a + $b)", "($a - $b)", "($a * $b)", "($a / (ABS($b) + 1))", "MOD($a, (ABS($b) + 1))",
        "ABS($a)",   "INT($r)",   "NINT($r)"};
    const int k = Pick(8);
    return Fill(kForms[k], a, b, k >= 6 ? Real(nDepth - 1) : "");
  }

  std::string Real(int nDepth) {
    if (nDepth == 0 || Pick(4) == 0) {
      const int k = Pick(4);
      return k == 0 ? "X" : k == 1 ? "Y" : k == 2 ? "(I * 1.0)" : kConstants[Pick(4)];
    }
    const std::string a = Real(nDepth - 1), b = Real(nDepth - 1);
    static const char* const kForms[] = {"($a + $b)",
                                         "($a - $b)",
                                         "($a * $b)",
                                         "($a / (ABS($b) + 1.0))",
                                         "ABS($a)",
                                         "MIN($a, $b)",
                                         "MAX($a, $b)",
                                         "SQRT(ABS($a))",
                                         "SIN($a)",
                                         "COS($a)",
                                         "MOD($a, (ABS($b) + 0.5))",
                                         "($r + $a)"};
    const int k = Pick(12);
    return Fill(kForms[k], a, b, k == 11 ? Integer(nDepth - 1) : "");
  }

  static std::string Fill(const char* pForm, const std::string& a, const std::string& b,
                          const std::string& r) {
    std::string out;
    for (const char* p = pForm; *p; ++p) {
      if (*p != '$') {
        out += *p;
        continue;
      }
      ++p;
      out += *p == 'a' ? a : *p == 'b' ? b : r;
    }
    return out;
  }

  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_rng); }

 private:
  static constexpr const char* kConstants[] = {"1.5", "0.25", "2.75", "3.0"};
  std::mt19937 m_rng;
};

std::string Shell(const std::string& command) {
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buf[4096];
    std::size_t n = 0;
    while ((n = fread(buf, 1, sizeof(buf), p)) > 0) out.append(buf, n);
    pclose(p);
  }
  return out;
}

class FormulaGfortranCross : public CFormulaTest {};

TEST_F(FormulaGfortranCross, ArithmeticAgreesWithGfortran) {
  if (std::system("gfortran --version >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "gfortran is not installed: the cross-check is skipped";
  }
  constexpr int kExpressions = 60;
  constexpr int kInputs = 40;
  CExpressionMaker maker(20240613);
  std::vector<std::pair<bool, std::string>> expressions;  // (is integer, text)
  for (int k = 0; k < kExpressions; ++k) {
    const bool bInt = k % 2 == 0;
    expressions.emplace_back(bInt, bInt ? maker.Integer(2) : maker.Real(3));
  }
  std::vector<CInputs> inputs;
  for (int k = 0; k < kInputs; ++k) {
    inputs.push_back({maker.Pick(101) - 50, maker.Pick(101) - 50,
                      static_cast<float>(maker.Pick(141) - 70) / 7.0f,
                      static_cast<float>(maker.Pick(141) - 70) / 7.0f});
  }

  // The Fortran program prints every result: INTEGER values, REAL bits.
  std::ostringstream prog;
  prog << "program cross\n  implicit none\n  integer :: i, j, k, ir\n  real :: x, y, rr\n";
  prog << "  integer :: ii(" << kInputs << "), jj(" << kInputs << ")\n";
  prog << "  integer :: xb(" << kInputs << "), yb(" << kInputs << ")\n";
  for (int k = 0; k < kInputs; ++k) {
    std::int32_t xb = 0, yb = 0;
    std::memcpy(&xb, &inputs[k].x, 4);
    std::memcpy(&yb, &inputs[k].y, 4);
    prog << "  ii(" << k + 1 << ") = " << inputs[k].i << "; jj(" << k + 1 << ") = " << inputs[k].j
         << "; xb(" << k + 1 << ") = " << xb << "; yb(" << k + 1 << ") = " << yb << "\n";
  }
  prog << "  do k = 1, " << kInputs << "\n";
  prog << "    i = ii(k); j = jj(k); x = transfer(xb(k), x); y = transfer(yb(k), y)\n";
  for (const auto& [bInt, text] : expressions) {
    if (bInt) {
      prog << "    ir = " << text << "\n    print '(I0)', ir\n";
    } else {
      prog << "    rr = " << text << "\n    print '(I0)', transfer(rr, 0)\n";
    }
  }
  prog << "  end do\nend program cross\n";

  char dir[] = "/tmp/orvamat_gfortran_XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string base = dir;
  std::ofstream(base + "/cross.f90") << prog.str();
  const std::string output = Shell("cd " + base +
                                   " && gfortran -O0 -ffree-line-length-none -o cross cross.f90 "
                                   "2>&1 >/dev/null && ./cross");
  std::system(("rm -rf " + base).c_str());
  std::istringstream lines(output);

  // The same expressions through our runtime, by both evaluators: the
  // general one and the decoded run loop must give the same bits.
  std::vector<CvdiFunction*> functions;
  for (std::size_t n = 0; n < expressions.size(); ++n) {
    const auto& [bInt, text] = expressions[n];
    const CString name = L"E" + std::to_wstring(n);
    const CString body = CString(bInt ? L"INTEGER" : L"REAL") + L" FUNCTION " + name +
                         L"(I, J, X, Y)\r\nINTEGER I, J\r\nREAL X, Y\r\n" + name + L" = " +
                         FromUtf8(text) + L"\r\nEND FUNCTION " + name + L"\r\n";
    Bodies(body.c_str());
    functions.push_back(m_list.findFunction(name.c_str()));
    ASSERT_NE(functions.back(), nullptr) << text << "\n" << ToUtf8(m_ui.LastText());
  }
  int nCompared = 0;
  for (const CInputs& in : inputs) {
    for (std::size_t n = 0; n < functions.size(); ++n) {
      CvdiFunction* f = functions[n];
      f->m_listParameters[0]->m_nValue = in.i;
      f->m_listParameters[1]->m_nValue = in.j;
      f->m_listParameters[2]->m_fValue = in.x;
      f->m_listParameters[3]->m_fValue = in.y;
      std::int32_t nBits[2] = {};  // general, decoded (REAL: its bits)
      for (bool bDecoded : {false, true}) {
        m_context.m_bDecodedRun = bDecoded;
        ASSERT_TRUE(Run(f)) << expressions[n].second << "\n" << ToUtf8(m_ui.LastText());
        nBits[bDecoded] = f->m_result.m_nValue;
      }
      EXPECT_EQ(nBits[0], nBits[1]) << expressions[n].second;
      std::string line;
      ASSERT_TRUE(std::getline(lines, line)) << "gfortran output ended:\n" << output;
      const long long expected = std::stoll(line);
      const std::int32_t actual = nBits[1];
      float fExpected = 0;
      const auto nExpected = static_cast<std::int32_t>(expected);
      std::memcpy(&fExpected, &nExpected, 4);
      EXPECT_EQ(actual, nExpected)
          << expressions[n].second << " with I=" << in.i << " J=" << in.j << " X=" << in.x
          << " Y=" << in.y
          << (expressions[n].first ? ""
                                   : " (REAL " + std::to_string(fExpected) + " vs " +
                                         std::to_string(f->m_result.m_fValue) + ")");
      ++nCompared;
    }
  }
  EXPECT_EQ(nCompared, kExpressions * kInputs);
}

}  // namespace
