// The pieces of one record line of a VDI 3805 file that the reader decodes
// itself: the record number, the index field, the record key and body, the
// sheet table's name and the TGA number of record 800. Everything else of a
// line is kept whole as the text of its table (docs/vdi.md).
#pragma once

#include <cstdint>
#include <string_view>

#include "OrvaMat/types.h"

// A record number as hexadecimal digits: the main number's digits in the
// high half, the sub-number's in the low half, so that 710.71 is 0x07100071
// and 010 is 0x00100000 (printed with %X it reads as the record's digits).
// Each character stands for one 4-bit digit (its value minus '0', kept to
// four bits, so that any character gives a defined number); digits beyond
// the eighth of a half push the first ones out. 0 for an empty identifier.
using VdiRecordId = std::uint32_t;

constexpr VdiRecordId MakeVdiRecordId(unsigned main, unsigned sub = 0) {
  return (main << 16) | sub;
}

// One record line split as the reader needs it. The views point into the
// line, which must outlive them.
struct CVdiRecordLine {
  VdiRecordId nId = 0;
  // The identifier before the first ';' with its first '.' (unless it is
  // the first character) made '_': 710.01 -> 710_01.
  CString strIdText;
  std::wstring_view index;  // the second field, unchanged
  std::wstring_view body;   // after the index field and its ';'
};

// Splits a line (its trailing ';' already cut).
void SplitVdiRecordLine(std::wstring_view line, CVdiRecordLine& out);

// The index field as an integer the way the files mean it: blanks, a sign and
// decimal digits; 0 when there are none; held to the range of int.
int VdiIndexValue(std::wstring_view index);

// The sheet number of record 010 (its first field read as an index field) and the name of the sheet
// table it selects: "VDI-Pumpen" for 4, "VDI_Blatt21" for a number without a name of its own.
int VdiSheetNumberOf(std::wstring_view body);
CString VdiSheetTableName(int nSheet);
// The sheet number of a sheet table's own name ("VDI-Pumpen": 4); 0 for a
// name of no sheet (also "VDI_Blatt21").
int VdiSheetOfTableName(std::wstring_view name);
// Whether a top-level table of that name is a sheet table the reader makes.
bool IsVdiSheetTableName(std::wstring_view name);

// The TGA field of record 800 in its text form: the fixed-width groups
// (15 of three digits, then 5, 3 and seven of five) with their leading
// zeros and unknown marks dropped, joined by '-' (001002???00003 ->
// 1-2-?-3). Only the first kTgaFieldMax characters of the field count.
constexpr std::size_t kTgaFieldMax = 511;
CString NormaliseTgaField(std::wstring_view field);
