// .xlsx and .xlsm: a zip package whose part xl/workbook.xml lists the sheets,
// xl/_rels/workbook.xml.rels names their parts, and xl/sharedStrings.xml
// holds the texts the cells refer to by number. Each part is streamed
// through the XML reader; only the cells are kept.
#include <charconv>
#include <cmath>
#include <string>
#include <vector>

#include "import/workbook.h"
#include "import/workbook_xml.h"
#include "import/workbook_zip.h"
#include "platform/text.h"

namespace {

constexpr std::uint64_t kMaxListBytes = std::uint64_t{16} << 20;  // workbook.xml and its rels

struct CSheetEntry {
  CString strName;
  std::string strRelId;
  std::string strPart;
};

// Streams a part into an XML handler.
bool ParsePart(const CWorkbookZip& package, std::string_view part, std::uint64_t nMaxBytes,
               CWorkbookXmlHandler& handler, CWorkbookXml*& pXml, CString& why) {
  CWorkbookXml xml(handler);
  pXml = &xml;
  const bool bRead = package.Read(
      part, nMaxBytes, [&](const char* p, std::size_t n) { return xml.Feed(p, n, false); }, why);
  const bool bDone = bRead && xml.Feed(nullptr, 0, true);
  pXml = nullptr;
  if (!bDone && why.empty()) why = xml.GetWhy();
  if (!bDone && why.empty()) why = L"Der Teil kann nicht gelesen werden.";
  if (!bDone) why = FromUtf8(part) + L": " + why;
  return bDone;
}

// xl/workbook.xml: <sheets><sheet name="..." r:id="rId1"/>...
class CWorkbookList : public CWorkbookXmlHandler {
 public:
  std::vector<CSheetEntry> m_Sheets;
  void Start(std::string_view name, const char** attributes) override {
    if (name != "sheet") return;
    const char* pName = CWorkbookXml::Attribute(attributes, "name");
    const char* pId = CWorkbookXml::Attribute(attributes, "id");
    m_Sheets.push_back(CSheetEntry{FromUtf8(pName ? pName : ""), pId ? pId : "", {}});
  }
  void End(std::string_view) override {}
  void Text(std::string_view) override {}
};

// xl/_rels/workbook.xml.rels: <Relationship Id= Type= Target=/>.
class CRelations : public CWorkbookXmlHandler {
 public:
  struct CRel {
    std::string strId, strType, strTarget;
  };
  std::vector<CRel> m_Rels;
  void Start(std::string_view name, const char** attributes) override {
    if (name != "Relationship") return;
    const char* pId = CWorkbookXml::Attribute(attributes, "Id");
    const char* pType = CWorkbookXml::Attribute(attributes, "Type");
    const char* pTarget = CWorkbookXml::Attribute(attributes, "Target");
    m_Rels.push_back(CRel{pId ? pId : "", pType ? pType : "", pTarget ? pTarget : ""});
  }
  void End(std::string_view) override {}
  void Text(std::string_view) override {}
};

bool EndsWith(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

// A target relative to xl/, or absolute in the package.
std::string PartOfTarget(std::string_view target) {
  if (!target.empty() && target[0] == '/') return std::string(target.substr(1));
  std::string part = "xl/";
  while (target.substr(0, 3) == "../") {
    target.remove_prefix(3);
    part.clear();
  }
  return part + std::string(target);
}

// xl/sharedStrings.xml: <si> with <t> or runs <r><t>; phonetic runs <rPh> are
// not part of the text.
class CSharedStrings : public CWorkbookXmlHandler {
 public:
  explicit CSharedStrings(CWorkbookTexts& texts) : m_Texts(texts) {}
  // Shared string n is text m_nFirst + n: the items are added one after
  // another, nothing else in between.
  std::uint32_t m_nFirst = 0;
  std::uint32_t m_nCount = 0;
  void Start(std::string_view name, const char**) override {
    if (name == "si") {
      m_bInItem = true;
      m_strText.clear();
    } else if (name == "rPh") {
      ++m_nPhonetic;
    } else if (name == "t") {
      m_bInText = m_bInItem && m_nPhonetic == 0;
    }
  }
  void End(std::string_view name) override {
    if (name == "si" && m_bInItem) {
      const std::uint32_t n = m_Texts.Add(m_strText);
      if (m_nCount++ == 0) m_nFirst = n;
      m_bInItem = false;
    } else if (name == "rPh" && m_nPhonetic > 0) {
      --m_nPhonetic;
    } else if (name == "t") {
      m_bInText = false;
    }
  }
  void Text(std::string_view text) override {
    if (m_bInText) m_strText.append(text);
  }

 private:
  CWorkbookTexts& m_Texts;
  std::string m_strText;
  bool m_bInItem = false;
  bool m_bInText = false;
  int m_nPhonetic = 0;
};

// "AB12" into column 27, row 11; false when it is no cell reference or lies
// outside the largest sheet.
bool ParseCellRef(std::string_view ref, std::uint32_t& nColumn, std::uint32_t& nRow) {
  std::size_t i = 0;
  std::uint64_t col = 0;
  while (i < ref.size() && ref[i] >= 'A' && ref[i] <= 'Z' && i < 4) {
    col = col * 26 + static_cast<std::uint64_t>(ref[i] - 'A' + 1);
    ++i;
  }
  if (i == 0 || i == ref.size()) return false;
  std::uint64_t row = 0;
  for (; i < ref.size(); ++i) {
    if (ref[i] < '0' || ref[i] > '9' || row > CWorksheet::kMaxRows) return false;
    row = row * 10 + static_cast<std::uint64_t>(ref[i] - '0');
  }
  if (col == 0 || col > CWorksheet::kMaxColumns || row == 0 || row > CWorksheet::kMaxRows)
    return false;
  nColumn = static_cast<std::uint32_t>(col - 1);
  nRow = static_cast<std::uint32_t>(row - 1);
  return true;
}

bool ParseUnsigned(std::string_view text, std::uint64_t& n) {
  const auto result = std::from_chars(text.data(), text.data() + text.size(), n);
  return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

bool ParseDouble(std::string_view text, double& d) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '+')) text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  const auto result = std::from_chars(text.data(), text.data() + text.size(), d);
  return result.ec == std::errc() && result.ptr == text.data() + text.size() && std::isfinite(d);
}

