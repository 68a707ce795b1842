// The insulation workbook: sheet 1 a manufacturer's range of pipe
// insulation (groups, products, variants and their articles), sheet 2 the
// pre-texts; read into a four-level tree under "Daemmsysteme", with a
// warning log and a list of texts to translate next to the workbook.
#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "import/workbook.h"
#include "import/workbook_header.h"
#include "import/workbook_import.h"
#include "platform/host_ui.h"
#include "platform/text.h"
#include "store/base/hashing.h"
#include "store/base/line_file.h"
#include "store/base/message.h"
#include "store/mat_store.h"
#include "store/table_names.h"

namespace {

// Columns of sheet 1 (A = 0).
enum eCol {
  eKind = 0,
  eGroupCounter,
  eGroupKey,
  eGroupName,
  eProductCounter,
  eProductKey,
  eProductName,
  eTradeH,
  eTradeI,
  eTradeJ,
  eTradeK,
  eTradeL,
  eTradeM,
  eTradeN,
  eRed,
  eGreen,
  eBlue,
  ePicture,
  eLink,
  eVariantCounter,
  eVariantKey,
  eVariantName,
  ePreText,
  eDiameter,
  eThickness,
  eLambda,
  eType,
  eArticleNumber,
  eFactor,
};

constexpr std::uint32_t kDefVortexte[] = {1, eTypeString};
constexpr std::uint32_t kDefGroup[] = {4, eTypeString, eTypeInteger, eTypeHandle, eTypeHandle};
constexpr std::uint32_t kDefProduct[] = {8,           eTypeString,  eTypeInteger,
                                         eTypeHandle, eTypeInteger, eTypeString,
                                         eTypeString, eTypeInteger, eTypeHandle};
constexpr std::uint32_t kDefVariant[] = {3, eTypeString, eTypeInteger, eTypeHandle};
constexpr std::uint32_t kDefArticle[] = {7,          eTypeString,  eTypeInteger, eTypeFloat,
                                         eTypeFloat, eTypeInteger, eTypeString,  eTypeFloat};
constexpr const wchar_t* kTextVortexte = L"Vortexttabelle\r\n[0] (CString)Vortext\r\n";
constexpr const wchar_t* kTextGroup =
    L"Produktgruppentabelle\r\n[0] (string)Name\r\n[1] (int)Zähler\r\n[2] (string)Default "
    L"Child\r\n[3] (string)Vortext\r\n";
constexpr const wchar_t* kTextProduct =
    L"Produkttabelle\r\n[0] (string)Name\r\n[1] (int)Zähler Reihenfolge\r\n[2] "
    L"(string)Default-Child (Kürzel Variante)\r\n[3] (int/DWORD)RGB-Farbe (siehe RGB Makro)\r\n[4] "
    L"(string)Bild\r\n[5] (CString)Link\r\n[6] (int/DWORD)Gewerke-Map\r\n     1:GW_HZ "
    L"Heizungsanlage \r\n     2:GW_KU Kühlungsanlage \r\n     4:GW_TW Trinkwasser \r\n     8:GW_AW "
    L"Abwasser \r\n    16:GW_LU Lüftungsanlage \r\n    32:GW_KL Klimaanlage \r\n    64:GW_SO "
    L"Solaranlage \r\n[7] (string)Vortext\r\n";
constexpr const wchar_t* kTextVariant =
    L"Variantentabelle\r\n[0] (string)Name\r\n[1] (int)Zähler Reihenfolge\r\n[2] "
    L"(string)Vortext";
constexpr const wchar_t* kTextArticle =
    L"Artikeltabelle\r\n[0] (string)Name\r\n[1] (int)Da_max [mm]\r\n[2] (float)Dämmstärke "
    L"[mm]\r\n[3] (float)lambda [W/(m*K)]\r\n[4] (int)Typ // Typ: 0 = Schlauch, 1 = Platte\r\n[5] "
    L"(string)ArtikelNr\r\n[6] (float)Mengenfaktor //Dezimal punktgetrennt\r\n";

class CInsulationReader {
 public:
  CInsulationReader(CMatStore& store, CMatDatenSatz& dataset, CMatTable& root, bool bNeutral)
      : m_Store(store),
        m_Dataset(dataset),
        m_Root(root),
        m_bNeutral(bNeutral),
        m_strID(dataset.m_szHerstellerID) {}

