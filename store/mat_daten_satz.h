// CMatDatenSatz: one manufacturer dataset as the store sees it: its tables,
// its two name maps, its string pool, its arena and its handle counter.
//
// Ownership: the dataset owns its top-level tables, its removed tables, its
// arena (every text and value block of its tables) and its backing. Texts
// handed out (GetName, GetPoolText) live until the dataset is destroyed.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "OrvaMat/mat_table.h"
#include "OrvaMat/row_map.h"
#include "OrvaMat/types.h"
#include "store/arena.h"
#include "store/child_name_index.h"
#include "store/dataset_backing.h"
#include "store/handle_names.h"
#include "store/name_map.h"
#include "store/pool_text.h"

class CMatDatenSatz {
 public:
  // Low 24 bits of the handle counter. When they are all set the dataset has
  // made its last handle: one more would carry into the dataset byte.
  static constexpr std::uint32_t kCounterMask = 0xFFFFFF;

  CMatDatenSatz();
  ~CMatDatenSatz();
  CMatDatenSatz(const CMatDatenSatz&) = delete;
  CMatDatenSatz& operator=(const CMatDatenSatz&) = delete;

  // The byte every handle of this dataset carries on top: (number + 1) << 24.
  Handle GetPrefix() const { return (m_nNummer + 1) << 24; }
  bool OwnsHandle(Handle h) const { return h != 0 && (h & 0xFF000000u) == GetPrefix(); }

  // Arena pieces. A null result has already been shown to the user
  // ("Memory allocation failed"); the caller stops what it was doing.
  void* ArenaAlloc(std::size_t nSize, bool bAligned);
  void* ArenaAllocZeroed(std::size_t nSize, bool bAligned);
  void ArenaFree(void* pPiece, std::uint32_t nSize);
  // A zero-terminated copy of the text in the arena, or null (reported).
  // With pLane, the copy is cut from that lane of the arena (CArena::
  // AllocInLane): a large table's texts lie together.
  wchar_t* CopyText(std::wstring_view text, std::uint32_t* pLane = nullptr);

  // Handles and names. CreateHandle skips leading spaces; an empty text, an
  // arena failure or an exhausted counter (reported) give 0.
  Handle CreateHandle(std::wstring_view text);
  Handle FindHandle(std::wstring_view text) const {
    EnterDeferredNames();
    return m_NameToHandle.Lookup(text);
  }
  // FindHandle, and when the text has no handle, CreateHandle of it, with
  // one hash and one probe run of the name map for both when the text has
  // no leading spaces. bNoFreeName: the counter is exhausted, nothing made
  // (and nothing reported: the caller says where it stopped).
  Handle FindOrCreateHandle(std::wstring_view text, bool& bNoFreeName);
  void PrefetchName(std::wstring_view text) const {
    EnterDeferredNames();
    m_NameToHandle.Prefetch(text);
  }
  // The handle's text as it lies in the arena (one byte a character when it
  // can be), null when the dataset has no such handle.
  CPoolText GetName(Handle h) const;
  // The handle's text in wide characters, null when there is none: what a
  // host is handed, which lives as long as the dataset. A one-byte name is
  // widened into the arena the first time it is asked for, and only then.
  const wchar_t* GetWideName(Handle h);
  // Gives a handle of this dataset a new text; false when the text could not
  // be copied (then nothing changed).
  bool RenameHandle(Handle h, std::wstring_view text);
  // Drops both map entries of the handle; with bBlank its old text is
  // overwritten to be empty, for whoever still holds it.
  void RemoveNames(Handle h, bool bBlank);

  // Makes room in both name maps for n more names, so that a text announcing
  // a large table does not grow them by doubling.
  void ReserveNames(std::size_t n);
  // Loading a database file: ReserveLoadedNames makes room for n more names;
  // EnterLoadedName enters one name record (false when its text could not be
  // copied; reported). A handle the dataset has already keeps its text or is
  // renamed (a file read again). When the dataset had no names before, the
  // text -> handle map is left empty and filled from the handle -> text map
  // on the first look-up or change of names: opening a large dataset need
  // not pay for a map that may never be asked. A text several loaded handles
  // share then finds the handle made last, as it did before saving.
  void ReserveLoadedNames(std::size_t n);
  bool EnterLoadedName(Handle h, std::wstring_view text);

  // String pool: 1-based indexes; 0 and indexes outside the pool mean no text.
  // 0 on arena failure or a full pool (m_nPoolLimit); pLane as CopyText.
  // Texts are kept one byte a character where they can be (CPoolText).
  std::uint32_t AddPoolText(std::wstring_view text, std::uint32_t* pLane = nullptr);
  CPoolText GetPoolText(std::uint32_t nIndex) const {
    return nIndex == 0 || nIndex > m_StringPool.size() ? CPoolText()
                                                       : CPoolText(m_StringPool[nIndex - 1]);
  }
  // Writes text over pool text nIndex where it fits: not empty, no longer
  // than that text, and of one-byte characters where that one is. False
  // (nothing written) otherwise.
  bool OverwritePoolText(std::uint32_t nIndex, std::wstring_view text);
  std::size_t GetPoolCount() const { return m_StringPool.size(); }
  // How often the dataset refused to store something: arena memory ran out
  // or the pool was full. A reader compares it before and after a line and
  // stops at the first refusal instead of dropping texts silently.
  std::uint64_t GetRefusedWrites() const { return m_nRefusedWrites; }

