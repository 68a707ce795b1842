#include "formula/fortran_parser.h"

#include "formula/pcode.h"
#include "formula/test_support.h"
#include "platform/text.h"

namespace {

using Words = std::vector<std::uint16_t>;

class FormulaParser : public CFormulaTest {
 protected:
  // The code of the first statement after the header and declarations.
  Words StatementCode(const CString& decls, const CString& statement) {
    CvdiFunction* f = Compile(L"INTEGER FUNCTION F()", decls + L"\r\n" + statement + L"\r\n");
    EXPECT_NE(f, nullptr);
    if (f == nullptr) return {};
    Words words = CodeWithoutSourceLines(*f);
    words.pop_back();  // END
    return words;
  }
  // The words that assign to and read the variable of that name of F.
  std::uint16_t Assign(const wchar_t* name) { return ASSIGN + Id(name); }
  std::uint16_t Value(const wchar_t* name) { return VARVAL + Id(name); }
  std::uint16_t Id(const wchar_t* name) {
    return static_cast<std::uint16_t>(Local(m_list.findFunction(L"F"), name).m_nId);
  }
};

TEST_F(FormulaParser, DeclarationsThenBody) {
  Declare(L"INTEGER A(10)\r\nREAL FUNCTION F(A)");
  ASSERT_FALSE(m_context.m_bError);
  CvdiFunction* f = m_list.findFunction(L"f");
  ASSERT_NE(f, nullptr);
  ASSERT_EQ(f->m_listParameters.size(), 1u);
  EXPECT_EQ(f->m_listParameters[0]->m_strDeclName, L"A");
  EXPECT_EQ(f->m_listParameters[0]->m_nCount, 10);
  EXPECT_EQ(f->m_result.m_eType, REAL);
  EXPECT_TRUE(f->m_code.empty());
  Bodies(L"REAL FUNCTION F(X)\r\nINTEGER X(10)\r\nF = X(2)\r\nEND FUNCTION F");
  ASSERT_FALSE(m_context.m_bError) << m_ui.LastText();
  EXPECT_EQ(f->m_listParameters[0]->m_strName, L"X");
  EXPECT_TRUE(f->IsComplete());
}

TEST_F(FormulaParser, HeaderWithoutDeclaredParameters) {
  Declare(L"REAL FUNCTION F(A, B)\r\n");
  CvdiFunction* f = m_list.findFunction(L"F");
  ASSERT_NE(f, nullptr);
  EXPECT_TRUE(f->m_listParameters.empty());
  Bodies(L"REAL FUNCTION F(A, B)\r\nREAL A, B\r\nF = A + B\r\nEND FUNCTION F");
  ASSERT_EQ(f->m_listParameters.size(), 2u);
  EXPECT_EQ(f->m_listParameters[1]->m_strName, L"B");
  EXPECT_EQ(f->m_listParameters[1]->m_eType, REAL);
}

TEST_F(FormulaParser, LineNumberPrefixInDeclarations) {
  Declare(L"INTEGER A\r\n2;REAL B\r\nREAL FUNCTION F(A, B)");
  ASSERT_FALSE(m_context.m_bError) << m_ui.LastText();
  ASSERT_EQ(m_list.findFunction(L"F")->m_listParameters.size(), 2u);
}

// Function records often open with comment lines: the text starts at the
// first statement, and line numbers still count from the text's first line.
TEST_F(FormulaParser, LeadingCommentLines) {
  Declare(L"; Parameter\r\n\r\n  ! weiter\r\nINTEGER A\r\nINTEGER FUNCTION F(A)");
  ASSERT_FALSE(m_context.m_bError) << m_ui.LastText();
  Bodies(L";\r\n; Rumpf\nINTEGER FUNCTION F(A)\r\nINTEGER A\r\nF = A\r\nEND FUNCTION F");
  ASSERT_FALSE(m_context.m_bError) << m_ui.LastText();
  EXPECT_NE(m_list.findFunction(L"F"), nullptr);
  Declare(L"; eins\r\n; zwei\r\n1 REAL FUNCTION K()");
  EXPECT_EQ(LastMessage(), L"Unknown character...");
  EXPECT_NE(m_ui.LastText().find(L"Line nbr: 3"), CString::npos) << m_ui.LastText();
  // Nothing but comments: an empty text, no report.
  const std::size_t nShown = m_ui.Count();
  Declare(L"; nur Kommentar\r\n\r\n");
  EXPECT_EQ(m_ui.Count(), nShown);
}

TEST_F(FormulaParser, DeclarationErrors) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"FOO A\r\nREAL FUNCTION F(A)", L"Missing data type..."},
      {L"DOUBLE A", L"Missing <PRECISION>..."},
      {L"INTEGER A(X)", L"missing dimension"},
      {L"INTEGER A(3", L"missing ')'"},
      {L"INTEGER , A", L"Missing symbol name..."},
      {L"REAL FUNCTION G(A B)", L"Syntax...."},
      {L"REAL FUNCTION H(A)\r\nINTEGER B", L"Missing symbol name..."}};
  for (const auto& [text, message] : cases) {
    Declare(text);
    EXPECT_EQ(LastMessage(), message) << ToUtf8(text);
  }
}

