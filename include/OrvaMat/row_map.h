// CRowMap: the rows of a table in map mode, keyed by the 32-bit row handle,
// each holding the row's 64-bit word (a cell, or the address of a cell array
// or Struct block in the dataset's arena).
//
// Open addressing with linear probing over one array of 12-byte slots, so a
// look-up touches one cache line and no row costs a heap allocation of its
// own. Slot states live in the key: key 0 with word 0 is an empty slot, key 0
// with word 1 a removed one; the real key 0 is kept beside the array.
//
// Positions (POSITION) of the iteration calls are slot numbers + 1 dressed as
// pointers. Removing the row just returned keeps the iteration valid; adding
// rows during an iteration may reorder the map.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "OrvaMat/types.h"

class CRowMap {
 public:
  CRowMap() = default;
  CRowMap(CRowMap&&) noexcept = default;
  CRowMap& operator=(CRowMap&&) noexcept = default;
  CRowMap(const CRowMap&) = delete;
  CRowMap& operator=(const CRowMap&) = delete;

  // Makes room for n rows without growing again (the "HashTableSize" of the
  // text format). Never shrinks.
  void InitHashTable(std::size_t n);

  // Enters or replaces the row's word.
  void SetAt(Handle hRow, std::uint64_t word);
  // True and the row's word when the row is there.
  bool Lookup(Handle hRow, std::uint64_t& word) const;
  // True when the row was there and is gone now.
  bool RemoveKey(Handle hRow);
  void RemoveAll();

  std::size_t GetCount() const { return m_nCount; }
  bool IsEmpty() const { return m_nCount == 0; }
  // Bytes held by the map itself (what one row costs beside its texts).
  std::size_t GetMemoryBytes() const { return m_nCapacity * sizeof(CSlot); }

  // Iteration in the map's own order: null when the map is empty.
  POSITION GetStartPosition() const;
  // The row at pos; pos moves on and becomes null after the last row.
  void GetNextAssoc(POSITION& pos, Handle& hRow, std::uint64_t& word) const;

 private:
  struct CSlot {
    std::uint32_t nKey;
    std::uint32_t nLow;  // the word in two halves keeps the slot at 12 bytes
    std::uint32_t nHigh;
  };
  static std::uint64_t Word(const CSlot& s) { return (std::uint64_t{s.nHigh} << 32) | s.nLow; }
  static void SetWord(CSlot& s, std::uint64_t w);
  static bool IsUsed(const CSlot& s) { return s.nKey != 0; }
  static bool IsEmptySlot(const CSlot& s) { return s.nKey == 0 && s.nLow == 0 && s.nHigh == 0; }

  std::size_t Home(Handle hRow) const;
  // Slot holding the key, or m_nCapacity when absent.
  std::size_t FindSlot(Handle hRow) const;
  static std::unique_ptr<CSlot[]> NewSlots(std::size_t nCapacity);
  void Rehash(std::size_t nCapacity);
  // Slot number of the n-th position (0 is the kept-aside key 0).
  POSITION NextPosition(std::size_t nFrom) const;

  std::unique_ptr<CSlot[]> m_pSlots;
  std::size_t m_nCapacity = 0;  // a power of two, or 0
  std::size_t m_nCount = 0;     // rows, the key 0 included
  std::size_t m_nRemoved = 0;   // removed slots still in the probe chains
  bool m_bHasZero = false;      // row handle 0 is there
  std::uint64_t m_nZeroWord = 0;
};
