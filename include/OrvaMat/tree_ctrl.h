// CTreeCtrl: the tree of checkable items that the library fills for a host
// (the accessory tree of a VDI product, OrvaMat/vdi_accessories.h), the way
// CHostUI stands for message boxes. The host hands in its own control (the
// dialogs' Qt tree later); tests and the orvamat tool use CRecordingTreeCtrl,
// which keeps the items in memory.
//
// Items are named by HTREEITEM handles that the control hands out. Every call
// takes any handle: one the control never gave, or one whose item was
// deleted, reads as no item (null, empty, false) and changes nothing.
// Item data is a pointer the caller owns; the control only keeps it.
#pragma once

#include <vector>

#include "OrvaMat/types.h"

struct CTreeItemName;  // never defined: handles are only compared and passed on
using HTREEITEM = CTreeItemName*;

// Style bits of a tree (the Windows values, so that callers written against
// them read the same).
enum : unsigned { TVS_HASBUTTONS = 0x1, TVS_HASLINES = 0x2, TVS_LINESATROOT = 0x4 };

// The images of a tree's items, as the library asks for them: a bitmap
// resource of the library cut into square images of that width, pixels of
// the mask colour transparent. Image 1 marks groups and entries, image 2
// articles.
struct CTreeImageList {
  int nBitmapResource = 0;
  int nWidth = 0;
  unsigned nMaskColour = 0;
};

class ORVAMAT_API CTreeCtrl {
 public:
  virtual ~CTreeCtrl();

  // Appends an item as the last child of parent (null: at the top level),
  // its check box shown and cleared, no data. Null when the parent is no item.
  virtual HTREEITEM InsertItem(const CString& text, int nImage, int nSelectedImage,
                               HTREEITEM parent) = 0;
  // Deletes the item with everything below it.
  virtual bool DeleteItem(HTREEITEM item) = 0;
  virtual void DeleteAllItems() = 0;

  // Walking: the first top-level item; the first child (of null: the first
  // top-level item); the next sibling; the parent (null at the top level).
  virtual HTREEITEM GetRootItem() const = 0;
  virtual HTREEITEM GetChildItem(HTREEITEM item) const = 0;
  virtual HTREEITEM GetNextSiblingItem(HTREEITEM item) const = 0;
  virtual HTREEITEM GetParentItem(HTREEITEM item) const = 0;

  virtual CString GetItemText(HTREEITEM item) const = 0;
  virtual bool SetItemData(HTREEITEM item, void* pData) = 0;
  virtual void* GetItemData(HTREEITEM item) const = 0;

  // The check state; an item without a check box reads unchecked but keeps
  // what is set.
  virtual bool GetCheck(HTREEITEM item) const = 0;
  virtual bool SetCheck(HTREEITEM item, bool bChecked) = 0;
  // Shows or hides the item's check box (its state image).
  virtual bool SetCheckBox(HTREEITEM item, bool bShown) = 0;
  virtual bool Expand(HTREEITEM item) = 0;
  // Adds style bits (TVS_...).
  virtual void AddStyle(unsigned nStyle) = 0;

  // The optional picture part: a control that shows images or a preview
  // overrides these; the others ignore them.
  virtual void SetImageList(const CTreeImageList& images);
  // Shows the picture file of the item under the cursor (empty: none).
  virtual void ShowPreview(const CString& picturePath);
};

// A tree kept in memory: what a host's control would show, for tests and
// for the tool's printing. Handles are never reused, not even after
// DeleteAllItems.
class ORVAMAT_API CRecordingTreeCtrl : public CTreeCtrl {
 public:
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
  void AddStyle(unsigned nStyle) override { m_nStyle |= nStyle; }
  void SetImageList(const CTreeImageList& images) override { m_ImageList = images; }

  // What a user's click on the check box does after the click was reported:
  // the box turns to the other state.
  void ToggleCheck(HTREEITEM item) { SetCheck(item, !GetCheck(item)); }

  // What was recorded.
  bool IsItem(HTREEITEM item) const { return Find(item) != nullptr; }
  bool HasCheckBox(HTREEITEM item) const;
  bool IsExpanded(HTREEITEM item) const;
  int GetImage(HTREEITEM item) const;
  unsigned GetStyle() const { return m_nStyle; }
  const CTreeImageList& GetImageList() const { return m_ImageList; }
  // Every item, depth first (a parent before its children).
  std::vector<HTREEITEM> GetItems() const;
  // The tree as text: one line per item, indented by two blanks per level,
  // "[x] " or "[ ] " before the text of an item with a check box.
  CString Dump() const;

 private:
  struct CItem {
    CString strText;
    int nImage = 0;
    int nSelectedImage = 0;
    void* pData = nullptr;
    bool bChecked = false;
    bool bCheckBox = true;
    bool bExpanded = false;
    bool bAlive = true;
    HTREEITEM parent = nullptr;
    std::vector<HTREEITEM> children;
  };
  CItem* Find(HTREEITEM item);
  const CItem* Find(HTREEITEM item) const;
  HTREEITEM HandleOf(std::size_t nIndex) const;
  const std::vector<HTREEITEM>& SiblingsOf(const CItem& item) const;
  void Kill(HTREEITEM item);

  std::vector<CItem> m_Items;
  std::vector<HTREEITEM> m_TopItems;
  // Handles of earlier generations (before the last DeleteAllItems) lie
  // below this number.
  std::size_t m_nFirstHandle = 1;
  unsigned m_nStyle = 0;
  CTreeImageList m_ImageList;
};
