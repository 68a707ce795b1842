// The table workbook: its first sheet lays tables out the way the MMTB text
// does in lines; column A holds the keywords, B the row key or a name, C on
// the values.
#include <algorithm>
#include <cstring>
#include <cwchar>
#include <unordered_set>
#include <vector>

#include "import/ms_excel_file.h"
#include "import/workbook_import.h"
#include "platform/host_ui.h"
#include "platform/text.h"
#include "store/base/guarded_call.h"
#include "store/base/message.h"
#include "store/base/num_string.h"
#include "store/mat_store.h"
#include "store/table_names.h"

namespace {

// The most values a row may have: an arena piece holds no more cells.
constexpr int kMaxValuesPerRow = 0x20000 / 4;

class CTableSheetReader {
 public:
  CTableSheetReader(CMatStore& store, CMSExcelFile& file, const CWorkbookProgress* pProgress)
      : m_Store(store),
        m_File(file),
        m_nRows(static_cast<int>(file.GetSheet()->GetRowCount())),
        m_Progress(pProgress, file.GetSheet()->GetRowCount()) {}

  // Top level from row 3 on: "MMTB" blocks until "Ende" or a failed read.
  void ReadTopLevel() {
    int nRow = 2;
    CString a;
    while (nRow < m_nRows) {
      if (!m_File.GetCellText(0, nRow, a) || EqualsNoCase(a, L"Ende")) return;
      if (a != L"MMTB") {
        ++nRow;
        continue;
      }
      CMatTable* pTable = FindOrCreate(nullptr, nRow);
      ++nRow;
      ReadBody(pTable, nRow, 0);
    }
  }

 private:
  CString Cell(int nColumn, int nRow) {
    m_Progress.At(nRow);
    CString text;
    m_File.GetCellText(nColumn, nRow, text);
    return text;
  }

  Handle HandleOf(std::wstring_view text) {
    CMatDatenSatz* pDataset = m_Store.GetCurrent();
    const std::size_t nStart = text.find_first_not_of(L' ');
    if (pDataset == nullptr || nStart == std::wstring_view::npos) return 0;
    text.remove_prefix(nStart);
    const Handle h = pDataset->FindHandle(text);
    return h != 0 ? h : pDataset->CreateHandle(text);
  }

  int Int(const CString& text, int nRow) {
    CNumString number;
    number.SetCurZeile(nRow + 1);
    number = text;
    return number.Int();
  }
  float Float(const CString& text, int nRow) {
    CNumString number;
    number.SetCurZeile(nRow + 1);
    number = text;
    return static_cast<float>(number.Value());
  }

  // The table an "MMTB" row names (B name, C type, D values per row): a
  // top-level table, or a child of pParent found by its name's handle;
  // made when missing. Null when it can not be made (its body is skipped).
  CMatTable* FindOrCreate(CMatTable* pParent, int nRow) {
    CMatDatenSatz* pDataset = m_Store.GetCurrent();
    const CString name = Cell(1, nRow);
    if (pDataset == nullptr || name.empty()) return nullptr;
    CMatTable* pFound = nullptr;
    if (pParent == nullptr) {
      pDataset->EnsureDatasetLoaded();
      pFound = FindTopLevelTable(*pDataset, name, eHiddenTables::kFind);
    } else if (const Handle h = pDataset->FindHandle(name)) {
      pFound = CMatStore::FindChildByHandle(pParent, h);
    }
    if (pFound != nullptr) return pFound;
    const int nType = ImportTypeFromName(Cell(2, nRow));
    const int nValues = std::clamp(Int(Cell(3, nRow), nRow), 1, kMaxValuesPerRow);
    return m_Store.CreateTable(pParent, name.c_str(), nType, nValues);
  }

