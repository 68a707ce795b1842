// Cvdi3805Tag: one node of a product's variant tree, and CVdiTagRoots, the
// list of the product trees built so far (docs/vdi.md, "The variant tree").
//
// The variant tree of a product (a 110 record table) holds a node per
// variant record a user chooses from: the 200, 300, 400 and 500 records
// below the product and their 250/260 ... 550/560 records. Each level has
// one default node (the record the file marked, else its first one). A tree
// is built once per product and kept in the list of roots until it is
// deleted or the list is cleared; it reads the tables of the product and
// never changes them.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "OrvaMat/types.h"
#include "vdi/vdi_record.h"

class CMatDatenSatz;
class CMatStore;
class CMatTable;

class Cvdi3805Tag {
 public:
  explicit Cvdi3805Tag(VdiRecordId nRecordId = 0) : m_nRecordId(nRecordId) {}
  Cvdi3805Tag(const Cvdi3805Tag&) = delete;
  Cvdi3805Tag& operator=(const Cvdi3805Tag&) = delete;

  // Appends a child (taken over) and makes this node its parent.
  Cvdi3805Tag* AddChild(std::unique_ptr<Cvdi3805Tag> pChild);
  // Takes a direct child out of the list and hands it over; null when it is
  // no child of this node.
  std::unique_ptr<Cvdi3805Tag> TakeChild(const Cvdi3805Tag* pChild);

  VdiRecordId m_nRecordId;    // 0x01100000 for a product's root (110)
  std::int32_t m_nIndex = 0;  // the number after "-" in the record's name
  Cvdi3805Tag* m_pParent = nullptr;
  CMatTable* m_pTable = nullptr;  // the record's table (not owned)
  void* m_pTreeItem = nullptr;    // the item a dialog shows the node by
  bool m_bDefault = false;        // the default choice of its kind
  bool m_bEnabled = true;
  CString m_strText;                                     // the first field of the record's text
  std::vector<std::unique_ptr<Cvdi3805Tag>> m_Children;  // in table order, owned
};

constexpr VdiRecordId kVdiProductRecord = MakeVdiRecordId(0x110);

// The roots of the product trees. A root is handed out for its table only
// while the table's dataset is open and its table tree has not changed
// since the tree was built (its tree stamp, store/child_name_index.h): once
// a sheet was imported again, a table made where the product lay never
// gets the old tree, whose tables are gone. Such a stale root stays in the
// list (a host may still hold it) until it is deleted or the list cleared.
// One thread at a time.
class CVdiTagRoots {
 public:
  // Checks datasets against that store (null: the process-wide one).
  explicit CVdiTagRoots(CMatStore* pStore = nullptr) : m_pStore(pStore) {}
  CVdiTagRoots(const CVdiTagRoots&) = delete;
  CVdiTagRoots& operator=(const CVdiTagRoots&) = delete;
  // Deletes every root tree: the library's end deletes the process's trees.
  ~CVdiTagRoots() = default;

  // The one behind the exported entry points.
  static CVdiTagRoots& Process();

  // The root built for that table under its dataset's present tree, or
  // null.
  Cvdi3805Tag* Find(const CMatTable* pTable) const;
  // Takes the root over. With a table, it is found for that table until
  // the table's tree changes; without one it is never found by table.
  Cvdi3805Tag* Add(std::unique_ptr<Cvdi3805Tag> pRoot, const CMatTable* pTable);
  // Gives a root of the list back to the caller (null when it is not in
  // the list).
  std::unique_ptr<Cvdi3805Tag> Take(const Cvdi3805Tag* pRoot);
  bool Contains(const Cvdi3805Tag* pRoot) const;
  // True when the root is in the list and its tables may be gone: its
  // dataset was closed or its table tree changed since it was built.
  bool IsStale(const Cvdi3805Tag* pRoot) const;

  // Deletes every root tree.
  void Clear() { m_Roots.clear(); }
  std::size_t GetCount() const { return m_Roots.size(); }

  // The store whose datasets the trees read.
  CMatStore& Store() const;

 private:
  struct CEntry {
    std::unique_ptr<Cvdi3805Tag> m_pRoot;
    const CMatDatenSatz* m_pDataset = nullptr;  // null: found by no table
    std::uint64_t m_nTreeStamp = 0;
  };
  const CEntry* EntryOf(const Cvdi3805Tag* pRoot) const;
  bool IsOpen(const CMatDatenSatz* pDataset) const;

  CMatStore* m_pStore;
  std::vector<CEntry> m_Roots;
};

// Building and completing: the work of Cvdi3805Man's tree calls on a list
// of roots (vdi/vdi3805_man.h has their contracts).
Cvdi3805Tag* CreateVariantTree(CVdiTagRoots& roots, Cvdi3805Tag* pParent, CMatTable* pTable);
void CompleteTgaTag(const CVdiTagRoots& roots, CString& tag, const Cvdi3805Tag* pRoot, bool bReset);
Cvdi3805Tag* CreateTag(CVdiTagRoots& roots, VdiRecordId nRecordId);
void DeleteTag(CVdiTagRoots& roots, Cvdi3805Tag* pTag);
