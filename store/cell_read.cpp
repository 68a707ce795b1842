// Reading one cell of a table.
#include "store/mat_store.h"

namespace {

// A row of several Handle, String, Integer, Float, Bit, Void or UniString
// cells (ReadCell reads the one-value rows itself).
eMatManager ReadRowCell(const CMatTable& table, CCell& cell, Handle hRow, int nIndex) {
  std::uint64_t word = 0;
  if (hRow == 0 || !table.FindRow(hRow, word)) return eMatNoRow;
  if (nIndex < 0 || nIndex >= table.GetCellsPerRow()) return eMatIndex;
  if (table.m_nType == eTypeVoid) return eMatOk;  // only the row's existence counts
  // A row added without values has no array yet: its cells read as 0.
  if (const auto* pCells = WordToPointer<const std::uint32_t>(word)) cell.m_nValue = pCells[nIndex];
  return eMatOk;
}

eMatManager ReadStructCell(const CMatTable& table, CCell& cell, Handle hRow, int nIndex,
                           int nField) {
  if (hRow == 0) return eMatNoRow;
  if (table.m_pStrucDef == nullptr) return eMatWrongType;
  const std::uint32_t nFields = table.GetFieldCount();
  if (nField < 0 || static_cast<std::uint32_t>(nField) >= nFields) return eMatField;
  std::uint64_t word = 0;
  if (!table.FindRow(hRow, word)) return eMatNoRow;
  const auto* pBlock = WordToPointer<const std::uint32_t>(word);
  if (nIndex < 0 || static_cast<std::uint32_t>(nIndex) >= BlockRowCount(pBlock)) return eMatIndex;
  cell.m_nValue = pBlock[1 + std::size_t{static_cast<std::uint32_t>(nIndex)} * nFields +
                         static_cast<std::uint32_t>(nField)];
  const bool bHandleField = table.m_pStrucDef[1 + nField] == eTypeHandle;
  return bHandleField && cell.m_nValue == 0 ? eMatEmptyHandle : eMatOk;
}

eMatManager ReadArrayCell(const CMatTable& table, CCell& cell, int nIndex) {
  if (nIndex < 0 || nIndex >= table.m_nRowCount || table.m_pData == nullptr) return eMatIndex;
  if (table.m_nType == eTypeStringArray)
    cell.m_pText = static_cast<const wchar_t* const*>(table.m_pData)[nIndex];
  else
    cell.m_nValue = static_cast<const std::uint32_t*>(table.m_pData)[nIndex];
  return eMatOk;
}

}  // namespace

eMatManager CMatStore::ReadOtherCell(const CMatTable& table, CCell& cell, Handle hRow, int nIndex,
                                     int nField) {
  if (HoldsRowCells(table.m_nType)) return ReadRowCell(table, cell, hRow, nIndex);
  switch (table.m_nType) {
    case eTypeStruct:
      return ReadStructCell(table, cell, hRow, nIndex, nField);
    case eTypeStringArray:
    case eTypeDWordArray:
      return ReadArrayCell(table, cell, nIndex);
    case eTypeStrLine:
      if (nIndex > 0) return eMatNoRow;
      cell.m_pText = static_cast<const wchar_t*>(table.m_pData);
      return eMatOk;
    default:
      return eMatWrongType;
  }
}
