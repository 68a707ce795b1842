#include "store/mmtb/mat_text_number.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <limits>
#include <string>

namespace {

void AppendAscii(CString& out, const char* pBegin, const char* pEnd) {
  // Digits, signs, "." and "e" widen one to one. Widened in place: appending
  // the range would build a wide copy of it first.
  const std::size_t nAt = out.size();
  out.resize(nAt + static_cast<std::size_t>(pEnd - pBegin));
  std::copy(pBegin, pEnd, out.data() + nAt);
}

bool ReadsBackAs(const char* pBegin, const char* pEnd, float fValue) {
  float fRead = 0;
  const auto result = std::from_chars(pBegin, pEnd, fRead);
  return result.ec == std::errc() && result.ptr == pEnd && fRead == fValue &&
         std::signbit(fRead) == std::signbit(fValue);
}

}  // namespace

void AppendFloatText(CString& out, float fValue) {
  char buffer[64];
  if (std::isnan(fValue)) {
    out.append(L"nan");
    return;
  }
  auto result =
      std::to_chars(buffer, buffer + sizeof buffer, fValue, std::chars_format::general, 6);
  if (!ReadsBackAs(buffer, result.ptr, fValue)) {
    // Six digits lose bits of this value: the shortest exact form instead.
    result = std::to_chars(buffer, buffer + sizeof buffer, fValue);
  }
  AppendAscii(out, buffer, result.ptr);
}

float ParseFloatText(std::wstring_view text) {
  char buffer[80];
  if (text.size() >= sizeof buffer) text = text.substr(0, sizeof buffer - 1);
  size_t n = 0;
  for (wchar_t c : text) buffer[n++] = c < 128 ? static_cast<char>(c) : '?';
  const char* pBegin = buffer;
  const char* pEnd = buffer + n;
  const bool bNegative = n > 0 && buffer[0] == '-';
  // from_chars takes no "+" but a "-"; a lone sign reads as nothing.
  float fValue = 0;
  const auto result = std::from_chars(pBegin, pEnd, fValue);
  if (result.ec == std::errc::result_out_of_range) {
    // Beyond the float range: infinity; below it: zero of the right sign.
    double dValue = 0;
    const bool bHuge = std::from_chars(pBegin, pEnd, dValue).ec == std::errc()
                           ? std::fabs(dValue) >= 1
                           : std::string_view(buffer, n).find("e-") == std::string_view::npos &&
                                 std::string_view(buffer, n).find("E-") == std::string_view::npos;
    const float fInf = std::numeric_limits<float>::infinity();
    if (bHuge) return bNegative ? -fInf : fInf;
    return bNegative ? -0.0f : 0.0f;
  }
  if (result.ec != std::errc()) return 0;
  return fValue;
}

void AppendIntText(CString& out, std::int32_t nValue) {
  // Written straight as wide digits: readers name a table by a number for
  // every record of a file.
  wchar_t digits[11];  // a sign and ten digits
  wchar_t* pFirst = std::end(digits);
  std::uint32_t n = nValue < 0 ? 0u - static_cast<std::uint32_t>(nValue) : nValue;
  do {
    *--pFirst = static_cast<wchar_t>(L'0' + n % 10);
    n /= 10;
  } while (n != 0);
  if (nValue < 0) *--pFirst = L'-';
  out.append(pFirst, static_cast<std::size_t>(std::end(digits) - pFirst));
}

void AppendBitText(CString& out, std::uint32_t nValue) {
  wchar_t digits[33];
  digits[0] = L'%';
  for (int i = 0; i < 32; ++i) digits[1 + i] = (nValue >> (31 - i)) & 1 ? L'1' : L'0';
  out.append(digits, 33);
}
