// The lines of a text file (a DATANORM catalogue, a VDI 3805 file), read
// front to back and decoded one at a time.
//
// Wholesalers ship catalogues of gigabytes with tens of millions of lines:
// neither the file nor a list of its lines is held whole. A file is read in
// blocks into one reused buffer. In the 8-bit code pages and in UTF-8 the
// lines are found in the bytes, where CR and LF never occur inside a
// character, and each line is decoded when it is read; other encodings
// (UTF-16, the multi-byte code pages) are decoded whole once.
//
// A first pass (Open, Assign) learns what a reader decides before the
// first record: how many lines there are (and how many begin with each
// character, such as DATANORM's article records), and whether the bytes are
// ASCII or UTF-8. Start then reads the lines. The reader works on
// the current line and looks one line ahead, never back: Get(i) returns a
// view that stays valid until lines other than i were asked for twice more,
// and Release(i) lets the lines before i go.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "OrvaMat/types.h"
#include "platform/code_page.h"
#include "platform/file.h"

// What the first pass over a catalogue's bytes found.
struct CBlockScan {
  std::size_t nLines = 0;
  // The lines after the first (a catalogue's header) by their first
  // character, where it is ASCII: a reader learns how many records of each
  // kind follow.
  std::array<std::size_t, 128> nLinesBeginningWith{};
  std::string strHead;  // the first bytes (byte-order marks)
  bool bNonAscii = false;
  bool bValidUtf8 = true;  // meaningful when bNonAscii
  // A CR not followed by a LF: without one, a CR can only end a line right
  // before its LF, and lines are found by their LF alone.
  bool bLoneReturns = false;
};

class CBlockLines {
 public:
  // A block of the file read at a time: large enough that reads are few,
  // small enough to stay in the processor's caches while its lines are read.
  static constexpr std::size_t kDefaultBlock = std::size_t{1} << 18;

  // nBlock: the bytes of a file read at a time.
  explicit CBlockLines(std::size_t nBlock = kDefaultBlock) : m_nBlock(nBlock > 0 ? nBlock : 1) {}

  // The bytes of a catalogue in memory (the caller keeps them while lines
  // are read).
  void Assign(std::string_view bytes);
  // A catalogue file; false when it can not be read (GetError).
  bool Open(const CString& path);
  const CBlockScan& GetScan() const { return m_Scan; }
  // Reads the lines in the code page from the first; false when the code
  // page is unknown or the file can not be read again.
  bool Start(unsigned codePage);
  void Clear();

  // The number of lines the first pass counted (for progress).
  std::size_t GetCount() const { return m_Scan.nLines; }
  // True when line i is there, reading on as far as needed; false past the
  // last line and after a read error (HasReadError).
  bool Has(std::size_t i);
  bool HasReadError() const { return m_bReadError; }
  const CString& GetError() const { return m_File.GetError(); }
  // Lines the reader holds (i no lower than the last Release, Has(i) true).
  bool IsEmptyLine(std::size_t i) const {
    return m_bDecodedWhole ? m_Wide[i].empty() : Bytes(i).empty();
  }
  std::wstring_view Get(std::size_t i);
  // Line i decoded into the caller's text, for a reader that keeps its own
  // copy of the current line anyway: one decode, no copy.
  void DecodeInto(std::size_t i, CString& text);
  // True when line i begins with the ASCII character c; decodes nothing (an
  // ASCII character is the same byte in every code page lines are found in).
  bool BeginsWith(std::size_t i, char c) const {
    if (m_bDecodedWhole) return !m_Wide[i].empty() && m_Wide[i][0] == static_cast<wchar_t>(c);
    const std::string_view line = Bytes(i);
    return !line.empty() && line[0] == c;
  }
  // The bytes of line i (Has(i) true) as the file holds them, undecoded,
  // valid until the next call; empty for encodings decoded whole.
  std::string_view PeekBytes(std::size_t i) const {
    return m_bDecodedWhole ? std::string_view() : Bytes(i);
  }
  // The reader asks for no line before i any more.
  void Release(std::size_t i);

 private:
  struct CSlot {
    std::size_t nLine = static_cast<std::size_t>(-1);
    CString strText;
  };
  struct CLine {
    std::size_t nOffset;  // in Data()
    std::size_t nLength;
  };

  std::string_view Data() const {
    return m_bFile ? std::string_view(m_Buffer.data(), m_nFill) : m_Memory;
  }
  std::string_view Bytes(std::size_t i) const {
    const CLine& line = m_Lines[m_nHead + (i - m_nFirst)];
    return Data().substr(line.nOffset, line.nLength);
  }
  bool Scan();
  bool SplitOne();
  bool ReadBlock();
  void Decode(std::string_view bytes, CString& text) const;

  std::size_t m_nBlock;
  CBlockScan m_Scan;
  unsigned m_nCodePage = 0;
  CSingleByteDecoder m_Decoder;  // of a one-byte code page
  bool m_bDecodedWhole = false;
  // The bytes: the caller's, or a window of the file in m_Buffer.
  bool m_bFile = false;
  std::string_view m_Memory;
  CFileReader m_File;
  std::string m_Buffer;
  std::size_t m_nFill = 0;
  bool m_bEnd = false;
  bool m_bReadError = false;
  // The lines held: line m_nFirst (at m_nHead) and those after it, found up
  // to m_nSplit. Lines released before m_nHead go in bulk now and then.
  std::vector<CLine> m_Lines;
  std::size_t m_nHead = 0;
  std::size_t m_nFirst = 0;
  std::size_t m_nSplit = 0;
  // The multi-byte encodings, decoded whole.
  CString m_strWhole;
  std::vector<std::wstring_view> m_Wide;
  std::array<CSlot, 2> m_Slots;
  std::size_t m_nNewest = 0;
};
