// The tables of the store: CMatTableBody (what every table has) and
// CMatTable (name texts, rows, structure definition).
//
// Every table belongs to one dataset (m_pDatenSatz) and lives in its
// parent's m_Children or in its dataset's top-level list, which own it.
// Texts, cell arrays, Struct blocks and list-mode row records of a table are
// pieces of its dataset's arena: deleting a table frees the table objects
// and their maps and lists, never those pieces.
//
// Row word (64 bits): with one value per row the cell in its low half (a
// handle, a pool index, an integer, a float's bits; RowWordCell) and, for a
// text row, in its high half where the pool text lies (RowWordTextHint, only
// to start loading it early); with several values per row the address of a
// zero-filled array of m_nValuesPerRow 32-bit cells; Void 0; Struct the
// address of a block: a 32-bit sub-row count r, then r x n cells, sub-row by
// sub-row (n = m_pStrucDef[0]). StringArray and DWordArray tables keep no
// rows: m_pData is an array with room for ((m_nRowCount - 1) | 3) + 1 cells
// (text addresses, or 32-bit values). StrLine tables keep their one text in
// m_pData.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "OrvaMat/row_map.h"
#include "OrvaMat/types.h"

class CMatTable;
class CMatDatenSatz;

// The two halves of a row word with one value per row.
inline std::uint32_t RowWordCell(std::uint64_t word) { return static_cast<std::uint32_t>(word); }
inline std::uint32_t RowWordTextHint(std::uint64_t word) {
  return static_cast<std::uint32_t>(word >> 32);
}

// A list of tables in insertion order; the list owns them.
using CTableList = std::vector<std::unique_ptr<CMatTable>>;

// Table flag bits (m_nFlags); other bits are kept as read.
enum : std::uint32_t {
  eFlagDefaultChild = 4,  // this child is its parent's default child
  eFlagHidden = 8,        // name look-ups do not find it
  eFlagListMode = 16,     // rows kept as an insertion-ordered list
};

// A text of a table that nearly every table leaves empty (the comment, the
// free texts): one pointer wide, its characters on the heap only while it
// holds some, as a dataset may hold hundreds of thousands of tables.
class ORVAMAT_API CTableText {
 public:
  CTableText() = default;
  CTableText(const CTableText& other) { *this = std::wstring_view(other.Get()); }
  CTableText& operator=(const CTableText& other) { return *this = std::wstring_view(other.Get()); }
  CTableText(CTableText&&) noexcept = default;
  CTableText& operator=(CTableText&&) noexcept = default;
  CTableText& operator=(std::wstring_view text);

  const CString& Get() const;
  operator const CString&() const { return Get(); }
  const wchar_t* c_str() const { return Get().c_str(); }
  bool empty() const { return m_pText == nullptr; }
  friend bool operator==(const CTableText& a, std::wstring_view b) { return a.Get() == b; }
  friend bool operator==(const CTableText& a, const CTableText& b) { return a.Get() == b.Get(); }

 private:
  std::unique_ptr<CString> m_pText;  // null while empty
};

class ORVAMAT_API CMatTableBody {
 public:
  CMatTableBody() = default;
  virtual ~CMatTableBody();
  CMatTableBody(const CMatTableBody&) = delete;
  CMatTableBody& operator=(const CMatTableBody&) = delete;

  std::uint32_t m_nType = 0;  // eMatType
  Handle m_hName = 0;
  std::uint32_t m_nFlags = 0;
  std::uint64_t m_nFilePos = 0;  // body in the database file; 0: in memory only
  void* m_pData = nullptr;       // StrLine text, or the array of an array table
  CMatTable* m_pParent = nullptr;
  CTableList m_Children;
  CMatDatenSatz* m_pDatenSatz = nullptr;
};

// Every table, StrLine tables included, is a CMatTable, so that a table
// pointer handed to a host is always of the type it claims; a StrLine table
// simply leaves the row fields unused.
class CMatTable : public CMatTableBody {
 public:
  // A row in list mode, a piece of the dataset's arena (8-byte aligned).
  struct CValHolder {
    Handle m_hRow;
    std::uint64_t m_Value;
    CValHolder* m_pNext;
  };

