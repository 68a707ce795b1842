// .ods: a zip package whose part content.xml holds every sheet
// (<table:table>) with its rows and cells. Rows and cells may stand for
// several ("number-rows-repeated", "number-columns-repeated"): LibreOffice
// writes runs of equal rows once, and the empty rest of a sheet as one row
// repeated a million times, which takes no room here. The whole part is
// read when the workbook is opened, since it alone tells the sheets.
#include <charconv>
#include <cmath>
#include <string>
#include <vector>

#include "import/workbook.h"
#include "import/workbook_xml.h"
#include "import/workbook_zip.h"
#include "platform/text.h"

namespace {

struct CPendingCell {
  std::uint32_t nColumn;
  bool bText;
  double dValue;
  std::uint32_t nText;
};

std::uint64_t RepeatOf(const char** attributes, std::string_view name) {
  const char* p = CWorkbookXml::Attribute(attributes, name);
  if (p == nullptr) return 1;
  std::uint64_t n = 0;
  const std::string_view text(p);
  const auto result = std::from_chars(text.data(), text.data() + text.size(), n);
  if (result.ec != std::errc() || n == 0) return 1;
  return n;
}

// "PT12H30M15S" (optionally with days, "P1DT2H") as a fraction of a day.
bool DurationToDays(std::string_view text, double& days) {
  if (text.empty() || text[0] != 'P') return false;
  double total = 0, number = 0;
  bool bTime = false, bDigits = false;
  for (std::size_t i = 1; i < text.size(); ++i) {
    const char c = text[i];
    if ((c >= '0' && c <= '9') || c == '.') {
      std::size_t j = i;
      while (j < text.size() && ((text[j] >= '0' && text[j] <= '9') || text[j] == '.')) ++j;
      if (std::from_chars(text.data() + i, text.data() + j, number).ec != std::errc()) return false;
      bDigits = true;
      i = j - 1;
    } else if (c == 'T') {
      bTime = true;
    } else if (bDigits && c == 'D' && !bTime) {
      total += number;
      bDigits = false;
    } else if (bDigits && bTime && (c == 'H' || c == 'M' || c == 'S')) {
      total += number / (c == 'H' ? 24.0 : c == 'M' ? 1440.0 : 86400.0);
      bDigits = false;
    } else {
      return false;
    }
  }
  days = total;
  return std::isfinite(days);
}

class COdsContent : public CWorkbookXmlHandler {
 public:
  COdsContent(CWorkbookTexts& texts, CWorkbookBudget& budget) : m_Texts(texts), m_Budget(budget) {}
  CWorkbookXml* m_pXml = nullptr;
  std::vector<std::unique_ptr<CWorksheet>> m_Sheets;

  void Start(std::string_view name, const char** attributes) override {
    if (name == "table") {
      if (++m_nTableDepth > 1) return;  // a table inside a cell is no sheet
      if (m_Sheets.size() >= m_Budget.m_Limits.m_nMaxSheets)
        return Fail(L"Die Arbeitsmappe hat zu viele Tabellenblätter.");
      const char* pName = CWorkbookXml::Attribute(attributes, "name");
      m_Sheets.push_back(std::make_unique<CWorksheet>(FromUtf8(pName ? pName : ""), &m_Texts));
      m_nRow = 0;
      return;
    }
    if (m_nTableDepth != 1) return;
    if (name == "annotation") {
      ++m_nAnnotation;
    } else if (name == "table-row") {
      m_nRowRepeat = RepeatOf(attributes, "number-rows-repeated");
      m_nColumn = 0;
      m_Row.clear();
    } else if (name == "table-cell" || name == "covered-table-cell") {
      StartCell(attributes);
    } else if (m_bInCell && m_nAnnotation == 0) {
      if (name == "p") {
        if (m_nParagraphs++ > 0) m_strText += '\n';
      } else if (name == "s") {
        const std::uint64_t n = RepeatOf(attributes, "c");
        m_strText.append(static_cast<std::size_t>(std::min<std::uint64_t>(n, 1024)), ' ');
      } else if (name == "tab") {
        m_strText += '\t';
      } else if (name == "line-break") {
        m_strText += '\n';
      }
    }
  }

  void End(std::string_view name) override {
    if (name == "table") {
      if (m_nTableDepth-- == 1 && !m_Sheets.empty()) m_Sheets.back()->FinishCells();
      return;
    }
    if (m_nTableDepth != 1) return;
    if (name == "annotation" && m_nAnnotation > 0) {
      --m_nAnnotation;
    } else if ((name == "table-cell" || name == "covered-table-cell") && m_bInCell) {
      m_bInCell = false;
      FinishCell();
    } else if (name == "table-row") {
      FinishRow();
    }
  }

  void Text(std::string_view text) override {
    if (m_bInCell && m_nAnnotation == 0 && m_nParagraphs > 0) m_strText.append(text);
  }

 private:
  void Fail(const CString& why) {
    if (m_pXml != nullptr) m_pXml->Stop(why);
  }

