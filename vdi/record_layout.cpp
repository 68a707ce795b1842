#include "vdi/record_layout.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <string>

#include "OrvaMat/mat_table.h"
#include "store/table_names.h"
#include "vdi/vdi_record.h"

namespace vdirecord {

namespace {

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Types written as their digits: T(0x710, 0x01) is 710.01.
constexpr RecordType T(std::uint32_t nMain, std::uint32_t nSub = 0) { return nMain << 16 | nSub; }

struct CParentEntry {
  RecordType m_nType;
  RecordType m_nParent;
};

constexpr CParentEntry kFixedParents[] = {
    {T(0x100), kSheetRecord}, {T(0x110), T(0x100)}, {T(0x160), T(0x110)}, {T(0x200), T(0x110)},
    {T(0x300), T(0x110)},     {T(0x400), T(0x110)}, {T(0x500), T(0x110)}, {T(0x600), T(0x110)},
    {T(0x700), T(0x110)},     {T(0x800), T(0x110)}, {T(0x830), T(0x110)}, {T(0x850), T(0x110)},
    {T(0x250), T(0x200)},     {T(0x260), T(0x200)}, {T(0x350), T(0x300)}, {T(0x360), T(0x300)},
    {T(0x450), T(0x400)},     {T(0x460), T(0x400)}, {T(0x550), T(0x500)}, {T(0x560), T(0x500)},
    {T(0x610), T(0x600)},     {T(0x710), T(0x700)}, {T(0x720), T(0x700)}, {T(0x730), T(0x700)},
    {T(0x760), T(0x700)},     {T(0x810), T(0x800)}, {T(0x820), T(0x800)},
};
// 710.01 to 710.19 hang below 700 unless the sheet says otherwise.

// Entries of a sheet, which replace the fixed ones of the same type.
struct CSheetParentEntry {
  int m_nSheet;
  RecordType m_nType;
  RecordType m_nParent;
};

constexpr CSheetParentEntry kSheetParents[] = {
    {3, T(0x710, 0x11), T(0x710, 0x01)},  {5, T(0x710, 0x01), T(0x700)},
    {5, T(0x710, 0x02), T(0x700)},        {5, T(0x760, 0x01), T(0x760)},
    {6, T(0x710, 0x11), T(0x710, 0x01)},  {6, T(0x710, 0x12), T(0x710, 0x01)},
    {8, T(0x710, 0x31), T(0x710, 0x03)},  {8, T(0x710, 0x51), T(0x710, 0x05)},
    {10, T(0x760, 0x01), T(0x760)},       {14, T(0x760, 0x01), T(0x760)},
    {16, T(0x760, 0x01), T(0x760)},       {17, T(0x710, 0x71), T(0x710, 0x07)},
    {18, T(0x710, 0x11), T(0x710, 0x01)}, {18, T(0x710, 0x31), T(0x710, 0x03)},
    {18, T(0x710, 0x51), T(0x710, 0x05)}, {18, T(0x710, 0x61), T(0x710, 0x06)},
    {19, T(0x710, 0x02), T(0x710, 0x01)}, {19, T(0x710, 0x03), T(0x710, 0x01)},
    {20, T(0x710, 0x21), T(0x710, 0x02)}, {23, T(0x710, 0x14), T(0x710, 0x01)},
    {23, T(0x710, 0x15), T(0x710, 0x01)}, {23, T(0x710, 0x21), T(0x710, 0x02)},
    {23, T(0x710, 0x31), T(0x710, 0x03)}, {23, T(0x710, 0x61), T(0x710, 0x06)},
    {23, T(0x710, 0x11), T(0x710, 0x10)}, {23, T(0x710, 0x16), T(0x710, 0x13)},
    {23, T(0x710, 0x18), T(0x710, 0x17)}, {24, T(0x710, 0x12), T(0x710, 0x01)},
    {29, T(0x710, 0x01), T(0x700)},       {29, T(0x710, 0x11), T(0x710, 0x01)},
    {29, T(0x710, 0x12), T(0x710, 0x01)}, {29, T(0x710, 0x14), T(0x710, 0x01)},
    {29, T(0x710, 0x13), T(0x710, 0x12)}, {29, T(0x710, 0x02), T(0x700)},
    {29, T(0x710, 0x21), T(0x710, 0x02)}, {29, T(0x710, 0x23), T(0x710, 0x02)},
    {29, T(0x710, 0x22), T(0x710, 0x21)}, {32, T(0x710, 0x11), T(0x710, 0x01)},
    {32, T(0x710, 0x12), T(0x710, 0x01)}, {32, T(0x710, 0x21), T(0x710, 0x02)},
    {32, T(0x710, 0x22), T(0x710, 0x02)}, {32, T(0x710, 0x31), T(0x710, 0x03)},
    {32, T(0x710, 0x32), T(0x710, 0x03)}, {32, T(0x710, 0x33), T(0x710, 0x03)},
    {32, T(0x710, 0x34), T(0x710, 0x03)}, {32, T(0x710, 0x35), T(0x710, 0x03)},
    {32, T(0x710, 0x41), T(0x710, 0x04)}, {32, T(0x710, 0x51), T(0x710, 0x05)},
    {35, T(0x710, 0x01), T(0x700)},       {35, T(0x760, 0x01), T(0x760)},
    {98, T(0x710, 0x02), T(0x710, 0x01)}, {99, T(0x710, 0x02), T(0x710, 0x01)},
};

// The 710.xx records of the host's record position. Field 17 is byte offset
// 68 of the position, 18 offset 72, and so on. The sheets whose records the
// position binds are also the ones whose numbers VDIINDEX answers: one list
// serves both, so that a record bound from the position always has its
// number there too.
constexpr CPositionRecord kPosition2[] = {{T(0x710, 0x01), 17, kRecord700}};
constexpr CPositionRecord kPosition3[] = {
    {T(0x710, 0x01), 17, kRecord700}, {T(0x710, 0x11), 18, kRecord700},
    {T(0x710, 0x05), 19, kRecord700}, {T(0x710, 0x07), 20, kRecord700},
    {T(0x710, 0x08), 21, kRecord700}, {T(0x710, 0x09), 22, kRecord700},
    {T(0x710, 0x12), 23, kRecord700}};
constexpr CPositionRecord kPosition5[] = {{T(0x710, 0x01), 17, kRecord700},
                                          {T(0x710, 0x02), 18, kRecord700}};
constexpr CPositionRecord kPosition8[] = {{T(0x710, 0x03), 17, kRecord700}};
constexpr CPositionRecord kPosition14[] = {{T(0x710, 0x01), 17, kRecord700},
                                           {T(0x710, 0x02), 18, kRecord700},
                                           {T(0x710, 0x03), 19, kRecord700},
                                           {T(0x710, 0x04), 20, kRecord700}};
constexpr CPositionRecord kPosition18[] = {{T(0x710, 0x01), 17, kRecord700},
                                           {T(0x710, 0x07), 18, kRecord700}};
constexpr CPositionRecord kPosition19[] = {{T(0x710, 0x01), 17, kRecord700},
                                           {T(0x710, 0x05), 18, kRecord700},
                                           {T(0x710, 0x06), 19, kRecord700},
                                           {T(0x710, 0x07), 20, kRecord700},
                                           {T(0x710, 0x08), 21, kRecord700}};
constexpr CPositionRecord kPosition23[] = {{T(0x710, 0x01), 17, kRecord700},
                                           {T(0x710, 0x03), 18, kRecord700},
                                           {T(0x710, 0x06), 19, kRecord700},
                                           {T(0x710, 0x13), 20, kRecord700},
                                           {T(0x710, 0x17), 21, kRecord700}};
constexpr CPositionRecord kPosition29[] = {{T(0x710, 0x01), 17, kRecord700},
                                           {T(0x710, 0x11), 18, T(0x710, 0x01)},
                                           {T(0x710, 0x02), 19, kRecord700}};

template <std::size_t N>
constexpr CPositionRecords Records(const CPositionRecord (&list)[N]) {
  return CPositionRecords{list, N};
}

// Fields 0 to 16 of the position: 100, 110, 160, 200, 250, 260, 300, 350,
// 360, 400, 450, 460, 500, 550, 560, 700, 760.
constexpr std::array<std::uint32_t, 17> kPositionMains = {0x100, 0x110, 0x160, 0x200, 0x250, 0x260,
                                                          0x300, 0x350, 0x360, 0x400, 0x450, 0x460,
                                                          0x500, 0x550, 0x560, 0x700, 0x760};

constexpr std::array<std::uint32_t, 9> kSlotMains = {0x100, 0x110, 0x200, 0x300, 0x400,
                                                     0x450, 0x500, 0x700, 0x760};

std::uint32_t Nibbles(std::wstring_view digits) {
  std::uint32_t n = 0;
  for (wchar_t c : digits) n = n << 4 | static_cast<std::uint32_t>(c - L'0');
  return n;
}

}  // namespace

RecordType ParseRecordType(std::wstring_view text) {
  if (text.size() != 3 && text.size() != 6) return 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (i == 3 ? text[i] != L'.' && text[i] != L'_' : !IsDigit(text[i])) return 0;
  }
  return T(Nibbles(text.substr(0, 3)), text.size() == 6 ? Nibbles(text.substr(4)) : 0);
}

