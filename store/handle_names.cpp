#include "store/handle_names.h"

#include <algorithm>

void CHandleNames::SetAt(Handle h, std::uintptr_t nEntry) {
  if (nEntry == 0) {
    RemoveKey(h);
    return;
  }
  if (h != 0 && IsEmpty() && m_nReach == 0) m_hFirst = h;
  const std::uint32_t nAt = h - m_hFirst;
  if (h == 0 || h < m_hFirst || (nAt > m_Run.size() + kMaxGap && nAt >= m_nReach)) {
    m_Others.SetAt(h, nEntry);
    return;
  }
  if (nAt == m_Run.size() && m_Others.IsEmpty()) {  // the next handle counted out
    m_Run.push_back(nEntry);
    ++m_nRunCount;
    return;
  }
  if (nAt >= m_Run.size()) {
    // The run grows to the handle. Handles of the gap and the handle itself
    // may have been entered beside the run (before it came so far): they move
    // into it, so that no handle is in both.
    const std::size_t nFrom = m_Run.size();
    m_Run.resize(std::size_t{nAt} + 1, 0);
    for (std::size_t i = nFrom; i <= nAt && !m_Others.IsEmpty(); ++i) {
      std::uint64_t word = 0;
      const auto hGap = static_cast<Handle>(m_hFirst + i);
      if (!m_Others.Lookup(hGap, word)) continue;
      m_Others.RemoveKey(hGap);
      m_Run[i] = static_cast<std::uintptr_t>(word);
      ++m_nRunCount;
    }
  }
  if (m_Run[nAt] == 0) ++m_nRunCount;
  m_Run[nAt] = nEntry;
}

void CHandleNames::Reserve(Handle hFirst, std::size_t n) {
  if (IsEmpty() && m_Run.empty() && hFirst != 0) m_hFirst = hFirst;
  m_Run.reserve(m_Run.size() + n);
  m_nReach = std::max(m_nReach, m_Run.size() + n);
}

bool CHandleNames::RemoveKey(Handle h) {
  const std::uint32_t nAt = h - m_hFirst;
  if (nAt >= m_Run.size()) return m_Others.RemoveKey(h);
  if (m_Run[nAt] == 0) return false;
  m_Run[nAt] = 0;
  --m_nRunCount;
  return true;
}

void CHandleNames::RemoveAll() {
  m_hFirst = 0;
  std::vector<std::uintptr_t>().swap(m_Run);
  m_nRunCount = 0;
  m_nReach = 0;
  m_Others.RemoveAll();
}
