#include "import/dn_fields.h"

#include <algorithm>
#include <limits>

namespace {

constexpr wchar_t kSeparator = L';';
constexpr int kMaxNumberPositions = 18;

// The first separator from position from on, or the end of text. Fields
// are a few characters long: a plain loop finds their end sooner than a
// library search, which first prepares for long texts.
std::size_t FindSeparator(std::wstring_view text, std::size_t from) {
  while (from < text.size() && text[from] != kSeparator) ++from;
  return from;
}

}  // namespace

void CDnFieldReader::SkipToNextField() {
  const std::size_t next = FindSeparator(m_strLine, m_nPos);
  m_nPos = next < m_strLine.size() ? next + 1 : m_strLine.size();
}

void CDnFieldReader::SkipField() { SkipToNextField(); }

std::wstring_view CDnFieldReader::ReadView(std::size_t nMax) {
  const std::size_t start = std::min(m_nPos, m_strLine.size());
  std::wstring_view text = m_strLine.substr(start, nMax);
  const std::size_t nSeparator = FindSeparator(text, 0);
  if (nSeparator < text.size()) {
    text = text.substr(0, nSeparator);
    m_nPos = start + nSeparator + 1;
  } else {
    m_nPos = start + text.size();
    SkipToNextField();  // the rest of a field longer than nMax
  }
  const auto last = text.find_last_not_of(L' ');
  return text.substr(0, last == std::wstring_view::npos ? 0 : last + 1);
}

std::wstring_view CDnFieldReader::ReadTrimmedView(std::size_t nMax) {
  std::wstring_view text = ReadView(nMax);
  const auto first = text.find_first_not_of(L' ');
  text.remove_prefix(first == std::wstring_view::npos ? text.size() : first);
  return text;
}

wchar_t CDnFieldReader::ReadChar() {
  if (AtEnd()) return 0;
  const wchar_t c = m_strLine[m_nPos++];
  if (c == kSeparator) return 0;
  if (!AtEnd() && m_strLine[m_nPos] == kSeparator) ++m_nPos;
  return c;
}

std::int64_t CDnFieldReader::ReadNumber(int nPositions) {
  const int limit = std::clamp(nPositions, 0, kMaxNumberPositions);
  std::int64_t value = 0;
  bool accumulating = true;
  for (int i = 0; i < limit && !AtEnd() && m_strLine[m_nPos] != kSeparator; ++i, ++m_nPos) {
    const wchar_t c = m_strLine[m_nPos];
    if (accumulating && c >= L'0' && c <= L'9') {
      value = value * 10 + (c - L'0');
    } else {
      accumulating = false;
    }
  }
  SkipToNextField();
  return value;
}

std::int32_t DnClampInt(std::int64_t value) {
  constexpr auto lo = std::numeric_limits<std::int32_t>::min();
  constexpr auto hi = std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, lo, hi));
}