  // One table's body from nRow; nRow ends past it.
  void ReadBody(CMatTable* pTable, int& nRow, int nDepth) {
    if (pTable != nullptr && pTable->m_pDatenSatz != nullptr)
      pTable->m_pDatenSatz->EnsureRowsLoaded(*pTable);
    std::unordered_set<Handle> seen;
    for (;;) {
      if (nRow >= m_nRows) {
        // The sheet ends inside the table: as unclosed as an "Ende" row.
        if (pTable != nullptr)
          ShowMessage(MB_OK | MB_ICONINFORMATION,
                      L"Tabelle <%s> ist nicht mit Ende_MMTB abgeschlossen", pTable->m_strName);
        break;
      }
      const CString a = Cell(0, nRow);
      const CString b = Cell(1, nRow);
      if (!a.empty() && a[0] == L';') {
        ++nRow;
      } else if (a.empty() && b.empty()) {
        ++nRow;
      } else if (EqualsNoCase(a, L"Ende_MMTB")) {
        ++nRow;
        break;
      } else if (EqualsNoCase(a, L"Ende")) {
        // The row stays: the caller sees "Ende" as well and stops.
        if (pTable != nullptr)
          ShowMessage(MB_OK | MB_ICONINFORMATION,
                      L"Tabelle <%s> ist nicht mit Ende_MMTB abgeschlossen", pTable->m_strName);
        break;
      } else if (EqualsNoCase(a, L"MMTB")) {
        CMatTable* pChild =
            pTable != nullptr && nDepth < 100 ? FindOrCreate(pTable, nRow) : nullptr;
        ++nRow;
        ReadBody(pChild, nRow, nDepth + 1);
      } else if (EqualsNoCase(a, L"RegStr") || EqualsNoCase(a, L"HashTableSize") ||
                 EqualsNoCase(a, L"Defaultitem") || EqualsNoCase(a, L"include") ||
                 EqualsNoCase(a, L"define")) {
        ++nRow;
      } else if (pTable == nullptr) {
        ++nRow;  // the body of a table that could not be made
      } else if (EqualsNoCase(a, L"Comment")) {
        pTable->m_strBeschreibung = b;
        if (pTable->m_pDatenSatz != nullptr) pTable->m_pDatenSatz->SetModified();
        ++nRow;
      } else if (EqualsNoCase(a, L"StrucDef")) {
        ReadStrucDef(*pTable, nRow);
        ++nRow;
      } else {
        ReadDataRow(*pTable, nRow, seen);
      }
    }
    if (pTable != nullptr) CheckDefaultItem(*pTable);
  }

  void ReadStrucDef(CMatTable& table, int nRow) {
    if (table.m_nType != eTypeStruct) return;
    std::vector<std::uint32_t> def{0};
    for (int c = 2; c < static_cast<int>(CWorksheet::kMaxColumns); ++c) {
      const CString name = Cell(c, nRow);
      if (name.empty()) break;
      def.push_back(static_cast<std::uint32_t>(ImportTypeFromName(name)));
    }
    def[0] = static_cast<std::uint32_t>(def.size() - 1);
    if (table.m_pStrucDef == nullptr) {
      m_Store.SetStrucDef(&table, def.data());
      return;
    }
    const std::uint32_t* pOld = table.m_pStrucDef;
    const std::uint32_t nFields = std::max(pOld[0], def[0]);
    for (std::uint32_t i = 1; i <= nFields; ++i) {
      const bool bSame = i <= pOld[0] && i <= def[0] && pOld[i] == def[i];
      if (!bSame)
        ShowMessage(MB_OK | MB_ICONWARNING,
                    L"%s: Zeile:%d Tabelle mit dem Typ Strukt. Unterschiedliche strukturdefinition",
                    table.m_strName, nRow + 1);
    }
  }

