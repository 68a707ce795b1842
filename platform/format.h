// The one message formatter. Formats come from source texts and from word
// books (files), so a wrong or hostile format never crashes: a directive
// without an argument, or of the wrong kind, prints as it stands.
//
// Directives: %s (text), %d %i (signed), %u %X %x (unsigned), %c (character),
// %g %f %e (floating), %% ; flags "-+ 0#", width and precision as numbers
// (a "*" width is not taken). The "l", "h", "ll" and "I64" length prefixes are
// accepted and ignored: the argument's own type decides.
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
