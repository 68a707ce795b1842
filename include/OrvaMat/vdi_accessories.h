// The accessories of a configured VDI 3805 product (docs/accessories.md):
// the positions a designer keeps (CVdiZubehoer930) and the tree of
// checkable accessory groups, entries and articles that fit the product's
// TGA tag, from which the designer picks them (CVDIZubehoerbaum930).
//
// Both read the record tables the file reader made below a sheet table
// (930 groups with their 930.01 entries, 930.02 entry conditions, 930.03
// articles and 930.04 article conditions; 900 articles; the product's 830
// records) and change none. Missing records leave positions unappended and
// tree branches empty; nothing is shown for them. No exception leaves the
// members.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "OrvaMat/mat_table.h"
#include "OrvaMat/mat_text.h"
#include "OrvaMat/tree_ctrl.h"
#include "OrvaMat/types.h"

// An ordered list of accessory positions, copied by value.
class ORVAMAT_API CVdiZubehoer930 {
 public:
  // One position. Made from the store, the members come from the 930.03
  // article (its fields counted from 1 after its index) and its 900 record.
  struct stlPosition {
    double m_dQuantity = 0;      // 930.03 field 2
    CString m_strText1;          // 900 field 6
    CString m_strText2;          // 900 field 9
    CString m_strText3;          // 930.03 field 4
    std::int32_t m_nNumber = 0;  // 0
    CString m_strKey;            // the position key
    bool m_bFlag1 = false;       // 930.03 field 3 is not "0"
    bool m_bFlag2 = false;       // 930.03 field 6 is not "0"
    CString m_strText4;          // 930.03 field 5
  };

  std::vector<stlPosition> m_Positions;  // in insertion order

  // Appends a position with these values.
  void setPosition(const double& quantity, const bool& flag1, const CString& text1,
                   const CString& text2, const CString& text3, const int& number,
                   const CString& key, const bool& flag2, const CString& text4);
  // Appends the position the key selects below the sheet table: the 930
  // group, its 930.01 entry and 930.03 article named by the fourth, third and
  // second group of the key from its end, and the 900 record the article
  // names. Nothing when the sheet is null, the key has fewer than four
  // groups, one of those three is no decimal number, or a record is missing.
  void setPosition(CMatTable* sheet, const CString& key);
  // Replaces every position with copies of the other's (null: no change).
  void copyFrom(CVdiZubehoer930* other);
  void copyPosition(const stlPosition& from, stlPosition& to);
  // The index of the first position with exactly that key; -1 when none.
  int getArtikelPosition(const CString& key);
  // Removes the position at the index (nothing outside the list).
  void removePosition(const int& index);
  // Removes the first position with that key (nothing when none).
  void removePosition(const CString& key);
  void removeAll();
};

// The accessory tree of one product. The tree control, the product and the
// tables below its sheet must outlive the object.
//
// Items: a root "Zubehör-Auswahl" without a check box (its data the
// product); below it a group item per accessory group reached from the
// product's 830 records (image 1), entry items (image 1) and article items
// (image 2, data the 900 record table, text ending in ", Anzahl: n unit").
// Each article item has a key (docs/accessories.md).
class ORVAMAT_API CVDIZubehoerbaum930 {
 public:
  // Keeps the arguments; the tag, the design values and the selection are
  // copied. A null tree or product builds nothing.
  CVDIZubehoerbaum930(CTreeCtrl* tree, const bool& all, CMatTable* product, CString tgaTag,
                      std::vector<double>& quantities, CStringList& selection);

  // Empties the tree and fills it again from the product's records; the
  // check marks follow the selection. Unless `all` is set nothing is built
  // when the tag or the design values are empty.
  void RebuildZubehoerbaum();
  // To be called when the user clicks the check box of an item, before the
  // control turns the box over: prepares every other item and the
  // selection, and records the keys the click changes. Returns whether the
  // item ends up checked. False for no item of this tree.
  bool setItemStates(HTREEITEM item);
  // out becomes the keys the last click changed.
  void getAuswahlAenderungen(CStringList& out);

  // The chosen keys, the keys of the article items in item order, and the
  // key of one item (empty for any other than an article item).
  const CStringList& GetSelection() const { return m_Selection; }
  const std::vector<CString>& GetItemKeys() const { return m_ItemKeys; }
  CString GetItemKey(HTREEITEM item) const;
  // The sheet table of the last build (null before).
  CMatTable* GetSheet() const { return m_pSheet; }

  // A tree stops growing at this many items (shown once): groups that name
  // each other over and over would otherwise fill memory.
  static constexpr std::size_t kMaxItems = 50000;

 private:
  struct CBuild;
  void AddGroup(CBuild& build, std::int32_t nGroup, HTREEITEM parent);
  void AddArticles(CBuild& build, CMatTable* pEntry, HTREEITEM entryItem);
  HTREEITEM Insert(CBuild& build, const CString& text, int nImage, HTREEITEM parent);
  void SetSubtree(HTREEITEM item, bool bChecked);
  void SetAncestors(HTREEITEM item, bool bChecked);
  void Choose(const CString& key, bool bChecked);
  void MarkSelection();

  std::vector<CString> m_ItemKeys;
  bool m_bAll;
  CMatTable* m_pProduct;
  CMatTable* m_pSheet = nullptr;
  CString m_strTgaTag;
  std::vector<double> m_Quantities;
  CTreeCtrl* m_pTree;
  CStringList m_Selection;
  CStringList m_Changes;
  bool m_bImagesGiven = false;
  // The article item of each key, and the key index of each article item.
  std::vector<HTREEITEM> m_ArticleItems;
  std::unordered_map<HTREEITEM, std::size_t> m_KeyOfItem;
};
