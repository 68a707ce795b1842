#include "store/table_names.h"

#include "platform/text.h"
#include "store/mat_daten_satz.h"

std::wstring_view TableNameText(const CMatTable& table) {
  const wchar_t* pName =
      table.m_pDatenSatz != nullptr ? table.m_pDatenSatz->GetWideName(table.m_hName) : nullptr;
  return pName != nullptr ? std::wstring_view(pName) : std::wstring_view(table.m_strName);
}

namespace {

bool IsHidden(const CMatTable& table) { return (table.m_nFlags & eFlagHidden) != 0; }

CMatTable* WalkList(const CTableList& list, std::wstring_view name, eHiddenTables hidden) {
  for (const auto& pTable : list) {
    if (hidden != eHiddenTables::kFind && IsHidden(*pTable)) continue;
    if (EqualsNoCase(TableNameText(*pTable), name)) return pTable.get();
  }
  return nullptr;
}

}  // namespace

CMatTable* FindTableInList(CMatDatenSatz& dataset, const CMatTableBody* pOwner,
                           const CTableList& list, std::wstring_view name, eHiddenTables hidden) {
  // The index holds the tables that were visible when it was built: a walk
  // that finds hidden ones too cannot use it.
  if (hidden != eHiddenTables::kFind) {
    if (const CChildNameIndex* pIndex = dataset.m_ChildIndexes.Get(pOwner, list)) {
      CMatTable* pFound = pIndex->Find(name);
      if (pFound == nullptr || !IsHidden(*pFound) || hidden == eHiddenTables::kAsIndexed)
        return pFound;
    }
  }
  return WalkList(list, name, hidden);
}

CMatTable* FindTopLevelTable(CMatDatenSatz& dataset, std::wstring_view name, eHiddenTables hidden) {
  return FindTableInList(dataset, nullptr, dataset.m_Tables, name, hidden);
}

CMatTable* FindChildTable(const CMatTable& parent, std::wstring_view name, eHiddenTables hidden) {
  if (parent.m_pDatenSatz == nullptr) return nullptr;
  return FindTableInList(*parent.m_pDatenSatz, &parent, parent.m_Children, name, hidden);
}
