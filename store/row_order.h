// The order in which tables are written out (text and database file): a
// table in list mode keeps its list order; a table in map mode is written in
// the order its rows' names were made (handle order), not in the map's
// scattered order. The output is then the same after every save and reload,
// and the names and pool texts, which lie in the arena in that order, are
// read front to back instead of at random.
#pragma once

#include <bit>
#include <cstdint>
#include <vector>

#include "OrvaMat/mat_table.h"

// The handles of a table in map mode, in handle order.
std::vector<Handle> RowHandlesInOrder(const CMatTable& table);

// The rows of a table in map mode whose handles are all names of its
// dataset, as a bit for each of the dataset's handles from hLow on: a few
// kilobytes where a list of the handles takes 4 bytes a row. False when a
// row lies outside, or when the rows are too few for the dataset's names
// (fewer than one for every 512).
bool RowBitsOfDataset(const CMatTable& table, Handle& hLow, std::vector<std::uint64_t>& bits);

// Calls f(handle) for every set bit of bits, lowest first: bit k of word i
// stands for handle hLow + 64 i + k.
template <class F>
void ForEachSetBit(const std::vector<std::uint64_t>& bits, Handle hLow, F&& f) {
  for (std::size_t i = 0; i < bits.size(); ++i) {
    for (std::uint64_t w = bits[i]; w != 0; w &= w - 1)
      f(hLow + static_cast<Handle>(i * 64 + std::countr_zero(w)));
  }
}

// Calls write(handle, word) for every row of the table in that order. Only
// the handles are ordered (by their bits, or sorted), and each row's word is
// looked up when it is written: a save comes when the whole store is in
// memory. write must not change the table.
template <class F>
void ForEachRowInWriteOrder(const CMatTable& table, F&& write) {
  std::uint64_t word = 0;
  if (table.m_bListMode) {
    for (POSITION pos = table.GetFirstRowPosition(); pos != nullptr;) {
      const Handle h = table.GetNextRow(pos, word);
      write(h, word);
    }
    return;
  }
  auto writeRow = [&](Handle h) {
    table.m_Rows.Lookup(h, word);
    write(h, word);
  };
  std::vector<std::uint64_t> bits;
  Handle hLow = 0;
  if (RowBitsOfDataset(table, hLow, bits)) {
    ForEachSetBit(bits, hLow, writeRow);
    return;
  }
  for (const Handle h : RowHandlesInOrder(table)) writeRow(h);
}

// Sorts row handles. Handles that lie close together (one dataset's) are
// sorted by a bit each between the lowest and the highest; others, when
// many, by their bytes, lowest first, which costs a few passes over them
// instead of a comparison sort's many; few by comparison.
void SortByHandle(std::vector<Handle>& handles);
