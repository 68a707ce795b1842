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
  m_Slots.assign(nCapacity, CSlot{nullptr, nullptr, 0, 0});
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
      slot = CSlot{pTable, name.data(), static_cast<std::uint32_t>(name.size()), nHash};
      return;
    }
    // The first child of a name wins, as in a walk of the list.
    if (slot.nHash == nHash && EqualsNoCase({slot.pName, slot.nNameLength}, name)) return;
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
