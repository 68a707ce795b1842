// The path look-up: finding a table by a path of names, the look-up every
// subsystem uses (CMatManager::FindTable is its exported form).
//
// Path: an optional dataset prefix (a manufacturer ID and a backslash at
// position 1 or later), then table names joined by "." (a dot at position 0
// does not split: the rest is taken whole as the last name). Names compare
// without regard to case; hidden tables are not found by name. A name equal
// to an alias of the current dataset (case-sensitive) stands for the table
// its path names; an alias met again while its own path is being resolved
// counts as not resolved, so an alias naming itself ends instead of
// recursing.
//
// Results: 0 found; 6 no table; 8 no dataset, or no listed dataset has the
// prefix's ID; 13 that dataset is closed; 14 the path reaches a hidden
// table. out is null unless the result is 0. The dataset of the prefix, else
// of the parent, becomes the current one and stays current.
#pragma once

#include <cstdint>
#include <string_view>

#include "OrvaMat/mat_table.h"
#include "OrvaMat/types.h"
#include "store/mat_daten_satz.h"

class CMatStore;

eMatManager FindTable(CMatStore& store, CMatTable*& out, CMatTable* pParent,
                      std::wstring_view path);

// The child of parent that the path look-up finds for one plain name (no
// prefix, no dots, no alias of the dataset), once the caller has looked for
// changes of the parent's file (EnsureRowsLoaded); it may be hidden.
CMatTable* FindLoadedChild(CMatTable& parent, std::wstring_view name, std::uint64_t nNameStamp = 0);

// FindLoadedChild, null for a hidden child. Text reads look up the language
// child this way at every call, with the language's stamp: the child found
// by the last call is then taken without a call (CChildIndexCache).
inline CMatTable* FindVisibleChild(CMatTable& parent, std::wstring_view name,
                                   std::uint64_t nNameStamp = 0) {
  CMatTable* pFound = nullptr;
  if (CMatDatenSatz* pDataset = parent.m_pDatenSatz)
    pFound = pDataset->m_ChildIndexes.FindRemembered(&parent, parent.m_Children.size(), name,
                                                     nNameStamp);
  if (pFound == nullptr || (pFound->m_nFlags & eFlagHidden) != 0)
    pFound = FindLoadedChild(parent, name, nNameStamp);
  return pFound != nullptr && (pFound->m_nFlags & eFlagHidden) == 0 ? pFound : nullptr;
}

// The table the path look-up finds for name under parent, else a new one
// made by CreateTable; null when neither works.
CMatTable* FindOrCreateTable(CMatStore& store, CMatTable* pParent, const wchar_t* pName, int nType,
                             int nValuesPerRow);

// Makes the dataset current the way activation by a handle does: a dataset
// made current for the first time picks its "StringTable".
void ActivateDatasetOf(CMatStore& store, CMatDatenSatz& dataset);
