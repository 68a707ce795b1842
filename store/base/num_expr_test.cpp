#include "store/base/num_expr.h"

#include <gtest/gtest.h>

#include <string>

namespace {

CNumResult Eval(const wchar_t* text, const CNumStringMacros& macros = CNumStringMacros()) {
  return EvaluateNumExpr(text, macros);
}

void ExpectInt(const wchar_t* text, std::int64_t expected,
               const CNumStringMacros& macros = CNumStringMacros()) {
  CNumResult result = Eval(text, macros);
  EXPECT_EQ(result.m_eError, eNumOk) << text;
  EXPECT_TRUE(result.m_Value.m_bInteger) << text;
  EXPECT_EQ(result.m_Value.m_nValue, expected) << text;
}

void ExpectDouble(const wchar_t* text, double expected) {
  CNumResult result = Eval(text);
  EXPECT_EQ(result.m_eError, eNumOk) << text;
  EXPECT_DOUBLE_EQ(result.m_Value.AsDouble(), expected) << text;
}

void ExpectError(const wchar_t* text, eNumError error,
                 const CNumStringMacros& macros = CNumStringMacros()) {
  CNumResult result = Eval(text, macros);
  EXPECT_EQ(result.m_eError, error) << text;
  EXPECT_EQ(result.m_Value.AsDouble(), 0) << text;
}

TEST(BaseNumExpr, LiteralsEvaluateToThemselvesAndBlankToZero) {
  const std::pair<const wchar_t*, std::int64_t> ints[] = {{L"42", 42},    {L"  -7 ", -7}, {L"0", 0},
                                                          {L"0x1F", 31},  {L"0XfF", 255}, {L"", 0},
                                                          {L" \t\r\n", 0}};
  for (const auto& [text, n] : ints) ExpectInt(text, n);
  ExpectInt(L"0x0000000000000000000001", 1);
  ExpectInt(L"9223372036854775807", INT64_MAX);
  ExpectInt(L"0x7FFFFFFFFFFFFFFF", INT64_MAX);
  const std::pair<const wchar_t*, double> doubles[] = {
      {L"1.5", 1.5},     {L".5", 0.5},    {L"2.", 2.0}, {L"1e3", 1000.0},
      {L"2.5E-1", 0.25}, {L"12,5", 12.5}, {L",5", 0.5}};
  for (const auto& [text, d] : doubles) ExpectDouble(text, d);
  // Beyond 64 bits an integer literal continues as a double.
  ExpectDouble(L"18446744073709551616", 18446744073709551616.0);
  ExpectDouble(L"0xFFFFFFFFFFFFFFFF", 18446744073709551615.0);
  ExpectError(L"0x10000000000000000", eNumRange);
  ExpectError(L"0x1G", eNumSyntax);
  ExpectError(L"0x", eNumSyntax);
}

TEST(BaseNumExpr, PrecedenceParenthesesAndSigns) {
  const std::pair<const wchar_t*, std::int64_t> ints[] = {
      {L"2+3*4", 14}, {L"(2+3)*4", 20},    {L"10-4-3", 3},        {L"100/10/5", 2}, {L"17%5*2", 4},
      {L"8/2", 4},    {L"-3*-2", 6},       {L"--3", 3},           {L"+-+3", -3},    {L"-(2+3)", -5},
      {L"2--3", 5},   {L" ( 1 + 2 ) ", 3}, {L"2*(3+(4-1))*2", 24}};
  for (const auto& [text, n] : ints) ExpectInt(text, n);
  ExpectInt(L"-9223372036854775807-1", INT64_MIN);
  const std::pair<const wchar_t*, double> doubles[] = {
      {L"7/2", 3.5}, {L"0.5*4+1", 3.0}, {L"7.5%2", 1.5}};
  for (const auto& [text, d] : doubles) ExpectDouble(text, d);
}

TEST(BaseNumExpr, IntegerOverflowContinuesInFloatingPoint) {
  CNumResult result = Eval(L"9223372036854775807+1");
  EXPECT_EQ(result.m_eError, eNumOk);
  EXPECT_FALSE(result.m_Value.m_bInteger);
  EXPECT_DOUBLE_EQ(result.m_Value.m_dValue, 9223372036854775808.0);
  ExpectDouble(L"(-9223372036854775807-1)/-1", 9223372036854775808.0);
  ExpectInt(L"(-9223372036854775807-1)%-1", 0);
  ExpectError(L"1e308*10", eNumRange);
  ExpectError(L"1e999", eNumRange);
}

TEST(BaseNumExpr, DivisionByZeroAndSyntaxErrors) {
  for (const wchar_t* text : {L"1/0", L"1%0", L"1.5/(2-2.0)", L"1/-0.0"})
    ExpectError(text, eNumDivByZero);
  for (const wchar_t* text : {L"1+", L"(1", L"1)", L"()", L"*2", L"1 2", L"1.2.3", L"1,5,5",
                              L"12abc", L"1e", L"#", L"1;2", L"(1+2))", L"\x1A"}) {
    ExpectError(text, eNumSyntax);
  }
}

TEST(BaseNumExpr, DeepNestingIsRefusedNotCrashed) {
  std::wstring deep(100000, L'(');
  deep += L"1";
  deep += std::wstring(100000, L')');
  ExpectError(deep.c_str(), eNumSyntax);
  std::wstring signs(100000, L'-');
  signs += L"1";
  ExpectError(signs.c_str(), eNumSyntax);
  std::wstring fine(kNumMaxNesting - 1, L'(');
  fine += L"1";
  fine += std::wstring(kNumMaxNesting - 1, L')');
  ExpectInt(fine.c_str(), 1);
}

TEST(BaseNumExpr, MacrosExpandAsParenthesisedExpressions) {
  CNumStringMacros macros;
  macros.Define(L"BREITE", L"1+2");
  macros.Define(L"HOEHE", L"BREITE*2");
  macros.Define(L"_x1", L"0x10");
  macros.Define(L"Größe", L"5");
  ExpectInt(L"BREITE*3", 9, macros);  // (1+2)*3, not 1+2*3
  ExpectInt(L"HOEHE", 6, macros);
  ExpectInt(L"-HOEHE+_x1", 10, macros);
  ExpectInt(L"Größe", 5, macros);
  ExpectError(L"breite", eNumUnknownName, macros);  // names are case-sensitive
  CNumResult result = Eval(L"1+LAENGE", macros);
  EXPECT_EQ(result.m_eError, eNumUnknownName);
  EXPECT_EQ(result.m_strName, L"LAENGE");
}

TEST(BaseNumExpr, MacroErrorsCyclesAndDepth) {
  CNumStringMacros macros;
  macros.Define(L"LEER", L"");
  macros.Define(L"KAPUTT", L"1+");
  macros.Define(L"NULL", L"0");
  ExpectError(L"LEER", eNumSyntax, macros);
  ExpectError(L"2*KAPUTT", eNumSyntax, macros);
  ExpectError(L"1/NULL", eNumDivByZero, macros);
  macros.Define(L"A", L"B+1");
  macros.Define(L"B", L"A+1");
  macros.Define(L"SELF", L"SELF");
  CNumResult result = Eval(L"A", macros);
  EXPECT_EQ(result.m_eError, eNumMacroLoop);
  EXPECT_EQ(result.m_strName, L"A");
  ExpectError(L"SELF", eNumMacroLoop, macros);

  CNumStringMacros chain;
  chain.Define(L"M0", L"1");
  for (int i = 1; i <= kNumMaxMacroDepth; ++i)
    chain.Define(L"M" + std::to_wstring(i), L"M" + std::to_wstring(i - 1) + L"+1");
  ExpectInt((L"M" + std::to_wstring(kNumMaxMacroDepth - 1)).c_str(), kNumMaxMacroDepth, chain);
  ExpectError((L"M" + std::to_wstring(kNumMaxMacroDepth)).c_str(), eNumMacroLoop, chain);
}

TEST(BaseNumExpr, SharedMacrosAreComputedOncePerEvaluation) {
  // Each level doubles the uses of the next; without computing a macro once
  // this would take 2^31 steps.
  CNumStringMacros macros;
  macros.Define(L"L0", L"1");
  for (int i = 1; i < 31; ++i)
    macros.Define(L"L" + std::to_wstring(i),
                  L"L" + std::to_wstring(i - 1) + L"+L" + std::to_wstring(i - 1));
  ExpectInt(L"L30", 1 << 30, macros);
}

}  // namespace