std::wstring RecordTypeText(RecordType t) {
  static constexpr wchar_t kHex[] = L"0123456789ABCDEF";
  std::wstring text;
  for (int nShift : {24, 20, 16}) text += kHex[(t >> nShift) & 0xF];
  if ((t & 0xFFFF) != 0) {
    text += L'_';
    text += kHex[(t >> 4) & 0xF];
    text += kHex[t & 0xF];
  }
  return text;
}

void AppendRecordNumber(std::wstring& name, std::int32_t n) {
  wchar_t digits[12];
  wchar_t* p = digits + 12;
  std::uint32_t u = n < 0 ? 0u - static_cast<std::uint32_t>(n) : static_cast<std::uint32_t>(n);
  do {
    *--p = static_cast<wchar_t>(L'0' + u % 10);
    u /= 10;
  } while (u != 0);
  name += L'-';
  if (n < 0) name += L'-';
  name.append(p, digits + 12);
}

RecordType ParentTypeOf(RecordType t, int nSheet) {
  for (const CSheetParentEntry& entry : kSheetParents) {
    if (entry.m_nSheet > nSheet) break;  // the entries go by sheet
    if (entry.m_nSheet == nSheet && entry.m_nType == t) return entry.m_nParent;
  }
  if (Is710Type(t) && (t & 0xFFFF) <= 0x19) return kRecord700;
  for (const CParentEntry& entry : kFixedParents)
    if (entry.m_nType == t) return entry.m_nParent;
  return 0;
}

