// CMatStore: the state of the library, one instance per process: the
// datasets (a dataset's number is its index) and the current dataset, which
// every operation that makes handles, adds texts or changes tables works on.
//
// Exported calls reach the process-wide instance through Instance(); the
// operations themselves live here and work on `this`, so that tests build a
// fresh store (CScopedMatStore). The library creates no threads: all calls
// come one at a time from the host's user-interface thread.
//
// Operations that take a table accept null and answer with eMatNoTable (6)
// or an empty result. Results are eMatManager codes: 0 ok, 2 index, 3 field,
// 6 no table, 7 no row or wrong kind of table, 10 wrong type, 12 empty
// handle cell, 15 dataset locked by another user.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "OrvaMat/mat_table.h"
#include "OrvaMat/types.h"
#include "store/cell.h"
#include "store/mat_daten_satz.h"

class CMatTextReader;

class CMatStore {
 public:
  // At most 255 datasets: the dataset byte of a handle is number + 1.
  static constexpr std::size_t kMaxDatasets = 255;

  CMatStore() = default;
  // Destroys the datasets from the last to the first.
  ~CMatStore();
  CMatStore(const CMatStore&) = delete;
  CMatStore& operator=(const CMatStore&) = delete;

  // The process-wide store: the one installed by CScopedMatStore, else a
  // static one made on first use. Inline: every exported call asks for it.
  static CMatStore& Instance() { return s_pInstalled != nullptr ? *s_pInstalled : Process(); }

  // ---- datasets (store/mat_store.cpp)
  // Takes the dataset, gives it the next number and ORs its byte into its
  // handle counter. Null when the store is full (the dataset is dropped).
  CMatDatenSatz* AddDataset(std::unique_ptr<CMatDatenSatz> pDataset);
  void RemoveAllDatasets();
  // Destroys one dataset; its slot stays empty (null), so that the numbers of
  // the others, and their handles, stay as they are.
  void RemoveDataset(std::size_t nNummer);
  std::size_t GetDatasetCount() const { return m_Datasets.size(); }
  // The dataset of that number, null outside the array.
  CMatDatenSatz* GetDataset(std::size_t nNummer) const {
    return nNummer < m_Datasets.size() ? m_Datasets[nNummer].get() : nullptr;
  }
  // The dataset whose byte the handle carries, null when there is none.
  CMatDatenSatz* GetDatasetOfHandle(Handle h) const {
    const std::size_t nByte = h >> 24;
    return nByte == 0 ? nullptr : GetDataset(nByte - 1);
  }
  // The first dataset whose manufacturer ID equals id exactly, or null.
  CMatDatenSatz* FindDatasetByID(std::wstring_view id) const;
  CMatDatenSatz* GetCurrent() const { return m_pCurrent; }
  // Makes the dataset current (null clears it) and selects what depends on
  // the current dataset: a dataset made current whose m_pStringTable is not
  // set yet (its tables read first, when they are still in its file) gets its
  // top-level "StringTable", or that table's child named after the user's
  // language when there is one.
  void SetCurrent(CMatDatenSatz* pDataset);
  // The dataset's top-level table of that name (compared without regard to
  // case), or null.
  // Makes the handle's dataset current; a handle whose byte names no dataset
  // changes nothing. Every cell access comes here first: the common case,
  // the dataset current already, costs no call.
  void ActivateDataset(Handle h) {
    CMatDatenSatz* pDataset = GetDatasetOfHandle(h);
    if (pDataset != nullptr && pDataset != m_pCurrent) SetCurrent(pDataset);
  }

  // ---- handles and names (store/store_handles.cpp)
  Handle CreateHandle(const wchar_t* pText);
  Handle FindHandle(const wchar_t* pText);
  Handle GetOrCreateHandle(const wchar_t* pText);
  // The handle's text (valid until its dataset closes), or null.
  const wchar_t* HdlToString(Handle h);
  void RenameHandle(Handle h, const wchar_t* pText);
  // 1 for a handle of no dataset, 15 when locked, else 0.
  eMatManager RemoveHandle(Handle h);

  // ---- tables (store/table_ops.cpp)
  // Null when there is no current dataset, it is locked by another user, the
  // name is empty, or no name handle could be made.
  CMatTable* CreateTable(CMatTable* pParent, const wchar_t* pName, int nType, int nValuesPerRow);
  // The same for a reader that already holds the name's handle in the
  // table's dataset (FindHandle or CreateHandle there gave hName for name):
  // the name is not looked up again. Null as above, or for hName 0.
  CMatTable* CreateTable(CMatTable* pParent, Handle hName, std::wstring_view name, int nType,
                         int nValuesPerRow);
  static CMatTable* FindChildByHandle(const CMatTable* pTable, Handle h);
  eMatManager RemoveTable(CMatTable* pTable);
  // 1 when no handle can be made for the name (empty, or no room).
  eMatManager RenameTable(CMatTable* pTable, const wchar_t* pName);
  eMatManager SetFlags(CMatTable* pTable, std::uint32_t nSet, std::uint32_t nClear);
  // def: n, then n field type codes. 6 null table, 10 no def or a different
  // field count while the table has rows, 2 too large for the arena, 15.
  eMatManager SetStrucDef(CMatTable* pTable, const std::uint32_t* pDef);
  void AddAlias(const wchar_t* pAlias, const wchar_t* pPath);
  void SetBeschreibung(CMatTable* pTable, const wchar_t* pText);

