// The article workbook: sheet 1 the articles, sheets 2 and 3 the names of
// main product groups and product groups, sheet 4 the discount groups;
// written into the tables of the DATANORM import.
#include <algorithm>
#include <cstring>
#include <cwchar>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "import/dn_tables.h"
#include "import/workbook_header.h"
#include "import/workbook_import.h"
#include "platform/host_ui.h"
#include "platform/text.h"
#include "store/base/message.h"
#include "store/mat_store.h"
#include "store/table_names.h"

namespace {

// Article columns of sheet 1.
enum eArticleColumn {
  eColNumber = 0,
  eColAlternative,
  eColPriceMark,
  eColPriceUnit,
  eColUnit,
  eColPrice,
  eColDiscount,
  eColMainGroup,
  eColGroup,
  eColConnection,
  eColPacking,
  eColPage,
  eColFirstLanguage = 13,
};

// Consecutive empty rows that end a sheet: articles, and name sheets.
constexpr int kArticleGap = 11;
constexpr int kNameGap = 10;

class CArticleWorkbookReader {
 public:
  CArticleWorkbookReader(CMatStore& store, CMatDatenSatz& dataset, const CDnTables& tables)
      : m_Store(store), m_Dataset(dataset), m_Tables(tables) {}

  // Sheet 2 to 4; false when nothing was written (or the sheet is missing).
  bool ReadNameSheet(const CWorksheet* pSheet, std::wstring_view prefix, bool bDiscount) {
    if (pSheet == nullptr) return false;
    const std::optional<int> header = FindWorkbookHeaderRow(*pSheet);
    if (!header) return false;
    struct CLanguage {
      int nColumn;
      CMatTable* pTable;
    };
    std::vector<CLanguage> languages;
    for (int c = 1; c < static_cast<int>(CWorksheet::kMaxColumns); ++c) {
      const CString name = ToUpper(HeaderCell(*pSheet, c, *header));
      if (name.empty()) break;
      CMatTable* pTable = m_Tables.m_pStringTable;
      if (name.rfind(L"DEFAULT", 0) != 0) pTable = LanguageTable(m_Tables.m_pStringTable, name);
      languages.push_back(CLanguage{c, pTable});
    }
    bool bFilled = false;
    int nGap = 0;
    for (int r = *header + 1; nGap < kNameGap; ++r) {
      const CString key = WorkbookCellText(*pSheet, 0, r);
      if (key.empty()) {
        ++nGap;
        continue;
      }
      nGap = 0;
      const Handle hKey = HandleOf(CString(prefix) + key);
      if (hKey == 0) continue;
      if (bDiscount) {
        SetValue(m_Tables.m_pRabattgruppen, hKey, 0, 2);
        SetFloat(m_Tables.m_pRabattgruppen, hKey, 1, 1.0F);
      }
      for (const CLanguage& language : languages) {
        const CString text = WorkbookCellText(*pSheet, language.nColumn, r);
        if (text.empty() || language.pTable == nullptr) continue;
        SetText(language.pTable, hKey, 0, text);
        if (bDiscount) SetText(m_Tables.m_pRabattgruppen, hKey, 2, text);
        bFilled = true;
      }
    }
    return bFilled;
  }

  void ReadArticles(const CWorksheet& sheet, CWorkbookRowProgress& progress) {
    const std::optional<int> header = FindWorkbookHeaderRow(sheet);
    if (header) {
      const CString currency = HeaderCell(sheet, eColPrice, *header);
      if (!currency.empty()) SetText(m_Tables.m_pStringTable, HandleOf(L"WAEHRUNG"), 0, currency);
    }
    const int nHeader = header.value_or(-1);
    FindLanguages(sheet, nHeader);
    int nGap = 0;
    for (int r = nHeader + 1; nGap < kArticleGap; ++r) {
      progress.At(r);
      const CString number = WorkbookCellText(sheet, eColNumber, r);
      if (number.empty()) {
        ++nGap;
        continue;
      }
      nGap = 0;
      ReadArticle(sheet, r, number);
    }
    RemoveEmptyTextTables();
  }

