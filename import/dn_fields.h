// The field readers of DATANORM records. A record is one line of fields
// separated by ";" (both versions); the reader's cursor always stands at the
// start of the next field and never moves past the end of the line, so that
// a record cut short reads as empty fields and zero numbers.
//
// The reader keeps a view of the line: the line must outlive it (the loader
// keeps the file's lines for the whole import).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "OrvaMat/types.h"

class CDnFieldReader {
 public:
  CDnFieldReader() = default;
  explicit CDnFieldReader(std::wstring_view line) : m_strLine(line) {}

  // Starts over on another line.
  void SetLine(std::wstring_view line) {
    m_strLine = line;
    m_nPos = 0;
  }

  // Text field of at most nMax characters: copies up to ";", the end of the
  // line or nMax characters, skips the rest of the field and its ";", and
  // removes trailing blanks.
  CString ReadText(std::size_t nMax) { return CString(ReadView(nMax)); }
  // The same with leading blanks removed too (article numbers and keys).
  CString ReadTrimmed(std::size_t nMax) { return CString(ReadTrimmedView(nMax)); }
  // The same as views into the line: an article's twenty fields then cost
  // no allocation each.
  std::wstring_view ReadView(std::size_t nMax);
  std::wstring_view ReadTrimmedView(std::size_t nMax);
  // Character field: one character, 0 for an empty field or the end of the
  // line. A ";" right after the character is skipped; any other character
  // stays and begins the next field.
  wchar_t ReadChar();
  // Number field of at most nPositions positions: digits are accumulated
  // until the first non-digit (which still counts as a position); the rest of
  // the field and its ";" are skipped. Signs, blanks and decimal commas are
  // no numbers: "12,5" reads as 12. At most 18 positions are read, so the
  // value always fits; callers narrow it where a cell holds 32 bits.
  std::int64_t ReadNumber(int nPositions);
  // Skips one field whatever its length.
  void SkipField();

  bool AtEnd() const { return m_nPos >= m_strLine.size(); }
  std::size_t GetPos() const { return m_nPos; }
  std::wstring_view GetLine() const { return m_strLine; }

 private:
  void SkipToNextField();

  std::wstring_view m_strLine;
  std::size_t m_nPos = 0;
};

// A number narrowed to a 32-bit integer cell, saturating instead of wrapping.
std::int32_t DnClampInt(std::int64_t value);
