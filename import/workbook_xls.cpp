// .xls (the binary format of older spreadsheet programs) through freexl,
// which reads the file into memory, checks its structure and hands out
// cells by row and column. freexl gives dates as texts; they are turned
// back into the serial day numbers the file holds.
#include <freexl.h>

#include <string>

#include "import/workbook.h"
#include "platform/text.h"

namespace {

CString FreexlWhy(int nCode) {
  switch (nCode) {
    case FREEXL_FILE_NOT_FOUND:
      return L"Die Datei fehlt.";
    case FREEXL_INSUFFICIENT_MEMORY:
      return L"Zu wenig Speicher für die Arbeitsmappe.";
    case FREEXL_BIFF_WORKBOOK_NOT_FOUND:
      return L"Die Datei enthält keine Arbeitsmappe (.xls).";
    case FREEXL_CRAFTED_FILE:
      return L"Die Arbeitsmappe (.xls) ist schwer beschädigt.";
    case FREEXL_UNSUPPORTED_CHARSET:
    case FREEXL_INVALID_CHARACTER:
      return L"Der Zeichensatz der Arbeitsmappe (.xls) wird nicht unterstützt.";
    default:
      return L"Die Arbeitsmappe (.xls) ist beschädigt (freexl " + std::to_wstring(nCode) + L").";
  }
}

class CXlsSource : public CWorkbookSource {
 public:
  CXlsSource(CWorkbookTexts& texts, CWorkbookBudget& budget) : m_Texts(texts), m_Budget(budget) {}
  ~CXlsSource() override {
    if (m_pHandle != nullptr) freexl_close(m_pHandle);
  }

  bool Open(const std::string& utf8Path, CString& why) {
    const int nResult = freexl_open(utf8Path.c_str(), &m_pHandle);
    if (nResult != FREEXL_OK) {
      why = FreexlWhy(nResult);
      return false;
    }
    unsigned int nPassword = 0;
    if (freexl_get_info(m_pHandle, FREEXL_BIFF_PASSWORD, &nPassword) == FREEXL_OK &&
        nPassword == FREEXL_BIFF_OBFUSCATED) {
      why = L"Die Arbeitsmappe (.xls) ist mit einem Kennwort geschützt.";
      return false;
    }
    unsigned int nSheets = 0;
    if (freexl_get_info(m_pHandle, FREEXL_BIFF_SHEET_COUNT, &nSheets) != FREEXL_OK) nSheets = 0;
    for (unsigned int i = 0; i < nSheets && i < 0xFFFF; ++i) {
      const char* pName = nullptr;
      if (freexl_get_worksheet_name(m_pHandle, static_cast<unsigned short>(i), &pName) != FREEXL_OK)
        pName = nullptr;
      m_Names.push_back(FromUtf8(pName != nullptr ? pName : ""));
    }
    return true;
  }

  std::size_t GetSheetCount() const override { return m_Names.size(); }
  CString GetSheetName(std::size_t nIndex) const override { return m_Names[nIndex]; }

  bool LoadSheet(std::size_t nIndex, CWorksheet& sheet, CString& why) override {
    int nResult = freexl_select_active_worksheet(m_pHandle, static_cast<unsigned short>(nIndex));
    unsigned int nRows = 0;
    unsigned short nColumns = 0;
    if (nResult == FREEXL_OK) nResult = freexl_worksheet_dimensions(m_pHandle, &nRows, &nColumns);
    if (nResult != FREEXL_OK) {
      why = FreexlWhy(nResult);
      return false;
    }
    if (nRows > CWorksheet::kMaxRows) nRows = CWorksheet::kMaxRows;
    for (unsigned int r = 0; r < nRows; ++r) {
      for (unsigned short c = 0; c < nColumns && c < CWorksheet::kMaxColumns; ++c) {
        FreeXL_CellValue value;
        if (freexl_get_cell_value(m_pHandle, r, c, &value) != FREEXL_OK) continue;
        if (value.type == FREEXL_CELL_NULL) continue;
        if (!m_Budget.TakeCells(1)) {
          why = L"Die Arbeitsmappe hat mehr als " + std::to_wstring(m_Budget.m_Limits.m_nMaxCells) +
                L" Zellen.";
          return false;
        }
        AddCell(sheet, r, c, value);
      }
    }
    return true;
  }

 private:
  void AddCell(CWorksheet& sheet, unsigned int r, unsigned short c, const FreeXL_CellValue& value) {
    switch (value.type) {
      case FREEXL_CELL_INT:
        sheet.AddNumber(r, c, value.value.int_value);
        return;
      case FREEXL_CELL_DOUBLE:
        sheet.AddNumber(r, c, value.value.double_value);
        return;
      case FREEXL_CELL_TEXT:
      case FREEXL_CELL_SST_TEXT: {
        const char* p = value.value.text_value;
        if (p == nullptr || *p == 0) return;
        sheet.AddText(r, c, m_Texts.Add(p));
        return;
      }
      case FREEXL_CELL_DATE:
      case FREEXL_CELL_DATETIME:
      case FREEXL_CELL_TIME: {
        double serial = 0;
        const char* p = value.value.text_value;
        if (p != nullptr && DateTextToSerial(p, serial))
          sheet.AddNumber(r, c, serial);
        else if (p != nullptr && *p != 0)
          sheet.AddText(r, c, m_Texts.Add(p));
        return;
      }
      default:
        sheet.AddOther(r, c);
        return;
    }
  }

  CWorkbookTexts& m_Texts;
  CWorkbookBudget& m_Budget;
  const void* m_pHandle = nullptr;
  std::vector<CString> m_Names;
};

}  // namespace

std::unique_ptr<CWorkbookSource> OpenXlsSource(const std::string& utf8Path, CWorkbookTexts& texts,
                                               CWorkbookBudget& budget, CString& why) {
  auto pSource = std::make_unique<CXlsSource>(texts, budget);
  if (!pSource->Open(utf8Path, why)) return nullptr;
  return pSource;
}