  void ReadDataRow(CMatTable& table, int& nRow, std::unordered_set<Handle>& seen) {
    const int nKeyRow = nRow;
    const CString key = Cell(1, nRow);
    ++nRow;
    // A Struct record goes on in every row whose A is empty while B or C is not.
    int nElements = 1;
    if (table.m_nType == eTypeStruct) {
      while (nRow < m_nRows && Cell(0, nRow).empty() &&
             (!Cell(1, nRow).empty() || !Cell(2, nRow).empty())) {
        ++nRow;
        ++nElements;
      }
    }
    const Handle hRow = HandleOf(key);
    if (hRow == 0) return;  // no key, or no room for a name (the store said so)
    if (!seen.insert(hRow).second) {
      ShowMessage(MB_OK | MB_ICONWARNING,
                  L"In der Tabelle (*%s*) wird der Handle:(*%s*) mehrfach eingelesen (Zeile #%d)",
                  table.m_strName, key, nKeyRow + 1);
      return;
    }
    StoreRow(table, hRow, nKeyRow, nElements);
  }

  std::uint32_t CellValue(std::uint32_t nType, int nColumn, int nRow) {
    const CString text = Cell(nColumn, nRow);
    switch (nType) {
      case eTypeHandle:
        return text.empty() ? 0 : HandleOf(text);
      case eTypeString:
      case eTypeUniString: {
        CMatDatenSatz* pDataset = m_Store.GetCurrent();
        return pDataset != nullptr ? pDataset->AddPoolText(text) : 0;
      }
      case eTypeInteger:
      case eTypeBit:
        return static_cast<std::uint32_t>(Int(text, nRow));
      case eTypeFloat: {
        const float f = Float(text, nRow);
        std::uint32_t n = 0;
        std::memcpy(&n, &f, sizeof n);
        return n;
      }
      default:
        return 0;
    }
  }

  void StoreRow(CMatTable& table, Handle hRow, int nRow, int nElements) {
    CMatDatenSatz* pDataset = table.m_pDatenSatz;
    if (pDataset == nullptr) return;
    const int nCells = table.GetCellsPerRow();
    switch (table.m_nType) {
      case eTypeStruct: {
        if (table.m_pStrucDef == nullptr) {
          ShowMessage(MB_OK | MB_ICONWARNING,
                      L"Zeile:%d Tabelle (%s) mit dem Typ Strukt. <StrucDef...> ist aber nicht "
                      L"angegeben.",
                      nRow + 1, table.m_strName);
          return;
        }
        const std::uint32_t nFields = table.m_pStrucDef[0];
        const std::size_t nSize = 4 + static_cast<std::size_t>(nElements) * nFields * 4;
        auto* pBlock = static_cast<std::uint32_t*>(pDataset->ArenaAllocZeroed(nSize, true));
        if (pBlock == nullptr) return;  // reported by the arena; the row is left out
        pBlock[0] = static_cast<std::uint32_t>(nElements);
        for (int e = 0; e < nElements; ++e) {
          for (std::uint32_t f = 0; f < nFields; ++f) {
            pBlock[1 + static_cast<std::size_t>(e) * nFields + f] =
                CellValue(table.m_pStrucDef[1 + f], 2 + static_cast<int>(f), nRow + e);
          }
        }
        table.SetValue(hRow, reinterpret_cast<std::uintptr_t>(pBlock));
        break;
      }
      case eTypeString:
      case eTypeUniString:
        for (int i = 0; i < nCells; ++i) {
          const CString text = Cell(2 + i, nRow);
          m_Store.SetCellValue(&table, hRow, i, 0, CCellInput::Text(text.c_str()));
        }
        return;
      case eTypeHandle:
      case eTypeInteger:
      case eTypeFloat:
      case eTypeBit: {
        if (nCells == 1) {
          table.SetValue(hRow, CellValue(table.m_nType, 2, nRow));
          break;
        }
        auto* pCells = static_cast<std::uint32_t*>(
            pDataset->ArenaAllocZeroed(static_cast<std::size_t>(nCells) * 4, true));
        if (pCells == nullptr) return;
        for (int i = 0; i < nCells; ++i) pCells[i] = CellValue(table.m_nType, 2 + i, nRow);
        table.SetValue(hRow, reinterpret_cast<std::uintptr_t>(pCells));
        break;
      }
      case eTypeVoid:
        table.SetValue(hRow, 0);
        break;
      default:  // text and array tables have no keyed rows
        return;
    }
    table.UpdateRowCount();
    pDataset->SetModified();
  }

