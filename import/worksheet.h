// CWorksheet: one sheet of a workbook (import/workbook.h), its cells held
// compactly after the sheet was read: a sorted list of the cells that hold
// something, numbers as doubles and texts as UTF-8 in the workbook's text
// store. An empty cell is not kept.
//
// Cells are addressed by a 0-based column and a 0-based row (column 0, row 0
// is A1). Reads outside kMaxRows x kMaxColumns fail; every other cell reads,
// an empty one as empty.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "OrvaMat/types.h"

// The texts of one workbook, UTF-8, each kept once per appearance: shared
// strings and inline texts alike. Sheets refer to them by number. They lie
// in blocks of 1 MiB that are never moved, so that the store grows without
// the copies (and the twice-the-size moments) of one growing buffer. A text
// is known by where it begins (8 bytes: block and offset); it ends where
// the next one begins, or at the end of its block's bytes.
class CWorkbookTexts {
 public:
  std::uint32_t Add(std::string_view text);
  std::string_view Get(std::uint32_t n) const {
    if (n >= m_Begins.size() || m_Blocks.empty()) return {};
    const std::uint64_t nBegin = m_Begins[n];
    const std::size_t nBlock = static_cast<std::size_t>(nBegin >> 32);
    const std::uint64_t nEnd = n + 1 < m_Begins.size() && (m_Begins[n + 1] >> 32) == nBlock
                                   ? m_Begins[n + 1]
                                   : (std::uint64_t{nBlock} << 32) | m_Used[nBlock];
    return {m_Blocks[nBlock].get() + (nBegin & 0xFFFFFFFFu),
            static_cast<std::size_t>(nEnd - nBegin)};
  }
  std::size_t GetCount() const { return m_Begins.size(); }

 private:
  static constexpr std::size_t kBlock = std::size_t{1} << 20;
  std::vector<std::unique_ptr<char[]>> m_Blocks;
  std::vector<std::uint32_t> m_Used;    // bytes taken in each block
  std::uint32_t m_nFree = 0;            // bytes left in the last block
  std::vector<std::uint64_t> m_Begins;  // block << 32 | offset
};

class CWorksheet {
 public:
  // The largest sheet the formats know (the row and column counts of the
  // newest ones); a cell beyond is refused by the readers.
  static constexpr std::uint32_t kMaxRows = 1048576;
  static constexpr std::uint32_t kMaxColumns = 16384;

  enum class eKind : std::uint8_t { eText, eNumber, eOther, eEmpty };

  CWorksheet(CString name, const CWorkbookTexts* pTexts)
      : m_strName(std::move(name)), m_pTexts(pTexts) {}

  const CString& GetName() const { return m_strName; }

  // The cell as text: a text cell as it stands with every line feed that
  // follows no carriage return given one; a number (booleans are the
  // numbers 0 and 1, dates their serial day numbers) formatted "%g"; an
  // empty cell empty. A cell of any other kind (an error value) leaves value
  // as it was. False, value empty, outside the sheet's bounds.
  bool GetStringValueAt(CString& value, int nColumn, int nRow) const;
  // The cell as an integer: a number truncated toward zero (clamped to the
  // int range); a text read as a decimal number ("12", " 3,5", "7 Stück"
  // gives 12, 3, 7; no number gives 0); empty or any other kind 0.
  bool GetIntValueAt(int& value, int nColumn, int nRow) const;
  // The cell as a decimal number, texts as for GetIntValueAt ("," or "." as
  // the decimal point).
  bool GetFloatValueAt(double& value, int nColumn, int nRow) const;
  // The cell as it is kept, for readers that convert it themselves: a
  // text's UTF-8 bytes (valid until the workbook reads another sheet), a
  // number. eEmpty for an empty cell and outside the bounds.
  eKind PeekAt(int nColumn, int nRow, std::string_view& text, double& number) const;

  // One past the last row that holds a cell.
  std::uint32_t GetRowCount() const { return m_Cells.empty() ? 0 : m_Cells.back().nRow + 1; }
  std::size_t GetCellCount() const { return m_Cells.size(); }

  // ---- filling, by the format readers
  void AddNumber(std::uint32_t nRow, std::uint32_t nColumn, double dValue);
  void AddText(std::uint32_t nRow, std::uint32_t nColumn, std::uint32_t nText);
  void AddOther(std::uint32_t nRow, std::uint32_t nColumn);
  // After the last cell: orders the cells when the file did not (a later
  // cell of the same place wins) and indexes the rows.
  void FinishCells();

 private:
  // 16 bytes: a column fits in 16 bits (kMaxColumns).
  struct CSlot {
    std::uint64_t nPayload;  // the double's bits, or the text's number
    std::uint32_t nRow;
    std::uint16_t nColumn;
    eKind kind;
  };
  void Add(std::uint32_t nRow, std::uint32_t nColumn, eKind kind, std::uint64_t nPayload);
  // The cell at the place, null when empty.
  const CSlot* Find(std::uint32_t nRow, std::uint32_t nColumn) const;
  static bool InBounds(int nColumn, int nRow) {
    return nColumn >= 0 && nRow >= 0 && static_cast<std::uint32_t>(nColumn) < kMaxColumns &&
           static_cast<std::uint32_t>(nRow) < kMaxRows;
  }
  double NumberOf(const CSlot& slot) const;

  CString m_strName;
  const CWorkbookTexts* m_pTexts;
  // In row and column order once finished. A vector's slack beyond its
  // cells is never touched, so it costs address space, not memory.
  std::vector<CSlot> m_Cells;
  // The first cell of each row and one past the last row's end, once
  // finished (empty before: Find then searches all cells).
  std::vector<std::uint32_t> m_RowStart;
  bool m_bOrdered = true;
};

// A text read as a decimal number as the cell reads do: blanks skipped, an
// optional sign, digits with "," or "." as the decimal point, an optional
// exponent; what follows is ignored. No digits give 0.
double ParseCellNumber(std::string_view text);
