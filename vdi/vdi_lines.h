// The lines of a VDI 3805 file, decoded one at a time into one reused buffer.
//
// A manufacturer's file is several megabytes; the reader never holds a
// decoded copy of it. The file's bytes are kept and its lines are found in
// them; each line is decoded when the reader comes to it. The character set
// is decided once for the whole file: a UTF-16 or UTF-8 byte-order mark,
// else UTF-8 when the bytes are well-formed UTF-8, else Windows-1252 (the
// files' own character set). A line ends at CR LF, LF or a lone CR; the
// last line needs no line end.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "OrvaMat/types.h"

class CVdiLines {
 public:
  // Takes the bytes (kept by the caller while lines are read) and decides
  // the character set. The first line becomes current.
  void Assign(std::string_view bytes);

  // Whether a current line is there (false after the last).
  bool HasLine() const { return m_bHasLine; }
  // The current line, decoded, with one trailing ';' cut off. The buffer is
  // the caller's to change until Advance.
  CString& Get() { return m_strLine; }
  // Moves to the next line; false at the end.
  bool Advance();
  // Lines made current so far (1 for the first) and the file's line count.
  std::size_t GetLineNumber() const { return m_nLineNumber; }
  std::size_t GetLineCount() const { return m_nLineCount; }
  // Whether the file's text was read as UTF-8 or UTF-16 (not 1252).
  bool IsUnicode() const { return m_nCodePage != 1252; }

 private:
  void DecodeCurrent(std::string_view bytes);
  // The bytes of the next line from m_nPos, or false at the end.
  bool NextLineBytes(std::string_view& line);

  std::string_view m_Bytes;
  std::size_t m_nPos = 0;
  unsigned m_nCodePage = 1252;
  std::size_t m_nUnit = 1;  // bytes of one code unit: 2 for UTF-16
  bool m_bBigEndian = false;
  bool m_bHasLine = false;
  std::size_t m_nLineNumber = 0;
  std::size_t m_nLineCount = 0;
  CString m_strLine;
};
