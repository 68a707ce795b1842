// Writing one cell of a table. Texts and blocks go to the table's own
// dataset (its arena and string pool), so that a row named by a handle of
// another dataset never scatters the table's cells over two datasets.
#include <algorithm>
#include <cstring>
#include <cwchar>

#include "store/mat_store.h"

namespace {

constexpr std::uint32_t kCellBytes = 4;

// The cell array of a multi-value row, made zero-filled when the row has none.
std::uint32_t* RowCells(CMatTable& table, Handle hRow) {
  std::uint64_t word = 0;
  if (table.FindRow(hRow, word) && word != 0) return WordToPointer<std::uint32_t>(word);
  const std::size_t nBytes =
      std::size_t{kCellBytes} * static_cast<std::size_t>(table.GetCellsPerRow());
  void* pCells = table.m_pDatenSatz->ArenaAllocZeroed(nBytes, true);
  if (pCells == nullptr || !table.SetValue(hRow, PointerToWord(pCells))) return nullptr;
  return static_cast<std::uint32_t*>(pCells);
}

// Handle, Integer, Float and Bit.
eMatManager WriteValueCell(CMatTable& table, Handle hRow, int nIndex, std::uint32_t nValue) {
  if (table.GetCellsPerRow() == 1) return table.SetValue(hRow, nValue) ? eMatOk : eMatIndex;
  std::uint32_t* pCells = RowCells(table, hRow);
  if (pCells == nullptr) return eMatIndex;
  pCells[nIndex] = nValue;
  return eMatOk;
}

// From this many rows on, a text table's texts are cut from a lane of their
// own: a read of a random row then touches only this table's texts, where
// the texts of all tables written side by side (an import writes an
// article's texts one table after the other) would spread them over the
// whole arena, and every read would miss the cache for them.
constexpr std::size_t kLaneRows = 1024;

// The pool index for a new text of a cell now holding nOld: a non-empty text
// that fits into the old one overwrites it in place; otherwise a new entry.
std::uint32_t PoolIndexFor(CMatTable& table, std::uint32_t nOld, std::wstring_view text) {
  CMatDatenSatz& dataset = *table.m_pDatenSatz;
  if (dataset.OverwritePoolText(nOld, text)) return nOld;
  const bool bLane = table.TextLane() != 0 || table.GetRowCount() >= kLaneRows;
  return dataset.AddPoolText(text, bLane ? &table.TextLane() : nullptr);
}

// String and UniString.
eMatManager WriteStringCell(CMatTable& table, Handle hRow, int nIndex, const CCellInput& value) {
  CMatDatenSatz& dataset = *table.m_pDatenSatz;
  std::uint32_t* pCell = nullptr;
  std::uint32_t nOld = 0;
  std::uint64_t word = 0;
  if (table.GetCellsPerRow() > 1) {
    if ((pCell = RowCells(table, hRow)) == nullptr) return eMatIndex;
    pCell += nIndex;
    nOld = *pCell;
  } else if (table.FindRow(hRow, word)) {
    nOld = RowWordCell(word);
  }
  std::uint32_t nNew = 0;
  if (value.m_pText != nullptr && (nNew = PoolIndexFor(table, nOld, value.TextView())) == 0)
    return eMatIndex;
  if (pCell != nullptr) {
    *pCell = nNew;
    return eMatOk;
  }
  return table.SetValue(hRow, dataset.TextCellWord(nNew)) ? eMatOk : eMatIndex;
}

// The Struct block of the row with room for sub-row nRow, grown (zero-filled)
// when it has fewer; null when the arena is exhausted.
std::uint32_t* StructBlockFor(CMatTable& table, Handle hRow, std::uint32_t nRow) {
  std::uint64_t word = 0;
  auto* pBlock = table.FindRow(hRow, word) ? WordToPointer<std::uint32_t>(word) : nullptr;
  if (BlockRowCount(pBlock) > nRow) return pBlock;
  // The block grows to exactly the sub-rows it holds, so that its count
  // never promises cells beyond its end.
  const std::uint32_t nFields = table.GetFieldCount();
  const std::uint32_t nOldRows = BlockRowCount(pBlock);
  auto* pNew = static_cast<std::uint32_t*>(
      table.m_pDatenSatz->ArenaAllocZeroed(BlockBytes(std::uint64_t{nRow} + 1, nFields), true));
  if (pNew == nullptr) return nullptr;
  if (pBlock != nullptr) std::memcpy(pNew + 1, pBlock + 1, BlockBytes(nOldRows, nFields) - 4);
  pNew[0] = nRow + 1;
  return table.SetValue(hRow, PointerToWord(pNew)) ? pNew : nullptr;
}

// Whether the value fits the field: its kind and the field's number.
eMatManager CheckStructField(const CMatTable& table, int nField, const CCellInput& value) {
  if (table.m_pStrucDef == nullptr) return eMatWrongType;
  if (nField < 0 || static_cast<std::uint32_t>(nField) >= table.GetFieldCount()) return eMatField;
  const std::uint32_t nType = table.m_pStrucDef[1 + nField];
  const bool bTextField = nType == eTypeString || nType == eTypeUniString;
  return value.m_bText == bTextField ? eMatOk : eMatWrongType;
}

eMatManager WriteStructField(CMatTable& table, std::uint32_t* pBlock, std::uint32_t nRow,
                             int nField, const CCellInput& value) {
  std::uint32_t nCell = value.m_nValue;
  if (value.m_bText) {
    nCell = value.m_pText != nullptr ? table.m_pDatenSatz->AddPoolText(value.TextView()) : 0;
    if (value.m_pText != nullptr && nCell == 0) return eMatIndex;
  }
  pBlock[1 + std::size_t{nRow} * table.GetFieldCount() + static_cast<std::uint32_t>(nField)] =
      nCell;
  return eMatOk;
}

eMatManager WriteStructCell(CMatTable& table, Handle hRow, int nIndex, int nField,
                            const CCellInput& value) {
  if (const eMatManager nCheck = CheckStructField(table, nField, value); nCheck != eMatOk)
    return nCheck;
  const auto nRow = static_cast<std::uint32_t>(nIndex);
  std::uint32_t* pBlock = StructBlockFor(table, hRow, nRow);
  if (pBlock == nullptr) return eMatIndex;
  return WriteStructField(table, pBlock, nRow, nField, value);
}

// StringArray and DWordArray: one array, grown in groups of four cells.
eMatManager WriteArrayCell(CMatTable& table, int nIndex, const CCellInput& value) {
  const bool bTexts = table.m_nType == eTypeStringArray;
  const std::size_t nCellBytes = bTexts ? sizeof(wchar_t*) : kCellBytes;
  const auto nRoom = static_cast<std::size_t>(
      table.m_pData == nullptr || table.m_nRowCount <= 0 ? 0 : ((table.m_nRowCount - 1) | 3) + 1);
  CMatDatenSatz& dataset = *table.m_pDatenSatz;
  if (static_cast<std::size_t>(nIndex) >= nRoom) {
    const std::size_t nNewRoom = (static_cast<std::size_t>(nIndex) | 3) + 1;
    void* pNew = dataset.ArenaAllocZeroed(nNewRoom * nCellBytes, true);
    if (pNew == nullptr) return eMatIndex;
    if (nRoom > 0) std::memcpy(pNew, table.m_pData, nRoom * nCellBytes);
    table.m_pData = pNew;
  }
  if (bTexts) {
    wchar_t* pCopy = value.m_pText != nullptr ? dataset.CopyText(value.TextView()) : nullptr;
    if (value.m_pText != nullptr && pCopy == nullptr) return eMatIndex;
    static_cast<wchar_t**>(table.m_pData)[nIndex] = pCopy;
  } else {
    static_cast<std::uint32_t*>(table.m_pData)[nIndex] = value.m_nValue;
  }
  table.m_nRowCount = std::max(table.m_nRowCount, nIndex + 1);
  return eMatOk;
}

eMatManager WriteStrLine(CMatTable& table, const CCellInput& value) {
  wchar_t* pCopy = table.m_pDatenSatz->CopyText(value.TextView());
  if (pCopy == nullptr) return eMatIndex;
  table.m_pData = pCopy;
  return eMatOk;
}

// Whether the value is of the kind the table's cells take (Struct decides
// per field).
bool KindFits(const CMatTable& table, const CCellInput& value) {
  switch (table.m_nType) {
    case eTypeString:
    case eTypeUniString:
    case eTypeStringArray:
    case eTypeStrLine:
      return value.m_bText;
    case eTypeVoid:
    case eTypeStruct:
      return true;
    default:
      return !value.m_bText;
  }
}

eMatManager WriteCell(CMatTable& table, Handle hRow, int nIndex, int nField,
                      const CCellInput& value) {
  switch (table.m_nType) {
    case eTypeStringArray:
    case eTypeDWordArray:
      return WriteArrayCell(table, nIndex, value);
    case eTypeStrLine:
      return WriteStrLine(table, value);
    default:
      break;
  }
  if (hRow == 0) return eMatNoRow;
  if (table.m_nType == eTypeStruct) return WriteStructCell(table, hRow, nIndex, nField, value);
  if (nIndex >= table.GetCellsPerRow()) return eMatIndex;
  switch (table.m_nType) {
    case eTypeVoid:
      return table.SetValue(hRow, 0) ? eMatOk : eMatIndex;
    case eTypeString:
    case eTypeUniString:
      return WriteStringCell(table, hRow, nIndex, value);
    case eTypeHandle:
    case eTypeInteger:
    case eTypeFloat:
    case eTypeBit:
      return WriteValueCell(table, hRow, nIndex, value.m_nValue);
    default:
      return eMatWrongType;
  }
}

}  // namespace

