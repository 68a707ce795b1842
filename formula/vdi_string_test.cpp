#include "formula/test_support.h"

namespace {

class FormulaVdiString : public CFormulaTest {
 protected:
  // Evaluates a CHARACTER expression (or the failure message).
  CString Eval(const CString& expr) {
    CvdiFunction* f = Compile(L"CHARACTER (40) FUNCTION F()", L"F = " + expr + L"\r\n");
    if (f == nullptr) return L"<parse error>";
    if (!Run(f)) return L"<error> " + LastMessage();
    return CString(f->m_result.GetText());
  }
  int EvalInt(const CString& expr) {
    CvdiFunction* f = Compile(L"INTEGER FUNCTION F()", L"F = " + expr + L"\r\n");
    return f != nullptr && Run(f) ? f->m_result.m_nValue : -999;
  }
  float EvalReal(const CString& expr) {
    CvdiFunction* f = Compile(L"REAL FUNCTION F()", L"F = " + expr + L"\r\n");
    return f != nullptr && Run(f) ? f->m_result.m_fValue : -999;
  }
};

TEST_F(FormulaVdiString, CString) {
  EXPECT_EQ(Eval(L"VDICSTRING('a;bc;def', 1, 2, 0)"), L"c;def");
  EXPECT_EQ(Eval(L"VDICSTRING('a;bc;def', 1, 1, 2)"), L"bc");
  EXPECT_EQ(Eval(L"VDICSTRING('a;bc;def', 0, 1, 0)"), L"a;bc;def");
  EXPECT_EQ(Eval(L"VDICSTRING('a;bc;def', 9, 1, 0)"), L"");
  EXPECT_EQ(Eval(L"VDICSTRING('abc', 0, 99, 0)"), L"");
  EXPECT_EQ(Eval(L"VDICSTRING('abc', 0, 3, 1)"), L"");
  EXPECT_EQ(Eval(L"VDICSTRING(5, 0, 1, 0)"), L"<error> CHARACTER Parameter missing");
  EXPECT_EQ(Eval(L"VDICSTRING('a', 0, 1)"), L"<error> Missing function parameter");
}

TEST_F(FormulaVdiString, NumberPieces) {
  CvdiFunction* f =
      Compile(L"INTEGER FUNCTION F()",
              L"CHARACTER (20) S\r\nS = 'x;1234;7'\r\nF = VDIISTRING(S, 1, 2, 3)\r\n");
  ASSERT_NE(f, nullptr);
  ASSERT_TRUE(Run(f));
  EXPECT_EQ(f->m_result.m_nValue, 23);
  EXPECT_EQ(EvalInt(L"VDIISTRING(VDICSTRING('x;1234', 1, 1, 0), 0, 1, 0)"), 1234);
  EXPECT_FLOAT_EQ(EvalReal(L"VDIRSTRING(VDISTRING('##.##', 3.25), 0, 1, 0)"), 3.25f);
  EXPECT_EQ(Eval(L"VDISTRING('&', VDIISTRING(1, 0, 1, 0))"), L"<error> Different data types");
}

TEST_F(FormulaVdiString, Pictures) {
  EXPECT_EQ(Eval(L"VDISTRING('~##', 7)"), L"007");
  EXPECT_EQ(Eval(L"VDISTRING('###', 12345)"), L"123");
  EXPECT_EQ(Eval(L"VDISTRING('##.#', 3.14159)"), L" 3.1");
  EXPECT_EQ(Eval(L"VDISTRING('##+', -5)"), L"-5-");
  EXPECT_EQ(Eval(L"VDISTRING('##+', 5)"), L" 5+");
  EXPECT_EQ(Eval(L"VDISTRING('###', 2.5)"), L"  3");
  EXPECT_EQ(Eval(L"VDISTRING('-###', 42)"), L" 42");
  EXPECT_EQ(Eval(L"VDISTRING('##.#', 3)"), L"");
  EXPECT_EQ(Eval(L"VDISTRING('###', 'x')"), L"<error> INTEGER or REAL missing");
}

TEST_F(FormulaVdiString, TextsAndEscapes) {
  EXPECT_EQ(Eval(L"VDISTRING('$$$', 'abcdef')"), L"abc");
  EXPECT_EQ(Eval(L"VDISTRING('$$$$.', 'ab')"), L"ab.");
  EXPECT_EQ(Eval(L"VDISTRING('\\$&', 5)"), L"$5");
  EXPECT_EQ(Eval(L"VDISTRING('a\\|b')"), L"ab");
  EXPECT_EQ(Eval(L"VDISTRING('HK-$$-&', 'XY', 'z')"), L"HK-XY-z");
  EXPECT_EQ(Eval(L"VDISTRING('&/&', 1.5, 2)"), L"1.500000/2");
  EXPECT_EQ(Eval(L"VDISTRING('$$ &')"), L" ");
  EXPECT_EQ(Eval(L"VDISTRING('#', 1, G(2))"), L"1") << "left-over values are skipped";
  EXPECT_EQ(Eval(L"VDISTRING('')"), L"<error> VDISTRING... Formatstring is missing");
  EXPECT_EQ(Eval(L"VDISTRING(1)"), L"<error> CHARACTER Parameter missing");
  EXPECT_EQ(Eval(L"VDISTRING('&', .TRUE.)"), L"<error> Wrong parameter in VDISTRING");
  EXPECT_EQ(Eval(L"VDISTRING('$', 1)"), L"<error> CHARACTER Parameter missing");
}

}  // namespace
