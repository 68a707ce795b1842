// Code-page conversion for 8-bit files. The numbers are the ones callers pass:
//   1252   Windows Western (and the other Windows code pages by number: 1250,
//          1251, 1253, 1254, 1257, ..., 874, 932, 936, 949, 950 through iconv)
//   65001  UTF-8
//   1200   UTF-16 little-endian (1201 big-endian)
//   3331   the DOS character set of DATANORM files (CP850)
//   3332   detect: UTF-16 LE/BE or UTF-8 byte-order mark, else valid UTF-8,
//          else CP1252
// Conversion never fails on content: bytes a code page does not map become
// U+FFFD when reading and characters it cannot hold become '?' when writing.
// The five bytes Windows-1252 leaves undefined (0x81 0x8D 0x8F 0x90 0x9D) read
// as U+FFFD too. A one-byte code page converts byte by byte, like the system
// it replaces (no composition of Vietnamese or Hebrew marks). An unknown code
// page number is the only failure: the output is then empty.
#pragma once

#include <string>
#include <string_view>

#include "OrvaMat/types.h"

enum : unsigned {
  CP_WINDOWS_1252 = 1252,
  CP_UTF8_TEXT = 65001,
  CP_UTF16_LE = 1200,
  CP_UTF16_BE = 1201,
  CP_DOS_850 = 3331,
  CP_DETECT = 3332,
};

// Decodes a whole file's bytes. With CP_DETECT a byte-order mark is consumed;
// with 65001, 1200 and 1201 the mark of that encoding is consumed when present.
bool DecodeText(std::string_view bytes, unsigned codePage, CString& out);

struct CSingleByteTable;

// The decoding of a one-byte code page, found once for a reader that
// decodes line by line: no look-up a line, and the text decoded into keeps
// its room (it is not cleared first). False for any other code page; those
// go through DecodeText.
class CSingleByteDecoder {
 public:
  explicit CSingleByteDecoder(unsigned codePage = 0);
  explicit operator bool() const { return m_pTable != nullptr; }
  // Replaces out with the decoded bytes, as DecodeText does.
  void Decode(std::string_view bytes, CString& out) const;

 private:
  const CSingleByteTable* m_pTable = nullptr;
};

// Encodes for writing. 3332 writes UTF-8 with a byte-order mark.
bool EncodeText(std::wstring_view text, unsigned codePage, std::string& out);
// True when the code page number is one DecodeText knows.
bool IsKnownCodePage(unsigned codePage);
