// CQtTreeCtrl: the library's tree control (OrvaMat/tree_ctrl.h) on a
// QTreeWidget, so that the accessory tree of a VDI product fills a real
// window. Items carry their check state themselves, so that an item whose
// box is hidden keeps what was set; a click on a box is handed to the owner
// before anything changes (CVDIZubehoerbaum930::setItemStates decides what
// every box shows then).
#pragma once

#include <QSet>
#include <QTreeWidget>
#include <functional>

#include "OrvaMat/qt_dialogs.h"
#include "OrvaMat/tree_ctrl.h"

class ORVAMAT_DIALOGS_API CQtTreeCtrl : public CTreeCtrl {
 public:
  // The widget must outlive the control.
  explicit CQtTreeCtrl(QTreeWidget& widget);
  ~CQtTreeCtrl() override;

  HTREEITEM InsertItem(const CString& text, int nImage, int nSelectedImage,
                       HTREEITEM parent) override;
  bool DeleteItem(HTREEITEM item) override;
  void DeleteAllItems() override;
  HTREEITEM GetRootItem() const override;
  HTREEITEM GetChildItem(HTREEITEM item) const override;
  HTREEITEM GetNextSiblingItem(HTREEITEM item) const override;
  HTREEITEM GetParentItem(HTREEITEM item) const override;
  CString GetItemText(HTREEITEM item) const override;
  bool SetItemData(HTREEITEM item, void* pData) override;
  void* GetItemData(HTREEITEM item) const override;
  bool GetCheck(HTREEITEM item) const override;
  bool SetCheck(HTREEITEM item, bool bChecked) override;
  bool SetCheckBox(HTREEITEM item, bool bShown) override;
  bool Expand(HTREEITEM item) override;
  void AddStyle(unsigned nStyle) override;

  // Called when the user clicks an item's box, before it turns over; the
  // handler sets the other boxes (SetCheck) and returns whether the clicked
  // one ends up checked, which the control then shows.
  void SetCheckClickHandler(std::function<bool(HTREEITEM)> handler);
  static QTreeWidgetItem* ItemOf(HTREEITEM item) {
    return reinterpret_cast<QTreeWidgetItem*>(item);
  }
  static HTREEITEM HandleOf(QTreeWidgetItem* p) { return reinterpret_cast<HTREEITEM>(p); }

 private:
  bool IsOurs(HTREEITEM item) const;
  void Forget(QTreeWidgetItem* pItem);  // with everything below it
  void ShowCheck(QTreeWidgetItem& item);
  void OnItemChanged(QTreeWidgetItem* pItem, int nColumn);

  QTreeWidget& m_Widget;
  std::function<bool(HTREEITEM)> m_OnCheckClick;
  QMetaObject::Connection m_Changed;
  bool m_bSetting = false;        // the control itself changes a box: no click
  QSet<QTreeWidgetItem*> m_Live;  // the items made here and not deleted
};
