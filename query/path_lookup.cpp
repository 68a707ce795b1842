#include "query/path_lookup.h"

#include <algorithm>
#include <vector>

#include "platform/text.h"
#include "store/mat_store.h"
#include "store/mmd/dataset_registry.h"
#include "store/table_names.h"

namespace {

using CAlias = std::pair<CString, CString>;

// Aliases resolve aliases; a chain longer than this is a cycle through
// datasets or a mistake, and ends as not resolved.
constexpr std::size_t kMaxAliasDepth = 32;

enum class eAliasResult { kNone, kResolved, kUnresolved };

class CPathLookup {
 public:
  explicit CPathLookup(CMatStore& store) : m_Store(store) {}
  eMatManager Find(CMatTable*& out, CMatTable* pParent, std::wstring_view path);
  static CMatTable* FindChild(CMatTable& parent, std::wstring_view name);

 private:
  bool HasDataset() const;
  eMatManager SelectPrefix(std::wstring_view id);
  eAliasResult ResolveAlias(CMatDatenSatz& dataset, std::wstring_view name, CMatTable*& pCur);
  CMatTable* FindTopLevel(CMatDatenSatz& dataset, std::wstring_view name);

  CMatStore& m_Store;
  std::vector<const CAlias*> m_AliasesInProgress;
};

bool CPathLookup::HasDataset() const {
  for (std::size_t n = 0; n < m_Store.GetDatasetCount(); ++n)
    if (m_Store.GetDataset(n) != nullptr) return true;
  return false;
}

eMatManager CPathLookup::SelectPrefix(std::wstring_view id) {
  for (std::size_t n = 0; n < m_Store.GetDatasetCount(); ++n) {
    CMatDatenSatz* pDataset = m_Store.GetDataset(n);
    if (pDataset == nullptr || !pDataset->m_bListed || id != pDataset->m_szHerstellerID) continue;
    if (pDataset->m_bClosed) return eMatClosed;
    ActivateDatasetOf(m_Store, *pDataset);
    return eMatOk;
  }
  return eMatNoDataset;
}

eAliasResult CPathLookup::ResolveAlias(CMatDatenSatz& dataset, std::wstring_view name,
                                       CMatTable*& pCur) {
  eAliasResult nResult = eAliasResult::kNone;
  CMatTable* const pStart = pCur;
  for (const CAlias& alias : dataset.m_Aliases) {
    if (alias.first != name) continue;
    if (nResult == eAliasResult::kNone) nResult = eAliasResult::kUnresolved;
    const bool bInProgress = std::find(m_AliasesInProgress.begin(), m_AliasesInProgress.end(),
                                       &alias) != m_AliasesInProgress.end();
    if (bInProgress || m_AliasesInProgress.size() >= kMaxAliasDepth) continue;
    m_AliasesInProgress.push_back(&alias);
    CMatTable* pFound = nullptr;
    // Each pair resolves from where the name stands; a later pair that
    // resolves replaces an earlier result, one that does not keeps it.
    const eMatManager nFound = Find(pFound, pStart, alias.second);
    m_AliasesInProgress.pop_back();
    if (nFound == eMatOk) {
      pCur = pFound;
      nResult = eAliasResult::kResolved;
    }
  }
  return nResult;
}

CMatTable* CPathLookup::FindChild(CMatTable& parent, std::wstring_view name) {
  if (parent.m_pDatenSatz == nullptr) return nullptr;
  parent.m_pDatenSatz->EnsureRowsLoaded(parent);
  return FindLoadedChild(parent, name);
}

}  // namespace

CMatTable* FindLoadedChild(CMatTable& parent, std::wstring_view name, std::uint64_t nNameStamp) {
  CMatDatenSatz* pDataset = parent.m_pDatenSatz;
  if (pDataset == nullptr) return nullptr;
  CChildIndexCache& cache = pDataset->m_ChildIndexes;
  const std::size_t nChildren = parent.m_Children.size();
  if (CMatTable* pLast = cache.FindRemembered(&parent, nChildren, name, nNameStamp);
      pLast != nullptr && (pLast->m_nFlags & eFlagHidden) == 0)
    return pLast;
  // A child hidden since its parent was indexed is still found: the caller
  // answers 14 for it.
  CMatTable* pFound =
      FindTableInList(*pDataset, &parent, parent.m_Children, name, eHiddenTables::kAsIndexed);
  if (pFound != nullptr && (pFound->m_nFlags & eFlagHidden) == 0)
    cache.Remember(&parent, nChildren, name, pFound, nNameStamp);
  return pFound;
}

