// The order number of a size variant: the element's base text, changed by
// up to three rules of the model (docs/bdh2.md): the digits of the length
// or element count, fixed parts, and "z" fillers. Positions count from 1.
#include <cstdio>
#include <string>

#include "import/bdh_fields.h"
#include "import/bdh_format.h"
#include "import/bdh_model.h"

namespace {

using CFields = std::vector<std::wstring_view>;

std::wstring_view Field(const CFields& fields, std::size_t i) {
  return i < fields.size() ? fields[i] : std::wstring_view();
}

int IntField(const CFields& fields, std::size_t i) { return CBdhLine::ParseInt(Field(fields, i)); }

// Writes text (its first nCount characters) over the order number from
// position nPos on, making the number longer where it runs past its end. A
// count of 0 changes nothing. False when the place lies outside the number
// or its buffer, or text has fewer characters than asked for.
bool Replace(CString& number, long long nPos, long long nCount, std::wstring_view text) {
  if (nCount == 0) return true;
  if (nCount < 0 || nPos < 1 || nPos - 1 > static_cast<long long>(number.size()) ||
      nPos - 1 + nCount > bdh::kMaxField || nCount > static_cast<long long>(text.size()))
    return false;
  const auto nAt = static_cast<std::size_t>(nPos - 1);
  const auto n = static_cast<std::size_t>(nCount);
  if (number.size() < nAt + n) number.resize(nAt + n);
  number.replace(nAt, n, text.substr(0, n));
  return true;
}

// "@SE@" and "@BL@": the number of elements or the length, shortened by k
// decimal digits, as eight digits with leading zeros.
bool Digits(const CBdhVariant& v, std::wstring_view kind, int k, CString& digits) {
  long long n = v.m_nLength;
  if (kind == L"@SE@") {
    if (v.m_nWidth <= 0) return false;
    n /= v.m_nWidth;
  }
  for (int i = 0; i < k && n != 0; ++i) n /= 10;
  char text[32];
  std::snprintf(text, sizeof text, "%08lld", n);
  digits.assign(text, text + std::char_traits<char>::length(text));
  return true;
}

bool ApplyDigitsRule(const CBdhVariant& v, std::wstring_view rule, CString& number) {
  const CFields f = SplitBdhFields(rule);
  const int nPos = IntField(f, 1);
  const int nCount = IntField(f, 2);
  const std::wstring_view kind = Field(f, 4);
  if (kind != L"@SE@" && kind != L"@BL@") return Replace(number, nPos, nCount, kind);
  CString digits;
  if (!Digits(v, kind, IntField(f, 3), digits)) return false;
  if (nCount < 0 || static_cast<std::size_t>(nCount) > digits.size()) return false;
  return Replace(
      number, nPos, nCount,
      std::wstring_view(digits).substr(digits.size() - static_cast<std::size_t>(nCount)));
}

bool ApplyFixedRule(std::wstring_view rule, CString& number) {
  const CFields f = SplitBdhFields(rule);
  for (const std::size_t i : {0u, 6u, 17u}) {
    if (!Replace(number, IntField(f, i), IntField(f, i + 1), Field(f, i + 2))) return false;
  }
  return true;
}

bool ApplyFillerRule(std::wstring_view rule, CString& number) {
  const CFields f = SplitBdhFields(rule);
  const int nCount = IntField(f, 4);
  if (nCount < 0 || nCount > bdh::kMaxField) return false;
  return Replace(number, IntField(f, 3), nCount, CString(static_cast<std::size_t>(nCount), L'z'));
}

}  // namespace

bool BuildBdhOrderNumber(const CBdhModel& model, const CBdhVariant& variant, const CString& base,
                         CString& out) {
  out = base.substr(0, bdh::kMaxField);
  const bool bBuilt =
      (model.m_Bestellg2.empty() || ApplyDigitsRule(variant, model.m_Bestellg2.front(), out)) &&
      (model.m_Bestellg1t1.empty() || ApplyFixedRule(model.m_Bestellg1t1.front(), out)) &&
      (model.m_Bestellg1t2.empty() || ApplyFillerRule(model.m_Bestellg1t2.front(), out));
  if (!bBuilt) out.clear();
  return bBuilt;
}