TEST_F(FormulaParser, BodyDimensions) {
  CvdiFunction* f = Compile(L"INTEGER FUNCTION F()", L"INTEGER (0:4) A, B(2)\r\nF = 1\r\n");
  ASSERT_NE(f, nullptr) << m_ui.LastText();
  EXPECT_EQ(Local(f, L"A").m_nCount, 5);
  EXPECT_EQ(Local(f, L"A").m_nLower, 0);
  EXPECT_EQ(Local(f, L"B").m_nCount, 3);
  EXPECT_EQ(Local(f, L"B").m_nLower, 0);
}

TEST_F(FormulaParser, StatementCode) {
  // A / B * C is (A / B) * C; a chain of * nests to the right; + is left to right.
  Words code = StatementCode(L"INTEGER X", L"X = 8 / 2 * 3");
  EXPECT_EQ(code, (Words{Assign(L"X"), MUL, DIV, ICONST, 8, 0, ICONST, 2, 0, ICONST, 3, 0}));
  code = StatementCode(L"INTEGER X", L"X = 1 - 2 - 3");
  EXPECT_EQ(code, (Words{Assign(L"X"), MINUS, MINUS, ICONST, 1, 0, ICONST, 2, 0, ICONST, 3, 0}));
  code = StatementCode(L"LOGICAL X", L"X = 1 < 2 < 3");
  EXPECT_EQ(code, (Words{Assign(L"X"), LT, ICONST, 1, 0, LT, ICONST, 2, 0, ICONST, 3, 0}));
  code = StatementCode(L"LOGICAL X", L"X = .NOT. 1 == 2 .AND. .TRUE. .OR. .FALSE.");
  EXPECT_EQ(code, (Words{Assign(L"X"), OR, AND, NOT, EQ, ICONST, 1, 0, ICONST, 2, 0, TRUE, FALSE}));
  code = StatementCode(L"INTEGER X, Y", L"X = -Y");
  EXPECT_EQ(code, (Words{Assign(L"X"), MINUS, ICONST, 0, 0, Value(L"Y")}));
  // -A ** 2 is (-A) ** 2.
  code = StatementCode(L"REAL X, A", L"X = -A ** 2");
  EXPECT_EQ(code, (Words{Assign(L"X"), POTENZ, MINUS, ICONST, 0, 0, Value(L"A"), ICONST, 2, 0}));
  code = StatementCode(L"INTEGER A(3)", L"A(1:2) = (/ 5, 6 /)");
  EXPECT_EQ(code, (Words{static_cast<std::uint16_t>(ASSIGNLIST + Id(L"A")), ICONST, 1, 0, ICONST, 2,
                         0, ARRAYSTART, ICONST, 5, 0, ICONST, 6, 0, ARRAYEND}));
  Bodies(L"INTEGER FUNCTION G(A)\r\nINTEGER A\r\nG = A\r\nEND FUNCTION G");
  EXPECT_EQ(StatementCode(L"", L"G(1)"), (Words{CALL + 1, L'G', KLAMMAUF, ICONST, 1, 0, KLAMMZU}));
}

struct CErrorCase {
  const wchar_t* szBody;
  const wchar_t* szMessage;
};

class FormulaParserErrors : public FormulaParser,
                            public ::testing::WithParamInterface<CErrorCase> {};

TEST_P(FormulaParserErrors, Reported) {
  const CString text = CString(L"INTEGER FUNCTION F(P)\r\nINTEGER P, L\r\n") + GetParam().szBody;
  Bodies(text.c_str());
  EXPECT_TRUE(m_context.m_bError);
  EXPECT_EQ(LastMessage(), GetParam().szMessage);
  EXPECT_EQ(m_list.findFunction(L"F"), nullptr) << "a failed function is dropped";
}

