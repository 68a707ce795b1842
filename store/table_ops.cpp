// Making, finding, removing and renaming tables, and their small setters.
#include <algorithm>
#include <cstring>

#include "store/mat_store.h"

namespace {

// The owning list entry of a table within a list and, depth-first, the
// lists of its descendants; null when the table is not there.
std::unique_ptr<CMatTable>* FindOwner(CTableList& list, const CMatTable* pTable,
                                      CTableList** ppList) {
  for (auto& pEntry : list) {
    if (pEntry.get() == pTable) {
      *ppList = &list;
      return &pEntry;
    }
    if (auto* pFound = FindOwner(pEntry->m_Children, pTable, ppList)) return pFound;
  }
  return nullptr;
}

bool NameInUse(const CTableList& list, const CMatTable* pExcept, Handle h) {
  return std::any_of(list.begin(), list.end(), [&](const auto& p) {
    return (p.get() != pExcept && p->m_hName == h) || NameInUse(p->m_Children, pExcept, h);
  });
}

}  // namespace

// A child belongs to its parent's dataset: its name handle must be made
// there. That dataset is made current and its tables read; null when there
// is none or another user holds it.
CMatDatenSatz* CMatStore::NewTableDataset(CMatTable* pParent) {
  if (pParent != nullptr && pParent->m_pDatenSatz != nullptr) SetCurrent(pParent->m_pDatenSatz);
  CMatDatenSatz* pDataset = m_pCurrent;
  if (pDataset == nullptr || pDataset->CheckWriteLock(false)) return nullptr;
  pDataset->EnsureDatasetLoaded();
  return pDataset;
}

CMatTable* CMatStore::CreateTable(CMatTable* pParent, const wchar_t* pName, int nType,
                                  int nValuesPerRow) {
  CMatDatenSatz* pDataset = NewTableDataset(pParent);
  if (pDataset == nullptr || pName == nullptr) return nullptr;
  Handle hName = pDataset->FindHandle(pName);
  if (hName == 0) hName = pDataset->CreateHandle(pName);
  return hName != 0 ? AddTable(*pDataset, pParent, hName, pName, nType, nValuesPerRow) : nullptr;
}

CMatTable* CMatStore::CreateTable(CMatTable* pParent, Handle hName, std::wstring_view name,
                                  int nType, int nValuesPerRow) {
  CMatDatenSatz* pDataset = NewTableDataset(pParent);
  if (pDataset == nullptr || hName == 0) return nullptr;
  return AddTable(*pDataset, pParent, hName, name, nType, nValuesPerRow);
}

CMatTable* CMatStore::AddTable(CMatDatenSatz& dataset, CMatTable* pParent, Handle hName,
                               std::wstring_view name, int nType, int nValuesPerRow) {
  dataset.SetModified();
  auto pTable = std::make_unique<CMatTable>();
  pTable->m_nType = static_cast<std::uint32_t>(nType);
  pTable->m_hName = hName;
  pTable->m_strName = name;
  pTable->m_nValuesPerRow = nValuesPerRow;
  pTable->m_pDatenSatz = &dataset;
  pTable->m_pParent = pParent;
  CTableList& list = pParent != nullptr ? pParent->m_Children : dataset.m_Tables;
  list.push_back(std::move(pTable));
  dataset.m_ChildIndexes.Appended(pParent, list);
  return list.back().get();
}

CMatTable* CMatStore::FindChildByHandle(const CMatTable* pTable, Handle h) {
  if (pTable == nullptr) return nullptr;
  for (const auto& pChild : pTable->m_Children) {
    if (pChild->m_hName == h) return pChild.get();
    if (CMatTable* pFound = FindChildByHandle(pChild.get(), h)) return pFound;
  }
  return nullptr;
}

eMatManager CMatStore::RemoveTable(CMatTable* pTable) {
  if (pTable == nullptr || m_pCurrent == nullptr) return eMatNoTable;
  if (m_pCurrent->CheckWriteLock(true)) return eMatLocked;
  CTableList* pList = nullptr;
  std::unique_ptr<CMatTable>* pOwner = FindOwner(m_pCurrent->m_Tables, pTable, &pList);
  if (pOwner == nullptr) return eMatNoTable;
  std::unique_ptr<CMatTable> pTaken = std::move(*pOwner);
  pList->erase(pList->begin() + (pOwner - pList->data()));
  m_pCurrent->m_ChildIndexes.Removed(pTaken->m_pParent, *pList, pTaken.get());
  // Out of the tree, the parent may go before it does.
  pTaken->m_pParent = nullptr;
  m_pCurrent->m_RemovedTables.push_back(std::move(pTaken));
  m_pCurrent->SetModified();
  return eMatOk;
}

