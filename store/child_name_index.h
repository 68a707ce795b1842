// CChildNameIndex: the hashed child names of one large parent, and
// CChildIndexCache: a dataset's indexes, one per parent, for the path look-up.
//
// A parent with kMinChildren or more children gets an index the first time a
// name is looked up under it: each child that is not hidden and has a name
// text is entered under that text, compared without regard to case; of
// several children of one name the first in child order is kept, as walking
// the list would find it. The top-level tables of a dataset are indexed the
// same way, under the key null.
//
// An index belongs to its parent and is dropped when a child there is
// renamed, when the parent's children are emptied or the parent is destroyed
// (CMatTable::DeleteContents), when any name text of the dataset changes
// (RenameHandle) and when the dataset is read again from its file. A child
// list whose length differs from the one indexed is indexed again on its next
// look-up, so children appended by the database file's loader are seen too.
// A child the store adds or removes is entered into or taken out of its
// parent's index: building the index anew at the next look-up would make a
// run of such changes and look-ups (an import's records under one parent, or
// at the top level) cost the square of the list's length. (When another
// child of the removed one's name may come first now, the index is dropped
// after all.)
//
// Entries point at children and at their name texts in the dataset's arena;
// both live at least as long as the index does under the rules above.
//
// The same events move the cache's tree stamp. A cache of another layer's
// own over a parent's children (the record lists of product functions)
// remembers the stamp it was built under and holds while the stamp does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "OrvaMat/mat_table.h"

class CMatDatenSatz;

class CChildNameIndex {
 public:
  // Builds the index of the list (a parent's children or a dataset's
  // top-level tables) by the names TableNameText gives.
  explicit CChildNameIndex(const CTableList& list);

  // The first indexed table of that name (any case), or null.
  CMatTable* Find(std::wstring_view name) const;
  // Enters a table appended to the list after those indexed.
  void Append(CMatTable* pTable);
  // Takes out a table removed from the list; false when another child has
  // its name, which may now be the first: only building the index anew
  // tells.
  bool Remove(const CMatTable* pTable);
  // The length of the list when it was indexed.
  std::size_t GetListSize() const { return m_nListSize; }

  // Hash of a name that is the same for every case of its letters.
  static std::uint32_t HashNoCase(std::wstring_view name);

 private:
  struct CSlot {
    CMatTable* pTable;
    const wchar_t* pName;
    std::uint32_t nNameLength : 31;
    std::uint32_t bShared : 1;  // a later child has the name too
    std::uint32_t nHash;
  };
  void Insert(CMatTable* pTable, std::wstring_view name);
  // Twice the slots, for an index that would be more than half full.
  void Grow();

  std::vector<CSlot> m_Slots;  // open addressing, a power of two in size
  std::size_t m_nMask = 0;
  std::size_t m_nListSize = 0;
  std::size_t m_nEntries = 0;  // slots in use
};

class CChildIndexCache {
 public:
  // Parents with fewer children are searched by walking their list.
  static constexpr std::size_t kMinChildren = 20;

  // The index of list, whose owner is pParent (null: the dataset's top-level
  // list); made or remade when needed. Null for lists below kMinChildren.
  const CChildNameIndex* Get(const CMatTableBody* pParent, const CTableList& list);
  // Drops the index of one parent (null: of the top-level list), and the
  // remembered look-up below.
  void Drop(const CMatTableBody* pParent);
  // As Drop, for a child the store appended to list, the child list of
  // pParent: an index of the list as it was before takes the child in.
  void Appended(const CMatTableBody* pParent, const CTableList& list);
  // As Drop, for pTable, which the store took out of list: an index of the
  // list as it was before lets it go.
  void Removed(const CMatTableBody* pParent, const CTableList& list, const CMatTable* pTable);
  void Clear();
  std::size_t GetCount() const { return m_Indexes.size(); }

  // Changes at every Drop and Clear, that is whenever the dataset's table
  // tree may have changed under a look-up by name. Stamps come from one
  // counter of the process: no two caches, not even one made where another
  // was destroyed, ever show the same stamp.
  std::uint64_t GetTreeStamp() const { return m_nTreeStamp; }

  // The last child found by exactly this name under pParent, whatever the
  // length of the list: text reads look up the same language child at every
  // call. Null when the look-up must be made; valid until the next Drop or
  // Clear and while the list keeps its length. A name remembered with a
  // stamp (non-zero, naming that text alone, as the language's stamp does)
  // is found again by the stamp without comparing texts: a text read then
  // touches neither text, which lie apart in memory.
  CMatTable* FindRemembered(const CMatTableBody* pParent, std::size_t nListSize,
                            std::wstring_view name, std::uint64_t nNameStamp = 0) {
    if (m_Last.pFound == nullptr || m_Last.pParent != pParent || m_Last.nListSize != nListSize)
      return nullptr;
    if (nNameStamp != 0 && nNameStamp == m_Last.nNameStamp) return m_Last.pFound;
    if (m_Last.name != name) return nullptr;
    m_Last.nNameStamp = nNameStamp;  // the next look-up by the stamp compares no text
    return m_Last.pFound;
  }
  // The child found last under pParent, unchecked: only to ask for its
  // memory early.
  const CMatTable* PeekRemembered(const CMatTableBody* pParent) const {
    return m_Last.pParent == pParent ? m_Last.pFound : nullptr;
  }
  void Remember(const CMatTableBody* pParent, std::size_t nListSize, std::wstring_view name,
                CMatTable* pFound, std::uint64_t nNameStamp = 0);
  // A table was hidden or shown: an index still answers as built (a hidden
  // child is reached and refused), but a walk of a list may now find another.
  void ForgetRemembered() { m_Last.pFound = nullptr; }

 private:
  std::unordered_map<const CMatTableBody*, std::unique_ptr<CChildNameIndex>> m_Indexes;
  struct CLastFound {
    const CMatTableBody* pParent = nullptr;
    std::size_t nListSize = 0;
    CString name;
    std::uint64_t nNameStamp = 0;
    CMatTable* pFound = nullptr;
  } m_Last;
  std::uint64_t m_nTreeStamp = NextTreeStamp();

  static std::uint64_t NextTreeStamp();
};
