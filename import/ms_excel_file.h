// CMSExcelFile: the table workbook importer's view of a workbook: open it,
// select a sheet by number, read a cell's text. It keeps the messages a user
// knows from the spreadsheet-driven import, so that the import reads the
// same with our own reader (import/workbook.h) underneath:
//   open:  "Kann die Datei nicht öffnen\n%s" with why the file could not be read
//   sheet: "Tabelle existiert nicht..."
//   cell:  "Kommunikation mit Excel fehlgeschlagen;\nWert konnte nicht gelesen werden..."
#pragma once

#include "OrvaMat/types.h"
#include "import/workbook.h"

class CMSExcelFile {
 public:
  // Opens the workbook (bOpenExisting is kept for callers; a workbook is
  // never made). False after the open message.
  bool Open(const CString& path, bool bOpenExisting = true);
  // Sheet n (1 = first); false after the sheet message.
  bool SelectWorksheet(int n);
  // The cell's text (CWorksheet::GetStringValueAt). False, text empty, after
  // the cell message, when no sheet is selected or the cell lies outside
  // the largest sheet.
  bool GetCellText(int nColumn, int nRow, CString& text);
  // The selected sheet, or null.
  CWorksheet* GetSheet() const { return m_pSheet; }
  CWorkbook& GetWorkbook() { return m_Workbook; }

 private:
  CWorkbook m_Workbook;
  CWorksheet* m_pSheet = nullptr;
};

// Opens path into workbook; false after "Kann die Datei nicht öffnen\n%s".
bool OpenWorkbookOrReport(CWorkbook& workbook, const CString& path);
