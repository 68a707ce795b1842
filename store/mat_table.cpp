#include "OrvaMat/mat_table.h"

#include <utility>

#include "store/mat_daten_satz.h"
#include "store/object_pool.h"

CTableText& CTableText::operator=(std::wstring_view text) {
  if (text.empty())
    m_pText.reset();
  else if (m_pText != nullptr)
    m_pText->assign(text);
  else
    m_pText = std::make_unique<CString>(text);
  return *this;
}

const CString& CTableText::Get() const {
  static const CString s_Empty;
  return m_pText != nullptr ? *m_pText : s_Empty;
}

CMatTableBody::~CMatTableBody() = default;

CMatTable::~CMatTable() { DeleteContents(); }

namespace {

// The pool is never taken down: tables freed while the process ends, after
// the other statics have gone, still find it. Under the address sanitizer
// tables come from the heap, so that it sees every use of a freed one.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kPooled = false;
#else
constexpr bool kPooled = true;
#endif

CObjectPool& TablePool() {
  static CObjectPool* s_pPool = new CObjectPool(sizeof(CMatTable));
  return *s_pPool;
}

}  // namespace

void* CMatTable::operator new(std::size_t n) {
  return kPooled && n == sizeof(CMatTable) ? TablePool().Take() : ::operator new(n);
}

void CMatTable::operator delete(void* p, std::size_t n) {
  if (kPooled && n == sizeof(CMatTable))
    TablePool().Give(p);
  else
    ::operator delete(p);
}

void CMatTable::CValHolderList::AddTail(CValHolder* pHolder) {
  pHolder->m_pNext = nullptr;
  if (m_pTail != nullptr)
    m_pTail->m_pNext = pHolder;
  else
    m_pHead = pHolder;
  m_pTail = pHolder;
  ++m_nCount;
}

CMatTable::CValHolder* CMatTable::CValHolderList::Find(Handle hRow) const {
  for (CValHolder* p = m_pHead; p != nullptr; p = p->m_pNext)
    if (p->m_hRow == hRow) return p;
  return nullptr;
}

CMatTable::CValHolder* CMatTable::CValHolderList::Remove(Handle hRow) {
  CValHolder* pPrev = nullptr;
  for (CValHolder* p = m_pHead; p != nullptr; pPrev = p, p = p->m_pNext) {
    if (p->m_hRow != hRow) continue;
    (pPrev ? pPrev->m_pNext : m_pHead) = p->m_pNext;
    if (m_pTail == p) m_pTail = pPrev;
    --m_nCount;
    // The record keeps its link, so an iteration standing on it goes on.
    return p;
  }
  return nullptr;
}

void CMatTable::CValHolderList::RemoveAll() {
  m_pHead = m_pTail = nullptr;
  m_nCount = 0;
}

void CMatTable::DeleteContents() {
  if (m_nType != eTypeStrLine) {
    m_Rows.RemoveAll();
    m_RowList.RemoveAll();
    if (m_nType == eTypeStringArray || m_nType == eTypeDWordArray) m_pData = nullptr;
    // The rows are gone, not waiting in the file: nothing is to be loaded.
    m_nRowCount = 0;
  }
  for (auto& pChild : m_Children) pChild->DeleteContents();
  m_Children.clear();
  if (m_pDatenSatz != nullptr) m_pDatenSatz->m_ChildIndexes.Drop(this);
}

// The rows up to which a table read from a file and kept as a list for
// speed stays one (a file's tables of fewer than 129 rows are read as lists).
constexpr std::size_t kFileListRows = 256;

bool CMatTable::SetValue(Handle hRow, std::uint64_t word) {
  if (!m_bListMode) {
    m_Rows.SetAt(hRow, word);
    return true;
  }
  if (CValHolder* p = m_RowList.Find(hRow)) {
    p->m_Value = word;
    return true;
  }
  if (m_pDatenSatz == nullptr) return false;
  auto* p = static_cast<CValHolder*>(m_pDatenSatz->ArenaAlloc(sizeof(CValHolder), true));
  if (p == nullptr) return false;
  p->m_hRow = hRow;
  p->m_Value = word;
  m_RowList.AddTail(p);
  // A table kept as a list only because its file held few rows (its flag
  // does not ask for one) becomes a map again as it grows: an import of
  // thousands of rows into it would otherwise walk the whole list for each.
  if ((m_nFlags & eFlagListMode) == 0 && m_RowList.GetCount() > kFileListRows) {
    const std::uint32_t nFlags = m_nFlags;
    SetListMode(false);
    m_nFlags = nFlags;
  }
  return true;
}

bool CMatTable::FindListRow(Handle hRow, std::uint64_t& word) const {
  const CValHolder* p = m_RowList.Find(hRow);
  if (p != nullptr) word = p->m_Value;
  return p != nullptr;
}

bool CMatTable::RemoveRowEntry(Handle hRow, std::uint64_t& word) {
  if (!m_bListMode) return m_Rows.Lookup(hRow, word) && m_Rows.RemoveKey(hRow);
  const CValHolder* p = m_RowList.Remove(hRow);
  if (p != nullptr) word = p->m_Value;
  return p != nullptr;
}

std::size_t CMatTable::GetRowCount() const {
  return m_bListMode ? m_RowList.GetCount() : m_Rows.GetCount();
}

// Map-mode positions are small slot numbers, list-mode positions record
// addresses; the table's mode tells which one a position is.
POSITION CMatTable::GetFirstRowPosition() const {
  return m_bListMode ? static_cast<POSITION>(m_RowList.GetHead()) : m_Rows.GetStartPosition();
}

Handle CMatTable::GetNextRow(POSITION& pos, std::uint64_t& word) const {
  word = 0;
  if (pos == nullptr) return 0;
  if (!m_bListMode) {
    Handle hRow = 0;
    m_Rows.GetNextAssoc(pos, hRow, word);
    return hRow;
  }
  const auto* p = static_cast<const CValHolder*>(pos);
  word = p->m_Value;
  pos = p->m_pNext;
  return p->m_hRow;
}

void CMatTable::SetListMode(bool bListMode) {
  if (bListMode)
    m_nFlags |= eFlagListMode;
  else
    m_nFlags &= ~std::uint32_t{eFlagListMode};
  if (bListMode == m_bListMode) return;
  // Carry the rows over: collect them in the old mode, enter them in the new.
  std::vector<std::pair<Handle, std::uint64_t>> rows;
  rows.reserve(GetRowCount());
  std::uint64_t word = 0;
  for (POSITION pos = GetFirstRowPosition(); pos != nullptr;) {
    const Handle hRow = GetNextRow(pos, word);
    rows.emplace_back(hRow, word);
  }
  m_Rows.RemoveAll();
  m_RowList.RemoveAll();
  m_bListMode = bListMode;
  if (!bListMode) m_Rows.InitHashTable(rows.size());
  for (const auto& [hRow, w] : rows) SetValue(hRow, w);
}

void CMatTable::SetHashTableSize(std::size_t n) {
  if (n == 1) {
    SetListMode(true);
    return;
  }
  SetListMode(false);
  m_Rows.InitHashTable(n);
}
