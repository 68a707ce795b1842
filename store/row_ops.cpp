// Rows as a whole: existence, adding, removing, counting, iterating.
#include "store/mat_store.h"

namespace {
// Tables of these types keep no rows.
bool HasRows(const CMatTable& table) {
  return table.m_nType != eTypeStrLine && table.m_nType != eTypeStringArray &&
         table.m_nType != eTypeDWordArray;
}
}  // namespace

bool CMatStore::RemoveRowOf(CMatTable& table, Handle hRow) {
  std::uint64_t word = 0;
  if (!HasRows(table) || !table.RemoveRowEntry(hRow, word)) return false;
  const auto* pBlock = WordToPointer<std::uint32_t>(word);
  if (table.m_nType == eTypeStruct && pBlock != nullptr && table.m_pDatenSatz != nullptr) {
    // Only Struct blocks of removed rows go back for reuse.
    const std::uint64_t nBytes = BlockBytes(pBlock[0], table.GetFieldCount());
    if (nBytes <= CArena::kMaxRequest)
      table.m_pDatenSatz->ArenaFree(const_cast<std::uint32_t*>(pBlock),
                                    static_cast<std::uint32_t>(nBytes));
  }
  table.UpdateRowCount();
  return true;
}

eMatManager CMatStore::RowExists(CMatTable* pTable, Handle hRow) {
  if (pTable == nullptr) return eMatNoTable;
  ActivateDataset(hRow);
  EnsureRowsLoaded(*pTable);
  std::uint64_t word = 0;
  return HasRows(*pTable) && pTable->FindRow(hRow, word) ? eMatOk : eMatNoRow;
}

eMatManager CMatStore::AddRow(CMatTable* pTable, Handle hRow) {
  if (pTable == nullptr || pTable->m_pDatenSatz == nullptr) return eMatNoTable;
  ActivateDataset(hRow);
  if (!HasRows(*pTable)) return eMatNoRow;
  if (pTable->m_pDatenSatz->CheckWriteLock(true)) return eMatLocked;
  EnsureRowsLoaded(*pTable);
  std::uint64_t word = 0;
  if (pTable->FindRow(hRow, word)) return eMatOk;
  if (!pTable->SetValue(hRow, 0)) return eMatIndex;
  pTable->UpdateRowCount();
  pTable->m_pDatenSatz->SetModified();
  return eMatOk;
}

void CMatStore::ReserveRows(CMatTable& table, std::size_t nRows) {
  EnsureRowsLoaded(table);
  if (!table.m_bListMode && table.GetRowCount() == 0) table.m_Rows.InitHashTable(nRows);
}

eMatManager CMatStore::AddRows(CMatTable* pTable, const Handle* pRows, std::size_t nRows) {
  if (pTable == nullptr || pTable->m_pDatenSatz == nullptr) return eMatNoTable;
  if (nRows == 0) return eMatOk;
  ActivateDataset(pRows[0]);
  if (!HasRows(*pTable)) return eMatNoRow;
  if (pTable->m_pDatenSatz->CheckWriteLock(true)) return eMatLocked;
  ReserveRows(*pTable, nRows);
  eMatManager rc = eMatOk;
  for (std::size_t i = 0; i < nRows && rc == eMatOk; ++i) {
    std::uint64_t word = 0;
    if (!pTable->FindRow(pRows[i], word) && !pTable->SetValue(pRows[i], 0)) rc = eMatIndex;
  }
  pTable->UpdateRowCount();
  pTable->m_pDatenSatz->SetModified();
  return rc;
}

eMatManager CMatStore::RemoveRow(CMatTable* pTable, Handle hRow) {
  if (pTable == nullptr || pTable->m_pDatenSatz == nullptr) return eMatNoTable;
  ActivateDataset(hRow);
  if (!HasRows(*pTable)) return eMatNoRow;
  if (pTable->m_pDatenSatz->CheckWriteLock(true)) return eMatLocked;
  EnsureRowsLoaded(*pTable);
  if (!RemoveRowOf(*pTable, hRow)) return eMatNoRow;
  pTable->m_pDatenSatz->SetModified();
  return eMatOk;
}

int CMatStore::GetRowCount(CMatTable* pTable) {
  if (pTable == nullptr) return 0;
  EnsureRowsLoaded(*pTable);
  return static_cast<int>(pTable->GetRowCount());
}

POSITION CMatStore::GetFirstRowPosition(CMatTable* pTable) {
  if (pTable == nullptr) return nullptr;
  if (pTable->m_pDatenSatz != nullptr) SetCurrent(pTable->m_pDatenSatz);
  EnsureRowsLoaded(*pTable);
  if (!HasRows(*pTable)) return nullptr;
  return pTable->GetFirstRowPosition();
}
