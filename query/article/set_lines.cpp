#include "query/article/set_lines.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "OrvaMat/article_set.h"
#include "OrvaMat/mat_manager.h"

namespace {

using M = CMatManager;

constexpr std::uint32_t kSelectSize = 1;   // taken when its size is the size selected
constexpr std::uint32_t kSelectSize2 = 2;  // taken when its size is the second size
constexpr int kNoSize = 99999;             // the smallest size's start
// A second size of this or more is a length: lines chosen by it move
// towards the smallest size not below it.
constexpr int kLengthSize2 = 100;

// A field as a number, whatever its type; 0 when it cannot be read.
double Number(CMatTable* pTable, Handle hRow, int nLine, int nField) {
  const int nType = M::GetStrucFieldType(pTable, nField);
  if (nType == eTypeFloat) {
    float f = 0;
    return M::GetFloatValue(f, pTable, hRow, nLine, nField) == eMatOk && std::isfinite(f) ? f : 0;
  }
  unsigned long n = 0;
  if (M::GetValue(n, pTable, hRow, nLine, nField) != eMatOk) return 0;
  return nType == eTypeInteger ? static_cast<double>(static_cast<std::int32_t>(n))
                               : static_cast<double>(n);
}

int WholeNumber(double d) {
  if (!(d > std::numeric_limits<int>::min() && d < std::numeric_limits<int>::max())) return 0;
  return static_cast<int>(std::lround(d));
}

void ReadRow(CMatTable* pTable, Handle hRow, bool bSizeTable, bool bIntSizes,
             std::vector<CSetLine>& out) {
  const int nLines = M::GetStructRowCount(pTable, hRow);
  for (int i = 0; i < nLines; ++i) {
    float fMenge = 0;
    if (M::GetFloatValue(fMenge, pTable, hRow, i, 0) != eMatOk) break;
    CSetLine line;
    line.fMenge = std::isfinite(fMenge) ? fMenge : 0;
    unsigned long n = 0;
    const Handle hField1 = M::GetValue(n, pTable, hRow, i, 1) == eMatOk ? Handle(n) : 0;
    line.hArtikel = bSizeTable ? hRow : hField1;
    line.hKey = bSizeTable ? hField1 : 0;
    line.nFlags = M::GetValue(n, pTable, hRow, i, 2) == eMatOk ? std::uint32_t(n) : 0;
    line.nSize = WholeNumber(Number(pTable, hRow, i, 3));
    line.nOrder = WholeNumber(Number(pTable, hRow, i, 4));
    if (bIntSizes)
      line.nSelect = static_cast<std::uint32_t>(WholeNumber(Number(pTable, hRow, i, 5)));
    out.push_back(line);
  }
}

bool TakenBySize2(const CSetLine& line) { return (line.nSelect & kSelectSize2) != 0; }

// Enters a taken line: onto the list whose first candidate is its article
// (the quantity only), into the list of its alternative key at its order
// position, or as a new list at its order position.
void Enter(CSizeChoice& choice, const CSetLine& line) {
  for (CAltList& list : choice.lists) {
    if (list.candidates.front().hArtikel == line.hArtikel) {
      list.candidates.front().fMenge += line.fMenge;
      return;
    }
  }
  auto byOrder = [](const CSetLine& a, const CSetLine& b) { return a.nOrder < b.nOrder; };
  if (line.hKey != 0) {
    for (CAltList& list : choice.lists) {
      if (list.candidates.front().hKey != line.hKey) continue;
      list.candidates.insert(
          std::upper_bound(list.candidates.begin(), list.candidates.end(), line, byOrder), line);
      return;
    }
  }
  CAltList list;
  list.candidates.push_back(line);
  choice.lists.insert(std::upper_bound(choice.lists.begin(), choice.lists.end(), list,
                                       [&](const CAltList& a, const CAltList& b) {
                                         return byOrder(a.candidates.front(), b.candidates.front());
                                       }),
                      std::move(list));
}

// A line chosen by a second size that is a length, of another size and an
// order number: it replaces the candidate of its order number when that
// brings the candidate's size nearer the smallest size not below the length.
void MoveTowardsLength(CSizeChoice& choice, const CSetLine& line, int nSize2) {
  for (CAltList& list : choice.lists) {
    for (CSetLine& candidate : list.candidates) {
      if (candidate.nOrder != line.nOrder) continue;
      const bool bGrows = candidate.nSize < nSize2 && line.nSize > candidate.nSize;
      const bool bShrinks =
          candidate.nSize >= nSize2 && line.nSize >= nSize2 && line.nSize < candidate.nSize;
      if (bGrows || bShrinks) candidate = line;
      return;
    }
  }
}

}  // namespace

