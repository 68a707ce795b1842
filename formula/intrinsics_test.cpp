// Results of operators and intrinsics at their edges (NaN, infinities,
// INTEGER overflow, division by zero, the ends of the character range) and
// the reports of what fails at run time (types, arrays, indexes), each run
// through both evaluators: the general one and the decoded run loop must
// give the same bits, the same report, and the value in the table. A first
// statement that stores into a variable makes the second one run decoded.
#include <cmath>
#include <cstring>

#include "formula/test_support.h"
#include "platform/text.h"

namespace {

using CVdiVar = CvdiFunction::CVdiVar;

const double kNaN = std::nan("");
const double kInf = HUGE_VAL;

struct CCase {
  const wchar_t* szType;  // of F
  const wchar_t* szBody;
  double dValue;           // F's value (NaN: any NaN); ignored when an error is expected
  const wchar_t* szError;  // the reported message, or null
};

struct COutcome {
  bool m_bOk = false;
  CString m_strMessage;
  std::uint64_t m_nBits = 0;  // F's value bytes (as many as its type has)
  CString m_strText;
};

class FormulaEdgeValues : public CFormulaTest {
 protected:
  COutcome RunOnce(CvdiFunction* f, bool bDecoded) {
    m_context.m_bDecodedRun = bDecoded;
    m_nTicks += 1000;  // every report is shown
    m_ui.Clear();
    f->m_result.clean();
    COutcome o;
    o.m_bOk = Run(f);
    o.m_strMessage = LastMessage();
    const CVdiVar& r = f->m_result;
    if (r.m_eType == CHARACTER) {
      o.m_strText = r.GetText();
    } else {
      std::memcpy(&o.m_nBits, &r.m_dValue, r.m_eType == DOUBLE ? 8 : 4);
    }
    return o;
  }
  // Compiles "<type> FUNCTION F()" with the locals below and body; runs it
  // both ways and checks that they agree. Returns the general outcome.
  COutcome RunBoth(const wchar_t* szType, const CString& body) {
    const CString locals = L"INTEGER I, J\r\nREAL X, Y\r\nDOUBLE PRECISION D\r\n";
    CvdiFunction* f = Compile(CString(szType) + L" FUNCTION F()", locals + body);
    if (f == nullptr) {
      ADD_FAILURE() << ToUtf8(body) << ": " << ToUtf8(LastMessage());
      return {};
    }
    const COutcome general = RunOnce(f, false);
    const COutcome decoded = RunOnce(f, true);
    EXPECT_EQ(general.m_bOk, decoded.m_bOk) << ToUtf8(body);
    EXPECT_EQ(general.m_strMessage, decoded.m_strMessage) << ToUtf8(body);
    EXPECT_EQ(general.m_nBits, decoded.m_nBits) << ToUtf8(body);
    EXPECT_EQ(general.m_strText, decoded.m_strText) << ToUtf8(body);
    m_pResult = &f->m_result;
    return general;
  }
  const CVdiVar* m_pResult = nullptr;
};

double ValueOf(const CVdiVar& r) {
  switch (r.m_eType) {
    case REAL:
      return r.m_fValue;
    case DOUBLE:
      return r.m_dValue;
    default:
      return r.m_nValue;
  }
}

TEST_F(FormulaEdgeValues, NumericResults) {
  const CCase cases[] = {
      // INTEGER: wraps, division by zero gives 0, products outside the range are REAL.
      {L"INTEGER", L"F = 7 / 0\r\n", 0, nullptr},
      {L"INTEGER", L"I = 0\r\nF = 7 / I\r\n", 0, nullptr},
      {L"INTEGER", L"I = -7\r\nJ = 2\r\nF = I / J\r\n", -3, nullptr},
      {L"INTEGER", L"I = 2147483647\r\nF = I + 1\r\n", -2147483648.0, nullptr},
      {L"INTEGER", L"I = -2147483647 - 1\r\nJ = -1\r\nF = I / J\r\n", -2147483648.0, nullptr},
      {L"INTEGER", L"I = -2147483647 - 1\r\nJ = -1\r\nF = MOD(I, J)\r\n", 0, nullptr},
      {L"INTEGER", L"I = -2147483647 - 1\r\nF = ABS(I)\r\n", -2147483648.0, nullptr},
      {L"INTEGER", L"I = -7\r\nF = MOD(I, 3)\r\n", -1, nullptr},
      {L"REAL", L"I = 65536\r\nF = I * I\r\n", 4294967296.0, nullptr},
      {L"INTEGER", L"I = 65536\r\nF = I * I\r\n", 0, L"Value outside the INTEGER range"},
      {L"INTEGER", L"J = 0\r\nF = MOD(7, J)\r\n", 0, L"MOD with divisor 0"},
      {L"REAL", L"X = 7.5\r\nF = MOD(X, 0)\r\n", 0, L"MOD with divisor 0"},
      {L"REAL", L"X = -7.5\r\nF = MOD(X, 2)\r\n", -1.5, nullptr},
      {L"REAL", L"I = 2\r\nJ = -1\r\nF = I ** J\r\n", 0.5, nullptr},
      {L"REAL", L"I = 0\r\nJ = -1\r\nF = I ** J\r\n", kInf, nullptr},
      // Floating point: overflow to infinity, division by zero gives 0, NaN.
      {L"REAL", L"X = 1E30\r\nF = X * X\r\n", kInf, nullptr},
      {L"REAL", L"X = 1E30\r\nF = -X * X\r\n", -kInf, nullptr},
      {L"REAL", L"X = 1\r\nY = 0\r\nF = X / Y\r\n", 0, nullptr},
      {L"DOUBLE PRECISION", L"D = 1\r\nF = D / 0\r\n", 0, nullptr},
      {L"REAL", L"F = SQRT(-1.0)\r\n", kNaN, nullptr},
      {L"REAL", L"X = -1\r\nF = SQRT(X) * 2\r\n", kNaN, nullptr},
      {L"REAL", L"F = ACOS(2.0)\r\n", kNaN, nullptr},
      {L"REAL", L"F = LOG(0.0)\r\n", -kInf, nullptr},
      {L"REAL", L"F = EXP(1000.0)\r\n", kInf, nullptr},
      {L"REAL", L"X = EXP(1000.0)\r\nF = X - X\r\n", kNaN, nullptr},
      {L"DOUBLE PRECISION", L"X = EXP(1000.0)\r\nD = X\r\nF = D * 0\r\n", kNaN, nullptr},
      // Each name runs its own function (REAL argument: computed in REAL).
      {L"REAL", L"F = SIN(0.5)\r\n", std::sin(0.5f), nullptr},
      {L"REAL", L"F = COS(0.5)\r\n", std::cos(0.5f), nullptr},
      {L"REAL", L"F = TAN(0.5)\r\n", std::tan(0.5f), nullptr},
      {L"REAL", L"F = ASIN(0.5)\r\n", std::asin(0.5f), nullptr},
      {L"REAL", L"F = ATAN(0.5)\r\n", std::atan(0.5f), nullptr},
      {L"REAL", L"F = SINH(0.5)\r\n", std::sinh(0.5f), nullptr},
      {L"REAL", L"F = COSH(0.5)\r\n", std::cosh(0.5f), nullptr},
      {L"REAL", L"F = LOG(0.5)\r\n", std::log(0.5f), nullptr},
      {L"REAL", L"F = EXP(0.5)\r\n", std::exp(0.5f), nullptr},
      {L"DOUBLE PRECISION", L"D = 0.5\r\nF = SIN(D)\r\n", std::sin(0.5), nullptr},
      {L"REAL", L"F = SIN(2)\r\n", static_cast<float>(std::sin(2.0)), nullptr},
      {L"REAL", L"F = LOG10(1000.0)\r\n", 3, nullptr},
      {L"REAL", L"F = SQRT(16)\r\n", 4, nullptr},
      {L"REAL", L"F = PI\r\n", static_cast<float>(3.14159265358979), nullptr},
      {L"INTEGER", L"F = ABS(-4)\r\n", 4, nullptr},
      {L"REAL", L"F = MOD(7.5, 2)\r\n", 1.5, nullptr},
      {L"REAL", L"F = MAX(1, 2.5, -3)\r\n", 2.5, nullptr},
      {L"REAL", L"F = MIN(4, 2)\r\n", 2, nullptr},
      // Conversions to INTEGER: truncation, rounding of halves, the range.
      {L"INTEGER", L"F = INT(-2.7)\r\n", -2, nullptr},
      {L"INTEGER", L"F = NINT(-2.5)\r\n", -2, nullptr},
      {L"INTEGER", L"F = NINT(2.5)\r\n", 3, nullptr},
      {L"INTEGER", L"X = 2.9\r\nF = X\r\n", 2, nullptr},
      {L"INTEGER", L"F = INT(2147483520.0)\r\n", 2147483520.0, nullptr},
      {L"INTEGER", L"F = INT(3E9)\r\n", 0, L"Value outside the INTEGER range"},
      {L"INTEGER", L"F = INT(SQRT(-1.0))\r\n", 0, L"Value outside the INTEGER range"},
      {L"INTEGER", L"F = NINT(EXP(1000.0))\r\n", 0, L"Value outside the INTEGER range"},
      {L"INTEGER", L"X = EXP(1000.0)\r\nF = X\r\n", 0, L"Value outside the INTEGER range"},
      {L"INTEGER", L"X = SQRT(-1.0)\r\nF = X\r\n", 0, L"Value outside the INTEGER range"},
      // Relations: NaN is unequal to everything; an infinity equals itself,
      // inside an expression and in a condition (with its tolerance).
      {L"LOGICAL", L"X = SQRT(-1.0)\r\nF = X == X\r\n", 0, nullptr},
      {L"LOGICAL", L"X = SQRT(-1.0)\r\nF = X /= X\r\n", 1, nullptr},
      {L"INTEGER", L"X = SQRT(-1.0)\r\nF = 1\r\nIF (X >= X) F = 2\r\n", 1, nullptr},
      {L"INTEGER", L"X = SQRT(-1.0)\r\nIF (X /= 0) F = 2\r\n", 2, nullptr},
      {L"LOGICAL", L"X = EXP(1000.0)\r\nF = X == X\r\n", 1, nullptr},
      {L"INTEGER", L"X = EXP(1000.0)\r\nIF (X == X) F = 2\r\n", 2, nullptr},
      {L"INTEGER", L"X = EXP(1000.0)\r\nIF (X >= X) F = 2\r\n", 2, nullptr},
      {L"INTEGER", L"X = EXP(1000.0)\r\nF = 1\r\nIF (X > X) F = 2\r\n", 1, nullptr},
      {L"INTEGER", L"X = EXP(1000.0)\r\nIF (X > 1E30) F = 2\r\n", 2, nullptr},
      {L"INTEGER", L"X = LOG(0.0)\r\nF = 1\r\nIF (X == EXP(1000.0)) F = 2\r\n", 1, nullptr},
      {L"INTEGER", L"F = ICHAR('')\r\n", 0, nullptr},
      {L"INTEGER", L"F = ICHAR('A')\r\n", 65, nullptr},
      {L"INTEGER", L"F = ICHAR(CHAR(1114111))\r\n", 1114111, nullptr},
      // "/" binds before "*"; a power of INTEGERs is REAL; exponent literals.
      {L"INTEGER", L"F = 2 * 3 / 4\r\n", 0, nullptr},
      {L"INTEGER", L"F = 8 / 2 * 3\r\n", 12, nullptr},
      {L"REAL", L"F = 2 ** 3\r\n", 8, nullptr},
      {L"INTEGER", L"F = 2 ** 3\r\n", 8, nullptr},
      {L"INTEGER", L"F = 2 ** -1 * 4\r\n", 2, nullptr},
      {L"INTEGER", L"F = 1E5\r\n", 100000, nullptr},
      {L"REAL", L"F = 25E-1\r\n", 2.5, nullptr},
      {L"LOGICAL", L"F = 'abc' == 'abc'\r\n", 1, nullptr},
      {L"LOGICAL", L"F = 'abc' < 'abd'\r\n", 1, nullptr},
      // Undefined constructs are reported.
      {L"INTEGER", L"F = 'a' + 1\r\n", 0, L"Different data types"},
      {L"LOGICAL", L"F = .TRUE. + .TRUE.\r\n", 0,
       L"Arithmetic needs INTEGER, REAL or DOUBLE PRECISION values"},
      {L"LOGICAL", L"F = 'a' .AND. .TRUE.\r\n", 0, L"Bad argument"},
      {L"INTEGER", L"INTEGER A(2)\r\nF = A\r\n", 0, L"Array A used as a value"},
      {L"LOGICAL", L"F = .TRUE. > .FALSE.\r\n", 0, L"Unknown data type handler"},
      {L"INTEGER", L"F = (/1, 2/)\r\n", 0, L"Init. list used as a value"},
      {L"INTEGER", L"F = MAX()\r\n", 0, L"MIN or MAX without arguments"},
      {L"INTEGER", L"F = VDIIWERT('100', 1, 2)\r\n", 0, L"VDIIWERT: no product records are bound"},
      {L"INTEGER", L"LATER(X)\r\n", 0, L"Syntax error: Function might not be defined yet"},
      // Arrays: lists, ranges and indexes outside the storage (lower bound 5,
      // three elements: the count check alone would let 0..3 pass; lower
      // bound 0: index 3 passes "greater than the count").
      {L"INTEGER", L"INTEGER A(3)\r\nA(1:3) = (/1, 2, 3/)\r\nF = A(1) + A(2) * 10 + A(3) * 100\r\n",
       321, nullptr},
      {L"INTEGER", L"INTEGER A(3)\r\nA(1:3) = (/1, 2/)\r\n", 0, L"Init. list to short"},
      {L"INTEGER", L"INTEGER A(3)\r\nA(1:2) = (/1, 2, 3/)\r\n", 0, L"Init. list to long"},
      {L"INTEGER", L"INTEGER A(3)\r\nA(1:2) = 5\r\n", 0, L"Init. list missing"},
      {L"INTEGER", L"INTEGER A(3)\r\nA(4) = 1\r\n", 0, L"Index to big"},
      {L"INTEGER", L"INTEGER A(3)\r\nF = A(4)\r\n", 0, L"Index too big"},
      {L"INTEGER", L"INTEGER A(3)\r\nA(4:5) = (/1, 2/)\r\n", 0, L"Index #1 too big"},
      {L"INTEGER", L"INTEGER A(3)\r\nA(2:4) = (/1, 2, 3/)\r\n", 0, L"Index #2 too big"},
      {L"INTEGER", L"INTEGER A(3)\r\nA(1.0) = 1\r\n", 0, L"INTEGER Vaue missing"},
      {L"INTEGER", L"INTEGER A(3)\r\nF = A(1.0)\r\n", 0, L"INTEGER value missing as index"},
      {L"INTEGER", L"INTEGER A(5:7)\r\nA(2) = 1\r\n", 0, L"Index below the lower bound"},
      {L"INTEGER", L"INTEGER A(5:7)\r\nF = A(3)\r\n", 0, L"Index below the lower bound"},
      {L"INTEGER", L"INTEGER A(0:2)\r\nF = A(-1)\r\n", 0, L"Index below the lower bound"},
      {L"INTEGER", L"INTEGER A(0:2)\r\nA(3) = 1\r\n", 0, L"Index to big"},
      {L"INTEGER", L"INTEGER A(0:2)\r\nF = A(3)\r\n", 0, L"Index too big"},
      {L"INTEGER", L"INTEGER A(0:2)\r\nA(0) = 4\r\nA(2) = 5\r\nF = A(0) * 10 + A(2)\r\n", 45,
       nullptr},
      // Conditions compare with a tolerance, a relation outside them exactly;
      // an INTEGER condition is false whatever it holds.
      {L"INTEGER", L"IF (1 == 1.0) F = 1\r\n", 1, nullptr},
      {L"INTEGER", L"D = 1\r\nIF (D + 1E-12 == 1) F = 1\r\n", 1, nullptr},
      {L"INTEGER", L"D = 1\r\nIF (D + 1E-12 > 1) F = 1\r\n", 0, nullptr},
      {L"LOGICAL", L"D = 1\r\nF = D + 1E-12 == 1\r\n", 0, nullptr},
      {L"INTEGER", L"I = 5\r\nF = 2\r\nIF (I) F = 1\r\n", 2, nullptr},
      {L"INTEGER", L"IF (1) F = 1\r\n", 1, nullptr},
      {L"INTEGER", L"IF (1 .AND. 1) F = 1\r\n", 0, nullptr},
      {L"INTEGER", L"IF ('a' == 1) F = 1\r\n", 0, L"Different data types"},
      {L"INTEGER",
       L"I = 2\r\nIF (I == 1) THEN\r\nF = 10\r\nELSEIF (I == 2) THEN\r\nF = 20\r\n"
       L"ELSE\r\nF = 30\r\nENDIF\r\n",
       20, nullptr},
      {L"INTEGER",
       L"INTEGER S\r\nDO WHILE (I < 10)\r\nI = I + 1\r\nS = S + I\r\nEND DO\r\nF = S\r\n", 55,
       nullptr},
  };
  for (const CCase& c : cases) {
    const COutcome o = RunBoth(c.szType, c.szBody);
    if (m_pResult == nullptr) continue;
    if (c.szError != nullptr) {
      EXPECT_FALSE(o.m_bOk) << ToUtf8(c.szBody);
      EXPECT_EQ(o.m_strMessage, c.szError) << ToUtf8(c.szBody);
      continue;
    }
    EXPECT_TRUE(o.m_bOk) << ToUtf8(c.szBody) << ": " << ToUtf8(o.m_strMessage);
    const double d = ValueOf(*m_pResult);
    if (std::isnan(c.dValue)) {
      EXPECT_TRUE(std::isnan(d)) << ToUtf8(c.szBody) << ": " << d;
    } else {
      EXPECT_EQ(d, c.dValue) << ToUtf8(c.szBody);
    }
  }
}

TEST_F(FormulaEdgeValues, CharacterResults) {
  struct CTextCase {
    const wchar_t* szBody;
    const wchar_t* szText;  // F's text, or null when an error is expected
    const wchar_t* szError;
  };
  const CTextCase cases[] = {
      {L"F = CHAR(66)\r\n", L"B", nullptr},
      {L"F = CHAR(1114111)\r\n", L"\U0010FFFF", nullptr},
      {L"F = CHAR(-1)\r\n", nullptr, L"Bad argument"},
      {L"F = CHAR(55296)\r\n", nullptr, L"Bad argument"},
      {L"F = CHAR(1114112)\r\n", nullptr, L"Bad argument"},
      {L"F = CHAR(SQRT(-1.0))\r\n", nullptr, L"Bad argument"},
      {L"F = CHAR('A')\r\n", nullptr, L"Bad argument"},
      // F is CHARACTER (4): a longer text lengthens it, a shorter one is kept as it is.
      {L"F = '123456789'\r\n", L"123456789", nullptr},
      {L"F = ''\r\n", L"", nullptr},
  };
  for (const CTextCase& c : cases) {
    const COutcome o = RunBoth(L"CHARACTER (4)", c.szBody);
    if (m_pResult == nullptr) continue;
    if (c.szError != nullptr) {
      EXPECT_FALSE(o.m_bOk) << ToUtf8(c.szBody);
      EXPECT_EQ(o.m_strMessage, c.szError) << ToUtf8(c.szBody);
      continue;
    }
    EXPECT_TRUE(o.m_bOk) << ToUtf8(c.szBody) << ": " << ToUtf8(o.m_strMessage);
    EXPECT_EQ(o.m_strText, c.szText) << ToUtf8(c.szBody);
    EXPECT_GE(m_pResult->m_nLength, static_cast<int>(o.m_strText.size())) << ToUtf8(c.szBody);
  }
}

}  // namespace
