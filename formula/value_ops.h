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

void SetInteger(CVdiVar& cell, std::int32_t n);
void SetReal(CVdiVar& cell, float f);
void SetDouble(CVdiVar& cell, double d);
void SetLogical(CVdiVar& cell, bool b);
// A CHARACTER scalar holding text (length = the text's length).
void SetText(CVdiVar& cell, std::wstring_view text);
// Makes cell a plain scalar of no type (drops storage).
void Reset(CVdiVar& cell);

// Arithmetic of two promoted operands of the same numeric type into result.
// PLUS, MINUS, MUL, DIV, POTENZ. INTEGER wraps; an INTEGER product outside
// +-2147483647 is REAL; division by zero gives zero.
void Arithmetic(std::uint16_t op, const CVdiVar& a, const CVdiVar& b, CVdiVar& result);

}  // namespace formula