eMatManager CMatStore::SetCellValue(CMatTable* pTable, Handle hRow, int nIndex, int nField,
                                    const CCellInput& value) {
  if (pTable == nullptr || pTable->m_pDatenSatz == nullptr) return eMatNoTable;
  CMatDatenSatz& dataset = *pTable->m_pDatenSatz;
  ActivateDataset(hRow);
  if (dataset.CheckWriteLock(true)) return eMatLocked;
  dataset.SetModified();
  EnsureRowsLoaded(*pTable);
  if (nIndex < 0) return eMatIndex;
  if (!KindFits(*pTable, value)) return eMatWrongType;
  const eMatManager nResult = WriteCell(*pTable, hRow, nIndex, nField, value);
  if (pTable->m_nType != eTypeStringArray && pTable->m_nType != eTypeDWordArray &&
      pTable->m_nType != eTypeStrLine)
    pTable->UpdateRowCount();
  return nResult;
}

eMatManager CMatStore::SetStructFields(CMatTable* pTable, Handle hRow, const CFieldInput* pFields,
                                       std::size_t nFields) {
  if (pTable == nullptr || pTable->m_pDatenSatz == nullptr) return eMatNoTable;
  CMatDatenSatz& dataset = *pTable->m_pDatenSatz;
  ActivateDataset(hRow);
  if (dataset.CheckWriteLock(true)) return eMatLocked;
  if (pTable->m_nType != eTypeStruct) return eMatWrongType;
  if (hRow == 0) return eMatNoRow;
  dataset.SetModified();
  EnsureRowsLoaded(*pTable);
  eMatManager nResult = eMatOk;
  std::uint32_t* pBlock = nullptr;
  for (std::size_t i = 0; i < nFields; ++i) {
    eMatManager nField = CheckStructField(*pTable, pFields[i].m_nField, pFields[i].m_Value);
    if (nField == eMatOk && pBlock == nullptr &&
        (pBlock = StructBlockFor(*pTable, hRow, 0)) == nullptr)
      nField = eMatIndex;
    if (nField == eMatOk)
      nField = WriteStructField(*pTable, pBlock, 0, pFields[i].m_nField, pFields[i].m_Value);
    if (nResult == eMatOk) nResult = nField;
  }
  pTable->UpdateRowCount();
  return nResult;
}