int SlotOf(RecordType t) {
  if (Is710Type(t)) {
    const std::uint32_t nSub = t & 0xFFFF;
    // 710.01 to 710.21 are slots 9 to 29 (the sub-number's digits read as
    // decimal), 710.31 is 30 and 710.61 is 31.
    const int nDecimal = static_cast<int>((nSub >> 4) * 10 + (nSub & 0xF));
    if ((nSub & 0xF) <= 9 && (nSub >> 4) <= 9 && nDecimal >= 1 && nDecimal <= 21)
      return 8 + nDecimal;
    if (nSub == 0x31) return 30;
    if (nSub == 0x61) return 31;
    return -1;
  }
  if ((t & 0xFFFF) != 0) return -1;
  for (std::size_t i = 0; i < kSlotMains.size(); ++i)
    if (t >> 16 == kSlotMains[i]) return static_cast<int>(i);
  return -1;
}

int SlotOfRecordName(std::wstring_view name) {
  // "100-7": three digits and the number; "710_01-3": 710, the two digits
  // of the sub-number and the number.
  if (name.size() > 3 && name[3] == L'-') return SlotOf(ParseRecordType(name.substr(0, 3)));
  if (name.size() > 6 && name[6] == L'-' && name.substr(0, 3) == L"710")
    return SlotOf(ParseRecordType(name.substr(0, 6)));
  return -1;
}