eMatManager CMatStore::RenameTable(CMatTable* pTable, const wchar_t* pName) {
  if (pTable == nullptr || pTable->m_pDatenSatz == nullptr) return eMatNoTable;
  CMatDatenSatz& dataset = *pTable->m_pDatenSatz;
  SetCurrent(&dataset);
  if (dataset.CheckWriteLock(true)) return eMatLocked;
  const Handle hNew = pName != nullptr ? dataset.CreateHandle(pName) : 0;
  if (hNew == 0) return eMatNoHandle;
  const Handle hOld = pTable->m_hName;
  pTable->m_strName = pName;
  pTable->m_hName = hNew;
  dataset.m_ChildIndexes.Drop(pTable->m_pParent);
  // Tables made with the same name share its handle; theirs must stay.
  if (!NameInUse(dataset.m_Tables, pTable, hOld)) dataset.RemoveNames(hOld, false);
  dataset.SetModified();
  return eMatOk;
}

eMatManager CMatStore::SetFlags(CMatTable* pTable, std::uint32_t nSet, std::uint32_t nClear) {
  if (pTable == nullptr) return eMatNoTable;
  const std::uint32_t nFlags = (pTable->m_nFlags | nSet) & ~nClear;
  if (nFlags == pTable->m_nFlags) return eMatOk;
  if (pTable->m_pDatenSatz != nullptr) {
    if (pTable->m_pDatenSatz->CheckWriteLock(true)) return eMatLocked;
    pTable->m_pDatenSatz->SetModified();
  }
  // A child shown again may come before the one last found under its name.
  if (((nFlags ^ pTable->m_nFlags) & eFlagHidden) != 0 && pTable->m_pDatenSatz != nullptr)
    pTable->m_pDatenSatz->m_ChildIndexes.ForgetRemembered();
  pTable->m_nFlags = nFlags;
  return eMatOk;
}

eMatManager CMatStore::SetStrucDef(CMatTable* pTable, const std::uint32_t* pDef) {
  if (pTable == nullptr || pTable->m_pDatenSatz == nullptr) return eMatNoTable;
  if (pDef == nullptr) return eMatWrongType;
  CMatDatenSatz& dataset = *pTable->m_pDatenSatz;
  EnsureRowsLoaded(*pTable);
  // Struct blocks are laid out by the field count: rows made with another
  // count would be read past their ends.
  const bool bHasRows = pTable->GetRowCount() > 0 || pTable->m_nRowCount > 0;
  if (bHasRows && pTable->m_pStrucDef != nullptr && pTable->m_pStrucDef[0] != pDef[0])
    return eMatWrongType;
  if (dataset.CheckWriteLock(true)) return eMatLocked;
  const std::uint64_t nBytes = (std::uint64_t{pDef[0]} + 1) * 4;
  auto* pCopy = static_cast<std::uint32_t*>(dataset.ArenaAlloc(nBytes, true));
  if (pCopy == nullptr) return eMatIndex;
  std::memcpy(pCopy, pDef, nBytes);
  pTable->m_pStrucDef = pCopy;
  dataset.SetModified();
  return eMatOk;
}

void CMatStore::AddAlias(const wchar_t* pAlias, const wchar_t* pPath) {
  if (m_pCurrent == nullptr || pAlias == nullptr || pPath == nullptr) return;
  m_pCurrent->m_Aliases.emplace_back(pAlias, pPath);
}

void CMatStore::SetBeschreibung(CMatTable* pTable, const wchar_t* pText) {
  if (pTable == nullptr || pTable->m_nType == eTypeStrLine) return;
  const std::wstring_view text = pText != nullptr ? pText : L"";
  if (pTable->m_strBeschreibung == text) return;
  if (pTable->m_pDatenSatz != nullptr) {
    if (pTable->m_pDatenSatz->CheckWriteLock(true)) return;
    pTable->m_pDatenSatz->SetModified();
  }
  pTable->m_strBeschreibung = text;
}
