// The exported calls of the path look-up and the table structure.
#include "OrvaMat/mat_manager.h"
#include "query/path_lookup.h"
#include "query/string_read.h"
#include "store/mat_store.h"

namespace {

CMatStore& Store() { return CMatStore::Instance(); }

void LoadBody(CMatTable& table) {
  if (table.m_pDatenSatz != nullptr) table.m_pDatenSatz->EnsureRowsLoaded(table);
}

// The list a table position walks: the parent's children, or the current
// dataset's top-level tables; null when there is none.
CTableList* ListOf(CMatTable* pParent) {
  if (pParent != nullptr) return &pParent->m_Children;
  CMatDatenSatz* pDataset = Store().GetCurrent();
  return pDataset != nullptr ? &pDataset->m_Tables : nullptr;
}

// Positions are list indexes + 1 dressed as pointers.
POSITION PositionOf(std::size_t nIndex) { return reinterpret_cast<POSITION>(nIndex + 1); }

POSITION FirstPosition(CMatTable* pParent) {
  const CTableList* pList = ListOf(pParent);
  return pList != nullptr && !pList->empty() ? PositionOf(0) : nullptr;
}

}  // namespace

eMatManager CMatManager::FindTable(CMatTable** out, CMatTable* parent, const wchar_t* path) {
  CMatTable* pFound = nullptr;
  const eMatManager nResult = ::FindTable(Store(), pFound, parent, path != nullptr ? path : L"");
  if (out != nullptr) *out = pFound;
  return nResult;
}

void* CMatManager::TablePointer(void* p) { return p; }

POSITION CMatManager::GetFirstTablePosition(CMatTable* parent) {
  if (parent != nullptr) LoadBody(*parent);
  return FirstPosition(parent);
}

POSITION CMatManager::GetFirstTablePositionEx(CMatTable* parent) {
  if (parent != nullptr && parent->m_nType == eTypeStrLine) LoadBody(*parent);
  if (parent == nullptr && Store().GetCurrent() != nullptr)
    Store().GetCurrent()->EnsureDatasetLoaded();
  return FirstPosition(parent);
}

CMatTable* CMatManager::GetNextTable(CMatTable* parent, POSITION& pos) {
  const CTableList* pList = ListOf(parent);
  const auto nIndex = reinterpret_cast<std::uintptr_t>(pos) - 1;
  if (pos == nullptr || pList == nullptr || nIndex >= pList->size()) {
    pos = nullptr;
    return nullptr;
  }
  pos = nIndex + 1 < pList->size() ? PositionOf(nIndex + 1) : nullptr;
  return (*pList)[nIndex].get();
}

CMatTable* CMatManager::GetParentTable(CMatTable* table) {
  return table != nullptr ? table->m_pParent : nullptr;
}

unsigned long CMatManager::GetTableHandle(CMatTable* table) {
  return table != nullptr ? table->m_hName : 0;
}

const wchar_t* CMatManager::GetGivenTableName(CMatTable* table) {
  if (table == nullptr || table->m_nType == eTypeStrLine) return nullptr;
  return table->m_strName.c_str();
}

bool CMatManager::IsFlag2Clear(CMatTable* table) {
  return table != nullptr && (table->m_nFlags & 2) == 0;
}

const wchar_t* CMatManager::GetTableName(CMatTable* table) {
  if (table == nullptr || table->m_pDatenSatz == nullptr) return nullptr;
  ActivateDatasetOf(Store(), *table->m_pDatenSatz);
  return table->m_pDatenSatz->GetWideName(table->m_hName);
}

eMatManager CMatManager::GetTablePath(CString& out, CMatTable* table) {
  out = TablePathOf(table);
  return table != nullptr ? eMatOk : eMatNoTable;
}

int CMatManager::GetTableType(CMatTable* table) {
  return table != nullptr ? static_cast<int>(table->m_nType) : static_cast<int>(eTypeInteger);
}

int CMatManager::GetCellType(CMatTable* table, int field) {
  return static_cast<int>(CellTypeOf(table, field));
}

int CMatManager::GetStrucFieldType(CMatTable* table, int field) {
  if (table == nullptr || table->m_pStrucDef == nullptr || field < 0 ||
      static_cast<std::uint32_t>(field) >= table->GetFieldCount())
    return eTypeVoid;
  return static_cast<int>(table->m_pStrucDef[field + 1]);
}

const std::uint32_t* CMatManager::GetStrucDef(CMatTable* table) {
  return table != nullptr ? table->m_pStrucDef : nullptr;
}

bool CMatManager::IsStructTable(CMatTable* table) {
  return table != nullptr && table->m_nType == eTypeStruct;
}

int CMatManager::GetValuesPerRow(CMatTable* table) {
  return table != nullptr ? table->m_nValuesPerRow : 0;
}

int CMatManager::GetItemCount(CMatTable* table, bool children) {
  if (table == nullptr) return 0;
  LoadBody(*table);
  if (children) return static_cast<int>(table->m_Children.size());
  if (table->m_nType == eTypeStringArray || table->m_nType == eTypeDWordArray)
    return table->m_nRowCount;
  return static_cast<int>(table->GetRowCount());
}

eMatManager CMatManager::GetRegStr(CString& s1, CString& s2, CString& s3, CMatTable* table,
                                   void** state) {
  if (table == nullptr) {
    s1.clear();
    return eMatNoTable;
  }
  s1 = table->m_strRegStr1;
  s2 = table->m_strRegStr2;
  s3 = table->m_strRegStr3;
  // m_nState is followed by m_hDefaultItem: hosts read both through it.
  if (state != nullptr) *state = &table->m_nState;
  return eMatOk;
}

eMatManager CMatManager::GetDefaultItem(unsigned long& out, CMatTable* table) {
  out = 0;
  if (table == nullptr) return eMatNoTable;
  out = table->m_hDefaultItem;
  return out != 0 ? eMatOk : eMatNoItem;
}

eMatManager CMatManager::GetDefaultChild(CMatTable** out, CMatTable* table) {
  CMatTable* pFound = nullptr;
  eMatManager nResult = eMatNoTable;
  if (table != nullptr) {
    nResult = eMatNoRow;
    const CTableList& children = table->m_Children;
    for (const auto& pChild : children)
      if (table->m_hDefaultItem != 0 && pChild->m_hName == table->m_hDefaultItem) {
        pFound = pChild.get();
        nResult = eMatOk;
        break;
      }
    for (const auto& pChild : children)
      if (pFound == nullptr && (pChild->m_nFlags & eFlagDefaultChild) != 0) {
        pFound = pChild.get();
        nResult = eMatOk;
      }
    if (pFound == nullptr && !children.empty()) pFound = children.front().get();
  }
  if (out != nullptr) *out = pFound;
  return nResult;
}
