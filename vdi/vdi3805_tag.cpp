#include "vdi/vdi3805_tag.h"

#include <algorithm>
#include <string_view>

#include "query/string_read.h"
#include "store/mat_store.h"
#include "store/table_names.h"
#include "vdi/record_layout.h"
#include "vdi/tga_tag.h"

using vdirecord::ReadInteger;

namespace {

// Variant records nest no deeper than a 200 record below its product; a
// tree that nests further (made by hand, or a damaged file) is not walked
// past this many levels.
constexpr int kMaxDepth = 8;

// The slots of the variant groups: the main record, then its two kinds of
// sub-records in the next two slots (200: 250 in slot 4, 260 in slot 5).
struct CVariantLevel {
  unsigned nKind;  // 0x200 ... 0x500
  int nSlot;
};
constexpr CVariantLevel kLevels[] = {{0x200, 3}, {0x300, 6}, {0x400, 9}, {0x500, 12}};

unsigned MainNumber(VdiRecordId n) { return n >> 16; }

bool IsMainVariant(VdiRecordId n) {
  const unsigned nMain = MainNumber(n);
  return (n & 0xFFFF) == 0 && nMain >= 0x200 && nMain <= 0x500 && (nMain & 0xFF) == 0;
}

// 250/260 below a 200, 350/360 below a 300, and so on.
bool IsSubVariantOf(VdiRecordId n, VdiRecordId nParent) {
  const unsigned nMain = MainNumber(n);
  return (n & 0xFFFF) == 0 && IsMainVariant(nParent) && (nMain & 0xF00) == MainNumber(nParent) &&
         ((nMain & 0xFF) == 0x50 || (nMain & 0xFF) == 0x60);
}

// The record kind of a table's name ("250-3": 250), 0 for a name that is no
// record's.
VdiRecordId KindOfName(std::wstring_view name) {
  return vdirecord::ParseRecordType(name.substr(0, name.find(L'-')));
}

// The decimal number after the first "-" of a record's name, 0 without one.
std::int32_t IndexOfName(std::wstring_view name) {
  const std::size_t nDash = name.find(L'-');
  return nDash == std::wstring_view::npos ? 0 : ReadInteger(name.substr(nDash + 1));
}

// The number after a record name's first four characters ("110-2": 2).
std::int32_t NumberAfterKind(const CMatTable* pTable) {
  if (pTable == nullptr) return -1;
  const std::wstring_view name = TableNameText(*pTable);
  return name.size() > 4 ? ReadInteger(name.substr(4)) : 0;
}

void SetNodeFromTable(CMatStore& store, Cvdi3805Tag& node, CMatTable& table) {
  node.m_pTable = &table;
  node.m_nIndex = IndexOfName(TableNameText(table));
  CString text;
  if (ReadStringValue(store, text, &table, table.m_hName, 0, 0, false) != eMatOk) text.clear();
  node.m_strText = vdirecord::RecordPiece(text, 0);
}

void LoadBody(CMatTable& table) {
  if (table.m_pDatenSatz != nullptr) table.m_pDatenSatz->EnsureRowsLoaded(table);
}

// Among the direct children, the first node of each kind gets the default
// mark where the file marked none of its kind: every level offers a choice.
void MarkDefaults(Cvdi3805Tag& node) {
  struct CKind {
    VdiRecordId nKind;
    Cvdi3805Tag* pFirst;
    bool bMarked;
  };
  std::vector<CKind> kinds;  // a handful: the kinds of one level
  for (const auto& pChild : node.m_Children) {
    const auto it = std::find_if(kinds.begin(), kinds.end(),
                                 [&](const CKind& k) { return k.nKind == pChild->m_nRecordId; });
    if (it == kinds.end())
      kinds.push_back({pChild->m_nRecordId, pChild.get(), pChild->m_bDefault});
    else
      it->bMarked = it->bMarked || pChild->m_bDefault;
  }
  for (const CKind& k : kinds)
    if (!k.bMarked) k.pFirst->m_bDefault = true;
}

void Fill(CMatStore& store, Cvdi3805Tag& node, CMatTable& table, int nDepth) {
  LoadBody(table);
  for (const auto& pChild : table.m_Children) {
    const VdiRecordId nKind = KindOfName(TableNameText(*pChild));
    const bool bMain = IsMainVariant(nKind);
    if (!bMain && !IsSubVariantOf(nKind, node.m_nRecordId)) continue;
    LoadBody(*pChild);
    auto pNode = std::make_unique<Cvdi3805Tag>(nKind);
    SetNodeFromTable(store, *pNode, *pChild);
    pNode->m_bDefault = (pChild->m_nFlags & eFlagDefaultChild) != 0;
    Cvdi3805Tag* pAdded = node.AddChild(std::move(pNode));
    if (bMain && nDepth < kMaxDepth) Fill(store, *pAdded, *pChild, nDepth + 1);
  }
  MarkDefaults(node);
}

// A sub-record slot of a taken variant: kept when a record of that kind
// has the number, else the default record of the kind, else its first, else
// none (0).
void SettleSubSlot(const Cvdi3805Tag& node, VdiRecordId nKind, std::int32_t& nSlot) {
  const Cvdi3805Tag* pFirst = nullptr;
  const Cvdi3805Tag* pDefault = nullptr;
  for (const auto& pChild : node.m_Children) {
    if (pChild->m_nRecordId != nKind) continue;
    if (pChild->m_nIndex == nSlot) return;
    if (pFirst == nullptr) pFirst = pChild.get();
    if (pDefault == nullptr && pChild->m_bDefault) pDefault = pChild.get();
  }
  nSlot = pDefault != nullptr ? pDefault->m_nIndex : pFirst != nullptr ? pFirst->m_nIndex : 0;
}

}  // namespace

