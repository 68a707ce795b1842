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

#include "OrvaMat/mat_table.h"
#include "OrvaMat/mat_text.h"
#include "OrvaMat/types.h"

class CMatTextWriter {
 public:
  // Appends to lines, which must outlive the writer.
  explicit CMatTextWriter(CStringList& lines) : m_Lines(lines) {}

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
  const wchar_t* NameOf(const CMatTable& table, Handle h) const;

  CStringList& m_Lines;
  CString m_strLine;                    // the row line being built
  const CMatTable* m_pTable = nullptr;  // the table being written
  Handle m_hRow = 0;                    // the row being written
  int m_nLossy = 0;
  CString m_strLossyTable;
  CString m_strLossyRow;
};

// The letter of a value type in head lines and "StrucDef=", or its number
// for the types without a letter (StringArray 7, DWordArray 8, others).
void AppendTypeText(CString& out, std::uint32_t nType);
