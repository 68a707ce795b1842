// CMatTextWriter: a table and its subtree as lines of the MMTB text format
// (docs/mmtb.md), so that CMatTextReader reads the same table back.
//
// What the format can not carry is said, never dropped silently: texts that
// hold "(*", "*)", "-)", a NUL or end-of-file character, or a line break where
// the reader takes none (or one other than CR LF), are written as they are and
// counted; WriteTableText then shows one warning naming the first of them.
// Deep subtrees are walked with an explicit stack, not by recursion.
//
// The writer changes nothing in the store except loading table bodies that
// still lie in the database file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "OrvaMat/mat_table.h"
#include "OrvaMat/mat_text.h"
#include "OrvaMat/types.h"

// Where the writer's lines go, one call a line (without its line end).
class CTextLineSink {
 public:
  virtual ~CTextLineSink() = default;
  virtual void Line(std::wstring_view line) = 0;
};

// The lines as a list (CMatManager::WriteTableText).
class CStringListSink final : public CTextLineSink {
 public:
  explicit CStringListSink(CStringList& lines) : m_Lines(lines) {}
  void Line(std::wstring_view line) override { m_Lines.emplace_back(line); }

 private:
  CStringList& m_Lines;
};

// The lines as the bytes of a UTF-8 file, each ended by CR LF (what
// writeStringlistToFile makes of the list with code page 65001), built
// without a string per line: saving a large table as text costs one buffer.
class CUtf8LineSink final : public CTextLineSink {
 public:
  explicit CUtf8LineSink(std::string& out) : m_Out(out) {}
  void Line(std::wstring_view line) override;

 private:
  std::string& m_Out;
};

// WriteTableText into any sink, with the same warning about lossy texts.
void WriteTableText(CMatTable* table, CTextLineSink& sink);
// Appends the table's text to out as UTF-8 with CR LF line ends (no
// byte-order mark: the caller puts one at the start of a file).
void WriteTableUtf8(CMatTable* table, std::string& out);

class CMatTextWriter {
 public:
  // Hands every line to sink, which must outlive the writer.
  explicit CMatTextWriter(CTextLineSink& sink) : m_Sink(sink) {}

  // Appends the block of table with its descendants' blocks inside.
  void WriteTable(CMatTable& table);
  // Shows the warning about texts that do not read back, if there were any.
  void ReportLossyTexts(const CMatTable& table) const;
  int GetLossyCount() const { return m_nLossy; }

 private:
  void WriteHead(CMatTable& table);
  void WriteRows(const CMatTable& table);
  void WriteArray(const CMatTable& table);
  void WriteStructRow(const CMatTable& table, CString& line, std::uint64_t word);
  void AppendCells(const CMatTable& table, CString& line, std::uint64_t word);
  void AppendCell(const CMatTable& table, std::uint32_t nType, std::uint32_t nCell, CString& line);
  // " (*text*)", checking that the reader gives the text back.
  void AppendQuoted(CString& line, const wchar_t* pText, bool bMultiLine);
  // The handle's text widened into buffer (names may be kept one byte a
  // character); returns the buffer's characters.
  const wchar_t* NameOf(const CMatTable& table, Handle h, CString& buffer) const;

  CTextLineSink& m_Sink;
  CString m_strLine;                    // the row line being built
  CString m_strPoolText;                // a pool text or name widened, reused from cell to cell
  CString m_strRowName;                 // the row's name widened, reused from row to row
  const CMatTable* m_pTable = nullptr;  // the table being written
  Handle m_hRow = 0;                    // the row being written
  int m_nLossy = 0;
  CString m_strLossyTable;
  CString m_strLossyRow;
};

// The letter of a value type in head lines and "StrucDef=", or its number
// for the types without a letter (StringArray 7, DWordArray 8, others).
void AppendTypeText(CString& out, std::uint32_t nType);