  CString Report(bool bMainGroupsFilled) const {
    CString report = L"Import abgeschlossen.\r\n\r\n";
    if (!bMainGroupsFilled) report += L"Warnung: Hauptwarengruppe-Tabelle ist leer.\r\n";
    if (m_nWithoutMainGroup > 0) {
      report += Format(L"Warnung: %i / %i Artikel ohne Hauptwarengruppe.\r\n", m_nWithoutMainGroup,
                       m_nArticles);
    }
    if (!m_UnknownMain.empty()) {
      report += Format(L"Warnung: Folgende %s unbekannt: %s.\r\n", L"Hauptwarengruppen",
                       Join(m_UnknownMain));
    }
    if (!m_UnknownGroups.empty()) {
      report += Format(L"Warnung: Folgende %s unbekannt: %s.\r\n", L"Warengruppen",
                       Join(m_UnknownGroups));
    }
    if (!m_bDefaultLanguage) report += L"Warnung: Es wurde keine Default-Sprache angegeben.\r\n";
    if (!m_strDeleted.empty())
      report += Format(L"Warnung: Leere Tabellen gelöscht: %s\r\n", m_strDeleted);
    return report;
  }

  int GetArticleCount() const { return m_nArticles; }

 private:
  struct CLanguageGroup {
    int nColumn;
    CMatTable* pShort;
    CMatTable* pLong;
  };

  static CString Join(const std::vector<CString>& names) {
    CString joined;
    for (const CString& name : names) joined += (joined.empty() ? L"" : L", ") + name;
    return joined;
  }

  static CString HeaderCell(const CWorksheet& sheet, int nColumn, int nHeader) {
    return nHeader >= 0 ? WorkbookCellText(sheet, nColumn, nHeader) : CString();
  }

  Handle HandleOf(std::wstring_view text) {
    const std::size_t nStart = text.find_first_not_of(L' ');
    if (nStart == std::wstring_view::npos) return 0;
    text.remove_prefix(nStart);
    const Handle h = m_Dataset.FindHandle(text);
    return h != 0 ? h : m_Dataset.CreateHandle(text);
  }

  // The child of a text table named after a language (String, one value per
  // row), made when missing.
  CMatTable* LanguageTable(CMatTable* pParent, const CString& name) {
    if (pParent == nullptr) return nullptr;
    if (CMatTable* pFound = FindChildTable(*pParent, name, eHiddenTables::kFind)) return pFound;
    return m_Store.CreateTable(pParent, name.c_str(), eTypeString, 1);
  }

  // The group tables found or made so far are remembered by parent and
  // name: a catalogue's articles name the same few hundred groups over and
  // over, and a parent's children are searched one by one. No table is
  // removed while the articles are read.
  CMatTable* GroupTable(CMatTable* pParent, const CString& name) {
    if (pParent == nullptr) return nullptr;
    CMatTable*& pKnown = m_GroupTables[pParent][name];
    if (pKnown != nullptr) return pKnown;
    pKnown = FindChildTable(*pParent, name, eHiddenTables::kFind);
    if (pKnown == nullptr) pKnown = m_Store.CreateTable(pParent, name.c_str(), eTypeVoid, 1);
    return pKnown;
  }

  void SetText(CMatTable* pTable, Handle hRow, int nField, const CString& text) {
    if (pTable == nullptr || hRow == 0 || text.empty()) return;
    m_Store.SetCellValue(pTable, hRow, 0, nField, CCellInput::Text(text.c_str()));
  }
  void SetValue(CMatTable* pTable, Handle hRow, int nField, std::uint32_t nValue) {
    if (pTable == nullptr || hRow == 0) return;
    m_Store.SetCellValue(pTable, hRow, 0, nField, CCellInput::Value(nValue));
  }
  void SetFloat(CMatTable* pTable, Handle hRow, int nField, float f) {
    std::uint32_t n = 0;
    std::memcpy(&n, &f, sizeof n);
    SetValue(pTable, hRow, nField, n);
  }
  void SetHandleOfText(CMatTable* pTable, Handle hRow, int nField, const CString& text) {
    if (!text.empty()) SetValue(pTable, hRow, nField, HandleOf(text));
  }

