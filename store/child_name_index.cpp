#include "store/child_name_index.h"

#include <bit>

#include "platform/text.h"
#include "store/mat_daten_satz.h"
#include "store/table_names.h"

std::uint32_t CChildNameIndex::HashNoCase(std::wstring_view name) {
  // FNV-1a over the lower-cased characters: names are short, and folding
  // while hashing spares a lower-cased copy of the name looked up.
  std::uint32_t h = 2166136261u;
  for (wchar_t c : name) {
    h ^= static_cast<std::uint32_t>(ToLowerChar(c));
    h *= 16777619u;
  }
  return h;
}

CChildNameIndex::CChildNameIndex(const CTableList& list) : m_nListSize(list.size()) {
  // At most half full (list size x 1.2 + 1 rounded up to a power of two,
  // at least twice the list), so that probe chains stay short.
  const std::size_t nCapacity = std::bit_ceil(list.size() * 2 + 2);
  m_Slots.assign(nCapacity, CSlot{nullptr, nullptr, 0, 0, 0});
  m_nMask = nCapacity - 1;
  for (const auto& pTable : list) {
    if ((pTable->m_nFlags & eFlagHidden) != 0) continue;
    const std::wstring_view name = TableNameText(*pTable);
    if (!name.empty()) Insert(pTable.get(), name);
  }
}

void CChildNameIndex::Insert(CMatTable* pTable, std::wstring_view name) {
  const std::uint32_t nHash = HashNoCase(name);
  for (std::size_t i = nHash & m_nMask;; i = (i + 1) & m_nMask) {
    CSlot& slot = m_Slots[i];
    if (slot.pTable == nullptr) {
      slot = CSlot{pTable, name.data(), static_cast<std::uint32_t>(name.size()), 0, nHash};
      ++m_nEntries;
      return;
    }
    // The first child of a name wins, as in a walk of the list.
    if (slot.nHash == nHash && EqualsNoCase({slot.pName, slot.nNameLength}, name)) {
      slot.bShared = 1;
      return;
    }
  }
}

void CChildNameIndex::Append(CMatTable* pTable) {
  ++m_nListSize;
  if ((pTable->m_nFlags & eFlagHidden) != 0) return;
  const std::wstring_view name = TableNameText(*pTable);
  if (name.empty()) return;
  if (2 * (m_nEntries + 1) > m_Slots.size()) Grow();
  Insert(pTable, name);
}

bool CChildNameIndex::Remove(const CMatTable* pTable) {
  --m_nListSize;
  if (m_Slots.empty()) return true;
  const std::wstring_view name = TableNameText(*pTable);
  const std::uint32_t nHash = HashNoCase(name);
  std::size_t i = nHash & m_nMask;
  for (;; i = (i + 1) & m_nMask) {
    const CSlot& slot = m_Slots[i];
    if (slot.pTable == nullptr) return true;  // not entered (hidden, or no name)
    if (slot.nHash == nHash && EqualsNoCase({slot.pName, slot.nNameLength}, name)) break;
  }
  if (m_Slots[i].pTable != pTable || m_Slots[i].bShared) return false;
  // The slots after it in its run move up where their home allows, so that
  // no look-up stops short at the slot freed.
  for (std::size_t j = (i + 1) & m_nMask; m_Slots[j].pTable != nullptr; j = (j + 1) & m_nMask) {
    const std::size_t nHome = m_Slots[j].nHash & m_nMask;
    const bool bHomeBetween = i <= j ? (i < nHome && nHome <= j) : (i < nHome || nHome <= j);
    if (bHomeBetween) continue;
    m_Slots[i] = m_Slots[j];
    i = j;
  }
  m_Slots[i] = CSlot{nullptr, nullptr, 0, 0, 0};
  --m_nEntries;
  return true;
}

void CChildNameIndex::Grow() {
  std::vector<CSlot> old(m_Slots.size() * 2, CSlot{nullptr, nullptr, 0, 0, 0});
  old.swap(m_Slots);
  m_nMask = m_Slots.size() - 1;
  // Each name is in once (the first child of a name): any order will do.
  for (const CSlot& slot : old) {
    if (slot.pTable == nullptr) continue;
    std::size_t i = slot.nHash & m_nMask;
    while (m_Slots[i].pTable != nullptr) i = (i + 1) & m_nMask;
    m_Slots[i] = slot;
  }
}

CMatTable* CChildNameIndex::Find(std::wstring_view name) const {
  if (m_Slots.empty()) return nullptr;
  const std::uint32_t nHash = HashNoCase(name);
  for (std::size_t i = nHash & m_nMask;; i = (i + 1) & m_nMask) {
    const CSlot& slot = m_Slots[i];
    if (slot.pTable == nullptr) return nullptr;
    if (slot.nHash == nHash && EqualsNoCase({slot.pName, slot.nNameLength}, name))
      return slot.pTable;
  }
}

const CChildNameIndex* CChildIndexCache::Get(const CMatTableBody* pParent, const CTableList& list) {
  if (list.size() < kMinChildren) return nullptr;
  // Parents with large child lists are few: 1024 buckets hold them all.
  if (m_Indexes.empty()) m_Indexes.reserve(1024);
  auto& pIndex = m_Indexes[pParent];
  if (pIndex == nullptr || pIndex->GetListSize() != list.size())
    pIndex = std::make_unique<CChildNameIndex>(list);
  return pIndex.get();
}

void CChildIndexCache::Drop(const CMatTableBody* pParent) {
  if (!m_Indexes.empty()) m_Indexes.erase(pParent);
  m_Last.pFound = nullptr;
  m_nTreeStamp = NextTreeStamp();
}

void CChildIndexCache::Appended(const CMatTableBody* pParent, const CTableList& list) {
  const auto it = m_Indexes.empty() ? m_Indexes.end() : m_Indexes.find(pParent);
  if (it == m_Indexes.end() || list.empty() || it->second->GetListSize() + 1 != list.size())
    return Drop(pParent);
  it->second->Append(list.back().get());
  m_Last.pFound = nullptr;
  m_nTreeStamp = NextTreeStamp();
}

void CChildIndexCache::Removed(const CMatTableBody* pParent, const CTableList& list,
                               const CMatTable* pTable) {
  const auto it = m_Indexes.empty() ? m_Indexes.end() : m_Indexes.find(pParent);
  if (it == m_Indexes.end() || it->second->GetListSize() != list.size() + 1 ||
      !it->second->Remove(pTable))
    return Drop(pParent);
  m_Last.pFound = nullptr;
  m_nTreeStamp = NextTreeStamp();
}

void CChildIndexCache::Clear() {
  m_Indexes.clear();
  m_Last.pFound = nullptr;
  m_nTreeStamp = NextTreeStamp();
}

std::uint64_t CChildIndexCache::NextTreeStamp() {
  static std::uint64_t s_nLast = 0;
  return ++s_nLast;
}

void CChildIndexCache::Remember(const CMatTableBody* pParent, std::size_t nListSize,
                                std::wstring_view name, CMatTable* pFound,
                                std::uint64_t nNameStamp) {
  m_Last.pParent = pParent;
  m_Last.nListSize = nListSize;
  m_Last.name.assign(name);
  m_Last.nNameStamp = nNameStamp;
  m_Last.pFound = pFound;
}
