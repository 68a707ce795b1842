#include "import/workbook_header.h"

#include <cstdio>
#include <string>

#include "OrvaMat/text.h"
#include "import/ms_excel_file.h"
#include "platform/host_ui.h"
#include "store/base/message.h"
#include "store/mat_store.h"

CMatDatenSatz* OpenImportWorkbook(CMatStore& store, const CString& path, CWorkbook& workbook,
                                  int nLastSheet, std::vector<const CWorksheet*>& sheets) {
  sheets.clear();
  CMatDatenSatz* pDataset = store.GetCurrent();
  if (pDataset == nullptr || pDataset->CheckWriteLock(true)) {
    ShowMessage(MB_OK | MB_ICONERROR,
                L"Importieren fehlgeschlagen.\r\n\r\nMMD ist schreibgeschützt.");
    return nullptr;
  }
  if (!OpenWorkbookOrReport(workbook, path)) return nullptr;
  CString why;
  const CWorksheet* pFirst = workbook.GetItem(1, why);
  if (pFirst == nullptr) {
    ShowMessage(MB_OK | MB_ICONERROR, L"Tabelle existiert nicht...");
    return nullptr;
  }
  sheets.push_back(pFirst);
  for (int n = 2; n <= nLastSheet; ++n) {
    if (n > workbook.GetSheetCount()) {
      sheets.push_back(nullptr);
      continue;
    }
    sheets.push_back(workbook.GetItem(n, why));
    if (sheets.back() == nullptr) {
      ShowMessage(MB_OK | MB_ICONERROR, L"Kann die Datei nicht öffnen\n%s", why);
      sheets.clear();
      return nullptr;
    }
  }
  return pDataset;
}

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
  // The rule is applied to the cell's UTF-8 bytes, and the result converted
  // once: the characters it looks at are ASCII, which no other character's
  // bytes contain. A number is its "%g" text.
  std::string_view raw;
  double dNumber = 0;
  char number[64];
  switch (sheet.PeekAt(nColumn, nRow, raw, dNumber)) {
    case CWorksheet::eKind::eText:
      break;
    case CWorksheet::eKind::eNumber: {
      const int n = std::snprintf(number, sizeof number, "%g", dNumber);
      raw = std::string_view(number, n > 0 ? static_cast<std::size_t>(n) : 0);
      break;
    }
    case CWorksheet::eKind::eOther:
    case CWorksheet::eKind::eEmpty:
      return {};
  }
  constexpr std::string_view kBlanks = "\r\n\t ";
  auto trim = [&](std::string_view text) {
    const std::size_t nFirst = text.find_first_not_of(kBlanks);
    if (nFirst == std::string_view::npos) return std::string_view();
    return text.substr(nFirst, text.find_last_not_of(kBlanks) - nFirst + 1);
  };
  std::string_view text = trim(raw);
  if (text.empty()) return {};
  std::string prefixed;
  if (!prefix.empty()) {
    prefixed = ToUtf8(CString(prefix));
    prefixed.append(text);
    text = trim(prefixed);
  }
  // Mostly nothing to replace: the text converts as it stands.
  if (text.find('\n') == std::string_view::npos && text.find("<br>") == std::string_view::npos)
    return FromUtf8(text);
  std::string out;
  out.reserve(text.size() + 8);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text.compare(i, 4, "<br>") == 0) {
      out += "\r\n";
      i += 3;
    } else if (text[i] == '\n' && (out.empty() || out.back() != '\r')) {
      out += "\r\n";
    } else {
      out += text[i];
    }
  }
  return FromUtf8(out);
}
