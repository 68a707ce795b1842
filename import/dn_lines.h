// The lines of a DATANORM file, decoded one at a time.
//
// A catalogue of a few hundred thousand articles has millions of lines; a
// decoded copy of the whole file would take four bytes per character. In
// the 8-bit code pages and in UTF-8 the lines are found in the bytes and
// each is decoded when it is read; other encodings (UTF-16, the multi-byte
// code pages) are decoded whole once.
//
// Get(i) returns a view that stays valid until lines other than i were asked
// for twice more: the reader works on the current line and looks one line
// ahead, never more.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>
#include <vector>

#include "OrvaMat/types.h"

class CDnLines {
 public:
  // Takes the file's bytes (they must outlive this object's use) and the
  // code page; false when the code page is unknown.
  bool Assign(std::string_view bytes, unsigned codePage);
  void Clear();

  std::size_t GetCount() const { return m_bDecodedWhole ? m_Wide.size() : m_Bytes.size(); }
  bool IsEmptyLine(std::size_t i) const {
    return m_bDecodedWhole ? m_Wide[i].empty() : m_Bytes[i].empty();
  }
  std::wstring_view Get(std::size_t i);
  // True when line i begins with the ASCII character c; decodes nothing (an
  // ASCII character is the same byte in every code page lines are found in).
  bool BeginsWith(std::size_t i, char c) const {
    if (m_bDecodedWhole) return !m_Wide[i].empty() && m_Wide[i][0] == static_cast<wchar_t>(c);
    return !m_Bytes[i].empty() && m_Bytes[i][0] == c;
  }

 private:
  struct CSlot {
    std::size_t nLine = static_cast<std::size_t>(-1);
    CString strText;
  };

  unsigned m_nCodePage = 0;
  bool m_bDecodedWhole = false;
  std::vector<std::string_view> m_Bytes;
  CString m_strWhole;
  std::vector<std::wstring_view> m_Wide;
  std::array<CSlot, 2> m_Slots;
  std::size_t m_nNewest = 0;
};