// A worksheet part: <sheetData><row r="1"><c r="A1" t="s"><v>0</v></c>...
class CSheetCells : public CWorkbookXmlHandler {
 public:
  CSheetCells(CWorksheet& sheet, CWorkbookTexts& texts, std::uint32_t nFirstShared,
              std::uint32_t nShared, CWorkbookBudget& budget)
      : m_Sheet(sheet),
        m_Texts(texts),
        m_nFirstShared(nFirstShared),
        m_nShared(nShared),
        m_Budget(budget) {}
  CWorkbookXml* m_pXml = nullptr;

  void Start(std::string_view name, const char** attributes) override {
    if (name == "sheetData") {
      m_bInData = true;
    } else if (!m_bInData) {
      return;
    } else if (name == "row") {
      const char* pRow = CWorkbookXml::Attribute(attributes, "r");
      std::uint64_t n = 0;
      if (pRow != nullptr && ParseUnsigned(pRow, n) && n >= 1 && n <= CWorksheet::kMaxRows)
        m_nRow = static_cast<std::uint32_t>(n - 1);
      else if (pRow != nullptr)
        return Fail(L"Ungültige Zeilennummer " + FromUtf8(pRow) + L".");
      else
        m_nRow = m_bAnyRow ? m_nRow + 1 : 0;
      m_bAnyRow = true;
      m_nNextColumn = 0;
    } else if (name == "c") {
      const char* pRef = CWorkbookXml::Attribute(attributes, "r");
      const char* pType = CWorkbookXml::Attribute(attributes, "t");
      m_strType = pType ? pType : "n";
      m_nColumn = m_nNextColumn;
      if (pRef != nullptr) {
        std::uint32_t nRow = 0;
        if (!ParseCellRef(pRef, m_nColumn, nRow))
          return Fail(L"Ungültiger Zellbezug " + FromUtf8(pRef) + L".");
        m_nRow = nRow;
      }
      if (m_nRow >= CWorksheet::kMaxRows || m_nColumn >= CWorksheet::kMaxColumns)
        return Fail(L"Zelle außerhalb des Tabellenblatts.");
      m_nNextColumn = m_nColumn + 1;
      m_bInCell = true;
      m_strValue.clear();
      m_strInline.clear();
    } else if (m_bInCell && name == "v") {
      m_eCollect = eValue;
    } else if (m_bInCell && name == "rPh") {
      ++m_nPhonetic;
    } else if (m_bInCell && name == "t" && m_nPhonetic == 0) {
      m_eCollect = eInline;
    }
  }

