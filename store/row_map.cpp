#include "OrvaMat/row_map.h"

#include <algorithm>
#include <cstring>

#include "platform/huge_pages.h"

namespace {

constexpr std::size_t kMinCapacity = 11;
// The fast modulo works on 32-bit handles and capacities below 2^32.
constexpr std::size_t kMaxCapacity = 2147483647;  // 2^31 - 1, a prime

bool IsPrime(std::size_t n) {
  if (n < 4) return n > 1;
  if (n % 2 == 0 || n % 3 == 0) return false;
  for (std::size_t d = 5; d * d <= n; d += 6)
    if (n % d == 0 || n % (d + 2) == 0) return false;
  return true;
}

// The capacity for at least n slots: the next prime. A rest modulo a prime
// puts any run of handles with a common step below it on distinct slots (a
// product group's rows every 8th or 1,320th handle), where a multiple of 8
// would fold a step of 8 onto an eighth of them.
std::size_t CapacityAtLeast(std::size_t n) {
  n = std::clamp(n, kMinCapacity, kMaxCapacity);
  while (!IsPrime(n)) ++n;
  return n;
}

// Room for n rows at the fill of a map with its handles' own homes, and of a
// scrambled one (see row_map.h).
std::size_t PlainCapacity(std::size_t n) { return CapacityAtLeast((n + 1) * 10 / 9 + 1); }
std::size_t ScrambledCapacity(std::size_t n) { return CapacityAtLeast((n + 1) * 4 / 3 + 1); }

POSITION ToPosition(std::size_t n) { return reinterpret_cast<POSITION>(n + 1); }
std::size_t FromPosition(POSITION pos) { return reinterpret_cast<std::uintptr_t>(pos) - 1; }

}  // namespace

void CRowMap::SetWord(CSlot& s, std::uint64_t w) {
  s.nLow = static_cast<std::uint32_t>(w);
  s.nHigh = static_cast<std::uint32_t>(w >> 32);
}

void CRowMap::InitHashTable(std::size_t n) {
  const std::size_t nWanted = PlainCapacity(n);
  if (nWanted > m_nCapacity) Rehash(nWanted, false);
}

std::unique_ptr<CRowMap::CSlot[]> CRowMap::NewSlots(std::size_t nCapacity) {
  // Not value-initialised: the pages are advised before they are first touched.
  std::unique_ptr<CSlot[]> pSlots(new CSlot[nCapacity]);
  AdviseHugePages(pSlots.get(), nCapacity * sizeof(CSlot));
  std::memset(static_cast<void*>(pSlots.get()), 0, nCapacity * sizeof(CSlot));
  return pSlots;
}

bool CRowMap::Place(const CSlot& slot) {
  std::size_t i = Home(slot.nKey);
  std::size_t nDistance = 0;
  for (; IsUsed(m_pSlots[i]); ++nDistance) i = Next(i);
  m_nProbes += nDistance + 1;
  m_nMaxDistance = std::max(m_nMaxDistance, nDistance);
  const bool bEmpty = IsEmptySlot(m_pSlots[i]);
  m_pSlots[i] = slot;
  return bEmpty;
}

void CRowMap::Rehash(std::size_t nCapacity, bool bScrambled) {
  std::unique_ptr<CSlot[]> pOld = std::move(m_pSlots);
  const std::size_t nOld = m_nCapacity;
  for (;;) {
    m_pSlots = NewSlots(nCapacity);  // every slot empty
    m_nCapacity = nCapacity;
    m_nModuloFactor = ~std::uint64_t{0} / nCapacity + 1;
    m_bScrambled = bScrambled;
    m_nRemoved = 0;
    m_nProbes = 0;
    m_nMaxDistance = 0;
    std::size_t nPlaced = 0;
    bool bCrowded = false;
    for (std::size_t j = 0; j < nOld && !bCrowded; ++j) {
      if (!IsUsed(pOld[j])) continue;
      Place(pOld[j]);
      bCrowded = ProbesTooLong(++nPlaced);
    }
    if (!bCrowded) return;
    // The handles' own bits crowd at this capacity: they are scrambled, with
    // room at a scrambled map's fill. The try stopped as soon as it crowded,
    // so that handles on a few slots cost no more than a second pass.
    bScrambled = true;
    nCapacity = std::max(nCapacity, ScrambledCapacity(m_nCount));
  }
}

void CRowMap::SetAt(Handle hRow, std::uint64_t word) {
  if (hRow == 0) {
    if (!m_bHasZero) ++m_nCount;
    m_bHasZero = true;
    m_nZeroWord = word;
    return;
  }
  // One probe run finds the row, or else the slot a new row goes to: the
  // first removed or empty one from its home, where Place would put it.
  std::size_t nFree = m_nCapacity;  // none found
  std::size_t nDistance = 0;
  if (m_nCapacity != 0) {
    std::size_t i = Home(hRow);
    for (std::size_t nProbes = 0; nProbes <= m_nMaxDistance; i = Next(i), ++nProbes) {
      CSlot& s = m_pSlots[i];
      if (s.nKey == hRow) {
        SetWord(s, word);
        return;
      }
      if (!IsUsed(s) && nFree == m_nCapacity) {
        nFree = i;
        nDistance = nProbes;
      }
      if (IsEmptySlot(s)) break;
    }
  }
  if (m_nCapacity == 0 || !HasRoomFor(m_nCount + m_nRemoved + 1)) {
    // Grow when live rows fill half the slots, else only sweep removed slots.
    // Growing by half keeps a grown map at least half full: a catalogue's
    // group tables, which no count announces, hold a row per article.
    // A map that grows tries the handles' own bits again: a scrambled
    // map's few rows may have crowded where its many rows keep their homes.
    if (m_nCapacity == 0)
      Rehash(kMinCapacity, false);
    else if ((m_nCount + 1) * 2 > m_nCapacity)
      Rehash(CapacityAtLeast(m_nCapacity + m_nCapacity / 2), false);
    else
      Rehash(m_nCapacity, m_bScrambled);
    nFree = m_nCapacity;  // the slots moved
  }
  CSlot slot{hRow, 0, 0};
  SetWord(slot, word);
  if (nFree == m_nCapacity) {
    if (!Place(slot)) --m_nRemoved;  // reusing a removed slot
  } else {
    if (!IsEmptySlot(m_pSlots[nFree])) --m_nRemoved;
    m_pSlots[nFree] = slot;
    m_nProbes += nDistance + 1;  // as Place counts them
    m_nMaxDistance = std::max(m_nMaxDistance, nDistance);
  }
  ++m_nCount;
  if (ProbesTooLong(m_nCount)) Rehash(std::max(m_nCapacity, ScrambledCapacity(m_nCount)), true);
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
  m_nModuloFactor = 0;
  m_nProbes = 0;
  m_nMaxDistance = 0;
  m_bScrambled = false;
  m_bHasZero = false;
  m_nZeroWord = 0;
}

double CRowMap::GetMeanProbes() const {
  std::size_t nRows = 0, nProbes = 0;
  for (std::size_t i = 0; i < m_nCapacity; ++i) {
    if (!IsUsed(m_pSlots[i])) continue;
    ++nRows;
    nProbes += (i + m_nCapacity - Home(m_pSlots[i].nKey)) % m_nCapacity + 1;
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
