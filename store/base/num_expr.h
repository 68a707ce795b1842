// The number evaluator behind CNumString: parses and computes one expression
// text in a single pass (grammar and examples: docs/numstring.md).
//
// Bounds: parentheses, unary signs and macro expansions together nest at most
// kNumMaxNesting deep and macros at most kNumMaxMacroDepth deep; each macro is
// computed at most once per evaluation. So every input, however hostile,
// finishes in time linear in the texts involved and with bounded stack.
#pragma once

#include <cstdint>
#include <string_view>

#include "OrvaMat/types.h"
#include "store/base/num_string_macros.h"

inline constexpr int kNumMaxNesting = 256;
inline constexpr int kNumMaxMacroDepth = 32;

// A computed number: an exact 64-bit integer while every step stays integral
// and in range, else a double.
struct CNumValue {
  bool m_bInteger = true;
  std::int64_t m_nValue = 0;
  double m_dValue = 0;

  static CNumValue OfInt(std::int64_t v) { return {true, v, 0}; }
  static CNumValue OfDouble(double v) { return {false, 0, v}; }
  double AsDouble() const { return m_bInteger ? static_cast<double>(m_nValue) : m_dValue; }
};

enum eNumError {
  eNumOk,
  eNumSyntax,       // not an expression of the grammar (also: nested too deeply)
  eNumUnknownName,  // an identifier that is no macro; m_strName holds it
  eNumDivByZero,    // "/" or "%" by zero
  eNumMacroLoop,    // a macro refers to itself, or macros nest too deeply
  eNumRange,        // a literal or result outside the double range
};

struct CNumResult {
  eNumError m_eError = eNumOk;
  CNumValue m_Value;  // 0 when m_eError is not eNumOk
  CString m_strName;  // the identifier or macro an error is about
};

// Evaluates `text` with the macros of `macros`. An empty or blank text is 0
// without error. Never throws.
CNumResult EvaluateNumExpr(std::wstring_view text, const CNumStringMacros& macros);
