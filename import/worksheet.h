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
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "OrvaMat/types.h"

// The texts of one workbook, UTF-8, each kept once per appearance: shared
// strings and inline texts alike. Sheets refer to them by number. They lie
// in blocks of 1 MiB that are never moved, so that the store grows without
// the copies (and the twice-the-size moments) of one growing buffer.
class CWorkbookTexts {
 public:
  std::uint32_t Add(std::string_view text);
  std::string_view Get(std::uint32_t n) const {
    return n < m_Texts.size() ? m_Texts[n] : std::string_view();
  }
  std::size_t GetCount() const { return m_Texts.size(); }

 private:
  static constexpr std::size_t kBlock = std::size_t{1} << 20;
  std::deque<std::unique_ptr<char[]>> m_Blocks;
  std::size_t m_nFree = 0;  // bytes left in the last block
  std::deque<std::string_view> m_Texts;
};

class CWorksheet {
 public:
  // The largest sheet the formats know (the row and column counts of the
  // newest ones); a cell beyond is refused by the readers.
  static constexpr std::uint32_t kMaxRows = 1048576;
  static constexpr std::uint32_t kMaxColumns = 16384;

  enum class eKind : std::uint8_t { eText, eNumber, eOther };

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

  // One past the last row that holds a cell.
  std::uint32_t GetRowCount() const { return m_Cells.empty() ? 0 : m_Cells.back().nRow + 1; }
  std::size_t GetCellCount() const { return m_Cells.size(); }

  // ---- filling, by the format readers
  void AddNumber(std::uint32_t nRow, std::uint32_t nColumn, double dValue);
  void AddText(std::uint32_t nRow, std::uint32_t nColumn, std::uint32_t nText);
  void AddOther(std::uint32_t nRow, std::uint32_t nColumn);
  // After the last cell: orders the cells when the file did not (a later
  // cell of the same place wins).
  void FinishCells();

 private:
  struct CSlot {
    std::uint32_t nRow;
    std::uint32_t nColumn;
    std::uint64_t nPayload;  // the double's bits, or the text's number
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
  // A deque: a sheet of millions of cells grows without being copied.
  std::deque<CSlot> m_Cells;
  bool m_bOrdered = true;
};

// A text read as a decimal number as the cell reads do: blanks skipped, an
// optional sign, digits with "," or "." as the decimal point, an optional
// exponent; what follows is ignored. No digits give 0.
double ParseCellNumber(std::string_view text);