  void FindLanguages(const CWorksheet& sheet, int nHeader) {
    for (int c = eColFirstLanguage; c + 2 < static_cast<int>(CWorksheet::kMaxColumns); c += 3) {
      const CString name = HeaderCell(sheet, c, nHeader);
      if (name.empty()) break;
      CLanguageGroup group{c, m_Tables.m_pKurzText, m_Tables.m_pGesammtText};
      if (!m_bDefaultLanguage && ToUpper(name).rfind(L"DEFAULT", 0) == 0) {
        m_bDefaultLanguage = true;
      } else {
        group.pShort = LanguageTable(m_Tables.m_pKurzText, name);
        group.pLong = LanguageTable(m_Tables.m_pGesammtText, name);
      }
      m_Languages.push_back(group);
    }
  }

  void ReadArticle(const CWorksheet& sheet, int r, const CString& number) {
    const Handle hArticle = HandleOf(number);
    if (hArticle == 0) return;
    ++m_nArticles;
    auto text = [&](int c) { return WorkbookCellText(sheet, c, r); };
    CMatTable* pInfo1 = m_Tables.m_pArtikelInfo1;
    CMatTable* pInfo2 = m_Tables.m_pArtikelInfo2;
    if (const CString alternative = text(eColAlternative); !alternative.empty())
      SetValue(m_Tables.m_pAlternativNr, hArticle, 0, HandleOf(alternative));
    int nPriceMark = 0;
    sheet.GetIntValueAt(nPriceMark, eColPriceMark, r);
    SetValue(pInfo1, hArticle, eInfo1Preiskennzeichen,
             static_cast<std::uint32_t>(nPriceMark == 0 ? 1 : nPriceMark));
    int nPriceUnit = 0;
    sheet.GetIntValueAt(nPriceUnit, eColPriceUnit, r);
    SetValue(pInfo1, hArticle, eInfo1Preiseinheit, static_cast<std::uint32_t>(nPriceUnit));
    SetHandleOfText(pInfo1, hArticle, eInfo1Mengeneinheit, text(eColUnit));
    double dPrice = 0;
    sheet.GetFloatValueAt(dPrice, eColPrice, r);
    SetFloat(m_Tables.m_pPreis, hArticle, 0, static_cast<float>(dPrice));
    SetHandleOfText(pInfo1, hArticle, eInfo1Rabattgruppe, text(eColDiscount));
    const CString mainGroup = WorkbookCellText(sheet, eColMainGroup, r, kMainGroupPrefix);
    const CString group = WorkbookCellText(sheet, eColGroup, r, kProductGroupPrefix);
    SetHandleOfText(pInfo2, hArticle, eInfo2HwgGruppe, mainGroup);
    SetHandleOfText(pInfo2, hArticle, eInfo2Warengruppe, group);
    SetHandleOfText(pInfo2, hArticle, eInfo2Anbindungsnummer, text(eColConnection));
    const CString packing = text(eColPacking);
    SetValue(pInfo1, hArticle, eInfo1Verpackungsmenge,
             static_cast<std::uint32_t>(DecimalInt(packing)));
    SetText(pInfo2, hArticle, eInfo2Katalogseite, text(eColPage));
    AddToGroups(hArticle, mainGroup, group);
    for (const CLanguageGroup& language : m_Languages) {
      const CString shortText = TrimChars(TrimChars(text(language.nColumn), L"\n\r\t ") + L"\r\n" +
                                              TrimChars(text(language.nColumn + 1), L"\n\r\t "),
                                          L"\r\n\t ");
      SetText(language.pShort, hArticle, 0, shortText);
      SetText(language.pLong, hArticle, 0, text(language.nColumn + 2));
    }
  }

