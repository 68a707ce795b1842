// The order in which tables are written out (text and database file): a
// table in list mode keeps its list order; a table in map mode is written in
// the order its rows' names were made (handle order), not in the map's
// scattered order. The output is then the same after every save and reload,
// and the names and pool texts, which lie in the arena in that order, are
// read front to back instead of at random.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "OrvaMat/mat_table.h"

using CRowEntry = std::pair<Handle, std::uint64_t>;  // row handle, row word

std::vector<CRowEntry> RowsInWriteOrder(const CMatTable& table);

// Sorts row handles. Handles that lie close together (one dataset's) are
// sorted by a bit each between the lowest and the highest; others, when
// many, by their bytes, lowest first, which costs a few passes over them
// instead of a comparison sort's many; few by comparison.
void SortByHandle(std::vector<Handle>& handles);
