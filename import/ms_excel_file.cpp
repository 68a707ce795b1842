#include "import/ms_excel_file.h"

#include "platform/host_ui.h"
#include "store/base/message.h"

bool OpenWorkbookOrReport(CWorkbook& workbook, const CString& path) {
  CString why;
  if (workbook.Open(path, why)) return true;
  ShowMessage(MB_OK | MB_ICONERROR, L"Kann die Datei nicht öffnen\n%s", path + L": " + why);
  return false;
}

bool CMSExcelFile::Open(const CString& path, bool) {
  m_pSheet = nullptr;
  return OpenWorkbookOrReport(m_Workbook, path);
}

bool CMSExcelFile::SelectWorksheet(int n) {
  CString why;
  m_pSheet = m_Workbook.GetItem(n, why);
  if (m_pSheet != nullptr) return true;
  // A sheet that is there but could not be read says why as well.
  if (n >= 1 && n <= m_Workbook.GetSheetCount())
    ShowMessage(MB_OK | MB_ICONERROR, L"Kann die Datei nicht öffnen\n%s", why);
  else
    ShowMessage(MB_OK | MB_ICONERROR, L"Tabelle existiert nicht...");
  return false;
}

bool CMSExcelFile::GetCellText(int nColumn, int nRow, CString& text) {
  if (m_pSheet != nullptr && m_pSheet->GetStringValueAt(text, nColumn, nRow)) return true;
  text.clear();
  ShowMessage(MB_OK | MB_ICONERROR,
              L"Kommunikation mit Excel fehlgeschlagen;\nWert konnte nicht gelesen werden...");
  return false;
}
