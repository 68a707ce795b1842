// CFortranScanner: the lexer of the formula language. Turns a NUL-terminated
// wide source text into tokens (enPCode values); names, keywords and numbers
// come back upper-cased in TokenText(), string literals as written.
//
// The scanner does not own the text: it must outlive the scan. A broken
// exponent ("1.5E+X") throws CFortranScanFailure, which carries no message and
// sets no error flag; every other input yields tokens (an unknown character
// gives nNONE without moving).
#pragma once

#include <string_view>

#include "OrvaMat/formula.h"

// Thrown by the scanner for a number whose exponent letter is not followed by
// a digit (or a sign and a digit).
struct CFortranScanFailure {
  int m_nCode = 0;
};

class CFortranScanner {
 public:
  enPCode nextToken();
  enPCode currentToken() const { return m_eToken; }
  // Makes a token current without scanning (END DO becomes ENDDO).
  void SetCurrentToken(enPCode eToken) { m_eToken = eToken; }
  const CString& tokenText() const { return m_strText; }
  const wchar_t* scanPosition() const { return m_pPos; }
  void setScanPosition(const wchar_t* p) { m_pPos = p; }

  // The current source line, 1-based; counted by the parser, set by the runtime.
  int GetLine() const { return m_nLine; }
  void SetLine(int nLine) { m_nLine = nLine; }

  // Display name of a code: by the table for 0 to 83, by the top four bits
  // for the operand-carrying codes, "UNDEFINED" otherwise.
  static const wchar_t* tokenName(std::uint32_t nCode);
  // The keyword code of an upper-case word, or SYMBOL.
  static enPCode LookupKeyword(std::wstring_view word);
  // Builds the keyword table (once per process).
  static void InitKeywordTable();

  // Letter test of names and numbers: ASCII, Latin and the other alphabetic
  // blocks (so German umlauts and sharp s are letters).
  static bool IsLetter(wchar_t c);

 private:
  enPCode ScanNumber();
  enPCode ScanString(wchar_t quote);
  enPCode ScanWord();

  const wchar_t* m_pPos = L"";
  enPCode m_eToken = nNONE;
  CString m_strText;
  int m_nLine = 1;
};