  void StartCell(const char** attributes) {
    m_bInCell = true;
    m_nParagraphs = 0;
    m_strText.clear();
    m_nCellRepeat = RepeatOf(attributes, "number-columns-repeated");
    const char* pType = CWorkbookXml::Attribute(attributes, "value-type");
    m_strType = pType ? pType : "";
    m_bHasNumber = false;
    if (m_strType == "float" || m_strType == "percentage" || m_strType == "currency") {
      const char* pValue = CWorkbookXml::Attribute(attributes, "value");
      m_bHasNumber = pValue != nullptr && Parse(pValue, m_dNumber);
    } else if (m_strType == "date") {
      const char* pValue = CWorkbookXml::Attribute(attributes, "date-value");
      m_bHasNumber = pValue != nullptr && DateTextToSerial(pValue, m_dNumber);
    } else if (m_strType == "time") {
      const char* pValue = CWorkbookXml::Attribute(attributes, "time-value");
      m_bHasNumber = pValue != nullptr && DurationToDays(pValue, m_dNumber);
    } else if (m_strType == "boolean") {
      const char* pValue = CWorkbookXml::Attribute(attributes, "boolean-value");
      m_bHasNumber = pValue != nullptr;
      m_dNumber = pValue != nullptr && std::string_view(pValue) == "true" ? 1 : 0;
    }
  }

  static bool Parse(std::string_view text, double& d) {
    const auto result = std::from_chars(text.data(), text.data() + text.size(), d);
    return result.ec == std::errc() && std::isfinite(d);
  }

  void FinishCell() {
    const std::uint64_t nRepeat = m_nCellRepeat;
    const std::uint32_t nFirst = m_nColumn;
    m_nColumn = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(nFirst + nRepeat, CWorksheet::kMaxColumns));
    const bool bText = m_strType == "string" || (!m_bHasNumber && !m_strType.empty());
    if (bText && m_strText.empty()) return;
    if (!bText && !m_bHasNumber) return;  // an empty cell, however often
    CPendingCell cell{nFirst, bText, m_dNumber, 0};
    if (bText) {
      if (!Take(1)) return;
      cell.nText = m_Texts.Add(m_strText);
    }
    for (std::uint32_t c = nFirst; c < m_nColumn; ++c) {
      cell.nColumn = c;
      m_Row.push_back(cell);
    }
  }

  void FinishRow() {
    const std::uint64_t nRepeat = m_nRowRepeat;
    const std::uint32_t nFirst = m_nRow;
    m_nRow =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(nFirst + nRepeat, CWorksheet::kMaxRows));
    if (m_Row.empty() || m_Sheets.empty()) return;
    if (!Take(static_cast<std::uint64_t>(m_nRow - nFirst) * m_Row.size())) return;
    CWorksheet& sheet = *m_Sheets.back();
    for (std::uint32_t r = nFirst; r < m_nRow; ++r) {
      for (const CPendingCell& cell : m_Row) {
        if (cell.bText)
          sheet.AddText(r, cell.nColumn, cell.nText);
        else
          sheet.AddNumber(r, cell.nColumn, cell.dValue);
      }
    }
    m_Row.clear();
  }

  bool Take(std::uint64_t n) {
    if (m_Budget.TakeCells(n)) return true;
    Fail(L"Die Arbeitsmappe hat mehr als " + std::to_wstring(m_Budget.m_Limits.m_nMaxCells) +
         L" Zellen.");
    return false;
  }

  CWorkbookTexts& m_Texts;
  CWorkbookBudget& m_Budget;
  int m_nTableDepth = 0;
  int m_nAnnotation = 0;
  std::uint32_t m_nRow = 0;
  std::uint32_t m_nColumn = 0;
  std::uint64_t m_nRowRepeat = 1;
  std::uint64_t m_nCellRepeat = 1;
  std::vector<CPendingCell> m_Row;
  bool m_bInCell = false;
  int m_nParagraphs = 0;
  std::string m_strType;
  std::string m_strText;
  bool m_bHasNumber = false;
  double m_dNumber = 0;
};

class COdsSource : public CWorkbookSource {
 public:
  explicit COdsSource(std::vector<std::unique_ptr<CWorksheet>> sheets)
      : m_Sheets(std::move(sheets)) {}
  std::size_t GetSheetCount() const override { return m_Sheets.size(); }
  CString GetSheetName(std::size_t nIndex) const override { return m_Sheets[nIndex]->GetName(); }
  bool LoadSheet(std::size_t nIndex, CWorksheet& sheet, CString&) override {
    sheet = std::move(*m_Sheets[nIndex]);
    return true;
  }

 private:
  std::vector<std::unique_ptr<CWorksheet>> m_Sheets;
};

}  // namespace

std::unique_ptr<CWorkbookSource> OpenOdsSource(const std::string& utf8Path, CWorkbookTexts& texts,
                                               CWorkbookBudget& budget, CString& why) {
  CWorkbookZip package;
  if (!package.Open(utf8Path, why)) return nullptr;
  COdsContent content(texts, budget);
  CWorkbookXml xml(content);
  content.m_pXml = &xml;
  const bool bRead = package.Read(
      "content.xml", budget.m_Limits.m_nMaxPartBytes,
      [&](const char* p, std::size_t n) { return xml.Feed(p, n, false); }, why);
  if (!bRead || !xml.Feed(nullptr, 0, true)) {
    if (why.empty()) why = xml.GetWhy();
    why = L"content.xml: " + why;
    return nullptr;
  }
  return std::make_unique<COdsSource>(std::move(content.m_Sheets));
}
