// The intrinsic functions: SIN ... NINT, CHAR, ICHAR, MOD, MIN and MAX.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "formula/formula_runtime.h"
#include "formula/value_ops.h"

using CVdiVar = CvdiFunction::CVdiVar;
using namespace formula;

namespace {

template <typename T>
T Apply(std::uint16_t op, T x) {
  switch (op) {
    case SIN:
      return std::sin(x);
    case COS:
      return std::cos(x);
    case TAN:
      return std::tan(x);
    case SQRT:
      return std::sqrt(x);
    case ACOS:
      return std::acos(x);
    case ASIN:
      return std::asin(x);
    case ATAN:
      return std::atan(x);
    case COSH:
      return std::cosh(x);
    case SINH:
      return std::sinh(x);
    case EXP:
      return std::exp(x);
    case LOG:
      return std::log(x);
    default:
      return std::log10(x);
  }
}

}  // namespace

void CFormulaRuntime::EvaluateIntrinsic(std::uint16_t op, CVdiVar& cell, CCodeCursor& cur) {
  CVdiVar a;
  Evaluate(a, cur);
  const enPCode eType = a.m_eType;
  if (op == ICHAR) {
    if (eType != CHARACTER) Error(L"Bad argument");
    const std::wstring_view text = a.GetText();
    SetInteger(cell, text.empty() ? 0 : static_cast<std::int32_t>(text[0]));
    return;
  }
  if (!IsNumeric(eType)) Error(L"Bad argument");
  if (op == CHAR) {
    const double d = AsDouble(a);
    if (!(d >= 0 && d <= 0x10FFFF) || (d >= 0xD800 && d < 0xE000)) Error(L"Bad argument");
    SetText(cell, CString(1, static_cast<wchar_t>(static_cast<std::int32_t>(d))));
    return;
  }
  if (op == INT || op == NINT) {
    const double d = op == INT ? AsDouble(a) : std::floor(AsDouble(a) + 0.5);
    std::int32_t n = 0;
    if (!ToInt32(d, n)) Error(L"Value outside the INTEGER range");
    SetInteger(cell, eType == INTEGER && op == INT ? a.m_nValue : n);
    return;
  }
  if (op == ABS) {
    if (eType == INTEGER) {
      const auto u = static_cast<std::uint32_t>(a.m_nValue);
      SetInteger(cell, static_cast<std::int32_t>(a.m_nValue < 0 ? 0u - u : u));
    } else if (eType == REAL) {
      SetReal(cell, std::fabs(a.m_fValue));
    } else {
      SetDouble(cell, std::fabs(a.m_dValue));
    }
    return;
  }
  if (eType == DOUBLE) {
    SetDouble(cell, Apply<double>(op, a.m_dValue));
  } else if (eType == REAL) {
    SetReal(cell, Apply<float>(op, a.m_fValue));
  } else if (op == SIN || op == COS || op == TAN || op == SQRT) {
    // An INTEGER operand: computed in double precision, rounded to REAL.
    SetReal(cell, static_cast<float>(Apply<double>(op, a.m_nValue)));
  } else {
    SetReal(cell, Apply<float>(op, static_cast<float>(a.m_nValue)));
  }
}

// MOD: with an INTEGER first operand the INTEGER remainder (the divisor taken
// as INTEGER); otherwise the remainder in double precision, REAL unless an
// operand is DOUBLE PRECISION. The remainder has the sign of the dividend; a
// divisor 0 is reported.
void CFormulaRuntime::EvaluateMod(CVdiVar& cell, CCodeCursor& cur) {
  CVdiVar a, b;
  Evaluate(a, cur);
  Evaluate(b, cur);
  if (!IsNumeric(a.m_eType) || !IsNumeric(b.m_eType)) Error(L"Bad argument");
  if (a.m_eType == INTEGER) {
    std::int32_t nDivisor = 0;
    if (!ToInt32(AsDouble(b), nDivisor)) Error(L"Value outside the INTEGER range");
    if (nDivisor == 0) Error(L"MOD with divisor 0");
    SetInteger(cell, IntegerModulo(a.m_nValue, nDivisor));
    return;
  }
  const double y = AsDouble(b);
  if (y == 0) Error(L"MOD with divisor 0");
  const double r = std::fmod(AsDouble(a), y);
  if (a.m_eType == DOUBLE || b.m_eType == DOUBLE) {
    SetDouble(cell, r);
  } else {
    SetReal(cell, static_cast<float>(r));
  }
}

// MIN and MAX: REAL of the smallest or largest argument (INTEGER arguments
// become REAL); DOUBLE PRECISION when an argument is DOUBLE PRECISION.
void CFormulaRuntime::EvaluateMinMax(std::uint16_t op, CVdiVar& cell, CCodeCursor& cur) {
  CFormulaArgs args(*this, cur);
  if (args.AtEnd()) Error(L"MIN or MAX without arguments");
  bool bDouble = false;
  double dBest = 0;
  for (bool bFirst = true; !args.AtEnd(); bFirst = false) {
    CVdiVar v;
    args.Next(v);
    if (!IsNumeric(v.m_eType)) Error(L"Bad argument");
    bDouble = bDouble || v.m_eType == DOUBLE;
    const double d = v.m_eType == INTEGER ? static_cast<float>(v.m_nValue) : AsDouble(v);
    if (bFirst || (op == MIN ? d < dBest : d > dBest)) dBest = d;
  }
  args.Finish();
  if (bDouble) {
    SetDouble(cell, dBest);
  } else {
    SetReal(cell, static_cast<float>(dBest));
  }
}