  void End(std::string_view name) override {
    if (name == "sheetData") {
      m_bInData = false;
    } else if (name == "v" || name == "t") {
      m_eCollect = eNone;
    } else if (name == "rPh" && m_nPhonetic > 0) {
      --m_nPhonetic;
    } else if (name == "c" && m_bInCell) {
      m_bInCell = false;
      FinishCell();
    }
  }

  void Text(std::string_view text) override {
    if (m_eCollect == eValue) m_strValue.append(text);
    if (m_eCollect == eInline) m_strInline.append(text);
  }

 private:
  enum eCollect { eNone, eValue, eInline };

  void Fail(const CString& why) {
    if (m_pXml != nullptr) m_pXml->Stop(why);
  }

  void FinishCell() {
    const std::string& type = m_strType;
    if (type == "inlineStr") {
      if (m_strInline.empty()) return;
      if (!Take()) return;
      m_Sheet.AddText(m_nRow, m_nColumn, m_Texts.Add(m_strInline));
      return;
    }
    if (m_strValue.empty()) return;  // formatted but empty
    if (!Take()) return;
    if (type == "s") {
      std::uint64_t n = 0;
      if (ParseUnsigned(m_strValue, n) && n < m_nShared)
        m_Sheet.AddText(m_nRow, m_nColumn, m_nFirstShared + static_cast<std::uint32_t>(n));
      else
        m_Sheet.AddOther(m_nRow, m_nColumn);
    } else if (type == "str" || type == "d") {
      m_Sheet.AddText(m_nRow, m_nColumn, m_Texts.Add(m_strValue));
    } else if (type == "e") {
      m_Sheet.AddOther(m_nRow, m_nColumn);
    } else {  // "n", "b" and the cached numbers of formulas
      double d = 0;
      if (ParseDouble(m_strValue, d))
        m_Sheet.AddNumber(m_nRow, m_nColumn, d);
      else
        m_Sheet.AddOther(m_nRow, m_nColumn);
    }
  }

  bool Take() {
    if (m_Budget.TakeCells(1)) return true;
    Fail(L"Die Arbeitsmappe hat mehr als " + std::to_wstring(m_Budget.m_Limits.m_nMaxCells) +
         L" Zellen.");
    return false;
  }

  CWorksheet& m_Sheet;
  CWorkbookTexts& m_Texts;
  std::uint32_t m_nFirstShared;
  std::uint32_t m_nShared;
  CWorkbookBudget& m_Budget;
  bool m_bInData = false;
  bool m_bAnyRow = false;
  bool m_bInCell = false;
  int m_nPhonetic = 0;
  eCollect m_eCollect = eNone;
  std::uint32_t m_nRow = 0;
  std::uint32_t m_nColumn = 0;
  std::uint32_t m_nNextColumn = 0;
  std::string m_strType;
  std::string m_strValue;
  std::string m_strInline;
};

