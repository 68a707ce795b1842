#include "store/handle_names.h"

void CHandleNames::SetAt(Handle h, std::uintptr_t nEntry) {
  if (nEntry == 0) {
    RemoveKey(h);
    return;
  }
  if (h != 0 && m_Run.empty() && m_Others.IsEmpty()) m_hFirst = h;
  const std::uint32_t nAt = h - m_hFirst;
  if (h == 0 || h < m_hFirst || nAt > m_Run.size() + kMaxGap) {
    m_Others.SetAt(h, nEntry);
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
  m_Others.RemoveAll();
}
