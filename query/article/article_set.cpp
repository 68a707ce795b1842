#include "OrvaMat/article_set.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <unordered_map>

#include "OrvaMat/article.h"
#include "OrvaMat/mat_manager.h"
#include "query/article/set_lines.h"
#include "store/base/message.h"
#include "store/mat_daten_satz.h"
#include "store/mat_store.h"

namespace {

using M = CMatManager;

std::unique_ptr<CArtikelSetItem> NewItem(float fMenge, unsigned long hArtikel,
                                         unsigned long nFlags) {
  auto pItem = std::make_unique<CArtikelSetItem>();
  pItem->m_hArtikel = pItem->m_hArtikelDef = hArtikel;
  pItem->m_fMenge = fMenge;
  pItem->m_nFlags = nFlags;
  return pItem;
}

// Quantities are floats: a sum or product beyond their range is held at the
// largest float of its sign instead of becoming infinite, which every later
// sum would keep.
float Held(double d) {
  return std::isnan(d) ? 0.0f : static_cast<float>(std::clamp<double>(d, -FLT_MAX, FLT_MAX));
}

bool Mergeable(const CArtikelSetItem& item, unsigned long hArtikel) {
  return item.m_hArtikel == hArtikel && item.m_hArtikelDef == hArtikel &&
         (item.m_nFlags & kSetItemKeep) == 0;
}

bool IsOpen(const void* pDataset) {
  const CMatStore& store = CMatStore::Instance();
  for (std::size_t i = 0; i < store.GetDatasetCount(); ++i)
    if (store.GetDataset(i) == pDataset) return true;
  return false;
}

std::uint64_t TreeStamp(const void* pDataset) {
  return static_cast<const CMatDatenSatz*>(pDataset)->m_ChildIndexes.GetTreeStamp();
}

}  // namespace

CArtikelSet::CArtikelSet() = default;
CArtikelSet::~CArtikelSet() = default;
CArtikelSet::CArtikelSet(const CArtikelSet& other) { *this = other; }

CArtikelSet& CArtikelSet::operator=(const CArtikelSet& other) {
  if (this == &other) return *this;
  m_Items.clear();
  for (const auto& pItem : other.m_Items)
    m_Items.push_back(std::make_unique<CArtikelSetItem>(*pItem));
  m_fMenge = other.m_fMenge;
  m_pSetTabelle = other.m_pSetTabelle;
  m_hSet = other.m_hSet;
  m_nGroesse = other.m_nGroesse;
  m_nGroesse2 = other.m_nGroesse2;
  m_bStandard = other.m_bStandard;
  m_pCheckedTable = other.m_pCheckedTable;
  m_pTableDataset = other.m_pTableDataset;
  m_nTableStamp = other.m_nTableStamp;
  m_strTablePath = other.m_strTablePath;
  return *this;
}

void CArtikelSet::RemoveAllItems() { m_Items.clear(); }

void CArtikelSet::Reset() {
  m_Items.clear();
  m_pSetTabelle = nullptr;
  m_hSet = 0;
}

// A position is the index of the item plus one.
POSITION CArtikelSet::GetHeadPosition() const {
  return m_Items.empty() ? nullptr : reinterpret_cast<POSITION>(std::uintptr_t{1});
}

CArtikelSetItem* CArtikelSet::GetNextItem(POSITION& pos) const {
  const auto nIndex = reinterpret_cast<std::uintptr_t>(pos) - 1;
  if (pos == nullptr || nIndex >= m_Items.size()) {
    pos = nullptr;
    return nullptr;
  }
  pos = nIndex + 1 < m_Items.size() ? reinterpret_cast<POSITION>(nIndex + 2) : nullptr;
  return m_Items[nIndex].get();
}

CArtikelSetItem* CArtikelSet::AddItem(float quantity, unsigned long article, unsigned long flags) {
  for (const auto& pItem : m_Items) {
    if (!Mergeable(*pItem, article)) continue;
    pItem->m_fMenge = Held(double{pItem->m_fMenge} + quantity);
    return pItem.get();
  }
  m_Items.push_back(NewItem(Held(quantity), article, flags));
  return m_Items.back().get();
}

CArtikelSetItem* CArtikelSet::AddArtikel(unsigned long article, float quantity, int flag) {
  return AddItem(quantity, article, flag != 0 ? kSetItemDefinitionFlag : 0);
}