Cvdi3805Tag* Cvdi3805Tag::AddChild(std::unique_ptr<Cvdi3805Tag> pChild) {
  if (pChild == nullptr) return nullptr;
  pChild->m_pParent = this;
  m_Children.push_back(std::move(pChild));
  return m_Children.back().get();
}

std::unique_ptr<Cvdi3805Tag> Cvdi3805Tag::TakeChild(const Cvdi3805Tag* pChild) {
  const auto it = std::find_if(m_Children.begin(), m_Children.end(),
                               [&](const auto& p) { return p.get() == pChild; });
  if (it == m_Children.end()) return nullptr;
  std::unique_ptr<Cvdi3805Tag> pTaken = std::move(*it);
  m_Children.erase(it);
  pTaken->m_pParent = nullptr;
  return pTaken;
}

CVdiTagRoots& CVdiTagRoots::Process() {
  static CVdiTagRoots roots;
  return roots;
}

CMatStore& CVdiTagRoots::Store() const {
  return m_pStore != nullptr ? *m_pStore : CMatStore::Instance();
}

bool CVdiTagRoots::IsOpen(const CMatDatenSatz* pDataset) const {
  const CMatStore& store = Store();
  for (std::size_t i = 0; i < store.GetDatasetCount(); ++i)
    if (store.GetDataset(i) == pDataset) return true;
  return false;
}

Cvdi3805Tag* CVdiTagRoots::Find(const CMatTable* pTable) const {
  if (pTable == nullptr || pTable->m_pDatenSatz == nullptr) return nullptr;
  const std::uint64_t nStamp = pTable->m_pDatenSatz->m_ChildIndexes.GetTreeStamp();
  for (const CEntry& entry : m_Roots)
    if (entry.m_pRoot->m_pTable == pTable && entry.m_pDataset == pTable->m_pDatenSatz &&
        entry.m_nTreeStamp == nStamp)
      return entry.m_pRoot.get();
  return nullptr;
}

Cvdi3805Tag* CVdiTagRoots::Add(std::unique_ptr<Cvdi3805Tag> pRoot, const CMatTable* pTable) {
  if (pRoot == nullptr) return nullptr;
  CEntry entry;
  if (pTable != nullptr && pTable->m_pDatenSatz != nullptr) {
    entry.m_pDataset = pTable->m_pDatenSatz;
    entry.m_nTreeStamp = pTable->m_pDatenSatz->m_ChildIndexes.GetTreeStamp();
  }
  entry.m_pRoot = std::move(pRoot);
  m_Roots.push_back(std::move(entry));
  return m_Roots.back().m_pRoot.get();
}

const CVdiTagRoots::CEntry* CVdiTagRoots::EntryOf(const Cvdi3805Tag* pRoot) const {
  const auto it = std::find_if(m_Roots.begin(), m_Roots.end(),
                               [&](const CEntry& entry) { return entry.m_pRoot.get() == pRoot; });
  return it != m_Roots.end() ? &*it : nullptr;
}

