#include "store/name_map.h"

#include <bit>
#include <cstring>

#include "store/huge_pages.h"

namespace {
// The name maps start with room for 512 names.
constexpr std::size_t kInitialCapacity = 1024;
const wchar_t kRemoved[1] = {0};
}  // namespace

const wchar_t* CNameMap::Removed() { return kRemoved; }

std::uint32_t CNameMap::Hash(std::wstring_view text) {
  std::uint32_t h = 2166136261u;  // FNV-1a over the characters
  for (wchar_t c : text) {
    h ^= static_cast<std::uint32_t>(c);
    h *= 16777619u;
  }
  return h;
}

std::size_t CNameMap::FindSlot(std::wstring_view text, std::uint32_t nHash) const {
  if (m_nCapacity == 0) return 0;
  const std::size_t nMask = m_nCapacity - 1;
  for (std::size_t i = nHash & nMask, n = 0; n < m_nCapacity; i = (i + 1) & nMask, ++n) {
    const CSlot& s = m_pSlots[i];
    if (s.pText == nullptr) break;
    if (s.pText != Removed() && s.nHash == nHash && text == s.pText) return i;
  }
  return m_nCapacity;
}

Handle CNameMap::Lookup(std::wstring_view text) const {
  const std::size_t i = FindSlot(text, Hash(text));
  return i < m_nCapacity ? m_pSlots[i].hName : 0;
}

std::unique_ptr<CNameMap::CSlot[]> CNameMap::NewSlots(std::size_t nCapacity) {
  // Not value-initialised: the pages are advised before they are first touched.
  std::unique_ptr<CSlot[]> pSlots(new CSlot[nCapacity]);
  AdviseHugePages(pSlots.get(), nCapacity * sizeof(CSlot));
  std::memset(static_cast<void*>(pSlots.get()), 0, nCapacity * sizeof(CSlot));
  return pSlots;
}

void CNameMap::Rehash(std::size_t nCapacity) {
  std::unique_ptr<CSlot[]> pOld = std::move(m_pSlots);
  const std::size_t nOld = m_nCapacity;
  m_pSlots = NewSlots(nCapacity);
  m_nCapacity = nCapacity;
  m_nRemoved = 0;
  for (std::size_t j = 0; j < nOld; ++j) {
    if (!IsUsed(pOld[j])) continue;
    std::size_t i = pOld[j].nHash & (nCapacity - 1);
    while (m_pSlots[i].pText != nullptr) i = (i + 1) & (nCapacity - 1);
    m_pSlots[i] = pOld[j];
  }
}

void CNameMap::InitHashTable(std::size_t n) {
  // The same load limit as SetAt: at most three quarters of the slots used.
  std::size_t nCapacity = kInitialCapacity;
  while (nCapacity < (std::size_t{1} << 40) && nCapacity * 3 < (n + 1) * 4) nCapacity *= 2;
  if (nCapacity > m_nCapacity) Rehash(nCapacity);
}

void CNameMap::SetAt(const wchar_t* pText, Handle hName) {
  if (pText == nullptr) return;
  const std::uint32_t nHash = Hash(pText);
  std::size_t i = FindSlot(pText, nHash);
  if (i < m_nCapacity) {
    m_pSlots[i].pText = pText;
    m_pSlots[i].hName = hName;
    return;
  }
  if ((m_nCount + m_nRemoved + 1) * 4 > m_nCapacity * 3) {
    const bool bGrow = (m_nCount + 1) * 2 > m_nCapacity;
    Rehash(m_nCapacity == 0 ? kInitialCapacity : (bGrow ? m_nCapacity * 2 : m_nCapacity));
  }
  i = nHash & (m_nCapacity - 1);
  while (IsUsed(m_pSlots[i])) i = (i + 1) & (m_nCapacity - 1);
  if (m_pSlots[i].pText == Removed()) --m_nRemoved;
  m_pSlots[i] = CSlot{pText, nHash, hName};
  ++m_nCount;
}

bool CNameMap::RemoveIf(std::wstring_view text, Handle hName) {
  const std::size_t i = FindSlot(text, Hash(text));
  if (i >= m_nCapacity || m_pSlots[i].hName != hName) return false;
  m_pSlots[i] = CSlot{Removed(), 0, 0};
  --m_nCount;
  ++m_nRemoved;
  return true;
}

void CNameMap::RemoveAll() {
  m_pSlots.reset();
  m_nCapacity = m_nCount = m_nRemoved = 0;
}