  // The C library's decimal conversion of a text: blanks, a sign, digits.
  static int DecimalInt(const CString& text) {
    const long n = std::wcstol(text.c_str(), nullptr, 10);
    return static_cast<int>(std::clamp<long>(n, INT32_MIN, INT32_MAX));
  }

  void AddToGroups(Handle hArticle, const CString& mainGroup, const CString& group) {
    if (mainGroup.empty()) {
      ++m_nWithoutMainGroup;
      return;
    }
    CMatTable* pMain = GroupTable(m_Tables.m_pHauptWarenGruppen, mainGroup);
    if (pMain != nullptr) m_Store.AddRow(pMain, hArticle);
    NoteUnknown(mainGroup, m_UnknownMain);
    if (group.empty()) return;
    if (CMatTable* pGroup = GroupTable(pMain, group)) m_Store.AddRow(pGroup, hArticle);
    NoteUnknown(group, m_UnknownGroups);
  }

  void NoteUnknown(const CString& name, std::vector<CString>& unknown) {
    const Handle h = m_Dataset.FindHandle(name);
    if (h != 0 && m_Store.RowExists(m_Tables.m_pStringTable, h) == eMatOk) return;
    if (m_Noted.insert(name).second) unknown.push_back(name);
  }

  void RemoveEmptyTextTables() {
    for (CMatTable* pParent : {m_Tables.m_pKurzText, m_Tables.m_pGesammtText}) {
      if (pParent == nullptr) continue;
      std::vector<CMatTable*> empty;
      for (const auto& pChild : pParent->m_Children) {
        m_Dataset.EnsureRowsLoaded(*pChild);
        if (pChild->GetRowCount() == 0) empty.push_back(pChild.get());
      }
      for (CMatTable* pChild : empty) {
        m_strDeleted += pParent->m_strName + L">" + pChild->m_strName + L"; ";
        m_Store.RemoveTable(pChild);
      }
    }
    if (m_strDeleted.size() >= 2) m_strDeleted.resize(m_strDeleted.size() - 2);
  }

  CMatStore& m_Store;
  CMatDatenSatz& m_Dataset;
  const CDnTables& m_Tables;
  std::vector<CLanguageGroup> m_Languages;
  std::unordered_map<const CMatTable*, std::unordered_map<CString, CMatTable*>> m_GroupTables;
  bool m_bDefaultLanguage = false;
  int m_nArticles = 0;
  int m_nWithoutMainGroup = 0;
  std::vector<CString> m_UnknownMain;
  std::vector<CString> m_UnknownGroups;
  std::unordered_set<CString> m_Noted;  // in either list
  CString m_strDeleted;
};

}  // namespace

bool ImportArticleWorkbook(CMatStore& store, const CString& path, std::size_t* pRows,
                           const CWorkbookProgress* pProgress) {
  // Every sheet is read before the dataset is touched; a missing name
  // sheet counts as empty.
  CWorkbook workbook;
  std::vector<const CWorksheet*> sheets;
  CMatDatenSatz* pDataset = OpenImportWorkbook(store, path, workbook, 4, sheets);
  if (pDataset == nullptr) return false;
  const CWorksheet* pArticles = sheets[0];
  const CWorksheet* pNames[3] = {sheets[1], sheets[2], sheets[3]};
  if (pRows != nullptr) *pRows += pArticles->GetRowCount();
  CDnTables tables;
  if (!PrepareDnTables(store, tables) || tables.m_pStringTable == nullptr) return false;
  CArticleWorkbookReader reader(store, *pDataset, tables);
  const bool bMainGroups = reader.ReadNameSheet(pNames[0], kMainGroupPrefix, false);
  reader.ReadNameSheet(pNames[1], kProductGroupPrefix, false);
  reader.ReadNameSheet(pNames[2], L"", true);
  {
    CWorkbookRowProgress progress(pProgress, pArticles->GetRowCount());
    reader.ReadArticles(*pArticles, progress);
  }
  pDataset->SetModified();
  ShowMessage(MB_OK | MB_ICONINFORMATION, L"%s", reader.Report(bMainGroups));
  return true;
}
