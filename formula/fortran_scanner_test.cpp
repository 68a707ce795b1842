#include "formula/fortran_scanner.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct CToken {
  enPCode eCode;
  CString strText;
  bool operator==(const CToken&) const = default;
};

std::vector<CToken> Scan(const wchar_t* text, int nMax = 20) {
  CFortranScanner scanner;
  scanner.setScanPosition(text);
  std::vector<CToken> tokens;
  for (int i = 0; i < nMax; ++i) {
    const enPCode e = scanner.nextToken();
    if (e == nNONE) break;
    const bool bText = e == SYMBOL || e == ICONST || e == RCONST || e == CCONST || e < KLAMMAUF ||
                       (e >= MIN && e <= NINT) || (e >= AND && e <= FALSE);
    tokens.push_back({e, bText ? scanner.tokenText() : CString()});
  }
  return tokens;
}

std::vector<enPCode> Codes(const wchar_t* text) {
  std::vector<enPCode> codes;
  for (const CToken& t : Scan(text)) codes.push_back(t.eCode);
  return codes;
}

TEST(FormulaScanner, NamesAreCaseInsensitive) {
  EXPECT_EQ(Scan(L"a = b"), Scan(L"A = B"));
  EXPECT_EQ(Scan(L"a = b"), (std::vector<CToken>{{SYMBOL, L"A"}, {ASSIGN, L""}, {SYMBOL, L"B"}}));
  EXPECT_EQ(Scan(L"größe"), (std::vector<CToken>{{SYMBOL, L"GRÖßE"}}));
}

TEST(FormulaScanner, Operators) {
  EXPECT_EQ(Codes(L"X==Y/=Z"), (std::vector<enPCode>{SYMBOL, EQ, SYMBOL, NQ, SYMBOL}));
  EXPECT_EQ(Codes(L"(/1,2/)"), (std::vector<enPCode>{ARRAYSTART, ICONST, KOMMA, ICONST, ARRAYEND}));
  EXPECT_EQ(Codes(L"2**3"), (std::vector<enPCode>{ICONST, POTENZ, ICONST}));
  EXPECT_EQ(Codes(L"2*3"), (std::vector<enPCode>{ICONST, MUL, ICONST}));
  EXPECT_EQ(Codes(L"a<=b<c>=d>e:f"),
            (std::vector<enPCode>{SYMBOL, LE, SYMBOL, LT, SYMBOL, GE, SYMBOL, GT, SYMBOL,
                                  DOPPELPUNKT, SYMBOL}));
}

TEST(FormulaScanner, Numbers) {
  EXPECT_EQ(Scan(L"1.AND.X"),
            (std::vector<CToken>{{ICONST, L"1"}, {AND, L".AND."}, {SYMBOL, L"X"}}));
  EXPECT_EQ(Scan(L"1.5E-3"), (std::vector<CToken>{{RCONST, L"1.5E-3"}}));
  EXPECT_EQ(Scan(L"1e5"), (std::vector<CToken>{{ICONST, L"1E5"}}));
  EXPECT_EQ(Scan(L".5"), (std::vector<CToken>{{RCONST, L".5"}}));
  EXPECT_EQ(Scan(L"1."), (std::vector<CToken>{{RCONST, L"1."}}));
  EXPECT_EQ(Scan(L"1.E5"), (std::vector<CToken>{{RCONST, L"1.E5"}}));
  EXPECT_EQ(Scan(L"1.EQ.2"),
            (std::vector<CToken>{{ICONST, L"1"}, {SYMBOL, L".EQ."}, {ICONST, L"2"}}));
}

TEST(FormulaScanner, BrokenExponentThrowsIntegerFailure) {
  CFortranScanner scanner;
  scanner.setScanPosition(L"1.5E+X");
  try {
    scanner.nextToken();
    FAIL() << "no failure";
  } catch (const CFortranScanFailure& failure) {
    EXPECT_EQ(failure.m_nCode, 0);
  }
  scanner.setScanPosition(L"7EQ");
  EXPECT_THROW(scanner.nextToken(), CFortranScanFailure);
}

