// The article set by size and by length: the lines a size or a length
// chooses from the set table, and moving a set's items onto them.
#include <algorithm>
#include <cmath>

#include "OrvaMat/article_set.h"
#include "OrvaMat/mat_manager.h"
#include "query/article/set_lines.h"

namespace {

int Rounded(double d) {
  if (!(d > -2e9 && d < 2e9)) return 0;
  return static_cast<int>(std::lround(d));
}

int SizeArgument(unsigned long n) { return n > 0x7FFFFFFFul ? 0x7FFFFFFF : static_cast<int>(n); }

// The line of the order number that a value chooses: the smallest size not
// below the value, else the largest size.
const CSetLine* LineForValue(const std::vector<CSetLine>& lines, int nOrder, int nValue) {
  const CSetLine* pBest = nullptr;
  const CSetLine* pLargest = nullptr;
  for (const CSetLine& line : lines) {
    if (line.nOrder != nOrder) continue;
    if (pLargest == nullptr || line.nSize > pLargest->nSize) pLargest = &line;
    if (line.nSize >= nValue && (pBest == nullptr || line.nSize < pBest->nSize)) pBest = &line;
  }
  return pBest != nullptr ? pBest : pLargest;
}

// The chosen candidate of each list, then the optional additions.
void AddChoice(CArtikelSet& set, const CSizeChoice& choice) {
  for (const CAltList& list : choice.lists)
    set.AddItem(list.Chosen().fMenge, list.Chosen().hArtikel, list.Chosen().nFlags);
  for (const CSetLine& line : choice.optional)
    set.AddItem(line.fMenge, line.hArtikel, line.nFlags | kSetItemAddition);
}

}  // namespace

int CArtikelSet::SetGroesse(unsigned long size, unsigned long size2) {
  CMatTable* pTable = Table();
  if (pTable == nullptr) return 0;
  const std::vector<CSetLine> lines = ReadSetLines(pTable, m_hSet);
  if (GetGesamtMenge() == 0) {
    const CSizeChoice choice = ChooseBySize(lines, SizeArgument(size), SizeArgument(size2));
    m_Items.clear();
    AddChoice(*this, choice);
    m_nGroesse = static_cast<unsigned long>(choice.nSize);
    m_nGroesse2 = size2;
    m_bStandard = 1;
    return 1;
  }
  if (size == m_nGroesse && size2 == m_nGroesse2) return 0;
  const CSizeChoice before =
      ChooseBySize(lines, SizeArgument(m_nGroesse), SizeArgument(m_nGroesse2));
  CSizeChoice after = ChooseBySize(lines, SizeArgument(size), SizeArgument(size2));
  // Each list keeps the place of its choice: the candidate of the old list
  // that the set holds (the first when it holds none).
  for (std::size_t i = 0; i < before.lists.size(); ++i) {
    const std::vector<CSetLine>& candidates = before.lists[i].candidates;
    std::size_t nChosen = 0;
    for (std::size_t j = 0; j < candidates.size(); ++j) {
      if (IstInSet(candidates[j].hArtikel) == nullptr) continue;
      nChosen = j;
      break;
    }
    if (CArtikelSetItem* pItem = IstInSet(candidates[nChosen].hArtikel)) RemoveItem(pItem);
    if (i < after.lists.size())
      after.lists[i].nChosen = nChosen < after.lists[i].candidates.size() ? nChosen : 0;
  }
  for (const CSetLine& line : before.optional) {
    CArtikelSetItem* pItem = IstInSet(line.hArtikel);
    if (pItem != nullptr && (pItem->m_nFlags & kSetItemAddition) != 0) RemoveItem(pItem);
  }
  AddChoice(*this, after);
  m_nGroesse = static_cast<unsigned long>(after.nSize);
  m_nGroesse2 = size2;
  return 0;
}