void CArtikelSet::Merge(const CArtikelSet& other) {
  const std::size_t nOther = other.m_Items.size();  // the set may be merged with itself
  for (std::size_t i = 0; i < nOther; ++i) {
    const CArtikelSetItem item = *other.m_Items[i];
    auto found = std::find_if(m_Items.begin(), m_Items.end(), [&](const auto& p) {
      return p->m_hArtikel == item.m_hArtikel && p->m_nFlags == item.m_nFlags;
    });
    if (found != m_Items.end()) {
      (*found)->m_fMenge = Held(double{(*found)->m_fMenge} + item.m_fMenge);
    } else {
      m_Items.push_back(std::make_unique<CArtikelSetItem>(item));
    }
  }
}

float CArtikelSet::GetGesamtMenge() const {
  double d = 0;
  for (const auto& pItem : m_Items) d += pItem->m_fMenge;
  return Held(d);
}

CArtikelSetItem* CArtikelSet::IstInSet(unsigned long article) const {
  for (const auto& pItem : m_Items)
    if (pItem->m_hArtikel == article) return pItem.get();
  return nullptr;
}

bool CArtikelSet::RemoveItem(const CArtikelSetItem* pItem) {
  auto found =
      std::find_if(m_Items.begin(), m_Items.end(), [&](const auto& p) { return p.get() == pItem; });
  if (found == m_Items.end()) return false;
  m_Items.erase(found);
  return true;
}

CMatTable* CArtikelSet::Table() {
  if (m_pSetTabelle == nullptr) return nullptr;
  if (m_pSetTabelle != m_pCheckedTable) {
    // Given anew (by the host, or a copy): taken as it is, and remembered
    // by its dataset, the dataset's tree stamp and its path.
    m_pCheckedTable = m_pSetTabelle;
    m_pTableDataset = m_pSetTabelle->m_pDatenSatz;
    m_nTableStamp = m_pTableDataset != nullptr ? TreeStamp(m_pTableDataset) : 0;
    m_strTablePath.clear();
    M::GetTablePath(m_strTablePath, m_pSetTabelle);
    return m_pSetTabelle;
  }
  // A dataset closed since may have freed the table; one whose tables
  // changed may have replaced it: then it is looked up again by its path.
  const bool bOpen = m_pTableDataset != nullptr && IsOpen(m_pTableDataset);
  if (bOpen && TreeStamp(m_pTableDataset) == m_nTableStamp) return m_pSetTabelle;
  CMatTable* pFound = nullptr;
  if (bOpen && !m_strTablePath.empty()) {
    CMatStore::Instance().SetCurrent(
        const_cast<CMatDatenSatz*>(static_cast<const CMatDatenSatz*>(m_pTableDataset)));
    if (M::FindTable(&pFound, nullptr, m_strTablePath.c_str()) != eMatOk) pFound = nullptr;
  }
  m_pSetTabelle = m_pCheckedTable = pFound;
  if (pFound != nullptr) m_nTableStamp = TreeStamp(m_pTableDataset);
  return pFound;
}

void CArtikelSet::SetSet(unsigned long set) {
  CMatTable* pTable = Table();
  if (pTable == nullptr) return;
  CArtikelSet before;
  before.Merge(*this);
  m_Items.clear();
  for (const CSetLine& line : ReadSetLines(pTable, static_cast<Handle>(set))) {
    if (line.hArtikel == 0) continue;
    CArtikelSetItem* pItem = AddItem(line.fMenge, line.hArtikel, 0);
    pItem->m_nFlags = (pItem->m_nFlags | line.nFlags) & ~kSetItemAddition;
  }
  m_bStandard = before.m_Items.empty() ? 1 : 0;
  for (const auto& pOld : before.m_Items) {
    if (CArtikelSetItem* pItem = IstInSet(pOld->m_hArtikel)) {
      pItem->m_fMenge = Held(double{pItem->m_fMenge} + pOld->m_fMenge);
      pItem->m_nFlags |= kSetItemQuantityDiffers;
    } else {
      m_Items.push_back(
          NewItem(pOld->m_fMenge, pOld->m_hArtikel, pOld->m_nFlags | kSetItemAddition));
    }
  }
  m_hSet = set;
}

void CArtikelSet::CleanSet() {
  if (m_hSet == 0) return;
  std::erase_if(m_Items, [](const auto& p) { return p->m_fMenge <= 0; });
  for (const auto& pItem : m_Items)
    if ((pItem->m_nFlags & kSetItemAddition) == 0) pItem->m_nFlags |= kSetItemQuantityDiffers;
}

int CArtikelSet::GetMaxGroesse() {
  CMatTable* pTable = Table();
  return pTable != nullptr ? LargestSize(ReadSetLines(pTable, m_hSet)) : 0;
}