  // The row word of a one-value text row: the pool index in the low half and,
  // in the high half, where the text lies (its address in 4-byte steps inside
  // the dataset's text window), or 0 when it lies outside. A read issues the
  // load of the text from that hint beside the load of the pool entry instead
  // of after it: the two cache misses overlap. The hint is never trusted; the
  // text always comes from the pool, and every reader of a row word takes the
  // cell as its low half.
  static constexpr std::uintptr_t kTextWindowMask = ~((std::uintptr_t{1} << 34) - 1);
  std::uint64_t TextCellWord(std::uint32_t nIndex) const;
  // The address a hint stands for (only to prefetch; null for no hint).
  const void* HintedText(std::uint32_t nHint) const {
    return nHint == 0 ? nullptr
                      : reinterpret_cast<const void*>(m_nTextWindow | std::uintptr_t{nHint} << 2);
  }

  // The seam to the database file (see store/dataset_backing.h). Inline:
  // every cell written asks it.
  bool CheckWriteLock(bool bTake) {
    return m_pBacking != nullptr && !m_pBacking->m_bLockHeld &&
           m_pBacking->CheckWriteLock(*this, bTake);
  }
  void EnsureRowsLoaded(CMatTable& table) {
    if (m_pBacking != nullptr) m_pBacking->LoadTableBody(*this, table);
  }
  // EnsureRowsLoaded for a further table of one call (see LoadPendingBody).
  void EnsurePendingBodyLoaded(CMatTable& table) {
    if (m_pBacking != nullptr) m_pBacking->LoadPendingBody(*this, table);
  }
  void EnsureDatasetLoaded();
  void SetBacking(std::unique_ptr<CDatasetBacking> pBacking) { m_pBacking = std::move(pBacking); }
  CDatasetBacking* GetBacking() const { return m_pBacking.get(); }

  void SetModified() { m_bModified = true; }
  // Whether CreateHandle can give one more name.
  bool HasFreeNames() const { return (m_nHandleCounter & kCounterMask) != kCounterMask; }
  const CArena& GetArena() const { return m_Arena; }
  // Bytes of the name maps and the pool array (the arena counted apart).
  std::size_t GetIndexMemoryBytes() const;

  CString m_strPath;
  CTableList m_Tables;
  CTableList m_RemovedTables;
  CHandleNames m_HandleToName;  // handle -> its text's pool entry (CPoolText)
  // Read it through FindHandle: after a load it is filled on first use. Its
  // slots name handles, whose texts it reads in m_HandleToName.
  mutable CNameMap m_NameToHandle{m_HandleToName};
  CRowMap m_WideNames;                       // handle -> address of its widened text
  std::vector<std::uintptr_t> m_StringPool;  // entries as CPoolText takes them
  // The most texts the pool takes: its indexes are 32-bit and 0 means none.
  // A host (or a test) may set a lower bound to keep a dataset's memory.
  std::uint32_t m_nPoolLimit = 0xFFFFFFFEu;
  mutable std::uint64_t m_nRefusedWrites = 0;  // see GetRefusedWrites
  std::uint32_t m_nHandleCounter = 1;
  std::uint32_t m_nNummer = 0;
  bool m_bModified = false;
  wchar_t m_szHerstellerID[5] = {L'H', L's', L'I', L'D', 0};
  CMatTable* m_pStringTable = nullptr;
  CMatTable* m_pSetGruppen = nullptr;
  std::vector<std::pair<CString, CString>> m_Aliases;  // (alias, path), in order added
  // Registry and activation (store/mmd): the dataset's name text (first part
  // of its excluded-list entry); closed: registered but closed (look-ups by
  // its ID and activation by handle answer 13); listed: false when the user
  // excluded it from path prefixes and the listed-dataset enumeration.
  CString m_strName;
  bool m_bClosed = false;
  bool m_bListed = true;
  // The child-name indexes of the path look-up (store/child_name_index.h).
  CChildIndexCache m_ChildIndexes;

 private:
  void ReportNoMemory(std::size_t nSize) const;
  // A piece of the arena for a text (from the lane with pLane), or null
  // (reported).
  void* TextPiece(std::size_t nBytes, std::uint32_t* pLane);
  // The pool entry of a copy of the text (see CPoolText), or 0 (reported).
  std::uintptr_t CopyPoolText(std::wstring_view text, std::uint32_t* pLane);
  // Fills m_NameToHandle when a load left it to be filled (see
  // ReserveLoadedNames); every use of that map comes here first.
  void EnterDeferredNames() const;
  // A new handle for text (no leading spaces, the counter not exhausted):
  // its copy and both map entries; the name map's entry goes where miss
  // says while miss is still good.
  Handle EnterNewName(std::wstring_view text, const CNameMap::CMiss& miss);

  mutable bool m_bNamesDeferred = false;
  // The address bits a text hint leaves out (kTextWindowMask), taken from the
  // first pool text: texts cut from the arena later share them as a rule.
  std::uintptr_t m_nTextWindow = 0;

  CArena m_Arena;
  std::unique_ptr<CDatasetBacking> m_pBacking;
};