  void ReadPreTexts(const CWorksheet& sheet) {
    const std::optional<int> header = FindWorkbookHeaderRow(sheet);
    if (!header) return;
    CMatTable* pTable = MakeTable(&m_Root, L"Vortexte", kDefVortexte, kTextVortexte, false);
    // From the row after the header, as every other sheet: the header's own
    // cells are no pre-text.
    for (int r = *header + 1; r < static_cast<int>(CWorksheet::kMaxRows); ++r) {
      const CString key = Text(sheet, 0, r);
      if (key.empty()) break;
      const CString text = Text(sheet, 1, r);
      SetFields(pTable, HandleOf(key), {{0, TextInput(text)}});
      AddTranslation(text);
    }
  }

  void ReadRange(const CWorksheet& sheet, CWorkbookRowProgress& progress) {
    const std::optional<int> header = FindWorkbookHeaderRow(sheet);
    for (int r = header.value_or(-1) + 1; r < static_cast<int>(CWorksheet::kMaxRows);) {
      progress.At(r);
      if (Text(sheet, eKind, r).empty()) break;
      if (Int(sheet, eKind, r) == 0) {
        ReadHeadRow(sheet, r + 1);
        r += 2;
      } else if (ReadArticleRow(sheet, r)) {
        r += 1;
      } else {
        break;
      }
    }
  }

  void WriteLogs(const CString& workbookPath) {
    const std::size_t nDot = workbookPath.find_last_of(L'.');
    const std::size_t nSlash = workbookPath.find_last_of(L'/');
    const CString stem = nDot != CString::npos && (nSlash == CString::npos || nDot > nSlash)
                             ? workbookPath.substr(0, nDot)
                             : workbookPath;
    WriteLog(stem + L"_WarningLog.txt", m_Warnings);
    CStringList translations;
    for (const CString& text : m_Translations) translations.push_back(text + L"\\n");
    WriteLog(stem + L"_TranslateLog.txt", translations);
  }

 private:
  static CString Text(const CWorksheet& sheet, int c, int r) {
    return WorkbookCellText(sheet, c, r);
  }
  static int Int(const CWorksheet& sheet, int c, int r) {
    int n = 0;
    sheet.GetIntValueAt(n, c, r);
    return n;
  }
  static float Float(const CWorksheet& sheet, int c, int r) {
    double d = 0;
    sheet.GetFloatValueAt(d, c, r);
    return static_cast<float>(d);
  }
  static CCellInput TextInput(const CString& text) {
    return CCellInput::Text(text.empty() ? nullptr : text.c_str());
  }
  static CCellInput FloatInput(float f) {
    std::uint32_t n = 0;
    std::memcpy(&n, &f, sizeof n);
    return CCellInput::Value(n);
  }

  Handle HandleOf(std::wstring_view text) {
    const std::size_t nStart = text.find_first_not_of(L' ');
    if (nStart == std::wstring_view::npos) return 0;
    text.remove_prefix(nStart);
    const Handle h = m_Dataset.FindHandle(text);
    return h != 0 ? h : m_Dataset.CreateHandle(text);
  }

  CMatTable* MakeTable(CMatTable* pParent, const CString& name, const std::uint32_t* pDef,
                       const wchar_t* pText, bool bListMode) {
    if (pParent == nullptr) return nullptr;
    if (CMatTable* pFound = FindChildTable(*pParent, name, eHiddenTables::kFind)) return pFound;
    CMatTable* pTable = m_Store.CreateTable(pParent, name.c_str(), eTypeStruct, 1);
    if (pTable == nullptr) return nullptr;
    m_Store.SetStrucDef(pTable, pDef);
    m_Store.SetBeschreibung(pTable, pText);
    if (bListMode) pTable->SetListMode(true);
    return pTable;
  }

  void SetFields(CMatTable* pTable, Handle hRow, std::vector<CFieldInput> fields) {
    if (pTable == nullptr || hRow == 0) return;
    m_Store.SetStructFields(pTable, hRow, fields.data(), fields.size());
  }

