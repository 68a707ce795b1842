// Conversions and arithmetic (see value_ops.h).
#include "formula/value_ops.h"

#include <cmath>

namespace formula {

bool ToInt32(double d, std::int32_t& n) {
  const double t = std::trunc(d);
  if (!(t >= -2147483648.0 && t <= 2147483647.0)) return false;
  n = static_cast<std::int32_t>(t);
  return true;
}

void SetText(CVdiVar& cell, std::wstring_view text) {
  cell.setType(CHARACTER, static_cast<int>(text.size()), 0, 0);
  cell.SetText(text);
}

double AsDouble(const CVdiVar& cell) {
  switch (cell.m_eType) {
    case INTEGER:
      return cell.m_nValue;
    case REAL:
      return cell.m_fValue;
    case DOUBLE:
      return cell.m_dValue;
    default:
      return 0;
  }
}

EConvert ConvertTo(CVdiVar& cell, enPCode eType) {
  if (cell.m_eType == eType) return EConvert::kDone;
  if (!IsNumeric(cell.m_eType) || !IsNumeric(eType) || cell.m_nCount != 0) {
    return EConvert::kNotConvertible;
  }
  const double d = AsDouble(cell);
  switch (eType) {
    case INTEGER: {
      std::int32_t n = 0;
      if (!ToInt32(d, n)) return EConvert::kOutOfRange;
      SetInteger(cell, n);
      break;
    }
    case REAL:
      SetReal(cell, static_cast<float>(d));
      break;
    default:
      SetDouble(cell, d);
      break;
  }
  return EConvert::kDone;
}

void Promote(CVdiVar& a, CVdiVar& b) {
  if (!IsNumeric(a.m_eType) || !IsNumeric(b.m_eType) || a.m_eType == b.m_eType) return;
  const enPCode eCommon = (a.m_eType == DOUBLE || b.m_eType == DOUBLE) ? DOUBLE : REAL;
  ConvertTo(a, eCommon);
  ConvertTo(b, eCommon);
}

namespace {

void SetNumber(CNumber& r, enPCode eType) { r.m_eType = eType; }

void IntegerArithmetic(std::uint16_t op, std::int32_t a, std::int32_t b, CNumber& r) {
  SetNumber(r, INTEGER);
  switch (op) {
    case PLUS:
      r.m_nValue = IntegerSum(a, b);
      return;
    case MINUS:
      r.m_nValue = IntegerDifference(a, b);
      return;
    case MUL:
      if (!IntegerProduct(a, b, r.m_nValue, r.m_fValue)) SetNumber(r, REAL);
      return;
    case DIV:
      r.m_nValue = IntegerQuotient(a, b);
      return;
    default:
      SetNumber(r, REAL);
      r.m_fValue = IntegerPower(a, b);
      return;
  }
}

CNumber ToNumber(const CVdiVar& cell) {
  CNumber n;
  n.m_eType = cell.m_eType;
  n.m_dValue = cell.m_dValue;
  return n;
}

}  // namespace

double AsDouble(const CNumber& number) {
  switch (number.m_eType) {
    case INTEGER:
      return number.m_nValue;
    case REAL:
      return number.m_fValue;
    default:
      return number.m_dValue;
  }
}

bool ConvertNumber(CNumber& number, enPCode eType) {
  if (number.m_eType == eType) return true;
  const double d = AsDouble(number);
  number.m_eType = eType;
  switch (eType) {
    case INTEGER:
      return ToInt32(d, number.m_nValue);
    case REAL:
      number.m_fValue = static_cast<float>(d);
      return true;
    case DOUBLE:
      number.m_dValue = d;
      return true;
    default:
      return false;
  }
}

void Promote(CNumber& a, CNumber& b) {
  if (a.m_eType == b.m_eType) return;
  const enPCode eCommon = (a.m_eType == DOUBLE || b.m_eType == DOUBLE) ? DOUBLE : REAL;
  ConvertNumber(a, eCommon);
  ConvertNumber(b, eCommon);
}

void Arithmetic(std::uint16_t op, const CNumber& a, const CNumber& b, CNumber& result) {
  switch (a.m_eType) {
    case INTEGER:
      IntegerArithmetic(op, a.m_nValue, b.m_nValue, result);
      return;
    case REAL:
      SetNumber(result, REAL);
      result.m_fValue = FloatingArithmetic<float>(op, a.m_fValue, b.m_fValue);
      return;
    default:
      SetNumber(result, DOUBLE);
      result.m_dValue = FloatingArithmetic<double>(op, a.m_dValue, b.m_dValue);
      return;
  }
}

void Arithmetic(std::uint16_t op, const CVdiVar& a, const CVdiVar& b, CVdiVar& result) {
  CNumber r;
  Arithmetic(op, ToNumber(a), ToNumber(b), r);
  Reset(result);
  result.m_eType = r.m_eType;
  result.m_dValue = r.m_dValue;
}

}  // namespace formula
