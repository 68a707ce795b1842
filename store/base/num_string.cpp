#include "store/base/num_string.h"

#include <cfloat>
#include <cmath>
#include <cstdint>

#include "store/base/message.h"
#include "store/base/str_util.h"

namespace {

void ReportError(const CNumResult& result, int line, const CString& text) {
  const unsigned style = MB_OK | MB_ICONWARNING;
  switch (result.m_eError) {
    case eNumOk:
      return;
    case eNumSyntax:
      ShowMessage(style, L"Zeile %d: Fehler im Zahlenausdruck \"%s\"", line, text);
      return;
    case eNumUnknownName:
      ShowMessage(style, L"Zeile %d: Unbekannter Name <%s> im Zahlenausdruck \"%s\"", line,
                  result.m_strName, text);
      return;
    case eNumDivByZero:
      ShowMessage(style, L"Zeile %d: Division durch 0 im Zahlenausdruck \"%s\"", line, text);
      return;
    case eNumMacroLoop:
      ShowMessage(style,
                  L"Zeile %d: Makro <%s> ist rekursiv oder zu tief verschachtelt im "
                  L"Zahlenausdruck \"%s\"",
                  line, result.m_strName, text);
      return;
    case eNumRange:
      ShowMessage(style, L"Zeile %d: Wert außerhalb des Zahlenbereichs im Zahlenausdruck \"%s\"",
                  line, text);
      return;
  }
}

}  // namespace

CNumString& CNumString::operator=(std::wstring_view text) {
  m_strText.assign(text);
  m_bEvaluated = false;
  return *this;
}

const CNumStringMacros& CNumString::GetMacros() const {
  return m_pMacros ? *m_pMacros : CNumStringMacros::Current();
}

const CNumResult& CNumString::Evaluate() const {
  const CNumStringMacros& macros = GetMacros();
  if (m_bEvaluated && m_nGeneration == macros.GetGeneration()) return m_Result;
  m_Result = EvaluateNumExpr(m_strText, macros);
  m_bEvaluated = true;
  m_nGeneration = macros.GetGeneration();
  ReportError(m_Result, m_nZeile, m_strText);
  return m_Result;
}

void CNumString::ReportRange() const {
  ReportError(CNumResult{eNumRange, {}, {}}, m_nZeile, m_strText);
}

double CNumString::Value() const { return Evaluate().m_Value.AsDouble(); }

int CNumString::Int() const {
  const CNumValue& value = Evaluate().m_Value;
  if (value.m_bInteger) {
    if (value.m_nValue >= INT32_MIN && value.m_nValue <= INT32_MAX)
      return static_cast<int>(value.m_nValue);
  } else {
    // Decimal fractions are rarely exact in binary ("0.29*100" is just below
    // 29), so the nearest integer is the one the writer meant.
    double rounded = std::round(value.m_dValue);
    if (rounded >= INT32_MIN && rounded <= INT32_MAX) return static_cast<int>(rounded);
  }
  ReportRange();
  return 0;
}

float CNumString::Float() const {
  double value = Value();
  if (std::fabs(value) <= FLT_MAX) return static_cast<float>(value);
  ReportRange();
  return 0;
}

CString CNumString::SubStr(int index, wchar_t separator) const {
  return qelStrUtil::GetSubStr(m_strText, index, separator);
}

bool CNumString::DefineMacro(std::wstring_view name, std::wstring_view value) {
  return CNumStringMacros::Current().Define(name, value);
}

bool CNumString::unDefineMacro(std::wstring_view name) {
  return CNumStringMacros::Current().Undefine(name);
}

bool CNumString::knownMacro(std::wstring_view name) {
  return CNumStringMacros::Current().IsKnown(name);
}

void CNumString::deleteContents() { CNumStringMacros::Current().Clear(); }