  // The insertion-ordered rows of list mode. It links arena records and
  // owns nothing; a record taken out stays in the arena until it closes.
  class CValHolderList {
   public:
    CValHolder* GetHead() const { return m_pHead; }
    std::size_t GetCount() const { return m_nCount; }
    bool IsEmpty() const { return m_nCount == 0; }
    void AddTail(CValHolder* pHolder);
    // The first record of the row, front to back, or null.
    CValHolder* Find(Handle hRow) const;
    // Unlinks the row's first record; null when absent.
    CValHolder* Remove(Handle hRow);
    void RemoveAll();

   private:
    CValHolder* m_pHead = nullptr;
    CValHolder* m_pTail = nullptr;
    std::size_t m_nCount = 0;
  };

  CMatTable() = default;
  ~CMatTable() override;
  // Tables are made by the hundred thousand: their memory comes from a pool
  // of the library's (a class derived from CMatTable gets the heap's).
  ORVAMAT_API static void* operator new(std::size_t n);
  ORVAMAT_API static void operator delete(void* p, std::size_t n);

  // Empties the table: its rows (and array or text) and, recursively, its
  // children, which are destroyed.
  ORVAMAT_API void DeleteContents();

  // Enters the row's word (list mode: the first record of the row, or a new
  // one). False only when the arena gave no record (reported).
  bool SetValue(Handle hRow, std::uint64_t word);
  bool FindRow(Handle hRow, std::uint64_t& word) const {
    return m_bListMode ? FindListRow(hRow, word) : m_Rows.Lookup(hRow, word);
  }
  // FindRow in list mode: a walk of the list.
  bool FindListRow(Handle hRow, std::uint64_t& word) const;
  // Asks for the row's place in memory ahead of FindRow (a hint, no more).
  void PrefetchRow(Handle hRow) const {
    if (!m_bListMode) m_Rows.Prefetch(hRow);
  }
  // Takes the row out; true and its last word when it was there.
  bool RemoveRowEntry(Handle hRow, std::uint64_t& word);
  std::size_t GetRowCount() const;
  // Sets m_nRowCount to the number of rows (after every change of rows).
  void UpdateRowCount() { m_nRowCount = static_cast<std::int32_t>(GetRowCount()); }

  // Iteration: map mode in the map's order, list mode in insertion order.
  POSITION GetFirstRowPosition() const;
  // The row at pos and its word; pos moves on (null after the last row).
  Handle GetNextRow(POSITION& pos, std::uint64_t& word) const;

  // Switches between list and map mode, carrying the rows over; keeps flag
  // 16 in step.
  void SetListMode(bool bListMode);
  // "HashTableSize": 1 switches to list mode, larger values make room for
  // that many rows in the map.
  void SetHashTableSize(std::size_t n);

  // Cells per row, never below 1.
  int GetCellsPerRow() const { return m_nValuesPerRow > 1 ? m_nValuesPerRow : 1; }
  // Structure definition: field count (0 when none) and a field's type.
  std::uint32_t GetFieldCount() const { return m_pStrucDef ? m_pStrucDef[0] : 0; }

  CString m_strName;
  CTableText m_strBeschreibung;
  CTableText m_strRegStr1;
  CTableText m_strRegStr2;
  CTableText m_strRegStr3;
  std::uint32_t m_nState = 1;
  Handle m_hDefaultItem = 0;
  std::int32_t m_nValuesPerRow = 1;
  bool m_bListMode = false;
  CRowMap m_Rows;
  CValHolderList m_RowList;
  std::int32_t m_nRowCount = 0;
  std::uint32_t* m_pStrucDef = nullptr;  // in the arena: n, then n type codes

  // The store's own: the arena lane a large text table's texts are cut from
  // (CArena::AllocInLane; 0: none yet).
  std::uint32_t& TextLane() { return m_nTextLane; }

 private:
  std::uint32_t m_nTextLane = 0;
};