  void AddTranslation(const CString& text) {
    CString entry;
    for (wchar_t c : text) {
      if (c == L'\r') continue;
      if (c == L'\n')
        entry += L"\\n";
      else
        entry += c;
    }
    if (entry.empty()) return;
    // A text entered again moves to the end.
    m_Translations.erase(std::remove(m_Translations.begin(), m_Translations.end(), entry),
                         m_Translations.end());
    m_Translations.push_back(entry);
  }

  void Warn(const CString& line) { m_Warnings.push_back(line); }

  // A level's key: the digest of its key cell (or of the group name), or in
  // a neutral file the key cell itself (else the previous key stays).
  CString KeyOf(const CString& keyCell, const CString& groupName, const CString& previous) const {
    if (m_bNeutral) return keyCell.empty() ? previous : keyCell;
    const CString source = !keyCell.empty() ? keyCell : groupName;
    return CHashing::md5(Trim(source)).substr(0, 7);
  }

  void ReadHeadRow(const CWorksheet& sheet, int r) {
    auto text = [&](int c) { return Text(sheet, c, r); };
    auto keep = [&](int c, int& value) {
      if (!text(c).empty()) value = Int(sheet, c, r);
    };
    keep(eGroupCounter, m_nGroupCounter);
    keep(eProductCounter, m_nProductCounter);
    keep(eVariantCounter, m_nVariantCounter);
    if (!text(eLink).empty()) m_strLink = text(eLink);
    if (!text(ePreText).empty()) m_strPreText = text(ePreText);
    if (!text(eRed).empty() || !text(eGreen).empty() || !text(eBlue).empty()) {
      m_nColour = Int(sheet, eRed, r) + Int(sheet, eGreen, r) * 256 + Int(sheet, eBlue, r) * 65536;
    }
    std::vector<int> trades;
    bool bAllSet = true;
    for (int c = eTradeH; c <= eTradeN; ++c) {
      bAllSet = bAllSet && !text(c).empty();
      trades.push_back(Int(sheet, c, r));
    }
    if (bAllSet && trades != m_LastTrades) {
      m_LastTrades = trades;
      // H heating 1, J chilled 2, L drinking 4, M waste 8, N ventilation 16,
      // K air conditioning 32, I solar 64.
      const int weights[] = {1, 64, 2, 32, 4, 8, 16};
      m_nTrades = 0;
      for (std::size_t i = 0; i < trades.size(); ++i) m_nTrades |= trades[i] * weights[i];
    }
    const CString group = text(eGroupName), product = text(eProductName),
                  variant = text(eVariantName);
    if (m_bAnyHead && group == m_strHeadGroup && product == m_strHeadProduct &&
        variant == m_strHeadVariant) {
      return;  // the same head again: skipped, its article too
    }
    m_strHeadGroup = group;
    m_strHeadProduct = product;
    m_strHeadVariant = variant;
    const Handle hPreText = m_strPreText.empty() ? 0 : HandleOf(m_strPreText);
    bool bNew = false;
    if (!m_bAnyHead || group != m_strGroup || !text(eGroupKey).empty()) {
      ++m_nGroup;
      m_nProduct = 0;
      m_strGroup = group;
      m_strGroupKey = KeyOf(text(eGroupKey), group, m_strGroupKey);
      if (m_strGroupKey.empty()) m_strGroupKey = Format(L"%s %s%i", m_strID, L"PG_", m_nGroup);
      m_pGroup =
          MakeTable(&m_Root, Format(L"Produktgruppe %i", m_nGroup), kDefGroup, kTextGroup, false);
      SetFields(m_pGroup, HandleOf(m_strGroupKey),
                {{0, TextInput(group)},
                 {1, CCellInput::Value(static_cast<std::uint32_t>(m_nGroupCounter))},
                 {2, CCellInput::Value(0)},
                 {3, CCellInput::Value(hPreText)}});
      AddTranslation(group);
      bNew = true;
    }
    m_bAnyHead = true;
    if (bNew || product != m_strProduct || !text(eProductKey).empty()) {
      ++m_nProduct;
      m_nVariant = 0;
      m_strProduct = product;
      m_strProductKey = KeyOf(text(eProductKey), group, m_strProductKey);
      if (m_strProductKey.empty())
        m_strProductKey = Format(L"%s %s%i%i", m_strID, L"P_", m_nGroup - 1, m_nProduct);
      m_pProduct =
          MakeTable(m_pGroup, Format(L"Produkt %i", m_nProduct), kDefProduct, kTextProduct, false);
      const CString picture = text(ePicture);
      SetFields(m_pProduct, HandleOf(m_strProductKey),
                {{0, TextInput(product)},
                 {1, CCellInput::Value(static_cast<std::uint32_t>(m_nProductCounter))},
                 {2, CCellInput::Value(0)},
                 {3, CCellInput::Value(static_cast<std::uint32_t>(m_nColour))},
                 {4, TextInput(picture)},
                 {5, TextInput(m_strLink)},
                 {6, CCellInput::Value(static_cast<std::uint32_t>(m_nTrades))},
                 {7, CCellInput::Value(hPreText)}});
      AddTranslation(product);
      bNew = true;
    }
    if (bNew || variant != m_strVariant || !text(eVariantKey).empty())
      StartVariant(sheet, r, hPreText);
    WriteArticle(sheet, r);
  }

