#include "store/row_order.h"

#include <algorithm>

std::vector<CRowEntry> RowsInWriteOrder(const CMatTable& table) {
  std::vector<CRowEntry> rows;
  rows.reserve(table.GetRowCount());
  std::uint64_t word = 0;
  for (POSITION pos = table.GetFirstRowPosition(); pos != nullptr;) {
    const Handle h = table.GetNextRow(pos, word);
    rows.emplace_back(h, word);
  }
  if (!table.m_bListMode) SortByHandle(rows);
  return rows;
}

void SortByHandle(std::vector<CRowEntry>& rows) {
  // Rows made in handle order (an import, a file read) mostly come out of
  // their map in that order already.
  const auto byHandle = [](const CRowEntry& a, const CRowEntry& b) { return a.first < b.first; };
  if (std::is_sorted(rows.begin(), rows.end(), byHandle)) return;
  constexpr std::size_t kRadixFrom = 2048;
  if (rows.size() < kRadixFrom) {
    std::sort(rows.begin(), rows.end(), byHandle);
    return;
  }
  std::vector<CRowEntry> other(rows.size());
  for (int shift = 0; shift < 32; shift += 8) {
    std::size_t counts[257] = {};
    for (const CRowEntry& row : rows) ++counts[((row.first >> shift) & 0xFF) + 1];
    // A byte that all handles share (the dataset byte, mostly) orders nothing.
    if (counts[((rows.front().first >> shift) & 0xFF) + 1] == rows.size()) continue;
    for (int i = 1; i <= 256; ++i) counts[i] += counts[i - 1];
    for (const CRowEntry& row : rows) other[counts[(row.first >> shift) & 0xFF]++] = row;
    rows.swap(other);
  }
}
