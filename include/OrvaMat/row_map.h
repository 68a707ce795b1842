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
  // True and the row's word when the row is there. Inline: every cell read
  // comes here.
  bool Lookup(Handle hRow, std::uint64_t& word) const {
    if (hRow == 0) {
      if (m_bHasZero) word = m_nZeroWord;
      return m_bHasZero;
    }
    const std::size_t i = FindSlot(hRow);
    if (i >= m_nCapacity) return false;
    word = Word(m_pSlots[i]);
    return true;
  }
  // Asks for the row's home slot ahead of its look-up (a hint, no more).
  void Prefetch(Handle hRow) const {
    if (m_nCapacity != 0) __builtin_prefetch(&m_pSlots[Home(hRow)]);
  }
  // True when the row was there and is gone now.
  bool RemoveKey(Handle hRow);
  void RemoveAll();

  std::size_t GetCount() const { return m_nCount; }
  // Slots a look-up of a present row reads, on average over the rows: 1 for
  // rows in their home slots (what the hashing is judged by).
  double GetMeanProbes() const;
  bool IsEmpty() const { return m_nCount == 0; }
  // Bytes held by the map itself (what one row costs beside its texts).
  std::size_t GetMemoryBytes() const { return m_nCapacity * sizeof(CSlot); }

  // Iteration in the map's own order: null when the map is empty.
  POSITION GetStartPosition() const;
  // The row at pos; pos moves on and becomes null after the last row.
  void GetNextAssoc(POSITION& pos, Handle& hRow, std::uint64_t& word) const;
  // Calls f(hRow, word) for every row in the same order, for a walk over all
  // rows at once (a save walks millions).
  template <typename F>
  void ForEachRow(F&& f) const {
    if (m_bHasZero) f(Handle{0}, m_nZeroWord);
    for (std::size_t i = 0; i < m_nCapacity; ++i)
      if (IsUsed(m_pSlots[i])) f(Handle{m_pSlots[i].nKey}, Word(m_pSlots[i]));
  }

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

  // Counters of one dataset are dense, and a table's rows are mostly made
  // in handle order (an import, a table read from a file): a handle's rest
  // modulo the capacity is its slot. Rows made one after another then lie one
  // after another, so that an import and a walk in handle order read the map
  // as a stream instead of a cache miss every few rows. The capacity is a
  // prime, so that any run of handles with a common step below it fills
  // distinct slots, and so that a map made for a known number of rows (an
  // import that counted its articles) takes room for them at its fill (see
  // below) and no more. The rest is taken by multiplications (Lemire's fast modulo),
  // not by a division.
  //
  // Handles whose rests still crowd (a step that is a multiple of the
  // capacity, runs of several datasets' handles) would put many rows on a
  // few slots. When the inserts of a map probe more than twice per row on
  // average, the map scrambles instead: groups of eight consecutive
  // handles keep their order, and the group number is mixed and spread by
  // the golden-ratio product, which spreads any step evenly at a few more
  // probes for dense runs.
  //
  // Handles with a common step keep their home slots at any fill (their
  // rests modulo a prime above the step are distinct lap after lap), so an
  // unscrambled map fills nine tenths of its slots before it grows; a
  // scrambled one, whose homes are as good as random, three quarters. Runs
  // of full slots still form where laps meet, so a look-up walks no further
  // than the farthest any row of the map lies from its home: an absent row
  // costs a few slots, not the rest of the run.
  static constexpr std::uint64_t kGolden = 0x9E3779B97F4A7C15ull;
  static constexpr unsigned kGroupBits = 3;
  std::size_t Home(Handle hRow) const {
    if (!m_bScrambled) return Rest(hRow);
    std::uint64_t nGroup = std::uint64_t{hRow} >> kGroupBits;
    nGroup = (nGroup ^ (nGroup >> 15)) * 0xD6E8FEB86659FD93ull;
    nGroup ^= nGroup >> 32;
    nGroup *= kGolden;
    // The top 32 bits of the mixed group number, spread over the whole groups
    // (the last few slots are reached by probing only).
    const std::uint64_t nGroups = m_nCapacity >> kGroupBits;
    const auto nGroupHome = static_cast<std::size_t>(((nGroup >> 32) * nGroups) >> 32);
    return (nGroupHome << kGroupBits) | (hRow & ((1u << kGroupBits) - 1));
  }
  // hRow modulo the capacity.
  std::size_t Rest(Handle hRow) const {
    const std::uint64_t nLow = m_nModuloFactor * hRow;
    __extension__ using CWide = unsigned __int128;
    return static_cast<std::size_t>((static_cast<CWide>(nLow) * m_nCapacity) >> 64);
  }
  std::size_t Next(std::size_t i) const { return i + 1 == m_nCapacity ? 0 : i + 1; }
  // Puts a key known to be absent into its first free slot and counts the
  // probes; false when it took a removed slot.
  bool Place(const CSlot& slot);
  // Whether the inserts of nRows since the last rehash probed too often for
  // the handles' own bits.
  bool ProbesTooLong(std::size_t nRows) const {
    return !m_bScrambled && m_nProbes > 2 * nRows + 64;
  }
  // Whether n used or removed slots stay within the fill (see above).
  bool HasRoomFor(std::size_t n) const {
    return m_bScrambled ? n * 4 <= m_nCapacity * 3 : n * 10 <= m_nCapacity * 9;
  }
  // Slot holding the key, or m_nCapacity when absent.
  std::size_t FindSlot(Handle hRow) const {
    if (m_nCapacity == 0) return 0;
    for (std::size_t i = Home(hRow), nProbes = 0; nProbes <= m_nMaxDistance;
         i = Next(i), ++nProbes) {
      const CSlot& s = m_pSlots[i];
      if (s.nKey == hRow) return i;
      if (IsEmptySlot(s)) break;
    }
    return m_nCapacity;
  }
  static std::unique_ptr<CSlot[]> NewSlots(std::size_t nCapacity);
  // Places the rows anew in nCapacity slots, scrambled or by the handles'
  // own bits as long as those do not crowd.
  void Rehash(std::size_t nCapacity, bool bScrambled);
  // Slot number of the n-th position (0 is the kept-aside key 0).
  POSITION NextPosition(std::size_t nFrom) const;

  std::unique_ptr<CSlot[]> m_pSlots;
  std::size_t m_nCapacity = 0;        // a prime, or 0
  std::uint64_t m_nModuloFactor = 0;  // 2^64 / capacity, rounded up: see Rest
  std::size_t m_nCount = 0;           // rows, the key 0 included
  std::size_t m_nRemoved = 0;         // removed slots still in the probe chains
  std::size_t m_nProbes = 0;          // slots probed by the inserts since the last rehash
  std::size_t m_nMaxDistance = 0;     // the farthest a row lies from its home slot
  bool m_bScrambled = false;          // group numbers are scrambled before the product
  bool m_bHasZero = false;            // row handle 0 is there
  std::uint64_t m_nZeroWord = 0;
};
