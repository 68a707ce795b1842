// The lexer. Token rules: docs/pcode.md lists the codes; the rules below
// follow the language as product data writes it (names are case-insensitive,
// ';' and '!' start comments, a run of line ends is one token).
#include "formula/fortran_scanner.h"

#include <cwctype>

#include "platform/text.h"

namespace {

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }
bool IsLineEnd(wchar_t c) { return c == L'\r' || c == L'\n'; }

}  // namespace

bool CFortranScanner::IsLetter(wchar_t c) {
  if ((c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z')) return true;
  if (c < 0x80) return false;
  if (c == 0xAA || c == 0xB5 || c == 0xBA) return true;
  if (c >= 0xC0 && c <= 0x24F) return c != 0xD7 && c != 0xF7;
  if (c >= 0x370 && c <= 0x3FF) return c != 0x37E && c != 0x387;  // Greek
  if (c >= 0x400 && c <= 0x52F) return c < 0x482 || c > 0x489;    // Cyrillic
  if (c >= 0x1E00 && c <= 0x1FFF) return true;  // Latin Extended Additional, Greek Extended
  return false;
}

enPCode CFortranScanner::nextToken() {
  const wchar_t*& p = m_pPos;
  while (*p == L' ' || *p == L'\t') ++p;
  if (*p == L'!') {
    while (*p != 0 && !IsLineEnd(*p)) ++p;
  }
  const wchar_t c = *p;
  const wchar_t c1 = c ? p[1] : 0;
  auto take = [&](enPCode e, int n) {
    p += n;
    return m_eToken = e;
  };
  switch (c) {
    case L',':
      return take(KOMMA, 1);
    case L'(':
      return c1 == L'/' ? take(ARRAYSTART, 2) : take(KLAMMAUF, 1);
    case L')':
      return take(KLAMMZU, 1);
    case L'*':
      return c1 == L'*' ? take(POTENZ, 2) : take(MUL, 1);
    case L'+':
      return take(PLUS, 1);
    case L'-':
      return take(MINUS, 1);
    case L'/':
      if (c1 == L'=') return take(NQ, 2);
      if (c1 == L')') return take(ARRAYEND, 2);
      return take(DIV, 1);
    case L':':
      return take(DOPPELPUNKT, 1);
    case L'<':
      return c1 == L'=' ? take(LE, 2) : take(LT, 1);
    case L'=':
      return c1 == L'=' ? take(EQ, 2) : take(ASSIGN, 1);
    case L'>':
      return c1 == L'=' ? take(GE, 2) : take(GT, 1);
    case L';':
      while (*p != 0 && !IsLineEnd(*p)) ++p;
      while (IsLineEnd(*p)) ++p;
      return m_eToken = CRLF;
    case L'\r':
    case L'\n':
      while (IsLineEnd(*p)) ++p;
      return m_eToken = CRLF;
    case L'"':
    case L'\'':
      return ScanString(c);
    default:
      break;
  }
  if (IsDigit(c) || (c == L'.' && IsDigit(c1))) return ScanNumber();
  return ScanWord();
}

enPCode CFortranScanner::ScanString(wchar_t quote) {
  const wchar_t* p = m_pPos + 1;
  const wchar_t* start = p;
  while (*p != quote && static_cast<std::uint32_t>(*p) >= 0x20) ++p;
  m_strText.assign(start, p);
  if (*p == quote) ++p;
  m_pPos = p;
  return m_eToken = CCONST;
}

enPCode CFortranScanner::ScanNumber() {
  const wchar_t* p = m_pPos;
  const wchar_t* start = p;
  bool bReal = false;
  while (IsDigit(*p)) ++p;
  if (*p == L'.') {
    const wchar_t a = p[1];
    const wchar_t b = a ? p[2] : 0;
    // "1.AND.X": the dot starts a dotted word, not a fraction.
    if (!(IsLetter(a) && IsLetter(b))) {
      bReal = true;
      ++p;
      while (IsDigit(*p)) ++p;
    }
  }
  if (*p == L'E' || *p == L'e') {
    const wchar_t a = p[1];
    if (IsDigit(a)) {
      p += 1;
    } else if ((a == L'+' || a == L'-') && IsDigit(p[2])) {
      p += 2;
    } else {
      m_pPos = p;
      throw CFortranScanFailure{0};
    }
    while (IsDigit(*p)) ++p;
  }
  m_strText = ToUpper(std::wstring_view(start, static_cast<std::size_t>(p - start)));
  m_pPos = p;
  return m_eToken = bReal ? RCONST : ICONST;
}

enPCode CFortranScanner::ScanWord() {
  const wchar_t* p = m_pPos;
  const wchar_t* start = p;
  const bool bDotted = *p == L'.';
  if (bDotted) ++p;
  while (IsLetter(*p) || IsDigit(*p) || *p == L'_') ++p;
  // A dot after the first character ends the word; it belongs to the word
  // only when the word began with one (".AND.").
  if (bDotted && *p == L'.') ++p;
  if (p == start) {
    return m_eToken = nNONE;
  }
  m_strText = ToUpper(std::wstring_view(start, static_cast<std::size_t>(p - start)));
  m_pPos = p;
  return m_eToken = LookupKeyword(m_strText);
}
