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
  if (!table.m_bListMode) {
    std::sort(rows.begin(), rows.end(),
              [](const CRowEntry& a, const CRowEntry& b) { return a.first < b.first; });
  }
  return rows;
}
