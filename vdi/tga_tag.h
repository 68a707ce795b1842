// TGA numbers: the two forms in which one configuration of a product is
// named, and their conversions.
//
// A TGA tag holds up to 32 slots, one record number per level of the
// product's record tree (slot 0 the 100 record, 1 the 110, 2 the 160, 3 to
// 14 the 200/250/260 ... 500/550/560 groups, 15 the 700, 16 the 760, 17 and
// on the 710.xx records of the sheet). A slot below 0 is unknown.
//
// - Text form: the slots in decimal joined by "-", an unknown slot "?"
//   ("1-1-0-2-?-5").
// - Digit string: the slots as fixed-width decimal groups without
//   separators, as the TGA function of a product receives them: slots 0 to
//   14 three digits each, slot 15 five, then the groups of a layout (slot
//   16 three and slot 17 five for the cross references and article
//   numbers). An unknown slot is written as that many "?".
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "OrvaMat/types.h"

constexpr int kTgaSlotCount = 32;
using CTgaSlots = std::array<std::int32_t, kTgaSlotCount>;

// Reads the text form. Every slot starts unknown; each group up to the next
// "-" gives one slot: "?" (or any group opening with "?") unknown, otherwise
// the value of its leading decimal digits (0 when it has none, held at the
// largest 32-bit value). A "-" that ends the text opens no group; groups
// beyond the 32nd are ignored. A null text leaves every slot unknown.
// pGroups (may be null) receives the number of groups read (0 to 32).
CTgaSlots ParseTgaTag(std::wstring_view text, std::size_t* pGroups = nullptr);
// The exported form: 32 slots written to pSlots (null: nothing happens).
void parseTGAtag(std::int32_t* pSlots, const wchar_t* pText);

// The text form of the first n slots (n held within 0 to 32; 0 gives an
// empty text).
CString FormatTgaTag(std::span<const std::int32_t> slots, int n);
// The exported form: the first n of the 32 slots at pSlots (null: empty).
void formatTGAtag(const std::int32_t* pSlots, CString& out, int n);

// The widths of the digit groups after slot 15 (slots 16 and on).
struct CTgaDigitLayout {
  const std::uint8_t* m_pWidths = nullptr;
  std::size_t m_nCount = 0;
};
// Slot 16 three digits, slot 17 five: the 18 groups (58 characters) of the
// cross references and the article numbers.
CTgaDigitLayout TgaReferenceLayout();
// The groups after slot 15 of a sheet, as a single configuration is handed
// to the TGA function: sheet 5: 3, 5, 5; sheets 6 and 35: 3, 5; sheet 14:
// 3, 5, 5, 5, 5; every other sheet none.
CTgaDigitLayout TgaSheetLayout(int nSheet);

// Writes the digit string of the slots into out (replacing it). False, and
// out left incomplete, when a slot is too large for its group: a group
// wider than its width would shift every later group, and the function
// would read another configuration than the one meant.
bool FormatTgaDigits(std::span<const std::int32_t> slots, CTgaDigitLayout layout, CString& out);
