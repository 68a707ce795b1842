#include "store/name_map.h"

#include <algorithm>
#include <cstring>

#include "platform/huge_pages.h"
#include "store/pool_text.h"

namespace {
// The name maps start with room for 512 names.
constexpr std::size_t kInitialCapacity = 1024;
// Home spreads a 32-bit hash over at most 2^32 slots.
constexpr std::size_t kMaxCapacity = std::size_t{1} << 32;
}  // namespace

std::uint32_t CNameMap::Hash(std::wstring_view text) {
  // Two characters per step through one 64-bit multiply, then a final mix so
  // that every bit (the high ones pick the slot) depends on every character.
  // A chain of one multiply per character was a fifth of every look-up.
  constexpr std::uint64_t kMul = 0x9E3779B97F4A7C15ull;
  std::uint64_t h = text.size() * kMul;
  std::size_t i = 0;
  for (; i + 2 <= text.size(); i += 2) {
    const std::uint64_t w = static_cast<std::uint32_t>(text[i]) |
                            (std::uint64_t{static_cast<std::uint32_t>(text[i + 1])} << 32);
    h = (h ^ w) * kMul;
    h ^= h >> 29;
  }
  if (i < text.size()) h = (h ^ static_cast<std::uint32_t>(text[i])) * kMul;
  h ^= h >> 32;
  h *= 0xD6E8FEB86659FD93ull;
  h ^= h >> 32;
  return static_cast<std::uint32_t>(h);
}

bool CNameMap::KeyEquals(const CSlot& s, std::wstring_view text) const {
  std::uint64_t word = 0;
  return s.hName != 0 && m_Names.Lookup(s.hName, word) &&
         CPoolText(static_cast<std::uintptr_t>(word)).Equals(text);
}

std::size_t CNameMap::FindSlot(std::wstring_view text, std::uint32_t nHash) const {
  if (m_nCapacity == 0) return 0;
  for (std::size_t i = Home(nHash), n = 0; n < m_nCapacity; i = Next(i), ++n) {
    const CSlot& s = m_pSlots[i];
    if (s.nHash == nHash && KeyEquals(s, text)) return i;
    if (IsEmpty(s)) break;
  }
  return m_nCapacity;
}

Handle CNameMap::Lookup(std::wstring_view text) const {
  const std::size_t i = FindSlot(text, Hash(text));
  return i < m_nCapacity ? m_pSlots[i].hName : 0;
}

Handle CNameMap::Lookup(std::wstring_view text, CMiss& miss) const {
  miss = CMiss{};
  if (m_nCapacity == 0) return 0;
  const std::uint32_t nHash = Hash(text);
  std::size_t nFree = m_nCapacity;
  for (std::size_t i = Home(nHash), n = 0; n < m_nCapacity; i = Next(i), ++n) {
    const CSlot& s = m_pSlots[i];
    if (s.nHash == nHash && KeyEquals(s, text)) return s.hName;
    const bool bEmpty = IsEmpty(s);
    if (nFree == m_nCapacity && (bEmpty || IsRemoved(s))) nFree = i;
    if (bEmpty) break;
  }
  if (nFree < m_nCapacity) miss = CMiss{this, m_nStamp, nHash, nFree};
  return 0;
}

void CNameMap::SetAtMiss(std::wstring_view text, Handle hName, const CMiss& miss) {
  // A room check that would rehash, a text that is entered up to a NUL
  // inside it, or a change since the look-up: the general way.
  if (hName == 0 || miss.pMap != this || miss.nStamp != m_nStamp ||
      (m_nCount + m_nRemoved + 1) * 4 > m_nCapacity * 3 || text.find(L'\0') != text.npos) {
    return SetAt(text, hName);
  }
  CSlot& slot = m_pSlots[miss.nSlot];
  if (IsRemoved(slot)) --m_nRemoved;
  slot = CSlot{miss.nHash, hName};
  ++m_nCount;
  ++m_nStamp;
}

std::unique_ptr<CNameMap::CSlot[]> CNameMap::NewSlots(std::size_t nCapacity) {
  // Not value-initialised: the pages are advised before they are first touched.
  std::unique_ptr<CSlot[]> pSlots(new CSlot[nCapacity]);
  AdviseHugePages(pSlots.get(), nCapacity * sizeof(CSlot));
  std::memset(static_cast<void*>(pSlots.get()), 0, nCapacity * sizeof(CSlot));
  return pSlots;
}

void CNameMap::Rehash(std::size_t nCapacity) {
  ++m_nStamp;
  std::unique_ptr<CSlot[]> pOld = std::move(m_pSlots);
  const std::size_t nOld = m_nCapacity;
  m_pSlots = NewSlots(nCapacity);
  m_nCapacity = nCapacity;
  m_nRemoved = 0;
  for (std::size_t j = 0; j < nOld; ++j) {
    if (IsUsed(pOld[j])) m_pSlots[FreeSlot(pOld[j].nHash)] = pOld[j];
  }
}

void CNameMap::InitHashTable(std::size_t n) {
  // The same load limit as SetAt: at most three quarters of the slots used.
  // Any capacity will do (Home spreads the hash over it), so a dataset that
  // knows how many names it will hold takes no more room than that.
  const std::size_t nCapacity =
      std::min(kMaxCapacity, std::max(kInitialCapacity, (n + 1) * 4 / 3 + 1));
  if (nCapacity > m_nCapacity) Rehash(nCapacity);
}

std::size_t CNameMap::FreeSlot(std::uint32_t nHash) const {
  std::size_t i = Home(nHash);
  while (IsUsed(m_pSlots[i])) i = Next(i);
  return i;
}

void CNameMap::SetAt(std::wstring_view text, Handle hName) {
  if (hName == 0) return;
  ++m_nStamp;
  text = text.substr(0, text.find(L'\0'));  // the text as its copy reads
  const std::uint32_t nHash = Hash(text);
  std::size_t i = FindSlot(text, nHash);
  if (i < m_nCapacity) {
    m_pSlots[i].hName = hName;
    return;
  }
  if ((m_nCount + m_nRemoved + 1) * 4 > m_nCapacity * 3) {
    const bool bGrow = (m_nCount + 1) * 2 > m_nCapacity;
    Rehash(m_nCapacity == 0 ? kInitialCapacity
                            : (bGrow ? std::min(kMaxCapacity, m_nCapacity * 2) : m_nCapacity));
  }
  i = FreeSlot(nHash);
  if (IsRemoved(m_pSlots[i])) --m_nRemoved;
  m_pSlots[i] = CSlot{nHash, hName};
  ++m_nCount;
}

bool CNameMap::RemoveIf(std::wstring_view text, Handle hName) {
  const std::size_t i = FindSlot(text, Hash(text));
  if (i >= m_nCapacity || m_pSlots[i].hName != hName) return false;
  ++m_nStamp;
  m_pSlots[i] = CSlot{1, 0};
  --m_nCount;
  ++m_nRemoved;
  return true;
}

void CNameMap::RemoveAll() {
  ++m_nStamp;
  m_pSlots.reset();
  m_nCapacity = m_nCount = m_nRemoved = 0;
}
