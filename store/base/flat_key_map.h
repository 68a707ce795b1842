// CFlatKeyMap: pointers by a 64-bit key in one open-addressed array.
//
// For readers that enter one entry per record of a large file and look each
// up once or twice: a node-based map would cost an allocation per entry, a
// division per look-up and as many frees when the read ends. Keys are any
// value but 0 (a key of 0 is entered as 1, so callers that hash need not
// care); the first entry of a key stays. Never shrinks; Clear keeps the room.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "platform/huge_pages.h"

template <class T>
class CFlatKeyMap {
 public:
  // Room for n entries without growing.
  void Reserve(std::size_t n) {
    std::size_t nSize = 16;
    while (nSize < 2 * n) nSize *= 2;
    if (nSize > m_nSize) Rehash(nSize);
  }
  void Clear() {
    if (m_nCount != 0) std::memset(static_cast<void*>(m_pSlots.get()), 0, m_nSize * sizeof(CSlot));
    m_nCount = 0;
  }
  std::size_t GetCount() const { return m_nCount; }

  // The value entered under key, or null.
  T* Find(std::uint64_t key) const {
    if (m_nSize == 0) return nullptr;
    key = Fix(key);
    for (std::size_t i = Home(key);; i = (i + 1) & m_nMask) {
      const CSlot& slot = m_pSlots[i];
      if (slot.nKey == key) return slot.pValue;
      if (slot.nKey == 0) return nullptr;
    }
  }
  // Enters value under key unless the key has an entry; false then.
  bool Insert(std::uint64_t key, T* pValue) {
    if (2 * (m_nCount + 1) > m_nSize) Rehash(m_nSize == 0 ? 16 : 2 * m_nSize);
    key = Fix(key);
    for (std::size_t i = Home(key);; i = (i + 1) & m_nMask) {
      CSlot& slot = m_pSlots[i];
      if (slot.nKey == key) return false;
      if (slot.nKey == 0) {
        slot = CSlot{key, pValue};
        ++m_nCount;
        return true;
      }
    }
  }

 private:
  struct CSlot {  // no initialisers: the array is advised before it is first written
    std::uint64_t nKey;
    T* pValue;
  };
  static std::uint64_t Fix(std::uint64_t key) { return key == 0 ? 1 : key; }
  // Fibonacci hashing: keys that differ only in their high or low bits
  // (pointers, sequential numbers) still spread over the array.
  std::size_t Home(std::uint64_t key) const {
    return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> m_nShift) & m_nMask;
  }
  void Rehash(std::size_t nSize) {
    // Large arrays are read at random: huge pages spare a TLB miss a look-up.
    std::unique_ptr<CSlot[]> pOld(new CSlot[nSize]);
    AdviseHugePages(pOld.get(), nSize * sizeof(CSlot));
    std::memset(static_cast<void*>(pOld.get()), 0, nSize * sizeof(CSlot));
    pOld.swap(m_pSlots);
    const std::size_t nOld = m_nSize;
    m_nSize = nSize;
    m_nMask = nSize - 1;
    m_nShift = 64;
    for (std::size_t n = nSize; n > 1; n /= 2) --m_nShift;
    m_nCount = 0;
    for (std::size_t i = 0; i < nOld; ++i) {
      if (pOld[i].nKey != 0) Insert(pOld[i].nKey, pOld[i].pValue);
    }
  }

  std::unique_ptr<CSlot[]> m_pSlots;
  std::size_t m_nSize = 0;
  std::size_t m_nMask = 0;
  unsigned m_nShift = 64;
  std::size_t m_nCount = 0;
};