  void StartVariant(const CWorksheet& sheet, int r, Handle hPreText) {
    ++m_nVariant;
    m_nArticle = 0;
    m_nLastDiameter = 0;
    m_strVariant = Text(sheet, eVariantName, r);
    m_strVariantKey = KeyOf(Text(sheet, eVariantKey, r), m_strGroup, m_strVariantKey);
    if (m_strVariantKey.empty()) {
      m_strVariantKey =
          Format(L"%s %s%i%i%i", m_strID, L"VAR_", m_nGroup - 1, m_nProduct - 1, m_nVariant);
    }
    m_pVariant =
        MakeTable(m_pProduct, Format(L"Variante %i", m_nVariant), kDefVariant, kTextVariant, false);
    SetFields(m_pVariant, HandleOf(m_strVariantKey),
              {{0, TextInput(m_strVariant)},
               {1, CCellInput::Value(static_cast<std::uint32_t>(m_nVariantCounter))},
               {2, CCellInput::Value(hPreText)}});
    AddTranslation(m_strVariant);
    m_pArticles = MakeTable(m_pVariant, L"Artikel", kDefArticle, kTextArticle, true);
  }

  void WriteArticle(const CWorksheet& sheet, int r) {
    const CString diameter = Text(sheet, eDiameter, r);
    const bool bMax = ToUpper(diameter).find(L"MAX") != CString::npos;
    const int nDiameter = bMax ? INT_MAX : Int(sheet, eDiameter, r);
    if (!bMax) m_nLastDiameter = nDiameter;
    ++m_nArticle;
    const CString key = Format(L"%s %s%i.%i.%i.%i", m_strID, L"ART_", m_nGroup - 1, m_nProduct - 1,
                               m_nVariant - 1, m_nArticle);
    SetFields(m_pArticles, HandleOf(key),
              {{1, CCellInput::Value(static_cast<std::uint32_t>(nDiameter))},
               {2, FloatInput(Float(sheet, eThickness, r))},
               {3, FloatInput(Float(sheet, eLambda, r))},
               {4, CCellInput::Value(static_cast<std::uint32_t>(Int(sheet, eType, r)))},
               {5, TextInput(Text(sheet, eArticleNumber, r))},
               {6, FloatInput(Float(sheet, eFactor, r))}});
  }

  // False when the sheet's reading ends here.
  bool ReadArticleRow(const CWorksheet& sheet, int r) {
    const CString variant = Text(sheet, eVariantName, r);
    if (!variant.empty() && variant != m_strVariant &&
        Text(sheet, eProductName, r) == m_strProduct && m_pProduct != nullptr) {
      const CString preText = Text(sheet, ePreText, r);
      StartVariant(sheet, r, preText.empty() ? 0 : HandleOf(preText));
    }
    const CString diameter = Text(sheet, eDiameter, r);
    const int nRow = r + 1;
    if (diameter.empty()) {
      Warn(Format(L"\tWARNUNG: Zeile %i hat keinen Inhalt.", nRow));
      Warn(
          Format(L"ERROR: Das Ende des Tabellenblatts ist noch nicht erreicht. Fehler in Zeile %i.",
                 nRow));
      return false;
    }
    if (diameter != L"MAX") {
      const int v = Int(sheet, eDiameter, r);
      bool bSkip = false;
      if (v == m_nLastDiameter) {
        Warn(
            Format(L"WARNUNG: Doppelte Werte für Außendurchmesser. Gefunden in Spalte 'X' Zeile "
                   L"%i.",
                   nRow));
        bSkip = true;
      } else if (m_nLastDiameter > 0 && v < m_nLastDiameter) {
        Warn(
            Format(L"WARNUNG: Reihenfolge der Werte für Außendurchmesser ist nicht aufsteigend. "
                   L"Gefunden in Spalte 'X' Zeile %i.",
                   nRow));
        bSkip = true;
      }
      if (bSkip) {
        Warn(Format(L"\tHINWEIS: Zeile %i wurde nicht importiert.", nRow));
        return true;
      }
    }
    if (m_pArticles != nullptr) WriteArticle(sheet, r);
    return true;
  }