int PositionFieldOf(RecordType t, int nSheet) {
  if (Is710Type(t)) {
    for (const CPositionRecord& record : PositionRecordsOf(nSheet))
      if (record.m_nType == t) return record.m_nField;
    return -1;
  }
  if ((t & 0xFFFF) != 0) return -1;
  for (std::size_t i = 0; i < kPositionMains.size(); ++i)
    if (t >> 16 == kPositionMains[i]) return static_cast<int>(i);
  return -1;
}

CPositionRecords PositionRecordsOf(int nSheet) {
  switch (nSheet) {
    case 2:
    case 6:
    case 32:
    case 35:
      return Records(kPosition2);
    case 3:
      return Records(kPosition3);
    case 5:
      return Records(kPosition5);
    case 8:
      return Records(kPosition8);
    case 14:
      return Records(kPosition14);
    case 18:
      return Records(kPosition18);
    case 19:
      return Records(kPosition19);
    case 23:
      return Records(kPosition23);
    case 29:
      return Records(kPosition29);
    default:
      return {};
  }
}

std::wstring_view RecordPiece(std::wstring_view text, std::size_t nPosition) {
  std::size_t nStart = 0;
  for (std::size_t i = 0; i < nPosition; ++i) {
    const std::size_t nNext = text.find(L';', nStart);
    if (nNext == std::wstring_view::npos) return {};
    nStart = nNext + 1;
  }
  const std::size_t nEnd = text.find(L';', nStart);
  return text.substr(nStart,
                     nEnd == std::wstring_view::npos ? std::wstring_view::npos : nEnd - nStart);
}

std::int32_t ReadInteger(std::wstring_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == L' ' || text[i] == L'\t')) ++i;
  bool bNegative = false;
  if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) bNegative = text[i++] == L'-';
  std::int64_t n = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    n = n * 10 + (text[i] - L'0');
    if (n > 2147483648LL) n = 2147483648LL;  // beyond INTEGER either way
  }
  if (bNegative) n = -n;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(n, -2147483647LL - 1, 2147483647LL));
}

double ReadReal(std::wstring_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == L' ' || text[i] == L'\t')) ++i;
  if (i < text.size() && text[i] == L'+') ++i;
  // The characters a number can have, narrowed: anything else ends it.
  std::string number;
  for (; i < text.size() && number.size() < 64; ++i) {
    const wchar_t c = text[i];
    if (!IsDigit(c) && c != L'.' && c != L'-' && c != L'+' && c != L'e' && c != L'E') break;
    number += static_cast<char>(c);
  }
  double d = 0;
  const std::from_chars_result result =
      std::from_chars(number.data(), number.data() + number.size(), d);
  return result.ec == std::errc() ? d : 0;
}

std::wstring_view Trimmed(std::wstring_view text) {
  const std::size_t nFirst = text.find_first_not_of(L' ');
  if (nFirst == std::wstring_view::npos) return {};
  return text.substr(nFirst, text.find_last_not_of(L' ') - nFirst + 1);
}

int SheetOfName(std::wstring_view text) { return VdiSheetOfTableName(text); }

CMatTable* FindRecordTable(CMatTable* pParent, std::wstring_view name) {
  if (pParent == nullptr) return nullptr;
  if (CMatTable* pFound = FindChildTable(*pParent, name, eHiddenTables::kSkip)) return pFound;
  const std::size_t nDash = name.rfind(L'-');
  if (nDash == std::wstring_view::npos || nDash + 1 == name.size()) return nullptr;
  const std::wstring_view kind = name.substr(0, nDash + 1);
  const std::int32_t n = ReadInteger(name.substr(nDash + 1));
  for (const auto& pChild : pParent->m_Children) {
    if ((pChild->m_nFlags & eFlagHidden) != 0) continue;
    const std::wstring_view child = TableNameText(*pChild);
    if (child.size() <= kind.size() || child.substr(0, kind.size()) != kind) continue;
    const std::wstring_view digits = child.substr(kind.size());
    if (digits.find_first_not_of(L"0123456789") == std::wstring_view::npos &&
        ReadInteger(digits) == n)
      return pChild.get();
  }
  return nullptr;
}

}  // namespace vdirecord