void CArtikelSet::SetSetLength(float length) {
  CMatTable* pTable = Table();
  if (pTable == nullptr) return;
  const std::vector<CSetLine> lines = ReadSetLines(pTable, m_hSet);
  const int nLargest = LargestSize(lines);
  const int nSmallest = SmallestSize(lines);
  float fLength = std::isfinite(length) ? length : 0.0f;
  if (nLargest > 0) {
    fLength = std::max(fLength, static_cast<float>(std::min(nSmallest, nLargest)));
    fLength = std::min(fLength, static_cast<float>(nLargest));
  }
  // The lines of that length are chosen as by size; the definition's items
  // are replaced by them, the user's additions stay.
  const CSizeChoice choice = ChooseBySize(lines, Rounded(fLength), 0);
  std::erase_if(m_Items, [](const auto& p) { return (p->m_nFlags & kSetItemAddition) == 0; });
  for (const CAltList& list : choice.lists) {
    const CSetLine& line = list.Chosen();
    if ((line.nFlags & kSetItemKeep) == 0) AddItem(line.fMenge, line.hArtikel, line.nFlags);
  }
  m_fMenge = fLength;
}

int CArtikelSet::RecalcSet(float value) {
  CMatTable* pTable = Table();
  if (pTable == nullptr || !CMatManager::IsStructTable(pTable)) return 0;
  const std::vector<CSetLine> lines = ReadSetLines(pTable, m_hSet);
  const float fValue = std::isfinite(value) ? value : 0.0f;
  const int nValue = Rounded(fValue);
  for (const auto& pItem : m_Items) {
    auto found = std::find_if(lines.begin(), lines.end(), [&](const CSetLine& line) {
      return line.hArtikel == pItem->m_hArtikel || line.hArtikel == pItem->m_hArtikelDef;
    });
    if (found == lines.end()) continue;
    pItem->m_nFlags |= found->nFlags;
    if (found->nOrder <= 0 || found->nSize <= 0) continue;
    if (const CSetLine* pLine = LineForValue(lines, found->nOrder, nValue)) {
      pItem->m_hArtikel = pItem->m_hArtikelDef = pLine->hArtikel;
      pItem->m_fMenge = pLine->fMenge;
    }
  }
  for (const CSetLine& line : lines) {
    if (line.hArtikel == 0 || (line.nSize != 0 && line.nSize != nValue)) continue;
    if (IstInSet(line.hArtikel) == nullptr) AddItem(line.fMenge, line.hArtikel, line.nFlags);
  }
  for (const auto& pItem : m_Items) pItem->m_nFlags &= ~kSetItemKeep;
  m_fMenge = fValue;
  return 1;
}

void CArtikelSet::SetAlternativeSize(unsigned long size) {
  CMatTable* pTable = Table();
  if (pTable == nullptr) return;
  const std::vector<CSetLine> lines = ReadSetLines(pTable, m_hSet);
  const int nSize = SizeArgument(size);
  for (const auto& pItem : m_Items) {
    auto own = std::find_if(lines.begin(), lines.end(), [&](const CSetLine& line) {
      return line.hArtikel == pItem->m_hArtikel;
    });
    // Without an alternative key a line has no alternatives.
    if (own == lines.end() || own->hKey == 0) continue;
    for (const CSetLine& line : lines) {
      if (line.hKey != own->hKey || line.nOrder != own->nOrder || line.nSize != nSize) continue;
      pItem->m_hArtikel = line.hArtikel;
      pItem->m_fMenge = line.fMenge;
      break;
    }
  }
  m_nGroesse = size;
}

void CMatArticleSetCalls::getComboArtikel(std::vector<unsigned long>& out, CArtikelSet& set,
                                          unsigned long article) {
  CMatTable* pTable = set.Table();
  if (pTable == nullptr) return;
  const CSizeChoice choice = ChooseBySize(ReadSetLines(pTable, set.m_hSet), 0, 0);
  for (const CAltList& list : choice.lists) {
    const bool bHolds = std::any_of(list.candidates.begin(), list.candidates.end(),
                                    [&](const CSetLine& line) { return line.hArtikel == article; });
    if (!bHolds) continue;
    for (const CSetLine& line : list.candidates) out.push_back(line.hArtikel);
    return;
  }
}