int CArtikelSet::GetMinGroesse() {
  CMatTable* pTable = Table();
  return pTable != nullptr ? SmallestSize(ReadSetLines(pTable, m_hSet))
                           : std::numeric_limits<std::int32_t>::max();
}

void CArtikelSet::CheckStandard() {
  CMatTable* pTable = Table();
  if (pTable == nullptr) return;
  const std::vector<CSetLine> lines = ReadSetLines(pTable, m_hSet);
  auto same = [](const CArtikelSetItem& item, const CSetLine& line) {
    return item.m_hArtikel == line.hArtikel && item.m_fMenge == line.fMenge &&
           (item.m_nFlags & kSetItemDefinitionFlag) == (line.nFlags & kSetItemDefinitionFlag);
  };
  if (m_hSet == 0) {
    const CSizeChoice choice =
        ChooseBySize(lines, static_cast<int>(m_nGroesse), static_cast<int>(m_nGroesse2));
    std::vector<CSetLine> expected;
    for (const CAltList& list : choice.lists) expected.push_back(list.Chosen());
    expected.insert(expected.end(), choice.optional.begin(), choice.optional.end());
    bool bSame = expected.size() == m_Items.size();
    for (std::size_t i = 0; bSame && i < expected.size(); ++i)
      bSame = same(*m_Items[i], expected[i]);
    if (!bSame) m_bStandard = 0;
    return;
  }
  for (const CSetLine& line : lines) {
    CArtikelSetItem* pItem = IstInSet(line.hArtikel);
    if (pItem == nullptr) {
      m_bStandard = 0;
      continue;
    }
    pItem->m_nFlags |= kSetItemMark;
    if (pItem->m_fMenge != line.fMenge) {
      pItem->m_nFlags |= kSetItemQuantityDiffers;
    } else {
      pItem->m_nFlags &= ~kSetItemQuantityDiffers;
    }
    if ((pItem->m_nFlags & kSetItemDefinitionFlag) != (line.nFlags & kSetItemDefinitionFlag))
      m_bStandard = 0;
  }
  for (const auto& pItem : m_Items) {
    if ((pItem->m_nFlags & kSetItemMark) == 0) m_bStandard = 0;
    pItem->m_nFlags &= ~kSetItemMark;
  }
}

