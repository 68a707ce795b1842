#include "OrvaMat/row_map.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "platform/huge_pages.h"

namespace {

constexpr std::size_t kMinCapacity = 8;

POSITION ToPosition(std::size_t n) { return reinterpret_cast<POSITION>(n + 1); }
std::size_t FromPosition(POSITION pos) { return reinterpret_cast<std::uintptr_t>(pos) - 1; }

}  // namespace

void CRowMap::SetWord(CSlot& s, std::uint64_t w) {
  s.nLow = static_cast<std::uint32_t>(w);
  s.nHigh = static_cast<std::uint32_t>(w >> 32);
}

void CRowMap::InitHashTable(std::size_t n) {
  // Room for n rows at a load of at most three quarters.
  std::size_t nWanted = std::bit_ceil(std::max(kMinCapacity, n + n / 3 + 1));
  if (nWanted > m_nCapacity) Rehash(nWanted);
}

std::unique_ptr<CRowMap::CSlot[]> CRowMap::NewSlots(std::size_t nCapacity) {
  // Not value-initialised: the pages are advised before they are first touched.
  std::unique_ptr<CSlot[]> pSlots(new CSlot[nCapacity]);
  AdviseHugePages(pSlots.get(), nCapacity * sizeof(CSlot));
  std::memset(static_cast<void*>(pSlots.get()), 0, nCapacity * sizeof(CSlot));
  return pSlots;
}

bool CRowMap::Place(const CSlot& slot) {
  const std::size_t nMask = m_nCapacity - 1;
  std::size_t i = Home(slot.nKey);
  for (++m_nProbes; IsUsed(m_pSlots[i]); ++m_nProbes) i = (i + 1) & nMask;
  const bool bEmpty = IsEmptySlot(m_pSlots[i]);
  m_pSlots[i] = slot;
  return bEmpty;
}

void CRowMap::Rehash(std::size_t nCapacity) {
  std::unique_ptr<CSlot[]> pOld = std::move(m_pSlots);
  const std::size_t nOld = m_nCapacity;
  m_pSlots = NewSlots(nCapacity);  // every slot empty
  m_nCapacity = nCapacity;
  m_nBits = static_cast<unsigned>(std::countr_zero(nCapacity));
  m_nRemoved = 0;
  m_nProbes = 0;
  for (std::size_t j = 0; j < nOld; ++j) {
    if (IsUsed(pOld[j])) Place(pOld[j]);
  }
  if (ProbesTooLong()) {
    m_bScrambled = true;
    Rehash(m_nCapacity);
  }
}

void CRowMap::SetAt(Handle hRow, std::uint64_t word) {
  if (hRow == 0) {
    if (!m_bHasZero) ++m_nCount;
    m_bHasZero = true;
    m_nZeroWord = word;
    return;
  }
  const std::size_t i = FindSlot(hRow);
  if (i < m_nCapacity) {
    SetWord(m_pSlots[i], word);
    return;
  }
  if (m_nCapacity == 0 || (m_nCount + m_nRemoved + 1) * 4 > m_nCapacity * 3) {
    // Grow when live rows fill half the slots, else only sweep removed slots.
    const bool bGrow = (m_nCount + 1) * 2 > m_nCapacity;
    Rehash(m_nCapacity == 0 ? kMinCapacity : (bGrow ? m_nCapacity * 2 : m_nCapacity));
  }
  CSlot slot{hRow, 0, 0};
  SetWord(slot, word);
  if (!Place(slot)) --m_nRemoved;  // reusing a removed slot
  ++m_nCount;
  if (ProbesTooLong()) {
    m_bScrambled = true;
    Rehash(m_nCapacity);
  }
}

bool CRowMap::RemoveKey(Handle hRow) {
  if (hRow == 0) {
    if (!m_bHasZero) return false;
    m_bHasZero = false;
    m_nZeroWord = 0;
    --m_nCount;
    return true;
  }
  const std::size_t i = FindSlot(hRow);
  if (i >= m_nCapacity) return false;
  m_pSlots[i] = CSlot{0, 1, 0};  // removed: probe chains run on through it
  --m_nCount;
  ++m_nRemoved;
  return true;
}

void CRowMap::RemoveAll() {
  m_pSlots.reset();
  m_nCapacity = m_nCount = m_nRemoved = 0;
  m_nBits = 0;
  m_nProbes = 0;
  m_bScrambled = false;
  m_bHasZero = false;
  m_nZeroWord = 0;
}

double CRowMap::GetMeanProbes() const {
  std::size_t nRows = 0, nProbes = 0;
  for (std::size_t i = 0; i < m_nCapacity; ++i) {
    if (!IsUsed(m_pSlots[i])) continue;
    ++nRows;
    nProbes += ((i - Home(m_pSlots[i].nKey)) & (m_nCapacity - 1)) + 1;
  }
  return nRows == 0 ? 0.0 : static_cast<double>(nProbes) / static_cast<double>(nRows);
}

POSITION CRowMap::NextPosition(std::size_t nFrom) const {
  // Position 0 stands for the key 0, position i + 1 for slot i.
  if (nFrom == 0 && m_bHasZero) return ToPosition(0);
  for (std::size_t n = std::max<std::size_t>(nFrom, 1); n <= m_nCapacity; ++n)
    if (IsUsed(m_pSlots[n - 1])) return ToPosition(n);
  return nullptr;
}

POSITION CRowMap::GetStartPosition() const { return m_nCount == 0 ? nullptr : NextPosition(0); }

void CRowMap::GetNextAssoc(POSITION& pos, Handle& hRow, std::uint64_t& word) const {
  hRow = 0;
  word = 0;
  if (pos == nullptr) return;
  const std::size_t n = FromPosition(pos);
  if (n == 0) {
    word = m_nZeroWord;
  } else if (n <= m_nCapacity) {
    hRow = m_pSlots[n - 1].nKey;
    word = Word(m_pSlots[n - 1]);
  }
  pos = NextPosition(n + 1);
}
