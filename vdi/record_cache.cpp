#include "vdi/record_cache.h"

#include "store/mat_daten_satz.h"
#include "store/table_names.h"
#include "vdi/record_layout.h"

bool CFortranVdiCacheTable::Add(std::int32_t n) {
  if (n < 1) return false;
  const auto [it, bNew] = m_Index.try_emplace(n);
  if (!bNew) return false;
  if (m_nFirst == 0) {
    m_nFirst = n;
  } else {
    it->second.m_nPrevious = m_nLast;
    m_Index[m_nLast].m_nNext = n;
  }
  m_nLast = n;
  return true;
}

std::int32_t CFortranVdiCacheTable::GetNext(std::int32_t n) const {
  const auto it = n != 0 ? m_Index.find(n) : m_Index.end();
  return it != m_Index.end() ? it->second.m_nNext : 0;
}

std::int32_t CFortranVdiCacheTable::GetPrevious(std::int32_t n) const {
  const auto it = n != 0 ? m_Index.find(n) : m_Index.end();
  return it != m_Index.end() ? it->second.m_nPrevious : 0;
}

const CFortranVdiCacheTable* CFortranVdiCache::Find(const CMatTable& parent,
                                                    std::wstring_view prefix) {
  const std::uint64_t nStamp =
      parent.m_pDatenSatz != nullptr ? parent.m_pDatenSatz->m_ChildIndexes.GetTreeStamp() : 0;
  auto it = m_Parents.find(&parent);
  if (it == m_Parents.end()) {
    if (m_Parents.size() >= kMaxParents) m_Parents.clear();
    it = m_Parents.try_emplace(&parent).first;
    Build(parent, it->second);
  } else if (it->second.m_nTreeStamp != nStamp ||
             it->second.m_nChildCount != parent.m_Children.size()) {
    Build(parent, it->second);
  }
  const auto found = it->second.m_Types.find(prefix);
  return found != it->second.m_Types.end() ? &found->second : nullptr;
}

void CFortranVdiCache::Build(const CMatTable& parent, CParentLists& lists) {
  ++m_nBuilds;
  lists.m_Types.clear();
  lists.m_nChildCount = parent.m_Children.size();
  // A table without a dataset has no stamp: its lists are built anew at
  // every use rather than trusted.
  lists.m_nTreeStamp =
      parent.m_pDatenSatz != nullptr ? parent.m_pDatenSatz->m_ChildIndexes.GetTreeStamp() : ~0ull;
  for (const auto& pChild : parent.m_Children) {
    const std::wstring_view name = TableNameText(*pChild);
    const std::size_t nDash = name.find(L'-');
    if (nDash == std::wstring_view::npos) continue;
    const std::int32_t n = vdirecord::ReadInteger(name.substr(nDash + 1));
    if (n < 1) continue;
    const std::wstring_view prefix = name.substr(0, nDash);
    auto it = lists.m_Types.find(prefix);
    if (it == lists.m_Types.end())
      it = lists.m_Types.emplace(CString(prefix), CFortranVdiCacheTable()).first;
    it->second.Add(n);
  }
}
