#include "import/bdh_fields.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <climits>
#include <string>

#include "import/bdh_format.h"

namespace {

constexpr wchar_t kSeparator = L'|';
// Digits beyond these can not change a clamped value.
constexpr std::size_t kMaxNumberChars = 64;

std::size_t SkipBlanks(std::wstring_view text, std::size_t i) {
  while (i < text.size() && (text[i] == L' ' || text[i] == L'\t')) ++i;
  return i;
}

}  // namespace

std::wstring_view CBdhLine::TakeField() {
  if (m_nPos >= m_Line.size()) return {};
  const std::size_t nEnd = std::min(m_Line.find(kSeparator, m_nPos), m_Line.size());
  const std::wstring_view field = m_Line.substr(m_nPos, nEnd - m_nPos);
  m_nPos = nEnd < m_Line.size() ? nEnd + 1 : nEnd;
  return field;
}

int CBdhLine::ParseInt(std::wstring_view field, bool* pNumber) {
  std::size_t i = SkipBlanks(field, 0);
  bool bNegative = false;
  if (i < field.size() && (field[i] == L'-' || field[i] == L'+')) bNegative = field[i++] == L'-';
  long long nValue = 0;
  bool bDigits = false;
  for (; i < field.size() && field[i] >= L'0' && field[i] <= L'9'; ++i) {
    bDigits = true;
    nValue = std::min<long long>(nValue * 10 + (field[i] - L'0'), 1LL + INT_MAX);
  }
  if (pNumber != nullptr) *pNumber = bDigits;
  if (bNegative) nValue = -nValue;
  return static_cast<int>(std::clamp<long long>(nValue, INT_MIN, INT_MAX));
}

float CBdhLine::ParseDecimal(std::wstring_view field) {
  std::size_t i = SkipBlanks(field, 0);
  std::string text;
  if (i < field.size() && (field[i] == L'-' || field[i] == L'+')) {
    if (field[i] == L'-') text += '-';
    ++i;
  }
  bool bPoint = false;
  for (; i < field.size() && text.size() < kMaxNumberChars; ++i) {
    const wchar_t c = field[i];
    if (c >= L'0' && c <= L'9') {
      text += static_cast<char>(c);
    } else if ((c == L'.' || c == L',') && !bPoint) {
      bPoint = true;
      text += '.';
    } else {
      break;
    }
  }
  double dValue = 0;
  std::from_chars(text.data(), text.data() + text.size(), dValue);
  return static_cast<float>(std::clamp<double>(dValue, -FLT_MAX, FLT_MAX));
}

int CBdhLine::ReadInt(bool* pNumber) { return ParseInt(TakeField(), pNumber); }

float CBdhLine::ReadDecimal() { return ParseDecimal(TakeField()); }

CString CBdhLine::ReadText() {
  const std::wstring_view field = TakeField();
  return CString(field.substr(0, bdh::kMaxField));
}

CString CBdhLine::ReadRest() {
  const std::wstring_view rest =
      m_nPos < m_Line.size() ? m_Line.substr(m_nPos) : std::wstring_view();
  m_nPos = m_Line.size();
  return CString(rest.substr(0, bdh::kMaxField));
}

std::vector<std::wstring_view> SplitBdhFields(std::wstring_view text) {
  std::vector<std::wstring_view> fields;
  for (std::size_t nStart = 0;;) {
    const std::size_t nEnd = text.find(kSeparator, nStart);
    if (nEnd == std::wstring_view::npos) {
      fields.push_back(text.substr(nStart));
      return fields;
    }
    fields.push_back(text.substr(nStart, nEnd - nStart));
    nStart = nEnd + 1;
  }
}