  void WriteLog(const CString& path, const CStringList& lines) {
    if (lines.empty()) return;
    if (!qelStrUtil::writeStringlistToFile(lines, path, 65001)) {
      ShowMessage(MB_OK | MB_ICONERROR, L"Datei <%s> kann nicht geschrieben werden.", path);
      return;
    }
    GetHostUI().OpenWithViewer(path);
  }

  CMatStore& m_Store;
  CMatDatenSatz& m_Dataset;
  CMatTable& m_Root;
  bool m_bNeutral;
  CString m_strID;
  CStringList m_Warnings;
  CStringList m_Translations;
  // The head rows so far.
  bool m_bAnyHead = false;
  CString m_strHeadGroup, m_strHeadProduct, m_strHeadVariant;
  int m_nGroupCounter = 0, m_nProductCounter = 0, m_nVariantCounter = 0;
  CString m_strLink, m_strPreText;
  int m_nColour = 0, m_nTrades = 0;
  std::vector<int> m_LastTrades;
  // The current group, product, variant and article.
  int m_nGroup = 0, m_nProduct = 0, m_nVariant = 0, m_nArticle = 0;
  CString m_strGroup, m_strProduct, m_strVariant;
  CString m_strGroupKey, m_strProductKey, m_strVariantKey;
  CMatTable* m_pGroup = nullptr;
  CMatTable* m_pProduct = nullptr;
  CMatTable* m_pVariant = nullptr;
  CMatTable* m_pArticles = nullptr;
  int m_nLastDiameter = 0;
};

}  // namespace

bool ImportInsulationWorkbook(CMatStore& store, const CString& path, std::size_t* pRows,
                              const CWorkbookProgress* pProgress) {
  // The workbook and its sheets first: Daemmsysteme is emptied only once
  // they are there.
  CWorkbook workbook;
  std::vector<const CWorksheet*> sheets;
  CMatDatenSatz* pDataset = OpenImportWorkbook(store, path, workbook, 2, sheets);
  if (pDataset == nullptr) return false;
  const CWorksheet* pRange = sheets[0];
  const CWorksheet* pPreTexts = sheets[1];
  if (pRows != nullptr) *pRows += pRange->GetRowCount();
  pDataset->EnsureDatasetLoaded();
  CMatTable* pRoot = FindTopLevelTable(*pDataset, L"Daemmsysteme", eHiddenTables::kFind);
  if (pRoot == nullptr) pRoot = store.CreateTable(nullptr, L"Daemmsysteme", eTypeVoid, 1);
  if (pRoot == nullptr) return false;
  pRoot->DeleteContents();
  const std::size_t nSlash = path.find_last_of(L'/');
  const bool bNeutral =
      path.substr(nSlash == CString::npos ? 0 : nSlash + 1).find(L"Neutrale") != CString::npos;
  CInsulationReader reader(store, *pDataset, *pRoot, bNeutral);
  if (!bNeutral && pPreTexts != nullptr) reader.ReadPreTexts(*pPreTexts);
  {
    CWorkbookRowProgress progress(pProgress, pRange->GetRowCount());
    reader.ReadRange(*pRange, progress);
  }
  pDataset->SetModified();
  reader.WriteLogs(path);
  ShowMessage(MB_OK | MB_ICONINFORMATION, L"Import abgeschlossen.");
  return true;
}
