// Value conversions and arithmetic of the formula language on CVdiVar cells.
// Assignment conversion takes the target's type (INTEGER truncates toward
// zero, REAL rounds to the nearest float, DOUBLE PRECISION is exact); binary
// promotion lifts INTEGER to REAL and INTEGER or REAL to DOUBLE PRECISION.
#pragma once

#include <cmath>
#include <cstdint>
#include <string_view>

#include "OrvaMat/formula.h"

namespace formula {

using CVdiVar = CvdiFunction::CVdiVar;

inline bool IsNumeric(enPCode e) { return e == INTEGER || e == REAL || e == DOUBLE; }

enum class EConvert { kDone, kNotConvertible, kOutOfRange };

// Converts a scalar cell to eType by the assignment rules. kNotConvertible
// leaves it as it is; kOutOfRange is a value that no INTEGER can hold.
EConvert ConvertTo(CVdiVar& cell, enPCode eType);
// Promotes the two operands of a binary operation to their common type.
void Promote(CVdiVar& a, CVdiVar& b);
// The numeric value as a double (0 for other types).
double AsDouble(const CVdiVar& cell);
// A double as INTEGER: false when it is outside the range (or NaN).
bool ToInt32(double d, std::int32_t& n);

// Makes cell a plain scalar of no type (drops storage).
inline void Reset(CVdiVar& cell) {
  if (cell.GetData() != nullptr) cell.setType(nNONE, 0, 0, 0);
  cell.m_nCount = 0;
  cell.m_nLength = 0;
  cell.m_nLower = 0;
}
inline void SetInteger(CVdiVar& cell, std::int32_t n) {
  Reset(cell);
  cell.m_eType = INTEGER;
  cell.m_nValue = n;
}
inline void SetReal(CVdiVar& cell, float f) {
  Reset(cell);
  cell.m_eType = REAL;
  cell.m_fValue = f;
}
inline void SetDouble(CVdiVar& cell, double d) {
  Reset(cell);
  cell.m_eType = DOUBLE;
  cell.m_dValue = d;
}
inline void SetLogical(CVdiVar& cell, bool b) {
  Reset(cell);
  cell.m_eType = LOGICAL;
  cell.m_nValue = b ? 1 : 0;
}
// A CHARACTER scalar holding text (length = the text's length).
void SetText(CVdiVar& cell, std::wstring_view text);

// The scalar rules both evaluators share (the general one on cells and the
// decoded run loop), so their results agree bit for bit.
//
// Floating + - * / ** of one type; division by zero gives zero.
template <typename T>
inline T FloatingArithmetic(std::uint16_t op, T a, T b) {
  switch (op) {
    case PLUS:
      return a + b;
    case MINUS:
      return a - b;
    case MUL:
      return a * b;
    case DIV:
      return b == 0 ? T(0) : a / b;
    default:
      return std::pow(a, b);
  }
}
// INTEGER + and - wrap around.
inline std::int32_t IntegerSum(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}
inline std::int32_t IntegerDifference(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}
// The INTEGER product; false when it lies outside +-2147483647 (the
// product is REAL then: the float of the exact product, in r).
inline bool IntegerProduct(std::int32_t a, std::int32_t b, std::int32_t& n, float& r) {
  const std::int64_t p = static_cast<std::int64_t>(a) * b;
  if (p < -2147483647 || p > 2147483647) {
    r = static_cast<float>(p);
    return false;
  }
  n = static_cast<std::int32_t>(p);
  return true;
}
// Truncates toward zero; division by zero gives zero and -2147483648 / -1
// wraps like the other operations.
inline std::int32_t IntegerQuotient(std::int32_t a, std::int32_t b) {
  const std::int64_t q = b == 0 ? 0 : static_cast<std::int64_t>(a) / b;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(q));
}
// INTEGER ** INTEGER is REAL.
inline float IntegerPower(std::int32_t a, std::int32_t b) {
  return static_cast<float>(std::pow(static_cast<double>(a), static_cast<double>(b)));
}
// MOD of INTEGERs for a divisor that is not 0.
inline std::int32_t IntegerModulo(std::int32_t a, std::int32_t nDivisor) {
  return nDivisor == -1 ? 0 : a % nDivisor;
}
// A relation (EQ ... NQ) of the outermost level of a condition: numbers of
// any mix of types, compared in double precision with a tolerance of 1e-10.
// Equal values are near also where their difference is not a number (two
// infinities of one sign); a NaN is near nothing.
inline bool CompareNear(std::uint16_t op, double x, double y) {
  constexpr double kTolerance = 1e-10;
  const bool bNear = x == y || std::fabs(x - y) <= kTolerance;
  switch (op) {
    case EQ:
      return bNear;
    case NQ:
      return !bNear;
    case GT:
      return x > y && !bNear;
    case GE:
      return x > y || bNear;
    case LT:
      return x < y && !bNear;
    default:
      return x < y || bNear;
  }
}
// A relation inside an expression, of two operands promoted to one type
// (exact; a NaN makes every relation but NQ false).
inline bool CompareExact(std::uint16_t op, double x, double y) {
  switch (op) {
    case EQ:
      return x == y;
    case NQ:
      return x != y;
    case GT:
      return x > y;
    case GE:
      return x >= y;
    case LT:
      return x < y;
    default:
      return x <= y;
  }
}

// A numeric scalar without storage: the decoder's constants and their folding.
struct CNumber {
  enPCode m_eType = nNONE;  // INTEGER, REAL or DOUBLE
  union {
    std::int32_t m_nValue;
    float m_fValue;
    double m_dValue = 0;
  };
};

double AsDouble(const CNumber& number);
// Binary promotion and arithmetic of numbers (the same rules as for cells).
void Promote(CNumber& a, CNumber& b);
void Arithmetic(std::uint16_t op, const CNumber& a, const CNumber& b, CNumber& result);
// Assignment conversion of a number to INTEGER, REAL or DOUBLE PRECISION;
// false when it can not be converted (the general path reports why).
bool ConvertNumber(CNumber& number, enPCode eType);

// Arithmetic of two promoted operands of the same numeric type into result.
// PLUS, MINUS, MUL, DIV, POTENZ. INTEGER wraps; an INTEGER product outside
// +-2147483647 is REAL; division by zero gives zero.
void Arithmetic(std::uint16_t op, const CVdiVar& a, const CVdiVar& b, CVdiVar& result);

}  // namespace formula