std::unique_ptr<Cvdi3805Tag> CVdiTagRoots::Take(const Cvdi3805Tag* pRoot) {
  const auto it = std::find_if(m_Roots.begin(), m_Roots.end(),
                               [&](const CEntry& entry) { return entry.m_pRoot.get() == pRoot; });
  if (it == m_Roots.end()) return nullptr;
  std::unique_ptr<Cvdi3805Tag> pTaken = std::move(it->m_pRoot);
  m_Roots.erase(it);
  return pTaken;
}

bool CVdiTagRoots::Contains(const Cvdi3805Tag* pRoot) const { return EntryOf(pRoot) != nullptr; }

bool CVdiTagRoots::IsStale(const Cvdi3805Tag* pRoot) const {
  const CEntry* pEntry = EntryOf(pRoot);
  if (pEntry == nullptr || pEntry->m_pDataset == nullptr) return false;
  // The dataset is looked for among the open ones before it is read: a
  // closed dataset's memory may be anybody's now.
  return !IsOpen(pEntry->m_pDataset) ||
         pEntry->m_pDataset->m_ChildIndexes.GetTreeStamp() != pEntry->m_nTreeStamp;
}

Cvdi3805Tag* CreateVariantTree(CVdiTagRoots& roots, Cvdi3805Tag* pParent, CMatTable* pTable) {
  if (pTable == nullptr) return nullptr;
  CMatStore& store = roots.Store();
  if (pParent != nullptr) {
    Fill(store, *pParent, *pTable, 0);
    return pParent;
  }
  if (Cvdi3805Tag* pRoot = roots.Find(pTable)) return pRoot;
  auto pRoot = std::make_unique<Cvdi3805Tag>(kVdiProductRecord);
  LoadBody(*pTable);
  SetNodeFromTable(store, *pRoot, *pTable);
  Fill(store, *pRoot, *pTable, 0);
  // Entered after the walk: the tree is valid under the tree it read.
  return roots.Add(std::move(pRoot), pTable);
}

void CompleteTgaTag(const CVdiTagRoots& roots, CString& tag, const Cvdi3805Tag* pRoot,
                    bool bReset) {
  if (pRoot == nullptr) return;
  const Cvdi3805Tag* pTop = pRoot;
  while (pTop->m_pParent != nullptr) pTop = pTop->m_pParent;
  if (roots.IsStale(pTop)) return;  // its tables may be gone
  CTgaSlots slots = ParseTgaTag(tag);
  if (slots[0] < 1 && pRoot->m_pTable != nullptr) {
    slots[1] = NumberAfterKind(pRoot->m_pTable);
    slots[0] = NumberAfterKind(pRoot->m_pTable->m_pParent);
  }
  // A reset chooses every variant group afresh, the 560 slot of the last
  // group included.
  if (bReset) std::fill(slots.begin() + 3, slots.begin() + 15, 0);
  for (const auto& pNode : pRoot->m_Children) {
    for (const CVariantLevel& level : kLevels) {
      if (pNode->m_nRecordId != MakeVdiRecordId(level.nKind)) continue;
      std::int32_t& nSlot = slots[level.nSlot];
      if (pNode->m_nIndex != nSlot) {
        if (nSlot >= 1 || !pNode->m_bDefault) continue;
        nSlot = pNode->m_nIndex;
      }
      SettleSubSlot(*pNode, MakeVdiRecordId(level.nKind + 0x50), slots[level.nSlot + 1]);
      SettleSubSlot(*pNode, MakeVdiRecordId(level.nKind + 0x60), slots[level.nSlot + 2]);
    }
  }
  tag = FormatTgaTag(slots, 18);
}

Cvdi3805Tag* CreateTag(CVdiTagRoots& roots, VdiRecordId nRecordId) {
  auto pTag = std::make_unique<Cvdi3805Tag>(nRecordId);
  if (nRecordId == kVdiProductRecord) return roots.Add(std::move(pTag), nullptr);
  return pTag.release();
}

void DeleteTag(CVdiTagRoots& roots, Cvdi3805Tag* pTag) {
  if (pTag == nullptr) return;
  if (roots.Take(pTag) != nullptr) return;
  // A node of a tree leaves its parent's list: the parent would otherwise
  // delete it a second time.
  if (pTag->m_pParent != nullptr && pTag->m_pParent->TakeChild(pTag) != nullptr) return;
  delete pTag;
}