namespace {

CMatTable* CPathLookup::FindTopLevel(CMatDatenSatz& dataset, std::wstring_view name) {
  // A hidden first name is not found: the search goes on with the next.
  return FindTopLevelTable(dataset, name, eHiddenTables::kSkip);
}

eMatManager CPathLookup::Find(CMatTable*& out, CMatTable* pParent, std::wstring_view path) {
  out = nullptr;
  if (pParent != nullptr && pParent->m_nType == eTypeStrLine && pParent->m_pDatenSatz != nullptr)
    pParent->m_pDatenSatz->EnsureRowsLoaded(*pParent);
  if (!HasDataset()) return eMatNoDataset;

  const std::size_t nBackslash = path.find(L'\\');
  if (nBackslash != std::wstring_view::npos && nBackslash > 0) {
    if (const eMatManager nResult = SelectPrefix(path.substr(0, nBackslash)); nResult != eMatOk)
      return nResult;
    path.remove_prefix(nBackslash + 1);
  } else if (pParent != nullptr && pParent->m_pDatenSatz != nullptr) {
    ActivateDatasetOf(m_Store, *pParent->m_pDatenSatz);
  }
  if (m_Store.GetCurrent() == nullptr) return eMatNoDataset;
  if (CMatDatenSatz* pDataset = m_Store.GetCurrent();
      !pDataset->m_strPath.empty() && pDataset->m_HandleToName.IsEmpty())
    pDataset->EnsureDatasetLoaded();

  CMatTable* pCur = pParent;
  for (;;) {
    const std::size_t nDot = path.find(L'.');
    const bool bSplit = nDot != std::wstring_view::npos && nDot > 0;
    const std::wstring_view name = bSplit ? path.substr(0, nDot) : path;
    const std::wstring_view rest = bSplit ? path.substr(nDot + 1) : std::wstring_view{};

    // Alias resolution may switch the current dataset: take it anew per name.
    CMatDatenSatz* pDataset = m_Store.GetCurrent();
    bool bFound = false;
    const eAliasResult nAlias =
        pDataset != nullptr ? ResolveAlias(*pDataset, name, pCur) : eAliasResult::kNone;
    if (nAlias == eAliasResult::kResolved) {
      bFound = true;
    } else {
      if (nAlias == eAliasResult::kUnresolved) pCur = nullptr;
      pDataset = m_Store.GetCurrent();
      CMatTable* pFound = pCur != nullptr       ? FindChild(*pCur, name)
                          : pDataset != nullptr ? FindTopLevel(*pDataset, name)
                                                : nullptr;
      if (pFound != nullptr) {
        pCur = pFound;
        bFound = true;
      }
    }
    if (rest.empty()) {
      if (pCur == nullptr || !bFound) return eMatNoTable;
      if ((pCur->m_nFlags & eFlagHidden) != 0) return eMatHidden;
      out = pCur;
      return eMatOk;
    }
    path = rest;
  }
}

}  // namespace

void ActivateDatasetOf(CMatStore& store, CMatDatenSatz& dataset) {
  if (store.GetCurrent() != &dataset) MakeCurrent(store, dataset);
}

eMatManager FindTable(CMatStore& store, CMatTable*& out, CMatTable* pParent,
                      std::wstring_view path) {
  CPathLookup lookup(store);
  return lookup.Find(out, pParent, path);
}

CMatTable* FindOrCreateTable(CMatStore& store, CMatTable* pParent, const wchar_t* pName, int nType,
                             int nValuesPerRow) {
  if (pName == nullptr) return nullptr;
  CMatTable* pTable = nullptr;
  if (FindTable(store, pTable, pParent, pName) == eMatOk) return pTable;
  return store.CreateTable(pParent, pName, nType, nValuesPerRow);
}
