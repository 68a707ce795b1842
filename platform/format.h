// The one message formatter. Formats come from source texts and from word
// books (files), so a wrong or hostile format never crashes, never writes
// through an argument and never allocates without bound.
//
// Directives: %s (text), %d %i (signed), %u %X %x %o (unsigned), %c
// (character), %g %f %e and %G %F %E (floating), %% ; flags "-+ 0#", width and
// precision as numbers. The "l", "h", "ll", "L", "w", "z", "j", "t", "I",
// "I32" and "I64" length prefixes are accepted and ignored: the argument's own
// type decides. %S and %C read as %s and %c. Numbers print exactly as C's
// printf prints them for the same flags, width and precision.
//
// Each directive takes the next argument. What happens when they do not fit:
// - no argument left: the directive prints as it stands ("%d") and takes none;
// - a format ending inside a directive ("%", "%5"), a "*" width or precision
//   and an unknown conversion (%n, %p, %q ...) print as they stand and take
//   no argument: nothing is ever written through an argument;
// - width and precision are capped at 4096, the whole result at 4M characters;
// - %d %i of an unsigned value that fits 32 bits print it as a 32-bit signed
//   value (as C's %d of an unsigned int); of a character, its code; of a
//   floating value, the value truncated toward zero;
// - %u %x %X %o of a negative value that fits 32 bits print its 32-bit two's
//   complement (as C's %X of an int), of a wider one the 64-bit pattern;
// - %c of an integer prints that character (0 prints nothing; a value that is
//   no Unicode character prints U+FFFD);
// - %s of a number prints it as %d, %u or %g would, then applies the %s width
//   and precision; %s of a character prints it;
// - %e %f %g of an integer print it converted to floating;
// - every other kind mismatch (a text given to %d %u %c %g, a character to %g,
//   a NaN or a floating value beyond 64 bits to %d) prints the directive as it
//   stands; the argument is taken, so later directives keep their arguments.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "OrvaMat/types.h"

class CFormatArg {
 public:
  enum eKind { eSigned, eUnsigned, eDouble, eText, eChar };
  CFormatArg(int v) : m_eKind(eSigned), m_nSigned(v) {}
  CFormatArg(long v) : m_eKind(eSigned), m_nSigned(v) {}
  CFormatArg(long long v) : m_eKind(eSigned), m_nSigned(v) {}
  CFormatArg(unsigned v) : m_eKind(eUnsigned), m_nUnsigned(v) {}
  CFormatArg(unsigned long v) : m_eKind(eUnsigned), m_nUnsigned(v) {}
  CFormatArg(unsigned long long v) : m_eKind(eUnsigned), m_nUnsigned(v) {}
  CFormatArg(double v) : m_eKind(eDouble), m_dValue(v) {}
  CFormatArg(float v) : m_eKind(eDouble), m_dValue(v) {}
  CFormatArg(wchar_t c) : m_eKind(eChar), m_cValue(c) {}
  CFormatArg(const wchar_t* s) : m_eKind(eText), m_strValue(s ? s : L"") {}
  CFormatArg(const CString& s) : m_eKind(eText), m_strValue(s) {}
  CFormatArg(std::wstring_view s) : m_eKind(eText), m_strValue(s) {}

  eKind m_eKind;
  std::int64_t m_nSigned = 0;
  std::uint64_t m_nUnsigned = 0;
  double m_dValue = 0;
  wchar_t m_cValue = 0;
  CString m_strValue;
};

ORVAMAT_API CString FormatV(std::wstring_view format, const std::vector<CFormatArg>& args);

template <typename... Args>
CString Format(std::wstring_view format, const Args&... args) {
  return FormatV(format, std::vector<CFormatArg>{CFormatArg(args)...});
}
