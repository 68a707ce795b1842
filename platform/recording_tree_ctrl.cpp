#include <algorithm>
#include <cstdint>
#include <utility>

#include "platform/tree_ctrl.h"

// A handle is the item's place in the list plus the number of handles given
// out before the list was last emptied, so that a handle of an emptied tree
// never names a new item.
HTREEITEM CRecordingTreeCtrl::HandleOf(std::size_t nIndex) const {
  return reinterpret_cast<HTREEITEM>(static_cast<std::uintptr_t>(m_nFirstHandle + nIndex));
}

const CRecordingTreeCtrl::CItem* CRecordingTreeCtrl::Find(HTREEITEM item) const {
  const auto n = reinterpret_cast<std::uintptr_t>(item);
  if (n < m_nFirstHandle || n - m_nFirstHandle >= m_Items.size()) return nullptr;
  const CItem& found = m_Items[n - m_nFirstHandle];
  return found.bAlive ? &found : nullptr;
}

CRecordingTreeCtrl::CItem* CRecordingTreeCtrl::Find(HTREEITEM item) {
  return const_cast<CItem*>(std::as_const(*this).Find(item));
}

const std::vector<HTREEITEM>& CRecordingTreeCtrl::SiblingsOf(const CItem& item) const {
  return item.parent != nullptr ? Find(item.parent)->children : m_TopItems;
}

HTREEITEM CRecordingTreeCtrl::InsertItem(const CString& text, int nImage, int nSelectedImage,
                                         HTREEITEM parent) {
  if (parent != nullptr && Find(parent) == nullptr) return nullptr;
  const HTREEITEM item = HandleOf(m_Items.size());
  CItem added;
  added.strText = text;
  added.nImage = nImage;
  added.nSelectedImage = nSelectedImage;
  added.parent = parent;
  m_Items.push_back(std::move(added));
  (parent != nullptr ? Find(parent)->children : m_TopItems).push_back(item);
  return item;
}

void CRecordingTreeCtrl::Kill(HTREEITEM item) {
  CItem* pItem = Find(item);
  if (pItem == nullptr) return;
  pItem->bAlive = false;
  const std::vector<HTREEITEM> children = std::move(pItem->children);
  for (HTREEITEM child : children) Kill(child);
}

bool CRecordingTreeCtrl::DeleteItem(HTREEITEM item) {
  const CItem* pItem = Find(item);
  if (pItem == nullptr) return false;
  auto& siblings = const_cast<std::vector<HTREEITEM>&>(SiblingsOf(*pItem));
  siblings.erase(std::find(siblings.begin(), siblings.end(), item));
  Kill(item);
  return true;
}

void CRecordingTreeCtrl::DeleteAllItems() {
  m_nFirstHandle += m_Items.size();
  m_Items.clear();
  m_TopItems.clear();
}

HTREEITEM CRecordingTreeCtrl::GetRootItem() const {
  return m_TopItems.empty() ? nullptr : m_TopItems.front();
}

HTREEITEM CRecordingTreeCtrl::GetChildItem(HTREEITEM item) const {
  if (item == nullptr) return GetRootItem();
  const CItem* pItem = Find(item);
  return pItem == nullptr || pItem->children.empty() ? nullptr : pItem->children.front();
}

HTREEITEM CRecordingTreeCtrl::GetNextSiblingItem(HTREEITEM item) const {
  const CItem* pItem = Find(item);
  if (pItem == nullptr) return nullptr;
  const std::vector<HTREEITEM>& siblings = SiblingsOf(*pItem);
  const auto it = std::find(siblings.begin(), siblings.end(), item);
  return it == siblings.end() || it + 1 == siblings.end() ? nullptr : *(it + 1);
}

HTREEITEM CRecordingTreeCtrl::GetParentItem(HTREEITEM item) const {
  const CItem* pItem = Find(item);
  return pItem != nullptr ? pItem->parent : nullptr;
}

CString CRecordingTreeCtrl::GetItemText(HTREEITEM item) const {
  const CItem* pItem = Find(item);
  return pItem != nullptr ? pItem->strText : CString();
}

bool CRecordingTreeCtrl::SetItemData(HTREEITEM item, void* pData) {
  CItem* pItem = Find(item);
  if (pItem == nullptr) return false;
  pItem->pData = pData;
  return true;
}

void* CRecordingTreeCtrl::GetItemData(HTREEITEM item) const {
  const CItem* pItem = Find(item);
  return pItem != nullptr ? pItem->pData : nullptr;
}

bool CRecordingTreeCtrl::GetCheck(HTREEITEM item) const {
  const CItem* pItem = Find(item);
  return pItem != nullptr && pItem->bCheckBox && pItem->bChecked;
}

bool CRecordingTreeCtrl::SetCheck(HTREEITEM item, bool bChecked) {
  CItem* pItem = Find(item);
  if (pItem == nullptr) return false;
  pItem->bChecked = bChecked;
  return true;
}

bool CRecordingTreeCtrl::SetCheckBox(HTREEITEM item, bool bShown) {
  CItem* pItem = Find(item);
  if (pItem == nullptr) return false;
  pItem->bCheckBox = bShown;
  return true;
}

bool CRecordingTreeCtrl::Expand(HTREEITEM item) {
  CItem* pItem = Find(item);
  if (pItem == nullptr) return false;
  pItem->bExpanded = true;
  return true;
}

bool CRecordingTreeCtrl::HasCheckBox(HTREEITEM item) const {
  const CItem* pItem = Find(item);
  return pItem != nullptr && pItem->bCheckBox;
}

bool CRecordingTreeCtrl::IsExpanded(HTREEITEM item) const {
  const CItem* pItem = Find(item);
  return pItem != nullptr && pItem->bExpanded;
}

int CRecordingTreeCtrl::GetImage(HTREEITEM item) const {
  const CItem* pItem = Find(item);
  return pItem != nullptr ? pItem->nImage : -1;
}

std::vector<HTREEITEM> CRecordingTreeCtrl::GetItems() const {
  std::vector<HTREEITEM> items;
  // Depth first without recursion: a tree as deep as its input stays off
  // the stack.
  std::vector<HTREEITEM> pending(m_TopItems.rbegin(), m_TopItems.rend());
  while (!pending.empty()) {
    const HTREEITEM item = pending.back();
    pending.pop_back();
    items.push_back(item);
    const CItem* pItem = Find(item);
    pending.insert(pending.end(), pItem->children.rbegin(), pItem->children.rend());
  }
  return items;
}

CString CRecordingTreeCtrl::Dump() const {
  CString text;
  for (HTREEITEM item : GetItems()) {
    const CItem* pItem = Find(item);
    for (HTREEITEM p = pItem->parent; p != nullptr; p = Find(p)->parent) text += L"  ";
    if (pItem->bCheckBox) text += pItem->bChecked ? L"[x] " : L"[ ] ";
    text += pItem->strText;
    text += L'\n';
  }
  return text;
}