TEST(FormulaScanner, StringLiterals) {
  EXPECT_EQ(Scan(L"'abc\r\nX"),
            (std::vector<CToken>{{CCONST, L"abc"}, {CRLF, L""}, {SYMBOL, L"X"}}));
  EXPECT_EQ(Scan(L"\"a'B\" 'x\"y'"), (std::vector<CToken>{{CCONST, L"a'B"}, {CCONST, L"x\"y"}}));
  // A doubled quote ends the literal; no escapes.
  EXPECT_EQ(Scan(L"'it''s'"), (std::vector<CToken>{{CCONST, L"it"}, {CCONST, L"s"}}));
  EXPECT_EQ(Scan(L"'a\tb'"), (std::vector<CToken>{{CCONST, L"a"}, {SYMBOL, L"B"}, {CCONST, L""}}));
}

TEST(FormulaScanner, CommentsAndLineEnds) {
  EXPECT_EQ(Codes(L"X ! comment\r\nY"), (std::vector<enPCode>{SYMBOL, CRLF, SYMBOL}));
  EXPECT_EQ(Codes(L"X ; comment\r\nY"), (std::vector<enPCode>{SYMBOL, CRLF, SYMBOL}));
  EXPECT_EQ(Codes(L"X ; comment"), (std::vector<enPCode>{SYMBOL, CRLF}));
  EXPECT_EQ(Codes(L"A\r\n\r\nB"), (std::vector<enPCode>{SYMBOL, CRLF, SYMBOL}));
  EXPECT_EQ(Codes(L"A\r\n  \r\nB"), (std::vector<enPCode>{SYMBOL, CRLF, CRLF, SYMBOL}));
}

TEST(FormulaScanner, DottedWords) {
  EXPECT_EQ(Scan(L"A .EQ. B"),
            (std::vector<CToken>{{SYMBOL, L"A"}, {SYMBOL, L".EQ."}, {SYMBOL, L"B"}}));
  EXPECT_EQ(Scan(L"A.B"), (std::vector<CToken>{{SYMBOL, L"A"}, {SYMBOL, L".B"}}));
  EXPECT_EQ(Codes(L".not. .true. .FALSE. .Or. .eqv. .neqv."),
            (std::vector<enPCode>{NOT, TRUE, FALSE, OR, EQV, NEQV}));
}

TEST(FormulaScanner, UnknownCharacterDoesNotMove) {
  CFortranScanner scanner;
  const wchar_t* text = L"#";
  scanner.setScanPosition(text);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(scanner.nextToken(), nNONE);
    EXPECT_EQ(scanner.scanPosition(), text);
  }
}

TEST(FormulaScanner, Keywords) {
  EXPECT_EQ(
      Codes(L"double precision function qel_debug vdiindexexist goto endif"),
      (std::vector<enPCode>{DOUBLE, PRECISION, FUNCTION, QELDEBUG, VDIINDEXEXIST, SYMBOL, ENDIF}));
  EXPECT_EQ(CFortranScanner::LookupKeyword(L"VDIRSTRING"), VDIRSTRING);
  EXPECT_EQ(CFortranScanner::LookupKeyword(L"IF2"), SYMBOL);
  EXPECT_EQ(CFortranScanner::LookupKeyword(L"SRCLINE"), SYMBOL);
}

// The names of single codes are the disassembler's listing; here the codes
// outside the table, and codes that carry an operand in their low bits.
TEST(FormulaScanner, TokenNamesOutsideTheTable) {
  EXPECT_STREQ(CFortranScanner::tokenName(84), L"UNDEFINED");
  EXPECT_STREQ(CFortranScanner::tokenName(0x8FFF), L"UNDEFINED");
  EXPECT_STREQ(CFortranScanner::tokenName(0x9005), L"CCONST");
  EXPECT_STREQ(CFortranScanner::tokenName(VARVALAT + 7), L"VARVALAT");
}

}  // namespace
