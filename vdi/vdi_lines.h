// The lines of a VDI 3805 file, read in blocks (CBlockLines) and decoded one
// at a time into one reused buffer: the reader never holds the file whole,
// nor a decoded copy of it.
//
// The character set is decided once for the whole file: a UTF-16 or UTF-8
// byte-order mark, else UTF-8 when the bytes are well-formed UTF-8, else
// Windows-1252 (the files' own character set). A line ends at CR LF, LF or a
// lone CR; the last line needs no line end; an end-of-file character 0x1A as
// the file's last character is no part of it.
#pragma once

#include <cstddef>
#include <string_view>

#include "OrvaMat/types.h"
#include "store/base/block_lines.h"

class CVdiLines {
 public:
  // Takes the bytes (kept by the caller while lines are read). The first
  // line becomes current.
  void Assign(std::string_view bytes);
  // The same for a file; false when it can not be read (GetError).
  bool Open(const CString& path);
  // The reason a file could not be read, also while it was read.
  const CString& GetError() const { return m_Lines.GetError(); }
  bool HasReadError() const { return m_Lines.HasReadError(); }

  // Whether a current line is there (false after the last).
  bool HasLine() const { return m_bHasLine; }
  // The current line, decoded, with one trailing ';' cut off. The buffer is
  // the caller's to change until Advance.
  CString& Get() { return m_strLine; }
  // Moves to the next line; false at the end.
  bool Advance();
  // Lines made current so far (1 for the first) and the file's line count.
  std::size_t GetLineNumber() const { return m_nLineNumber; }
  std::size_t GetLineCount() const { return m_Lines.GetCount(); }

 private:
  // Chooses the character set and makes the first line current.
  void Start();

  CBlockLines m_Lines;
  bool m_bHasLine = false;
  std::size_t m_nLineNumber = 0;
  CString m_strLine;
};
