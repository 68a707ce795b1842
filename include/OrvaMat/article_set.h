// Article sets: a list of articles with quantities that belong together (the
// fittings of an assembly), filled from a set table of a manufacturer's
// dataset, merged, compared with their definition, and with their set
// groups exploded into components. docs/article-sets.md has the set table
// layout and the rules. The numbers are the export ordinals (frozen).
//
// Nothing here shows a message except the end of an explosion that would not
// end (a set group that contains itself, or a set grown beyond kMaxItems).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "OrvaMat/types.h"

class CMatTable;

// Item flag bits.
inline constexpr unsigned long kSetItemDefinitionFlag = 0x1;  // copied from the definition
inline constexpr unsigned long kSetItemKeep = 0x1000;         // neither merged nor exploded
inline constexpr unsigned long kSetItemAddition = 0x20000;    // not part of the definition
inline constexpr unsigned long kSetItemQuantityDiffers = 0x40000;
inline constexpr unsigned long kSetItemLooseAlternative = 0x80000;
inline constexpr unsigned long kSetItemOptional = 0x100000;  // in a set table: optional
inline constexpr unsigned long kSetItemMark = 0x80000000;    // while comparing

class ORVAMAT_API CArtikelSetItem {
 public:
  unsigned long m_hArtikel = 0;
  unsigned long m_hArtikelDef = 0;  // the article the definition gave
  float m_fMenge = 0;
  unsigned long m_nFlags = 0;
};

class ORVAMAT_API CArtikelSet {
 public:
  // 70: empty, standard, no table.
  CArtikelSet();
  // 71
  ~CArtikelSet();
  CArtikelSet(const CArtikelSet& other);
  // 72: copies every item and field of the other set.
  CArtikelSet& operator=(const CArtikelSet& other);

  // 79: deletes all items.
  void RemoveAllItems();
  // 33: deletes all items and forgets the set table and the set row.
  void Reset();
  // 75, 76: the items in order. A position stays valid while no item is
  // added or removed.
  POSITION GetHeadPosition() const;
  CArtikelSetItem* GetNextItem(POSITION& pos) const;
  std::size_t GetCount() const { return m_Items.size(); }

  // 97: adds the quantity to an item of the same article (and the same
  // definition article) that is not kept as it is, else appends an item.
  CArtikelSetItem* AddItem(float quantity, unsigned long article, unsigned long flags);
  // 99: AddItem with flags 1 when flag is non-zero, else 0.
  CArtikelSetItem* AddArtikel(unsigned long article, float quantity, int flag);
  // 88: each item of other onto an item of the same article and flags, or
  // appended as a copy.
  void Merge(const CArtikelSet& other);
  // 118: the sum of the item quantities.
  float GetGesamtMenge() const;
  // 103: the first item of the article, or null.
  CArtikelSetItem* IstInSet(unsigned long article) const;
  // Removes and deletes the item; false when it is none of the set's.
  bool RemoveItem(const CArtikelSetItem* pItem);

  // 28: fills the set from the set table's row set, putting back the items
  // the set held before (as changes against the definition).
  void SetSet(unsigned long set);
  // 105: with a set row: items of no quantity go, the others that are not
  // additions are marked as differing in quantity.
  void CleanSet();
  // 157, 158: the largest size and the smallest size of at least 1 of the
  // set's lines (the set row, or every row without one) that are not chosen
  // by the second size; 0 and 0x7FFFFFFF when there are none.
  int GetMaxGroesse();
  int GetMinGroesse();
  // 85: the set for a length between the smallest and the largest size.
  void SetSetLength(float length);
  // 111: fills the set by size (1 when the set was empty and is filled now,
  // else 0; 0 without a table).
  int SetGroesse(unsigned long size, unsigned long size2);
  // 78: the set again for a new value, keeping the user's flags; 1 when
  // done, 0 without a Struct set table.
  int RecalcSet(float value);
  // 119: m_bStandard becomes 0 when the set differs from its definition;
  // items whose quantity differs are marked.
  void CheckStandard();
  // 26: moves each item to the alternative of its line (same alternative key
  // and order number) whose size is the given one, and keeps the size.
  void SetAlternativeSize(unsigned long size);

  float m_fMenge = 0;                  // the set's length or quantity parameter
  CMatTable* m_pSetTabelle = nullptr;  // the set table the set was filled from
  unsigned long m_hSet = 0;            // its row; 0: chosen by size over all rows
  unsigned long m_nGroesse = 0;        // the size selected by size
  unsigned long m_nGroesse2 = 0;       // the second size parameter
  unsigned long m_bStandard = 1;       // 1 while the set equals its definition

  // The most items an explosion lets a set grow to.
  static constexpr std::size_t kMaxItems = 1000000;

 private:
  friend class CMatArticleSetCalls;
  // The set table, checked: a table of a dataset closed or changed since it
  // was given is looked up again by its path, and is null when it is gone.
  CMatTable* Table();
  // ExplodeSet with that set group table (null: each item's dataset's).
  void Explode(CMatTable* pGroups);

  std::vector<std::unique_ptr<CArtikelSetItem>> m_Items;
  // What the table was when it was given (Table()).
  CMatTable* m_pCheckedTable = nullptr;
  const void* m_pTableDataset = nullptr;
  std::uint64_t m_nTableStamp = 0;
  CString m_strTablePath;
};

// The calls on sets and set groups; CMatManager derives from this class.
class ORVAMAT_API CMatArticleSetCalls {
 public:
  CMatArticleSetCalls() = delete;

  // 69: explodes the set groups of the set (with the set group table of
  // each item's dataset) into their components, groups inside groups too.
  static void ExplodeSet(CArtikelSet& set);
  // 112: the same with the given set group table (null: as ExplodeSet).
  static void ExplodeSetWith(CArtikelSet& set, CMatTable* groups);
  // 132: the articles of the alternative list of the set's table (filled by
  // the sizes 0 and 0) that holds the article, in list order; out unchanged
  // when no list holds it.
  static void getComboArtikel(std::vector<unsigned long>& out, CArtikelSet& set,
                              unsigned long article);
  // 39: the article is a row of its dataset's set group table.
  static bool IsSetGruppe(unsigned long article);
  // 18: the article is a row of table (null: of the set group table).
  static bool IsInSetTabelle(unsigned long article, CMatTable* table);
  // 179: the short text of the item's article, else of the article that
  // "ArtikelSetGruppen" names for it (field 1 of its first line).
  static eMatManager GetItemKurzText(CString& out, CArtikelSetItem* item);
};
