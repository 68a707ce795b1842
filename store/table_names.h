// Finding a table by one name: the rules of every look-up by name, in one
// place. The path look-up (query/path_lookup.h) splits a path into names and
// finds each one here; the readers of text tables and database files, the
// importers and the article readers call it directly.
//
// - A table's name is the text of its name handle in its dataset; a table
//   whose handle has no text goes by the name it was made with.
// - Names compare without regard to case and are taken whole: a "." is part
//   of the name (DATANORM product groups such as "WG_004.050" carry dots).
// - Of several tables of one name the first in list order is found.
// - A list of CChildIndexCache::kMinChildren tables or more is searched
//   through its child-name index, which answers as the walk would.
// - Hidden tables are left out unless the caller says otherwise.
#pragma once

#include <string_view>

#include "OrvaMat/mat_table.h"

class CMatDatenSatz;

enum class eHiddenTables {
  // Hidden tables are not found (what a host's look-up by name sees).
  kSkip,
  // Hidden tables are found like any other: a dataset's own readers and the
  // choice of its "StringTable" see every table the file holds.
  kFind,
  // As kSkip, except that a child hidden after its parent's list was indexed
  // is still found through the index: the path look-up then refuses it
  // with its own answer for hidden tables instead of searching on.
  kAsIndexed,
};

// The name a table is found by.
std::wstring_view TableNameText(const CMatTable& table);

// The table of that name in list, whose owner is pOwner (null: the dataset's
// top-level tables), or null. Reads nothing from the database file.
CMatTable* FindTableInList(CMatDatenSatz& dataset, const CMatTableBody* pOwner,
                           const CTableList& list, std::wstring_view name, eHiddenTables hidden);

CMatTable* FindTopLevelTable(CMatDatenSatz& dataset, std::wstring_view name, eHiddenTables hidden);

CMatTable* FindChildTable(const CMatTable& parent, std::wstring_view name, eHiddenTables hidden);