void CArtikelSet::Explode(CMatTable* pGroups) {
  CMatStore& store = CMatStore::Instance();
  // Items before the one at work are neither groups nor mergeable with a
  // group, so the walk goes on where it is instead of from the head: that
  // gives the order a walk from the head after every group would give.
  // Exploded items are left null and taken out at the end; the first
  // mergeable item of each article is kept at hand, as AddItem would find it.
  std::unordered_map<unsigned long, std::size_t> first;
  first.reserve(4 * m_Items.size());
  for (std::size_t i = m_Items.size(); i-- > 0;)
    if (Mergeable(*m_Items[i], m_Items[i]->m_hArtikel)) first[m_Items[i]->m_hArtikel] = i;
  // The groups each item came from, as a range of one pool (items of one
  // group share their range): a component among them would make the group
  // contain itself.
  struct CSpan {
    std::size_t nBegin = 0, nEnd = 0;
  };
  std::vector<unsigned long> pool;
  std::vector<CSpan> ancestors(m_Items.size());
  bool bCycleShown = false;
  for (std::size_t i = 0; i < m_Items.size(); ++i) {
    const CArtikelSetItem item = *m_Items[i];
    if ((item.m_nFlags & kSetItemKeep) != 0) continue;
    store.ActivateDataset(static_cast<Handle>(item.m_hArtikel));
    CMatTable* pTable = pGroups;
    if (pTable == nullptr && store.GetCurrent() != nullptr)
      pTable = store.GetCurrent()->m_pSetGruppen;
    if (pTable == nullptr || M::RowExistsEx(pTable, item.m_hArtikel) != eMatOk) continue;
    const CSpan path{pool.size(), pool.size() + ancestors[i].nEnd - ancestors[i].nBegin + 1};
    for (std::size_t k = ancestors[i].nBegin; k < ancestors[i].nEnd; ++k) pool.push_back(pool[k]);
    pool.push_back(item.m_hArtikel);
    if (auto found = first.find(item.m_hArtikel); found != first.end() && found->second == i)
      first.erase(found);
    m_Items[i].reset();  // taken out below
    const int nLines = M::GetStructRowCount(pTable, item.m_hArtikel);
    for (int n = 0; n < nLines; ++n) {
      float fMenge = 0;
      if (M::GetFloatValue(fMenge, pTable, item.m_hArtikel, n, 0) != eMatOk) break;
      unsigned long hComponent = 0, nFlags = 0;
      M::GetValue(hComponent, pTable, item.m_hArtikel, n, 1);
      M::GetValue(nFlags, pTable, item.m_hArtikel, n, 2);
      if (hComponent == 0) continue;
      const auto pathBegin = pool.begin() + static_cast<std::ptrdiff_t>(path.nBegin);
      const auto pathEnd = pool.begin() + static_cast<std::ptrdiff_t>(path.nEnd);
      if (std::find(pathBegin, pathEnd, hComponent) != pathEnd) {
        if (!bCycleShown) {
          const wchar_t* pName = M::HdlToString(hComponent);
          ShowMessage(MB_OK | MB_ICONWARNING,
                      L"Die Setgruppe %s enthält sich selbst; sie wird nicht weiter aufgelöst.",
                      pName != nullptr ? pName : L"?");
        }
        bCycleShown = true;
        continue;
      }
      const float fTotal = Held(double{std::isfinite(fMenge) ? fMenge : 0.0f} * item.m_fMenge);
      if (auto found = first.find(hComponent); found != first.end()) {
        const std::size_t nAt = found->second;
        m_Items[nAt]->m_fMenge = Held(double{m_Items[nAt]->m_fMenge} + fTotal);
        // Reached on two ways: its groups are those of both.
        CSpan& known = ancestors[nAt];
        if (known.nBegin == known.nEnd) {
          known = path;
        } else if (known.nBegin != path.nBegin || known.nEnd != path.nEnd) {
          const CSpan before = known;
          known.nBegin = pool.size();
          for (std::size_t k = before.nBegin; k < before.nEnd; ++k) pool.push_back(pool[k]);
          for (std::size_t k = path.nBegin; k < path.nEnd; ++k) {
            const auto knownBegin = pool.begin() + static_cast<std::ptrdiff_t>(known.nBegin);
            if (std::find(knownBegin, pool.end(), pool[k]) == pool.end()) pool.push_back(pool[k]);
          }
          known.nEnd = pool.size();
        }
        continue;
      }
      if (m_Items.size() >= kMaxItems) {
        ShowMessage(MB_OK | MB_ICONWARNING,
                    L"Das Set hat beim Auflösen der Setgruppen mehr als %zu Artikel; es wird "
                    L"nicht weiter aufgelöst.",
                    kMaxItems);
        std::erase(m_Items, nullptr);
        return;
      }
      if ((nFlags & kSetItemKeep) == 0) first[hComponent] = m_Items.size();
      m_Items.push_back(NewItem(fTotal, hComponent, nFlags));
      ancestors.push_back(path);
    }
  }
  std::erase(m_Items, nullptr);
}

void CMatArticleSetCalls::ExplodeSet(CArtikelSet& set) { set.Explode(nullptr); }

void CMatArticleSetCalls::ExplodeSetWith(CArtikelSet& set, CMatTable* groups) {
  set.Explode(groups);
}

bool CMatArticleSetCalls::IsSetGruppe(unsigned long article) {
  CMatStore& store = CMatStore::Instance();
  store.ActivateDataset(static_cast<Handle>(article));
  const CMatDatenSatz* pDataset = store.GetCurrent();
  return pDataset != nullptr && pDataset->m_pSetGruppen != nullptr &&
         M::RowExistsEx(pDataset->m_pSetGruppen, article) == eMatOk;
}

bool CMatArticleSetCalls::IsInSetTabelle(unsigned long article, CMatTable* table) {
  if (table == nullptr) return IsSetGruppe(article);
  return M::RowExistsEx(table, article) == eMatOk;
}

eMatManager CMatArticleSetCalls::GetItemKurzText(CString& out, CArtikelSetItem* item) {
  out.clear();
  if (item == nullptr) return eMatNoRow;
  const eMatManager nResult = M::GetKurzText(out, item->m_hArtikel);
  if (nResult == eMatOk) return nResult;
  CMatTable* pGroups = nullptr;
  if (const eMatManager n = M::FindTable(&pGroups, nullptr, L"ArtikelSetGruppen"); n != eMatOk)
    return n;
  unsigned long hArticle = 0;
  if (const eMatManager n = M::GetValue(hArticle, pGroups, item->m_hArtikel, 0, 1); n != eMatOk)
    return n;
  return M::GetKurzText(out, hArticle);
}
