#include "import/workbook_header.h"

#include "OrvaMat/text.h"
#include "platform/host_ui.h"
#include "store/base/message.h"

CString TrimChars(std::wstring_view text, std::wstring_view chars) {
  const std::size_t nFirst = text.find_first_not_of(chars);
  if (nFirst == std::wstring_view::npos) return {};
  const std::size_t nLast = text.find_last_not_of(chars);
  return CString(text.substr(nFirst, nLast - nFirst + 1));
}

std::optional<int> FindWorkbookHeaderRow(const CWorksheet& sheet) {
  for (int r = 0; r <= 10; ++r) {
    CString a;
    sheet.GetStringValueAt(a, 0, r);
    if (EqualsNoCase(a, L"data")) return r;
    int n = 0;
    if (sheet.GetIntValueAt(n, 0, r) && n > 0) return r - 1;
    if (EqualsNoCase(a, L"Schlüssel")) return r + 1;
  }
  ShowMessage(MB_OK | MB_ICONWARNING,
              L"Eine Zeile mit Spalte(0) = 'data' wurde nicht gefunden in der Tabelle: '%s'!",
              sheet.GetName());
  return std::nullopt;
}

CString WorkbookCellText(const CWorksheet& sheet, int nColumn, int nRow, std::wstring_view prefix) {
  CString raw;
  sheet.GetStringValueAt(raw, nColumn, nRow);
  CString text = TrimChars(raw, L"\r\n\t ");
  if (!text.empty() && !prefix.empty()) text = TrimChars(CString(prefix) + text, L"\r\n\t ");
  CString out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text.compare(i, 4, L"<br>") == 0) {
      out += L"\r\n";
      i += 3;
    } else if (text[i] == L'\n' && (out.empty() || out.back() != L'\r')) {
      out += L"\r\n";
    } else {
      out += text[i];
    }
  }
  return out;
}
