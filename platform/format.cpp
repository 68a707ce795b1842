#include "platform/format.h"

#include <cmath>
#include <cstdio>
#include <optional>
#include <string>

namespace {

// Bounds that keep a hostile format from asking for gigabytes.
constexpr int kMaxWidth = 4096;
constexpr int kMaxPrecision = 4096;
constexpr size_t kMaxOutput = size_t{1} << 22;

// One parsed "%..." directive; m_nBegin/m_nEnd delimit its text in the format.
struct CDirective {
  size_t m_nBegin = 0;
  size_t m_nEnd = 0;
  bool m_bLeft = false;
  bool m_bPlus = false;
  bool m_bSpace = false;
  bool m_bZero = false;
  bool m_bAlt = false;
  int m_nWidth = -1;      // -1: none
  int m_nPrecision = -1;  // -1: none
  wchar_t m_cConversion = 0;
};

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Reads decimal digits at pos, clamping the value at limit.
int ReadNumber(std::wstring_view f, size_t& pos, int limit) {
  int value = 0;
  while (pos < f.size() && IsDigit(f[pos])) {
    if (value <= limit) value = value * 10 + (f[pos] - L'0');
    ++pos;
  }
  return value > limit ? limit : value;
}

void SkipLengthPrefix(std::wstring_view f, size_t& pos) {
  while (pos < f.size()) {
    const wchar_t c = f[pos];
    if (c == L'l' || c == L'h' || c == L'L' || c == L'w' || c == L'z' || c == L'j' || c == L't' ||
        c == L'q') {
      ++pos;
    } else if (c == L'I') {
      ++pos;
      if (f.substr(pos, 2) == L"64" || f.substr(pos, 2) == L"32") pos += 2;
    } else {
      return;
    }
  }
}

bool IsConversion(wchar_t c) {
  static constexpr std::wstring_view kKnown = L"sSdiuxXocCeEfFgG%";
  return kKnown.find(c) != std::wstring_view::npos;
}

// Parses the directive starting at f[begin] == '%'. Returns nothing when the
// format ends inside it, when it asks for a '*' width or precision, or when
// its conversion is unknown (including %n and %p); d.m_nEnd is set either way.
std::optional<CDirective> ParseDirective(std::wstring_view f, size_t begin, size_t& end) {
  CDirective d;
  d.m_nBegin = begin;
  size_t pos = begin + 1;
  for (; pos < f.size(); ++pos) {
    const wchar_t c = f[pos];
    if (c == L'-')
      d.m_bLeft = true;
    else if (c == L'+')
      d.m_bPlus = true;
    else if (c == L' ')
      d.m_bSpace = true;
    else if (c == L'0')
      d.m_bZero = true;
    else if (c == L'#')
      d.m_bAlt = true;
    else
      break;
  }
  if (pos < f.size() && IsDigit(f[pos])) d.m_nWidth = ReadNumber(f, pos, kMaxWidth);
  if (pos < f.size() && f[pos] == L'.') {
    ++pos;
    d.m_nPrecision = ReadNumber(f, pos, kMaxPrecision);
  }
  SkipLengthPrefix(f, pos);
  if (pos >= f.size()) {
    end = f.size();
    return std::nullopt;
  }
  end = pos + 1;
  if (!IsConversion(f[pos])) return std::nullopt;
  d.m_cConversion = f[pos];
  d.m_nEnd = end;
  return d;
}

CString Widen(const std::string& ascii) { return CString(ascii.begin(), ascii.end()); }

// Runs the C library on a directive we built ourselves from checked parts.
template <typename T>
CString RunPrintf(const CDirective& d, const char* length, char conversion, T value) {
  std::string directive = "%";
  if (d.m_bLeft) directive += '-';
  if (d.m_bPlus) directive += '+';
  if (d.m_bSpace) directive += ' ';
  if (d.m_bZero) directive += '0';
  if (d.m_bAlt) directive += '#';
  if (d.m_nWidth >= 0) directive += std::to_string(d.m_nWidth);
  if (d.m_nPrecision >= 0) directive += '.' + std::to_string(d.m_nPrecision);
  directive += length;
  directive += conversion;
  const int size = std::snprintf(nullptr, 0, directive.c_str(), value);
  if (size <= 0) return CString();
  std::string buffer(static_cast<size_t>(size) + 1, '\0');
  std::snprintf(buffer.data(), buffer.size(), directive.c_str(), value);
  buffer.resize(static_cast<size_t>(size));
  return Widen(buffer);
}

// Pads a text to the directive's width (texts and characters pad with blanks).
CString Pad(CString text, const CDirective& d) {
  if (d.m_nWidth < 0 || text.size() >= static_cast<size_t>(d.m_nWidth)) return text;
  const size_t fill = static_cast<size_t>(d.m_nWidth) - text.size();
  if (d.m_bLeft) return text.append(fill, L' ');
  return CString(fill, L' ') + text;
}

// Integer value of an argument for the integer directives; nothing for a
// text, a NaN or a floating value outside the 64-bit range.
std::optional<std::int64_t> AsSigned(const CFormatArg& a) {
  switch (a.m_eKind) {
    case CFormatArg::eSigned:
      return a.m_nSigned;
    case CFormatArg::eUnsigned:
      // Like C's %d of an unsigned int: a 32-bit value reads as two's complement.
      if (a.m_nUnsigned <= 0xFFFFFFFFu) return static_cast<std::int32_t>(a.m_nUnsigned);
      return static_cast<std::int64_t>(a.m_nUnsigned);
    case CFormatArg::eChar:
      return static_cast<std::int64_t>(a.m_cValue);
    case CFormatArg::eDouble:
      if (!(a.m_dValue > -9.2e18 && a.m_dValue < 9.2e18)) return std::nullopt;
      return static_cast<std::int64_t>(std::trunc(a.m_dValue));
    case CFormatArg::eText:
      return std::nullopt;
  }
  return std::nullopt;
}

std::optional<std::uint64_t> AsUnsigned(const CFormatArg& a) {
  if (a.m_eKind == CFormatArg::eUnsigned) return a.m_nUnsigned;
  const auto value = AsSigned(a);
  if (!value) return std::nullopt;
  // Like C's %X of an int: a value that fits 32 bits shows its 32-bit pattern.
  if (*value >= INT32_MIN && *value <= INT32_MAX) {
    return static_cast<std::uint32_t>(static_cast<std::int32_t>(*value));
  }
  return static_cast<std::uint64_t>(*value);
}

std::optional<double> AsDouble(const CFormatArg& a) {
  switch (a.m_eKind) {
    case CFormatArg::eDouble:
      return a.m_dValue;
    case CFormatArg::eSigned:
      return static_cast<double>(a.m_nSigned);
    case CFormatArg::eUnsigned:
      return static_cast<double>(a.m_nUnsigned);
    case CFormatArg::eChar:
    case CFormatArg::eText:
      return std::nullopt;
  }
  return std::nullopt;
}

// The text a %s directive shows for an argument of any kind.
CString AsText(const CFormatArg& a) {
  CDirective plain;
  switch (a.m_eKind) {
    case CFormatArg::eText:
      return a.m_strValue;
    case CFormatArg::eChar:
      return CString(1, a.m_cValue);
    case CFormatArg::eSigned:
      return RunPrintf(plain, "ll", 'd', static_cast<long long>(a.m_nSigned));
    case CFormatArg::eUnsigned:
      return RunPrintf(plain, "ll", 'u', static_cast<unsigned long long>(a.m_nUnsigned));
    case CFormatArg::eDouble:
      return RunPrintf(plain, "", 'g', a.m_dValue);
  }
  return CString();
}

bool IsCharacter(std::int64_t v) { return v > 0 && v <= 0x10FFFF && !(v >= 0xD800 && v <= 0xDFFF); }

// Renders one directive with its argument; nothing when the kinds do not fit.
std::optional<CString> Render(const CDirective& d, const CFormatArg& a) {
  CDirective n = d;  // flags C leaves undefined for a conversion are dropped
  switch (d.m_cConversion) {
    case L's':
    case L'S': {
      CString text = AsText(a);
      if (d.m_nPrecision >= 0 && text.size() > static_cast<size_t>(d.m_nPrecision)) {
        text.resize(static_cast<size_t>(d.m_nPrecision));
      }
      return Pad(std::move(text), d);
    }
    case L'c':
    case L'C': {
      if (a.m_eKind == CFormatArg::eChar) return Pad(CString(1, a.m_cValue), d);
      if (a.m_eKind != CFormatArg::eSigned && a.m_eKind != CFormatArg::eUnsigned) break;
      const auto v = AsSigned(a);
      if (v && *v == 0) return Pad(CString(), d);
      return Pad(CString(1, IsCharacter(*v) ? static_cast<wchar_t>(*v) : L'\xFFFD'), d);
    }
    case L'd':
    case L'i': {
      const auto v = AsSigned(a);
      if (!v) break;
      n.m_bAlt = false;
      return RunPrintf(n, "ll", 'd', static_cast<long long>(*v));
    }
    case L'u':
    case L'x':
    case L'X':
    case L'o': {
      const auto v = AsUnsigned(a);
      if (!v) break;
      n.m_bPlus = n.m_bSpace = false;
      if (d.m_cConversion == L'u') n.m_bAlt = false;
      return RunPrintf(n, "ll", static_cast<char>(d.m_cConversion),
                       static_cast<unsigned long long>(*v));
    }
    default: {  // e E f F g G
      const auto v = AsDouble(a);
      if (!v) break;
      return RunPrintf(n, "", static_cast<char>(d.m_cConversion), *v);
    }
  }
  return std::nullopt;
}

}  // namespace

CString FormatV(std::wstring_view format, const std::vector<CFormatArg>& args) {
  CString out;
  size_t nextArg = 0;
  size_t pos = 0;
  while (pos < format.size() && out.size() < kMaxOutput) {
    const size_t percent = format.find(L'%', pos);
    if (percent == std::wstring_view::npos) {
      out.append(format.substr(pos));
      break;
    }
    out.append(format.substr(pos, percent - pos));
    size_t end = percent + 1;
    const auto directive = ParseDirective(format, percent, end);
    pos = end;
    const std::wstring_view asItStands = format.substr(percent, end - percent);
    if (!directive) {
      out.append(asItStands);
    } else if (directive->m_cConversion == L'%') {
      out += L'%';
    } else if (nextArg >= args.size()) {
      out.append(asItStands);
    } else {
      const auto text = Render(*directive, args[nextArg++]);
      out.append(text ? std::wstring_view(*text) : asItStands);
    }
  }
  if (out.size() > kMaxOutput) out.resize(kMaxOutput);
  return out;
}
