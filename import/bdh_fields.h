// The field readers of a BDH-2 line: fields are separated by "|"; a text
// field runs up to the next "|" or the line's end and keeps at most 259
// characters (the rest of a longer field is passed over, so that the fields
// after it stay where they are); the rest of a line keeps at most 259
// characters, separators included. Every reader consumes its field and the
// "|" after it; past the line's end each reads an empty field.
#pragma once

#include <string_view>
#include <vector>

#include "OrvaMat/types.h"

class CBdhLine {
 public:
  explicit CBdhLine(std::wstring_view line) : m_Line(line) {}

  // An integer: blanks, an optional sign and decimal digits; what follows
  // the digits in the field is ignored. A field without digits gives 0 and
  // bNumber false; a number beyond the int range is clamped to it.
  int ReadInt(bool* pNumber = nullptr);
  // A decimal: as ReadInt, with "." or "," as the decimal point, kept as a
  // 32-bit float (clamped to its range).
  float ReadDecimal();
  CString ReadText();
  CString ReadRest();
  bool AtEnd() const { return m_nPos >= m_Line.size(); }

  // The same readers on a text already cut out (the rule strings).
  static int ParseInt(std::wstring_view field, bool* pNumber = nullptr);
  static float ParseDecimal(std::wstring_view field);

 private:
  std::wstring_view TakeField();

  std::wstring_view m_Line;
  std::size_t m_nPos = 0;
};

// The "|" fields of a text: k separators give k + 1 fields.
std::vector<std::wstring_view> SplitBdhFields(std::wstring_view text);