INSTANTIATE_TEST_SUITE_P(
    Messages, FormulaParserErrors,
    ::testing::Values(
        CErrorCase{L"ENDDO\r\nEND FUNCTION F", L"ENDDO without DO WITH"},
        CErrorCase{L"END DO\r\nEND FUNCTION F", L"ENDDO without DO WITH"},
        CErrorCase{L"ELSE\r\nEND FUNCTION F", L"ELSE without IF"},
        CErrorCase{L"ELSEIF\r\nEND FUNCTION F", L"ELSEIF without IF"},
        CErrorCase{L"ENDIF\r\nEND FUNCTION F", L"ENDIF without IF"},
        CErrorCase{L"END SUBROUTINE", L"missing <FUNCTION>"},
        CErrorCase{L"END FUNCTION G", L"<END FUNCTION> another name of Function..."},
        CErrorCase{L"INTEGER L\r\nEND FUNCTION F", L"Variable 'L' declared allready"},
        CErrorCase{L"REAL L\r\nEND FUNCTION F",
                   L"Variable 'L' declared allready with different type"},
        CErrorCase{L"L = Q\r\nEND FUNCTION F", L"Unknown identifier: Q"},
        CErrorCase{L"Q = 1\r\nEND FUNCTION F", L"Unknown Symbol Q"},
        CErrorCase{L"L(1 = 2\r\nEND FUNCTION F", L"Missing ')'..."},
        CErrorCase{L"L = MAX(1, 2\r\nEND FUNCTION F", L"Expected a parameter but found: CRLF"},
        CErrorCase{L"DO (L)\r\nEND FUNCTION F", L"DO... WHILE is missing"},
        CErrorCase{L"IF L) L = 1\r\nEND FUNCTION F", L"Missing '('..."},
        CErrorCase{L"IF (L L = 1\r\nEND FUNCTION F", L"missing ')'..."},
        CErrorCase{L"DO WHILE (L < 2)\r\nL = 1\r\nEND FUNCTION F", L"DO WHILE ... missing ENDDO"},
        CErrorCase{L"IF (L) THEN\r\nL = 1\r\nEND FUNCTION F", L"IF in Zeile:3, missing ENDIF..."},
        CErrorCase{L"L = P(1\r\nEND FUNCTION F", L"missing ')'"},
        CErrorCase{L"L = 1\r\n", L"Text ends before END FUNCTION"},
        CErrorCase{L"L = 1\r\n#\r\nEND FUNCTION F", L"Unknown character..."},
        CErrorCase{L"IF (L) THEN\r\nINTEGER Q\r\nENDIF\r\nEND FUNCTION F",
                   L"Statement not allowed inside IF: INTEGER"},
        CErrorCase{L"IF (L) THEN\r\nL = 1\r\n", L"IF in Zeile:3, missing ENDIF..."},
        CErrorCase{L"L = 2147483648\r\nEND FUNCTION F", L"INTEGER constant too big: 2147483648"},
        CErrorCase{L"IF (L) ", L"Text ends inside an IF statement"},
        CErrorCase{L"INTEGER A(5:2)\r\nEND FUNCTION F", L"Bad dimension"},
        // Sizes beyond the INTEGER range are too big, not cut to another size.
        CErrorCase{L"INTEGER A(0:2147483647)\r\nEND FUNCTION F", L"Variable 'A' too big"},
        CErrorCase{L"CHARACTER (3000000000) T\r\nEND FUNCTION F", L"Variable 'T' too big"},
        CErrorCase{L"INTEGER A(10000000)\r\nEND FUNCTION F", L"Variable 'A' too big"}));

TEST_F(FormulaParser, TextsThatOpenNoFunction) {
  Bodies(L"  1INTEGER FUNCTION F()");
  EXPECT_EQ(LastMessage(), L"Unknown character...");
  Bodies(L"INTEGER F()\r\nEND FUNCTION F");
  EXPECT_EQ(LastMessage(), L"Missing <FUNCTION>...");
  m_ui.Clear();
  Bodies(L"   \t ");
  EXPECT_EQ(m_ui.Count(), 0u);
  EXPECT_TRUE(m_list.m_listFunctions.empty());
}

