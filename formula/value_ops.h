// Value conversions and arithmetic of the formula language on CVdiVar cells.
// Assignment conversion takes the target's type (INTEGER truncates toward
// zero, REAL rounds to the nearest float, DOUBLE PRECISION is exact); binary
// promotion lifts INTEGER to REAL and INTEGER or REAL to DOUBLE PRECISION.
#pragma once

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

// A numeric scalar without storage: the fast path of the evaluator.
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
