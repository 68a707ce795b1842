// The lines of a set table as the article set reads them, and the choice of
// lines by size: alternative lists (one per alternative key, each with its
// candidates and the one chosen) and the optional additions.
#pragma once

#include <cstdint>
#include <vector>

#include "OrvaMat/types.h"

class CMatTable;

// One sub-row of a set table.
struct CSetLine {
  float fMenge = 0;           // field 0
  Handle hArtikel = 0;        // field 1 of a set row; the row itself in a size table
  Handle hKey = 0;            // the alternative key (field 1 of a size table), else 0
  std::uint32_t nFlags = 0;   // field 2
  int nSize = 0;              // field 3 (a Float size rounded to the nearest whole)
  int nOrder = 0;             // field 4
  std::uint32_t nSelect = 0;  // field 5, only when field 3 is Integer
};

// The lines of the row hSet (its field 1 is the article), or with hSet 0 of
// every row (the row is the article, field 1 the alternative key), each row
// as long as its quantities can be read. Empty for a table that is no Struct
// table.
std::vector<CSetLine> ReadSetLines(CMatTable* pTable, Handle hSet);

struct CAltList {
  std::vector<CSetLine> candidates;  // ascending order numbers
  std::size_t nChosen = 0;
  const CSetLine& Chosen() const { return candidates[nChosen]; }
};

struct CSizeChoice {
  std::vector<CAltList> lists;  // ascending order of their first candidates
  std::vector<CSetLine> optional;
  int nSize = 0;   // the size selected (the request held within the sizes)
  int nSize2 = 0;  // the second size parameter
};

// Chooses the lines for the sizes: see docs/article-sets.md.
CSizeChoice ChooseBySize(const std::vector<CSetLine>& lines, int nSize, int nSize2);

// The smallest size at least 1 and the largest size of the lines not chosen
// by the second size (0x7FFFFFFF and 0 when there is none).
int SmallestSize(const std::vector<CSetLine>& lines);
int LargestSize(const std::vector<CSetLine>& lines);
