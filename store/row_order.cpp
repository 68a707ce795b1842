#include "store/row_order.h"

#include <algorithm>
#include <bit>

#include "store/mat_daten_satz.h"

std::vector<Handle> RowHandlesInOrder(const CMatTable& table) {
  std::vector<Handle> handles;
  handles.reserve(table.GetRowCount());
  std::uint64_t word = 0;
  for (POSITION pos = table.GetFirstRowPosition(); pos != nullptr;)
    handles.push_back(table.GetNextRow(pos, word));
  SortByHandle(handles);
  return handles;
}

bool RowBitsOfDataset(const CMatTable& table, Handle& hLow, std::vector<std::uint64_t>& bits) {
  const CMatDatenSatz* pDataset = table.m_pDatenSatz;
  if (pDataset == nullptr || table.m_bListMode) return false;
  // The dataset's handles: its byte on top of a counter from 0 to the last made.
  hLow = pDataset->GetPrefix();
  const std::uint32_t nLast = pDataset->m_nHandleCounter & CMatDatenSatz::kCounterMask;
  const std::uint64_t nSpan = std::uint64_t{nLast} + 1;
  // Walking the bits costs a word for every 64 names: fewer than 8 for
  // every row is less than sorting the rows would cost.
  if (nSpan / 64 > 8 * std::uint64_t{table.GetRowCount()}) return false;
  bits.assign(static_cast<std::size_t>(nSpan / 64 + 1), 0);
  bool bOwn = true;
  table.m_Rows.ForEachRow([&](Handle h, std::uint64_t) {
    if ((h & ~CMatDatenSatz::kCounterMask) != hLow || (h & CMatDatenSatz::kCounterMask) > nLast)
      bOwn = false;
    else
      bits[(h - hLow) / 64] |= std::uint64_t{1} << ((h - hLow) % 64);
  });
  return bOwn;
}

namespace {

// Handles of one dataset lie close together (its counter counts them): a
// bit for every handle between the lowest and the highest, walked in order,
// sorts them in one pass each. False, handles unchanged, when they lie too
// far apart for that (more than 64 handles between two rows on average) or
// when a handle comes twice.
bool SortByBits(std::vector<Handle>& handles) {
  const auto [itLow, itHigh] = std::minmax_element(handles.begin(), handles.end());
  const Handle hLow = *itLow;
  const std::uint64_t nSpan = std::uint64_t{*itHigh} - hLow + 1;
  if (nSpan / 64 > handles.size()) return false;
  std::vector<std::uint64_t> bits(static_cast<std::size_t>(nSpan / 64 + 1));
  for (const Handle h : handles) {
    std::uint64_t& word = bits[(h - hLow) / 64];
    const std::uint64_t bit = std::uint64_t{1} << ((h - hLow) % 64);
    if ((word & bit) != 0) return false;
    word |= bit;
  }
  std::size_t n = 0;
  ForEachSetBit(bits, hLow, [&](Handle h) { handles[n++] = h; });
  return true;
}

}  // namespace

void SortByHandle(std::vector<Handle>& handles) {
  // Rows made in handle order (an import, a file read) mostly come out of
  // their map in that order already.
  if (std::is_sorted(handles.begin(), handles.end())) return;
  if (SortByBits(handles)) return;
  constexpr std::size_t kRadixFrom = 2048;
  if (handles.size() < kRadixFrom) {
    std::sort(handles.begin(), handles.end());
    return;
  }
  std::vector<Handle> other(handles.size());
  for (int shift = 0; shift < 32; shift += 8) {
    std::size_t counts[257] = {};
    for (const Handle h : handles) ++counts[((h >> shift) & 0xFF) + 1];
    // A byte that all handles share (the dataset byte, mostly) orders nothing.
    if (counts[((handles.front() >> shift) & 0xFF) + 1] == handles.size()) continue;
    for (int i = 1; i <= 256; ++i) counts[i] += counts[i - 1];
    for (const Handle h : handles) other[counts[(h >> shift) & 0xFF]++] = h;
    handles.swap(other);
  }
}
