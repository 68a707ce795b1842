#include "vdi/tga_tag.h"

#include <algorithm>
#include <limits>

namespace {

constexpr std::uint8_t kReferenceWidths[] = {3, 5};
constexpr std::uint8_t kSheet5Widths[] = {3, 5, 5};
constexpr std::uint8_t kSheet6Widths[] = {3, 5};
constexpr std::uint8_t kSheet14Widths[] = {3, 5, 5, 5, 5};
// Slots 0 to 14 are three digits wide, slot 15 (the 700 record) five.
constexpr int kFixedGroups = 16;

std::int32_t GroupValue(std::wstring_view group) {
  if (!group.empty() && group.front() == L'?') return -1;
  std::int64_t n = 0;
  for (const wchar_t c : group) {
    if (c < L'0' || c > L'9') break;
    n = std::min<std::int64_t>(n * 10 + (c - L'0'), std::numeric_limits<std::int32_t>::max());
  }
  return static_cast<std::int32_t>(n);
}

void AppendGroup(CString& out, std::int32_t nValue, int nWidth) {
  if (nValue < 0) {
    out.append(static_cast<std::size_t>(nWidth), L'?');
    return;
  }
  wchar_t digits[12];
  int nDigits = 0;
  do {
    digits[nDigits++] = static_cast<wchar_t>(L'0' + nValue % 10);
    nValue /= 10;
  } while (nValue != 0);
  out.append(static_cast<std::size_t>(nWidth - nDigits), L'0');
  while (nDigits > 0) out.push_back(digits[--nDigits]);
}

std::int32_t Largest(int nWidth) { return nWidth == 3 ? 999 : 99999; }

}  // namespace

CTgaSlots ParseTgaTag(std::wstring_view text, std::size_t* pGroups) {
  CTgaSlots slots;
  slots.fill(-1);
  std::size_t nSlot = 0;
  while (!text.empty() && nSlot < slots.size()) {
    const std::size_t nDash = text.find(L'-');
    slots[nSlot++] = GroupValue(text.substr(0, nDash));
    if (nDash == std::wstring_view::npos) break;
    text.remove_prefix(nDash + 1);
  }
  if (pGroups != nullptr) *pGroups = nSlot;
  return slots;
}

void parseTGAtag(std::int32_t* pSlots, const wchar_t* pText) {
  if (pSlots == nullptr) return;
  const CTgaSlots slots = ParseTgaTag(pText != nullptr ? std::wstring_view(pText) : L"");
  std::copy(slots.begin(), slots.end(), pSlots);
}

CString FormatTgaTag(std::span<const std::int32_t> slots, int n) {
  const std::size_t nCount = std::min<std::size_t>(
      static_cast<std::size_t>(std::clamp(n, 0, kTgaSlotCount)), slots.size());
  CString text;
  for (std::size_t i = 0; i < nCount; ++i) {
    if (i != 0) text.push_back(L'-');
    if (slots[i] < 0)
      text.push_back(L'?');
    else
      text += std::to_wstring(slots[i]);
  }
  return text;
}

void formatTGAtag(const std::int32_t* pSlots, CString& out, int n) {
  out = pSlots != nullptr ? FormatTgaTag(std::span(pSlots, kTgaSlotCount), n) : CString();
}

CTgaDigitLayout TgaReferenceLayout() { return {kReferenceWidths, std::size(kReferenceWidths)}; }

CTgaDigitLayout TgaSheetLayout(int nSheet) {
  switch (nSheet) {
    case 5:
      return {kSheet5Widths, std::size(kSheet5Widths)};
    case 6:
    case 35:
      return {kSheet6Widths, std::size(kSheet6Widths)};
    case 14:
      return {kSheet14Widths, std::size(kSheet14Widths)};
    default:
      return {};
  }
}

bool FormatTgaDigits(std::span<const std::int32_t> slots, CTgaDigitLayout layout, CString& out) {
  out.clear();
  const std::size_t nGroups = kFixedGroups + layout.m_nCount;
  for (std::size_t i = 0; i < nGroups; ++i) {
    const int nWidth = i < kFixedGroups - 1    ? 3
                       : i == kFixedGroups - 1 ? 5
                                               : layout.m_pWidths[i - kFixedGroups];
    const std::int32_t nValue = i < slots.size() ? slots[i] : 0;
    if (nValue > Largest(nWidth)) return false;
    AppendGroup(out, nValue, nWidth);
  }
  return true;
}