  void CheckDefaultItem(const CMatTable& table) {
    const Handle h = table.m_hDefaultItem;
    if (h == 0 || table.m_Children.empty()) return;
    for (const auto& pChild : table.m_Children) {
      if (pChild->m_hName == h) return;
    }
    const CString name = table.m_pDatenSatz ? table.m_pDatenSatz->GetName(h).ToString() : CString();
    ShowMessage(MB_OK | MB_ICONINFORMATION, L"Tabelle <%s> hat den defaultitem %s nicht",
                table.m_strName, name);
  }

  CMatStore& m_Store;
  CMSExcelFile& m_File;
  int m_nRows;
  CWorkbookRowProgress m_Progress;
};

// The rule of the script's "HerstellerID=": the first three characters must
// be the dataset's; the fourth too, unless the dataset's ID is empty.
bool IdFits(const wchar_t* pID, const CString& given) {
  wchar_t c[4] = {};
  for (std::size_t i = 0; i < 4 && i < given.size(); ++i) c[i] = given[i];
  return c[0] == pID[0] && c[1] == pID[1] && c[2] == pID[2] && (c[3] == pID[3] || pID[0] == 0);
}

}  // namespace

int ImportTypeFromName(std::wstring_view name) {
  static constexpr struct {
    const wchar_t* pName;
    int nType;
  } kNames[] = {
      {L"Hdl", eTypeHandle},
      {L"Handle", eTypeHandle},
      {L"String", eTypeString},
      {L"Char", eTypeString},
      {L"Int", eTypeInteger},
      {L"Integer", eTypeInteger},
      {L"Float", eTypeFloat},
      {L"Struct", eTypeStruct},
      {L"Bit", eTypeBit},
      {L"Void", eTypeVoid},
      {L"StringArray", eTypeStringArray},
      {L"DWordArray", eTypeDWordArray},
      {L"StrLine", eTypeStrLine},
      {L"UniString", eTypeUniString},
  };
  for (const auto& entry : kNames) {
    if (EqualsNoCase(name, entry.pName)) return entry.nType;
  }
  return eTypeVoid;
}

bool ImportExcelTables(CMatStore& store, const CString& path, std::size_t* pRows,
                       const CWorkbookProgress* pProgress) {
  CMatDatenSatz* pDataset = store.GetCurrent();
  CMSExcelFile file;
  if (pDataset == nullptr || !file.Open(path) || !file.SelectWorksheet(1)) return false;
  CString a2, b2;
  if (file.GetCellText(0, 1, a2) && EqualsNoCase(a2, L"HerstellerID")) {
    file.GetCellText(1, 1, b2);
    const wchar_t* pID = pDataset->m_szHerstellerID;
    if (!IdFits(pID, b2)) {
      const CString detail = Format(L"MMD=%c%c%c%c, Excel=%s", pID[0], pID[1], pID[2], pID[3], b2);
      ShowMessage(MB_OK | MB_ICONERROR,
                  L"Hersteller ID passt nicht mit aktuellen Satz.\n%s\nDas Laden wird nicht "
                  L"forgesetzt",
                  detail);
      return false;
    }
  }
  if (pRows != nullptr) *pRows += file.GetSheet()->GetRowCount();
  CTableSheetReader reader(store, file, pProgress);
  reader.ReadTopLevel();
  return true;
}

void ImportExcelTables(const wchar_t* pPath) {
  GuardedCall(0, [&] {
    ImportExcelTables(CMatStore::Instance(), pPath != nullptr ? CString(pPath) : CString());
    return 0;
  });
}
