#include "dialogs/qt/qt_tree_ctrl.h"

#include <QScopedValueRollback>

#include "dialogs/qt/qt_host_ui.h"

namespace {
// The item's own state: checked, whether its box is shown, its data.
constexpr int kCheckedRole = Qt::UserRole + 1;
constexpr int kBoxRole = Qt::UserRole + 2;
constexpr int kDataRole = Qt::UserRole + 3;
}  // namespace

CQtTreeCtrl::CQtTreeCtrl(QTreeWidget& widget) : m_Widget(widget) {
  m_Widget.setColumnCount(1);
  m_Widget.setHeaderHidden(true);
  m_Widget.setRootIsDecorated(false);
  m_Changed = QObject::connect(&m_Widget, &QTreeWidget::itemChanged,
                               [this](QTreeWidgetItem* p, int n) { OnItemChanged(p, n); });
}

CQtTreeCtrl::~CQtTreeCtrl() { QObject::disconnect(m_Changed); }

bool CQtTreeCtrl::IsOurs(HTREEITEM item) const {
  // Known by address, never by looking into it: a handle of an item deleted
  // since is no item.
  return item != nullptr && m_Live.contains(ItemOf(item));
}

void CQtTreeCtrl::Forget(QTreeWidgetItem* pItem) {
  m_Live.remove(pItem);
  for (int i = 0; i < pItem->childCount(); ++i) Forget(pItem->child(i));
}

void CQtTreeCtrl::ShowCheck(QTreeWidgetItem& item) {
  const QScopedValueRollback<bool> setting(m_bSetting, true);
  if (item.data(0, kBoxRole).toBool())
    item.setCheckState(0, item.data(0, kCheckedRole).toBool() ? Qt::Checked : Qt::Unchecked);
  else
    item.setData(0, Qt::CheckStateRole, QVariant());
}

HTREEITEM CQtTreeCtrl::InsertItem(const CString& text, int /*nImage*/, int /*nSelectedImage*/,
                                  HTREEITEM parent) {
  if (parent != nullptr && !IsOurs(parent)) return nullptr;
  const QScopedValueRollback<bool> setting(m_bSetting, true);
  auto* pItem =
      parent != nullptr ? new QTreeWidgetItem(ItemOf(parent)) : new QTreeWidgetItem(&m_Widget);
  m_Live.insert(pItem);
  pItem->setText(0, ToQt(text));
  pItem->setData(0, kCheckedRole, false);
  pItem->setData(0, kBoxRole, true);
  ShowCheck(*pItem);
  return HandleOf(pItem);
}

bool CQtTreeCtrl::DeleteItem(HTREEITEM item) {
  if (!IsOurs(item)) return false;
  Forget(ItemOf(item));
  delete ItemOf(item);
  return true;
}

void CQtTreeCtrl::DeleteAllItems() {
  m_Live.clear();
  m_Widget.clear();
}

HTREEITEM CQtTreeCtrl::GetRootItem() const { return HandleOf(m_Widget.topLevelItem(0)); }

HTREEITEM CQtTreeCtrl::GetChildItem(HTREEITEM item) const {
  if (item == nullptr) return GetRootItem();
  return IsOurs(item) ? HandleOf(ItemOf(item)->child(0)) : nullptr;
}

HTREEITEM CQtTreeCtrl::GetNextSiblingItem(HTREEITEM item) const {
  if (!IsOurs(item)) return nullptr;
  QTreeWidgetItem* p = ItemOf(item);
  QTreeWidgetItem* pParent = p->parent();
  const int i = pParent != nullptr ? pParent->indexOfChild(p) : m_Widget.indexOfTopLevelItem(p);
  return HandleOf(pParent != nullptr ? pParent->child(i + 1) : m_Widget.topLevelItem(i + 1));
}

HTREEITEM CQtTreeCtrl::GetParentItem(HTREEITEM item) const {
  return IsOurs(item) ? HandleOf(ItemOf(item)->parent()) : nullptr;
}

CString CQtTreeCtrl::GetItemText(HTREEITEM item) const {
  return IsOurs(item) ? FromQt(ItemOf(item)->text(0)) : CString();
}

bool CQtTreeCtrl::SetItemData(HTREEITEM item, void* pData) {
  if (!IsOurs(item)) return false;
  const QScopedValueRollback<bool> setting(m_bSetting, true);
  ItemOf(item)->setData(0, kDataRole, QVariant::fromValue(reinterpret_cast<quintptr>(pData)));
  return true;
}

void* CQtTreeCtrl::GetItemData(HTREEITEM item) const {
  return IsOurs(item) ? reinterpret_cast<void*>(ItemOf(item)->data(0, kDataRole).value<quintptr>())
                      : nullptr;
}

bool CQtTreeCtrl::GetCheck(HTREEITEM item) const {
  return IsOurs(item) && ItemOf(item)->data(0, kBoxRole).toBool() &&
         ItemOf(item)->data(0, kCheckedRole).toBool();
}

bool CQtTreeCtrl::SetCheck(HTREEITEM item, bool bChecked) {
  if (!IsOurs(item)) return false;
  const QScopedValueRollback<bool> setting(m_bSetting, true);
  ItemOf(item)->setData(0, kCheckedRole, bChecked);
  ShowCheck(*ItemOf(item));
  return true;
}

bool CQtTreeCtrl::SetCheckBox(HTREEITEM item, bool bShown) {
  if (!IsOurs(item)) return false;
  const QScopedValueRollback<bool> setting(m_bSetting, true);
  ItemOf(item)->setData(0, kBoxRole, bShown);
  ShowCheck(*ItemOf(item));
  return true;
}

bool CQtTreeCtrl::Expand(HTREEITEM item) {
  if (!IsOurs(item)) return false;
  ItemOf(item)->setExpanded(true);
  return true;
}

void CQtTreeCtrl::AddStyle(unsigned nStyle) {
  if ((nStyle & (TVS_HASBUTTONS | TVS_LINESATROOT)) != 0) m_Widget.setRootIsDecorated(true);
}

void CQtTreeCtrl::SetCheckClickHandler(std::function<bool(HTREEITEM)> handler) {
  m_OnCheckClick = std::move(handler);
}

void CQtTreeCtrl::OnItemChanged(QTreeWidgetItem* pItem, int nColumn) {
  if (m_bSetting || pItem == nullptr || nColumn != 0 || !pItem->data(0, kBoxRole).toBool()) return;
  const bool bShown = pItem->checkState(0) == Qt::Checked;
  if (bShown == pItem->data(0, kCheckedRole).toBool()) return;  // another change of the item
  // The box turned over by the user's click: back as it was, then the owner
  // decides what every box shows.
  ShowCheck(*pItem);
  if (m_OnCheckClick) SetCheck(HandleOf(pItem), m_OnCheckClick(HandleOf(pItem)));
}
