// What the article and insulation workbooks share: the search for a sheet's
// header row and the cell rule by which a cell becomes a table's text.
#pragma once

#include <optional>
#include <string_view>

#include "OrvaMat/types.h"
#include "import/worksheet.h"

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

// The text without the given characters at either end.
CString TrimChars(std::wstring_view text, std::wstring_view chars);