TEST_F(FormulaParser, EndFunctionWithOtherNameStopsTheText) {
  Bodies(
      L"INTEGER FUNCTION F()\r\nF = 1\r\nEND FUNCTION X\r\nINTEGER FUNCTION G()\r\nG = 1\r\n"
      L"END FUNCTION G");
  EXPECT_EQ(LastMessage(), L"<END FUNCTION> another name of Function...");
  EXPECT_EQ(m_list.findFunction(L"F"), nullptr);
  EXPECT_EQ(m_list.findFunction(L"G"), nullptr);
}

TEST_F(FormulaParser, DeclaredFunctionStaysIncompleteAfterError) {
  Declare(L"INTEGER FUNCTION F()");
  Bodies(L"INTEGER FUNCTION F()\r\nF = Q\r\nEND FUNCTION F");
  CvdiFunction* f = m_list.findFunction(L"F");
  ASSERT_NE(f, nullptr);
  EXPECT_FALSE(f->IsComplete());
  m_ui.Clear();
  EXPECT_FALSE(Run(f));
  EXPECT_EQ(LastMessage(), L"Function F has no complete body");
}

TEST_F(FormulaParser, SameBodiesTwiceIsDuplicate) {
  const wchar_t* text =
      L"INTEGER FUNCTION F()\r\nF = 1\r\nEND FUNCTION F\r\nINTEGER FUNCTION G()\r\nG = 2\r\n"
      L"END FUNCTION G\r\n";
  Bodies(text);
  ASSERT_FALSE(m_context.m_bError);
  Bodies(text);
  ASSERT_GE(m_ui.Count(), 1u);
  EXPECT_EQ(m_ui.GetMessages()[0].strText, L"Funktion<F> ist doppelt?");
  EXPECT_EQ(m_ui.GetMessages()[0].nStyle, MB_OK | MB_ICONINFORMATION);
  // The duplicate body is skipped; the rest of the text is read normally.
  EXPECT_FALSE(m_context.m_bError);
  EXPECT_EQ(m_list.m_listFunctions.size(), 2u);
}

TEST_F(FormulaParser, BrokenExponentDropsFunctionSilently) {
  for (const CString value : {L"1.5E+X", L"7EQ"}) {
    Bodies((L"REAL FUNCTION F()\r\nF = " + value + L"\r\nEND FUNCTION F").c_str());
    EXPECT_EQ(m_list.findFunction(L"F"), nullptr) << ToUtf8(value);
  }
  EXPECT_FALSE(m_context.m_bError);
  EXPECT_EQ(m_ui.Count(), 0u);
  // In a declarations text the host learns of it through the error flag.
  Declare(L"INTEGER A(1E+)\r\nREAL FUNCTION G(A)");
  EXPECT_TRUE(m_context.m_bError);
  EXPECT_EQ(m_ui.Count(), 0u);
}

TEST_F(FormulaParser, SizeAndNestingLimitsAreReported) {
  CString body = L"INTEGER X\r\n";
  for (int i = 0; i < 3000; ++i) body += L"X = X + 1 + 2\r\n";
  EXPECT_EQ(Compile(L"INTEGER FUNCTION F()", body), nullptr);
  EXPECT_EQ(LastMessage(), L"Function too long: more than 32766 words of p-code");
  // A text constant's length is the 12-bit operand of its word.
  const CString text(4096, L'x');
  EXPECT_EQ(Compile(L"INTEGER FUNCTION F()", L"CHARACTER (1) T\r\nT = '" + text + L"'\r\n"),
            nullptr);
  EXPECT_EQ(LastMessage(), L"Text constant or name too long (more than 4095 characters)");
  EXPECT_NE(
      Compile(L"INTEGER FUNCTION F()", L"CHARACTER (1) T\r\nT = '" + text.substr(1) + L"'\r\n"),
      nullptr);
  const CString expr = CString(500, L'(') + L"1" + CString(500, L')');
  EXPECT_EQ(Compile(L"INTEGER FUNCTION F()", L"F = " + expr + L"\r\n"), nullptr);
  EXPECT_EQ(LastMessage(), L"Statement or expression nested too deeply");
}

TEST_F(FormulaParser, DebugStackDuringParse) {
  Bodies(L"INTEGER FUNCTION F()\r\nF = 1\r\nF = Q\r\nEND FUNCTION F");
  EXPECT_NE(m_ui.LastText().find(L"Function Location: F (1)\r\n"), CString::npos)
      << m_ui.LastText();
  EXPECT_NE(m_ui.LastText().find(L"Line nbr: 3\r\n"), CString::npos);
  EXPECT_TRUE(m_context.m_debugStack.GetEntries().empty());
}

}  // namespace
