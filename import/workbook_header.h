// What the article and insulation workbooks share: how their import begins,
// the search for a sheet's header row and the cell rule by which a cell
// becomes a table's text.
#pragma once

#include <algorithm>
#include <cstddef>
#include <functional>
#include <optional>
#include <string_view>

#include <vector>

#include "OrvaMat/types.h"
#include "import/workbook.h"
#include "import/worksheet.h"

class CMatDatenSatz;
class CMatStore;

// How an article or insulation import begins, before the dataset is
// touched: the store's current dataset must be writable ("Importieren
// fehlgeschlagen.\r\n\r\nMMD ist schreibgeschützt."), the workbook must
// open ("Kann die Datei nicht öffnen\n%s" with why) and its first sheet be
// there ("Tabelle existiert nicht..."); sheets 2 to nLastSheet are read
// too, those the workbook lacks as null, while one that is there but can
// not be read ends it ("Kann die Datei nicht öffnen\n%s" with why). The
// dataset, sheets[0] the first sheet and sheets[n - 1] sheet n; null after
// the message.
CMatDatenSatz* OpenImportWorkbook(CMatStore& store, const CString& path, CWorkbook& workbook,
                                  int nLastSheet, std::vector<const CWorksheet*>& sheets);

// The header row among the first eleven rows (0 to 10): the first row whose
// A is "data" (any case); or, when a row's A holds a positive number first,
// the row before it (-1 when that is the first row); or, when a row's A is
// "Schlüssel" (any case), the row after it. None found: the message
// "Eine Zeile mit Spalte(0) = 'data' wurde nicht gefunden in der Tabelle:
// '%s'!" with the sheet's name, and no value.
std::optional<int> FindWorkbookHeaderRow(const CWorksheet& sheet);

// A cell read as text by the cell rule: trimmed of "\r\n\t ", the prefix put
// in front when the text is not empty, lone line feeds and "<br>" made
// "\r\n".
CString WorkbookCellText(const CWorksheet& sheet, int nColumn, int nRow,
                         std::wstring_view prefix = {});

// The progress of an import through the rows of its first sheet, as
// (row, rows): (0, rows) once the workbook was read, then every few
// thousand rows, and (rows, rows) at the end, also when the import stops
// early.
using CWorkbookProgress = std::function<void(std::size_t nRow, std::size_t nRows)>;

class CWorkbookRowProgress {
 public:
  CWorkbookRowProgress(const CWorkbookProgress* pProgress, std::size_t nRows)
      : m_pProgress(pProgress != nullptr && *pProgress ? pProgress : nullptr), m_nRows(nRows) {
    if (m_pProgress != nullptr) (*m_pProgress)(0, m_nRows);
  }
  ~CWorkbookRowProgress() {
    if (m_pProgress != nullptr) (*m_pProgress)(m_nRows, m_nRows);
  }
  CWorkbookRowProgress(const CWorkbookRowProgress&) = delete;
  CWorkbookRowProgress& operator=(const CWorkbookRowProgress&) = delete;

  // The import has come to row nRow (0-based).
  void At(int nRow) {
    if (m_pProgress == nullptr || nRow < 0 || static_cast<std::size_t>(nRow) < m_nNext) return;
    const std::size_t n = std::min(static_cast<std::size_t>(nRow), m_nRows);
    if (n < m_nRows) (*m_pProgress)(n, m_nRows);
    m_nNext = static_cast<std::size_t>(nRow) + kStep;
  }

  static constexpr std::size_t kStep = 4096;

 private:
  const CWorkbookProgress* m_pProgress;
  std::size_t m_nRows;
  std::size_t m_nNext = kStep;
};

// The text without the given characters at either end.
CString TrimChars(std::wstring_view text, std::wstring_view chars);
