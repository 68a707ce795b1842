// The fixed knowledge of the record functions of product functions about a
// product's record tree: record types as numbers, which record hangs below
// which (the parent types, with the entries each sheet adds), the slots of
// the current records, the host's record position by record type, and the
// sheet numbers of the sheet tables' names.
//
// A record type is written "710.01" or "710_01" (both mean the same); as a
// number it is its VdiRecordId: the digits as hexadecimal nibbles, main
// number << 16 | sub-number (710.01 is 0x07100001, 100 is 0x01000000, the
// sheet record 010 is 0x00100000). A text that is no record type (not three
// digits, optionally "." or "_" and two digits) is type 0: it has no parent,
// no slot and no place in the record position.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class CMatTable;

namespace vdirecord {

using RecordType = std::uint32_t;

constexpr RecordType kSheetRecord = 0x00100000;  // 010, the parent type of 100
constexpr RecordType kRecord100 = 0x01000000;
constexpr RecordType kRecord110 = 0x01100000;
constexpr RecordType kRecord700 = 0x07000000;

// The type of "710.01", "710_01", "100"; 0 for anything else.
RecordType ParseRecordType(std::wstring_view text);
// The type as a record name writes it: "710_01", "100".
std::wstring RecordTypeText(RecordType t);
// Appends "-" and the record number in decimal, as a record name ends (the
// names are formed at every read: without the C library's formatting).
void AppendRecordNumber(std::wstring& name, std::int32_t n);

// The record table of that name ("110-1", "710_01-3") below pParent: the
// table of that name, else the first whose number, as the file wrote it,
// reads as the same ("110-01": the reader keeps a main record's index as
// written, leading zeros and all, while records are asked for by number).
// Null when there is none, or no parent.
CMatTable* FindRecordTable(CMatTable* pParent, std::wstring_view name);
// True for the 710.xx types (main number 710, any sub-number).
inline bool Is710Type(RecordType t) { return (t >> 16) == 0x710 && (t & 0xFFFF) != 0; }

// The parent type of a type in a product of that sheet (0: none): the fixed
// entries, replaced by those of the sheet.
RecordType ParentTypeOf(RecordType t, int nSheet);

// The slots of the current records: 100, 110, 200, 300, 400, 450, 500, 700,
// 760, 710.01 to 710.21, 710.31 and 710.61.
constexpr int kSlotCount = 32;
// The slot of a type, -1 when it has none.
int SlotOf(RecordType t);
// The slot a record table binds to by its name ("110-3" the 110 slot,
// "710_01-3" the 710.01 slot), -1 for any other name.
int SlotOfRecordName(std::wstring_view name);

// The field of the host's record position (an index into
// VdiRecordPosition::m_nRecord) for a type: 100 to 760 by their fixed
// places, the 710.xx types by the sheet; -1 when the position has none.
int PositionFieldOf(RecordType t, int nSheet);

// The 710.xx records the sheet binds from the host's record position, in
// binding order: type, position field, and the type of the record they are
// looked for below first (700, or another 710.xx record bound before).
struct CPositionRecord {
  RecordType m_nType;
  int m_nField;
  RecordType m_nBelow;
};
struct CPositionRecords {
  const CPositionRecord* m_pFirst = nullptr;
  std::size_t m_nCount = 0;
  const CPositionRecord* begin() const { return m_pFirst; }
  const CPositionRecord* end() const { return m_pFirst + m_nCount; }
};
CPositionRecords PositionRecordsOf(int nSheet);

// The piece at zero-based position nPosition of a ";"-separated record
// text; empty beyond the last piece.
std::wstring_view RecordPiece(std::wstring_view text, std::size_t nPosition);
// The text without its leading and trailing blanks (a piece as a file pads
// it: " ART ").
std::wstring_view Trimmed(std::wstring_view text);

// Numbers in record texts, read the same whatever the C locale of the host:
// ReadInteger as a decimal integer (leading blanks, a sign, the digits up to
// the first other character; 0 when there are none; held within INTEGER),
// ReadReal as a decimal number ("5.098039E-02"; 0 when there is none).
std::int32_t ReadInteger(std::wstring_view text);
double ReadReal(std::wstring_view text);

// The sheet number of a sheet table's name ("VDI-Waermeerzeuger-2" 3), 0
// when the text names no sheet. Exact comparison.
int SheetOfName(std::wstring_view text);

}  // namespace vdirecord