std::vector<CSetLine> ReadSetLines(CMatTable* pTable, Handle hSet) {
  std::vector<CSetLine> lines;
  if (pTable == nullptr || !M::IsStructTable(pTable)) return lines;
  const bool bIntSizes = M::GetStrucFieldType(pTable, 3) == eTypeInteger;
  if (hSet != 0) {
    ReadRow(pTable, hSet, false, bIntSizes, lines);
    return lines;
  }
  for (POSITION pos = M::GetFirstRowPosition(pTable); pos != nullptr;) {
    const Handle hRow = static_cast<Handle>(M::GetNextRow(pTable, pos));
    if (hRow != 0) ReadRow(pTable, hRow, true, bIntSizes, lines);
  }
  return lines;
}

int SmallestSize(const std::vector<CSetLine>& lines) {
  int nSmallest = std::numeric_limits<std::int32_t>::max();
  for (const CSetLine& line : lines)
    if (!TakenBySize2(line) && line.nSize >= 1) nSmallest = std::min(nSmallest, line.nSize);
  return nSmallest;
}

int LargestSize(const std::vector<CSetLine>& lines) {
  int nLargest = 0;
  for (const CSetLine& line : lines)
    if (!TakenBySize2(line)) nLargest = std::max(nLargest, line.nSize);
  return nLargest;
}

CSizeChoice ChooseBySize(const std::vector<CSetLine>& lines, int nSize, int nSize2) {
  int nSmallest = kNoSize, nLargest = 0;
  for (const CSetLine& line : lines) {
    if (line.nSize == 0) continue;
    nSmallest = std::min(nSmallest, line.nSize);
    nLargest = std::max(nLargest, line.nSize);
  }
  CSizeChoice choice;
  choice.nSize = std::min(std::max(nSize, nSmallest), nLargest);
  choice.nSize2 = nSize2;
  const int g = choice.nSize;
  const int nTarget = nSize2 < kLengthSize2 && g < nSize2 ? nSize2 : g;
  // Lines that move a candidate towards a length come after the others, so
  // that the candidate they move is there whatever the order of the rows.
  std::vector<const CSetLine*> movers;
  for (const CSetLine& line : lines) {
    bool bTaken = false;
    if (line.nSelect != 0) {
      if ((line.nSelect & kSelectSize) != 0 && line.nSize == g) {
        bTaken = true;
      } else if (TakenBySize2(line) && line.nSize == nSize2) {
        bTaken = true;
      } else if (TakenBySize2(line) && nSize2 >= kLengthSize2) {
        if (line.nOrder == 0) {
          bTaken = true;
        } else {
          movers.push_back(&line);
        }
      }
    } else {
      bTaken = line.nSize == 0 || line.nSize == nTarget;
    }
    if (!bTaken) continue;
    if (line.nSelect == 0 && (line.nFlags & kSetItemOptional) != 0) {
      choice.optional.push_back(line);
    } else {
      Enter(choice, line);
    }
  }
  for (const CSetLine* pLine : movers) MoveTowardsLength(choice, *pLine, nSize2);
  return choice;
}
