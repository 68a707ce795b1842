#include "vdi/accessory_conditions.h"

#include <map>

#include "query/string_read.h"
#include "store/mat_store.h"
#include "store/table_names.h"
#include "vdi/record_layout.h"

using vdirecord::ReadInteger;
using vdirecord::ReadReal;
using vdirecord::Trimmed;

namespace vdiaccessory {

CString RecordText(CMatStore& store, CMatTable* pTable) {
  CString text;
  if (pTable == nullptr ||
      ReadStringValue(store, text, pTable, pTable->m_hName, 0, 0, false) != eMatOk)
    text.clear();
  return text;
}

std::wstring_view Field(std::wstring_view text, std::int64_t n) {
  if (n < 1) return {};
  return vdirecord::RecordPiece(text, static_cast<std::size_t>(n - 1));
}

bool NameBegins(const CMatTable& table, std::wstring_view prefix) {
  return TableNameText(table).starts_with(prefix);
}

CMatTable* FirstChildNamed(CMatTable* pParent, std::wstring_view prefix) {
  if (pParent == nullptr) return nullptr;
  for (const auto& pChild : pParent->m_Children)
    if (NameBegins(*pChild, prefix)) return pChild.get();
  return nullptr;
}

CMatTable* FindNumbered(CMatTable* pParent, std::wstring_view kind, std::int64_t n) {
  if (pParent == nullptr || n < 0 || n > INT32_MAX) return nullptr;
  std::wstring name(kind);
  vdirecord::AppendRecordNumber(name, static_cast<std::int32_t>(n));
  return vdirecord::FindRecordTable(pParent, name);
}

std::vector<std::int32_t> EntryTagGroups(std::wstring_view tag) {
  std::vector<std::int32_t> groups;
  if (tag.empty()) return groups;
  for (std::size_t nStart = 0;;) {
    const std::size_t nDash = tag.find(L'-', nStart);
    const std::wstring_view group = tag.substr(nStart, nDash - nStart);
    groups.push_back(group.find(L'?') != std::wstring_view::npos ? 0 : ReadInteger(group));
    if (nDash == std::wstring_view::npos) break;
    nStart = nDash + 1;
  }
  return groups;
}

bool PassesEntryCondition(CMatStore& store, CMatTable* pEntry,
                          const std::vector<std::int32_t>& tagGroups) {
  if (tagGroups.empty()) return true;
  CMatTable* pCondition = FirstChildNamed(pEntry, L"930_02");
  if (pCondition == nullptr) return true;
  const CString text = RecordText(store, pCondition);
  for (std::size_t i = 0; i < tagGroups.size(); ++i) {
    const std::int32_t nWanted = ReadInteger(Field(text, static_cast<std::int64_t>(i) + 1));
    if (nWanted != 0 && nWanted != tagGroups[i]) return false;
  }
  return true;
}

namespace {

// The numeric tests of a 700 record by the field number the condition names.
enum class eNumericTest { kNone, kIntegerRange, kIntegerEqual, kRealRange };

eNumericTest NumericTestOf(std::int32_t n) {
  switch (n) {
    case 17:
    case 22:
    case 29:
      return eNumericTest::kIntegerRange;
    case 14:
    case 15:
    case 18:
    case 19:
    case 28:
      return eNumericTest::kIntegerEqual;
    case 4:
    case 5:
      return eNumericTest::kRealRange;
    default:
      break;
  }
  if ((n >= 9 && n <= 13) || (n >= 23 && n <= 27) || n >= 30) return eNumericTest::kRealRange;
  return eNumericTest::kNone;
}

template <typename T>
bool InBounds(const T& value, const T& lower, const T& upper, bool bOpenUpper) {
  return value >= lower && (bOpenUpper || value <= upper);
}

// One test of a record condition: fields nFirst to nFirst + 4 of the
// condition are the record name, its field number, "1" for numeric, the
// lower and the upper bound.
struct CRecordTest {
  CString strName;  // "." made "_"; empty: no test
  std::int32_t nField = 0;
  bool bNumeric = false;
  std::wstring_view lower;
  std::wstring_view upper;
};

CRecordTest ReadTest(std::wstring_view text, int nFirst) {
  CRecordTest test;
  test.strName = Trimmed(Field(text, nFirst));
  for (wchar_t& c : test.strName)
    if (c == L'.') c = L'_';
  test.nField = ReadInteger(Field(text, nFirst + 1));
  test.bNumeric = Trimmed(Field(text, nFirst + 2)) == L"1";
  test.lower = Field(text, nFirst + 3);
  test.upper = Field(text, nFirst + 4);
  return test;
}

// The record a test reads, found from the product's tag; b700 tells whether
// it is the product's 700 record (the only one numeric tests work on).
CMatTable* TestRecord(const CArticleContext& context, const CString& name, bool& b700) {
  b700 = false;
  if (name.starts_with(L"110")) return context.m_pProduct;
  if (!name.starts_with(L"7")) return nullptr;
  CMatTable* p700 = FindNumbered(context.m_pProduct, L"700", context.m_Slots[15]);
  if (!name.starts_with(L"710")) {
    b700 = p700 != nullptr;
    return p700;
  }
  return FindNumbered(p700, name, name == L"710_01" ? context.m_Slots[17] : 1);
}

bool HoldsOn(const CArticleContext& context, const CRecordTest& test, CMatTable* pRecord,
             bool b700) {
  const CString text = RecordText(context.m_Store, pRecord);
  // The condition counts the record number and the index as fields 1 and 2,
  // which the stored text no longer holds.
  const std::wstring_view value = Field(text, static_cast<std::int64_t>(test.nField) - 2);
  if (!test.bNumeric) return InBounds(value, test.lower, test.upper, test.upper.empty());
  if (!b700) return false;
  switch (NumericTestOf(test.nField)) {
    case eNumericTest::kIntegerRange: {
      const std::int32_t nUpper = ReadInteger(test.upper);
      return InBounds(ReadInteger(value), ReadInteger(test.lower), nUpper, nUpper == 0);
    }
    case eNumericTest::kIntegerEqual:
      return ReadInteger(value) == ReadInteger(test.lower);
    case eNumericTest::kRealRange: {
      const double dUpper = ReadReal(test.upper);
      return InBounds(ReadReal(value), ReadReal(test.lower), dUpper, dUpper == 0);
    }
    case eNumericTest::kNone:
      break;
  }
  return false;
}

bool RecordConditionHolds(const CArticleContext& context, std::wstring_view text) {
  const CRecordTest first = ReadTest(text, 6);
  bool b700 = false;
  CMatTable* pFirst = TestRecord(context, first.strName, b700);
  if (pFirst == nullptr || !HoldsOn(context, first, pFirst, b700)) return false;
  const CRecordTest second = ReadTest(text, 11);
  if (second.strName.empty()) return true;
  CMatTable* pSecond = TestRecord(context, second.strName, b700);
  if (pSecond == nullptr) return true;
  const bool bNegated = Trimmed(Field(text, 16)) == L"1";
  return HoldsOn(context, second, pSecond, b700) != bNegated;
}

bool RangeConditionHolds(const CArticleContext& context, std::wstring_view text) {
  const std::int32_t nIndex = ReadInteger(Field(text, 3));
  if (nIndex < 0 || static_cast<std::size_t>(nIndex) >= context.m_Quantities.size()) return false;
  const double dUpper = ReadReal(Field(text, 5));
  return InBounds(context.m_Quantities[static_cast<std::size_t>(nIndex)], ReadReal(Field(text, 4)),
                  dUpper, dUpper == 0);
}

}  // namespace

bool PassesArticleCondition(const CArticleContext& context, CMatTable* pArticle) {
  if (context.m_bAll || pArticle == nullptr) return true;
  // Whether every condition of a group held so far, by group number.
  std::map<std::int32_t, bool> groups;
  for (const auto& pChild : pArticle->m_Children) {
    if (!NameBegins(*pChild, L"930_04")) continue;
    const CString text = RecordText(context.m_Store, pChild.get());
    bool& bHolds = groups.try_emplace(ReadInteger(Field(text, 1)), true).first->second;
    if (!bHolds) continue;
    bHolds = Trimmed(Field(text, 2)) == L"1" ? RangeConditionHolds(context, text)
                                             : RecordConditionHolds(context, text);
  }
  if (groups.empty()) return true;
  for (const auto& [nGroup, bHolds] : groups)
    if (bHolds) return true;
  return false;
}

}  // namespace vdiaccessory