class CXlsxSource : public CWorkbookSource {
 public:
  CXlsxSource(CWorkbookTexts& texts, CWorkbookBudget& budget) : m_Texts(texts), m_Budget(budget) {}

  bool Open(const std::string& utf8Path, CString& why) {
    if (!m_Package.Open(utf8Path, why)) return false;
    CWorkbookList list;
    CRelations rels;
    CWorkbookXml* pXml = nullptr;
    if (!ParsePart(m_Package, "xl/workbook.xml", kMaxListBytes, list, pXml, why)) return false;
    if (m_Package.Has("xl/_rels/workbook.xml.rels") &&
        !ParsePart(m_Package, "xl/_rels/workbook.xml.rels", kMaxListBytes, rels, pXml, why)) {
      return false;
    }
    for (CSheetEntry& entry : list.m_Sheets) {
      for (const CRelations::CRel& rel : rels.m_Rels) {
        if (rel.strId != entry.strRelId) continue;
        // Chart sheets and dialog sheets are no worksheets.
        if (EndsWith(rel.strType, "/worksheet")) entry.strPart = PartOfTarget(rel.strTarget);
        break;
      }
      if (!entry.strPart.empty()) m_Sheets.push_back(std::move(entry));
    }
    for (const CRelations::CRel& rel : rels.m_Rels) {
      if (EndsWith(rel.strType, "/sharedStrings")) m_strSharedPart = PartOfTarget(rel.strTarget);
    }
    if (m_strSharedPart.empty() && m_Package.Has("xl/sharedStrings.xml"))
      m_strSharedPart = "xl/sharedStrings.xml";
    return true;
  }

  std::size_t GetSheetCount() const override { return m_Sheets.size(); }
  CString GetSheetName(std::size_t nIndex) const override { return m_Sheets[nIndex].strName; }

  bool LoadSheet(std::size_t nIndex, CWorksheet& sheet, CString& why) override {
    if (!LoadSharedStrings(why)) return false;
    CSheetCells cells(sheet, m_Texts, m_nFirstShared, m_nShared, m_Budget);
    return ParsePart(m_Package, m_Sheets[nIndex].strPart, m_Budget.m_Limits.m_nMaxPartBytes, cells,
                     cells.m_pXml, why);
  }

 private:
  bool LoadSharedStrings(CString& why) {
    if (m_bSharedRead) {
      if (!m_bSharedOk) why = m_strSharedWhy;
      return m_bSharedOk;
    }
    m_bSharedRead = true;
    if (m_strSharedPart.empty()) return m_bSharedOk = true;
    CSharedStrings shared(m_Texts);
    CWorkbookXml* pXml = nullptr;
    m_bSharedOk = ParsePart(m_Package, m_strSharedPart, m_Budget.m_Limits.m_nMaxPartBytes, shared,
                            pXml, m_strSharedWhy);
    m_nFirstShared = shared.m_nFirst;
    m_nShared = shared.m_nCount;
    if (!m_bSharedOk) why = m_strSharedWhy;
    return m_bSharedOk;
  }

  CWorkbookTexts& m_Texts;
  CWorkbookBudget& m_Budget;
  CWorkbookZip m_Package;
  std::vector<CSheetEntry> m_Sheets;
  std::string m_strSharedPart;
  std::uint32_t m_nFirstShared = 0;
  std::uint32_t m_nShared = 0;
  bool m_bSharedRead = false;
  bool m_bSharedOk = false;
  CString m_strSharedWhy;
};

}  // namespace

std::unique_ptr<CWorkbookSource> OpenXlsxSource(const std::string& utf8Path, CWorkbookTexts& texts,
                                                CWorkbookBudget& budget, CString& why) {
  auto pSource = std::make_unique<CXlsxSource>(texts, budget);
  if (!pSource->Open(utf8Path, why)) return nullptr;
  return pSource;
}
