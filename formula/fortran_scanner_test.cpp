#include "formula/fortran_scanner.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/text.h"

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

TEST(FormulaScanner, TokensAndTheirTexts) {
  EXPECT_EQ(Scan(L"a = b"), Scan(L"A = B"));
  const struct {
    const wchar_t* szText;
    std::vector<CToken> tokens;
  } cases[] = {
      // Names are case-insensitive.
      {L"a = b", {{SYMBOL, L"A"}, {ASSIGN, L""}, {SYMBOL, L"B"}}},
      {L"größe", {{SYMBOL, L"GRÖßE"}}},
      // Numbers, and where a dot belongs to the next word.
      {L"1.AND.X", {{ICONST, L"1"}, {AND, L".AND."}, {SYMBOL, L"X"}}},
      {L"1.5E-3", {{RCONST, L"1.5E-3"}}},
      {L"1e5", {{ICONST, L"1E5"}}},
      {L".5", {{RCONST, L".5"}}},
      {L"1.", {{RCONST, L"1."}}},
      {L"1.E5", {{RCONST, L"1.E5"}}},
      {L"1.EQ.2", {{ICONST, L"1"}, {SYMBOL, L".EQ."}, {ICONST, L"2"}}},
      {L"A .EQ. B", {{SYMBOL, L"A"}, {SYMBOL, L".EQ."}, {SYMBOL, L"B"}}},
      {L"A.B", {{SYMBOL, L"A"}, {SYMBOL, L".B"}}},
      // Text literals: a doubled quote ends the literal; no escapes.
      {L"'abc\r\nX", {{CCONST, L"abc"}, {CRLF, L""}, {SYMBOL, L"X"}}},
      {L"\"a'B\" 'x\"y'", {{CCONST, L"a'B"}, {CCONST, L"x\"y"}}},
      {L"'it''s'", {{CCONST, L"it"}, {CCONST, L"s"}}},
      {L"'a\tb'", {{CCONST, L"a"}, {SYMBOL, L"B"}, {CCONST, L""}}},
  };
  for (const auto& c : cases) EXPECT_EQ(Scan(c.szText), c.tokens) << ToUtf8(c.szText);
}

TEST(FormulaScanner, Codes) {
  const struct {
    const wchar_t* szText;
    std::vector<enPCode> codes;
  } cases[] = {
      {L"X==Y/=Z", {SYMBOL, EQ, SYMBOL, NQ, SYMBOL}},
      {L"(/1,2/)", {ARRAYSTART, ICONST, KOMMA, ICONST, ARRAYEND}},
      {L"2**3", {ICONST, POTENZ, ICONST}},
      {L"2*3", {ICONST, MUL, ICONST}},
      {L"a<=b<c>=d>e:f",
       {SYMBOL, LE, SYMBOL, LT, SYMBOL, GE, SYMBOL, GT, SYMBOL, DOPPELPUNKT, SYMBOL}},
      {L".not. .true. .FALSE. .Or. .eqv. .neqv.", {NOT, TRUE, FALSE, OR, EQV, NEQV}},
      // Comments and line ends: empty lines fold, blank ones do not.
      {L"X ! comment\r\nY", {SYMBOL, CRLF, SYMBOL}},
      {L"X ; comment\r\nY", {SYMBOL, CRLF, SYMBOL}},
      {L"X ; comment", {SYMBOL, CRLF}},
      {L"A\r\n\r\nB", {SYMBOL, CRLF, SYMBOL}},
      {L"A\r\n  \r\nB", {SYMBOL, CRLF, CRLF, SYMBOL}},
      {L"double precision function qel_debug vdiindexexist goto endif",
       {DOUBLE, PRECISION, FUNCTION, QELDEBUG, VDIINDEXEXIST, SYMBOL, ENDIF}},
  };
  for (const auto& c : cases) EXPECT_EQ(Codes(c.szText), c.codes) << ToUtf8(c.szText);
  EXPECT_EQ(CFortranScanner::LookupKeyword(L"VDIRSTRING"), VDIRSTRING);
  EXPECT_EQ(CFortranScanner::LookupKeyword(L"IF2"), SYMBOL);
  EXPECT_EQ(CFortranScanner::LookupKeyword(L"SRCLINE"), SYMBOL);
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

// The names of single codes are the disassembler's listing; here the codes
// outside the table, and codes that carry an operand in their low bits.
TEST(FormulaScanner, TokenNamesOutsideTheTable) {
  EXPECT_STREQ(CFortranScanner::tokenName(84), L"UNDEFINED");
  EXPECT_STREQ(CFortranScanner::tokenName(0x8FFF), L"UNDEFINED");
  EXPECT_STREQ(CFortranScanner::tokenName(0x9005), L"CCONST");
  EXPECT_STREQ(CFortranScanner::tokenName(VARVALAT + 7), L"VARVALAT");
}

}  // namespace
