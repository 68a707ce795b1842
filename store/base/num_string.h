// CNumString: a number written as an expression ("(BREITE*2+0x10)"), as
// table texts, scripts and spreadsheet cells give them. The grammar, the
// macros and every decision about values are described in docs/numstring.md.
//
// Errors (syntax, unknown name, division by zero, macro loop, a value out of
// range) are shown once per loaded text through ShowMessage with the line set
// by SetCurZeile, and the value is then 0:
//   "Zeile %d: Fehler im Zahlenausdruck \"%s\""
//   "Zeile %d: Unbekannter Name <%s> im Zahlenausdruck \"%s\""
//   "Zeile %d: Division durch 0 im Zahlenausdruck \"%s\""
//   "Zeile %d: Makro <%s> ist rekursiv oder zu tief verschachtelt im Zahlenausdruck \"%s\""
//   "Zeile %d: Wert außerhalb des Zahlenbereichs im Zahlenausdruck \"%s\""
// An empty or blank text is 0 without a message.
#pragma once

#include <cstdint>
#include <string_view>

#include "OrvaMat/types.h"
#include "store/base/num_expr.h"
#include "store/base/num_string_macros.h"

class CNumString {
 public:
  // Expands macros from `macros`, or from the process-wide table when null
  // (looked up at each evaluation). A given table must outlive the object.
  explicit CNumString(CNumStringMacros* macros = nullptr) : m_pMacros(macros) {}

  // The line number that messages name.
  void SetCurZeile(int line) { m_nZeile = line; }
  int GetCurZeile() const { return m_nZeile; }

  // Loads an expression; it is evaluated when a value is first asked for, and
  // again only when the text or the macro table has changed since.
  CNumString& operator=(std::wstring_view text);
  const CString& GetText() const { return m_strText; }

  // The value as a double.
  double Value() const;
  // Rounded to the nearest integer, halves away from zero; a value outside
  // the 32-bit range is an error (message, 0).
  int Int() const;
  // As a 32-bit float; a magnitude beyond the float range is an error.
  float Float() const;
  // The error of the last evaluation (eNumOk when none).
  eNumError GetError() const { return Evaluate().m_eError; }

  // Field `index` of the loaded text (counted from 1, see store/base/str_util.h).
  CString SubStr(int index, wchar_t separator) const;

  // The process-wide macro table (CNumStringMacros::Current()).
  static bool DefineMacro(std::wstring_view name, std::wstring_view value);
  static bool unDefineMacro(std::wstring_view name);
  static bool knownMacro(std::wstring_view name);
  static void deleteContents();

 private:
  const CNumResult& Evaluate() const;
  const CNumStringMacros& GetMacros() const;
  void ReportRange() const;

  CString m_strText;
  int m_nZeile = 0;
  CNumStringMacros* m_pMacros;
  // The cached evaluation and the macro generation it was made with.
  mutable bool m_bEvaluated = false;
  mutable std::uint64_t m_nGeneration = 0;
  mutable CNumResult m_Result;
};