  // ---- rows and cells (store/row_ops.cpp, cell_read.cpp, cell_write.cpp)
  eMatManager RowExists(CMatTable* pTable, Handle hRow);
  eMatManager AddRow(CMatTable* pTable, Handle hRow);
  // AddRow for many rows of one dataset at once: a table without rows takes
  // its room for them first instead of growing step by step. Stops at the
  // first row that could not be added (its code).
  eMatManager AddRows(CMatTable* pTable, const Handle* pRows, std::size_t nRows);
  // Gives an empty table in map mode room for nRows rows at once, after
  // reading its rows from its file (rows already there may be most of those
  // to come, and a map never shrinks).
  void ReserveRows(CMatTable& table, std::size_t nRows);
  eMatManager RemoveRow(CMatTable* pTable, Handle hRow);
  int GetRowCount(CMatTable* pTable);
  POSITION GetFirstRowPosition(CMatTable* pTable);
  eMatManager GetCellValue(CMatTable* pTable, CCell& cell, Handle hRow, int nIndex, int nField) {
    return ReadCell(pTable, cell, hRow, nIndex, nField, true);
  }
  // GetCellValue for a further table of one call, whose first table access
  // has looked whether the database file changed: it does not look again.
  eMatManager GetFurtherCellValue(CMatTable* pTable, CCell& cell, Handle hRow, int nIndex,
                                  int nField) {
    return ReadCell(pTable, cell, hRow, nIndex, nField, false);
  }
  eMatManager SetCellValue(CMatTable* pTable, Handle hRow, int nIndex, int nField,
                           const CCellInput& value);
  // Several fields of one Struct row (sub-row 0) at once, as SetCellValue
  // would write them one by one: the row is looked up once. The result is
  // that of the first field that failed, else 0.
  eMatManager SetStructFields(CMatTable* pTable, Handle hRow, const CFieldInput* pFields,
                              std::size_t nFields);

  // The text reader at work (set by the reader while it reads), or null.
  CMatTextReader* m_pTextReader = nullptr;

  // Keeps a text for the calls that hand out a text address: the address
  // stays valid as long as this store (for the process-wide store: until the
  // library is unloaded), whatever happens to the datasets; equal texts share
  // one address, so the kept texts grow only with the distinct texts asked.
  const wchar_t* KeepText(CString text);

 private:
  friend class CScopedMatStore;
  // Makes the static store on first use and installs it.
  static CMatStore& Process();
  // The store installed by CScopedMatStore, else the static one once made.
  static inline CMatStore* s_pInstalled = nullptr;

  // Loads a table's body from its file when it is still there.
  static void EnsureRowsLoaded(CMatTable& table);
  // CreateTable's two halves: the dataset it goes to, and the new table.
  CMatDatenSatz* NewTableDataset(CMatTable* pParent);
  static CMatTable* AddTable(CMatDatenSatz& dataset, CMatTable* pParent, Handle hName,
                             std::wstring_view name, int nType, int nValuesPerRow);
  // Inline up to the cell of a one-value row, the read behind nearly every
  // text and value query; other cells are read out of line (ReadOtherCell).
  eMatManager ReadCell(CMatTable* pTable, CCell& cell, Handle hRow, int nIndex, int nField,
                       bool bLookForChange) {
    cell = CCell{};
    if (pTable == nullptr) return eMatNoTable;
    ActivateDataset(hRow);
    if (CMatDatenSatz* pDataset = pTable->m_pDatenSatz) {
      if (bLookForChange)
        pDataset->EnsureRowsLoaded(*pTable);
      else
        pDataset->EnsurePendingBodyLoaded(*pTable);
    }
    if (pTable->GetCellsPerRow() > 1 || !HoldsRowCells(pTable->m_nType))
      return ReadOtherCell(*pTable, cell, hRow, nIndex, nField);
    std::uint64_t word = 0;
    if (hRow == 0 || !pTable->FindRow(hRow, word)) return eMatNoRow;
    if (nIndex != 0) return eMatIndex;
    if (pTable->m_nType == eTypeVoid) return eMatOk;  // only the row's existence counts
    cell.m_nValue = RowWordCell(word);
    cell.m_nTextHint = RowWordTextHint(word);
    return eMatOk;
  }
  // Tables whose rows hold their cells in the row word or a cell array:
  // Handle, String, Integer, Float, Bit, Void and UniString.
  static bool HoldsRowCells(std::uint32_t nType) {
    return nType == eTypeHandle || nType == eTypeString || nType == eTypeInteger ||
           nType == eTypeFloat || nType == eTypeBit || nType == eTypeVoid ||
           nType == eTypeUniString;
  }
  // The cell of a multi-value row, a Struct field, an array element or a
  // StrLine text, once ReadCell has activated and loaded.
  static eMatManager ReadOtherCell(const CMatTable& table, CCell& cell, Handle hRow, int nIndex,
                                   int nField);
  // Takes out one row of the table (Struct blocks go back to the arena).
  static bool RemoveRowOf(CMatTable& table, Handle hRow);

  std::vector<std::unique_ptr<CMatDatenSatz>> m_Datasets;
  CMatDatenSatz* m_pCurrent = nullptr;
  std::unordered_set<CString> m_KeptTexts;
};

// Installs a fresh store as the process-wide one for a scope (tests).
class CScopedMatStore {
 public:
  CScopedMatStore();
  ~CScopedMatStore();
  CScopedMatStore(const CScopedMatStore&) = delete;
  CScopedMatStore& operator=(const CScopedMatStore&) = delete;
  CMatStore& Get() { return m_Store; }

 private:
  CMatStore m_Store;
  CMatStore* m_pPrevious;
};
