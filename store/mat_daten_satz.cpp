#include "store/mat_daten_satz.h"

#include <algorithm>
#include <cstring>

#include "store/base/message.h"

namespace {
// The pool grows by doubling: a dataset may hold hundreds of thousands of
// texts, and growth by a fixed step would copy the array once per step.
constexpr std::size_t kInitialPool = 1024;
}  // namespace

CMatDatenSatz::CMatDatenSatz() = default;

CMatDatenSatz::~CMatDatenSatz() {
  // Tables go first: nothing may outlive the arena that holds their cells.
  m_Tables.clear();
  m_RemovedTables.clear();
}

void CMatDatenSatz::ReportNoMemory(std::size_t nSize) const {
  ++m_nRefusedWrites;
  const auto nShown = static_cast<unsigned>(std::min<std::size_t>(nSize, 0xFFFFFFFFu));
  ShowMessage(CMessageTitle{L"OrvaMat.dll"}, MB_OK | MB_ICONERROR,
              L"Memory allocation failed (%u byte).\n\n%s", nShown, m_strPath);
}

void* CMatDatenSatz::ArenaAlloc(std::size_t nSize, bool bAligned) {
  void* p = m_Arena.Alloc(nSize, bAligned);
  if (p == nullptr) ReportNoMemory(nSize);
  return p;
}

void* CMatDatenSatz::ArenaAllocZeroed(std::size_t nSize, bool bAligned) {
  void* p = ArenaAlloc(nSize, bAligned);
  if (p != nullptr) std::memset(p, 0, nSize);
  return p;
}

void CMatDatenSatz::ArenaFree(void* pPiece, std::uint32_t nSize) { m_Arena.Free(pPiece, nSize); }

void* CMatDatenSatz::TextPiece(std::size_t nBytes, std::uint32_t* pLane) {
  void* p = pLane != nullptr ? m_Arena.AllocInLane(nBytes, *pLane) : m_Arena.Alloc(nBytes, false);
  if (p == nullptr) ReportNoMemory(nBytes);
  return p;
}

wchar_t* CMatDatenSatz::CopyText(std::wstring_view text, std::uint32_t* pLane) {
  auto* p = static_cast<wchar_t*>(TextPiece((text.size() + 1) * sizeof(wchar_t), pLane));
  if (p == nullptr) return nullptr;
  std::copy(text.begin(), text.end(), p);
  p[text.size()] = 0;
  return p;
}

std::uintptr_t CMatDatenSatz::CopyPoolText(std::wstring_view text, std::uint32_t* pLane) {
  if (!CPoolText::FitsNarrow(text)) return CPoolText::WideEntry(CopyText(text, pLane));
  // A whole number of 4-byte steps: every piece cut after it stays aligned
  // for wide characters, and the entry's lowest bit stays free.
  auto* p = static_cast<char*>(TextPiece((text.size() + 4) & ~std::size_t{3}, pLane));
  if (p == nullptr) return 0;
  CPoolText::CopyNarrow(text.data(), text.size(), p);  // each below U+0100: its Latin-1 byte
  p[text.size()] = 0;
  return CPoolText::NarrowEntry(p);
}

Handle CMatDatenSatz::CreateHandle(std::wstring_view text) {
  const std::size_t nStart = text.find_first_not_of(L' ');
  if (nStart == std::wstring_view::npos) return 0;
  text.remove_prefix(nStart);
  if ((m_nHandleCounter & kCounterMask) == kCounterMask) {
    // One more would carry into the dataset byte and name a handle of the
    // next dataset.
    ShowMessage(CMessageTitle{L"OrvaMat.dll"}, MB_OK | MB_ICONERROR,
                L"Der Datensatz hat keine freien Namen mehr (%u).\n\n%s", kCounterMask, m_strPath);
    return 0;
  }
  return EnterNewName(text, {});
}

Handle CMatDatenSatz::EnterNewName(std::wstring_view text, const CNameMap::CMiss& miss) {
  const CPoolText copy(CopyPoolText(text, nullptr));
  if (!copy) return 0;
  EnterDeferredNames();
  ++m_nHandleCounter;
  const Handle h = GetPrefix() | (m_nHandleCounter & kCounterMask);
  m_HandleToName.SetAt(h, copy.Entry());
  m_NameToHandle.SetAtMiss(text, h, miss);  // no miss: the general way
  return h;
}

Handle CMatDatenSatz::FindOrCreateHandle(std::wstring_view text, bool& bNoFreeName) {
  bNoFreeName = false;
  EnterDeferredNames();
  CNameMap::CMiss miss;
  if (const Handle h = m_NameToHandle.Lookup(text, miss)) return h;
  if (!HasFreeNames()) {
    bNoFreeName = true;
    return 0;
  }
  // The text entered is the text looked up only without leading spaces.
  if (text.empty() || text.front() == L' ') return CreateHandle(text);
  return EnterNewName(text, miss);
}

CPoolText CMatDatenSatz::GetName(Handle h) const {
  std::uint64_t word = 0;
  if (h == 0 || !m_HandleToName.Lookup(h, word)) return CPoolText();
  return CPoolText(static_cast<std::uintptr_t>(word));
}

const wchar_t* CMatDatenSatz::GetWideName(Handle h) {
  // A name asked for once is asked for again (a table's name at every look-up
  // by name): its wide copy is found with one look-up.
  std::uint64_t word = 0;
  if (m_WideNames.Lookup(h, word)) return reinterpret_cast<const wchar_t*>(word);
  const CPoolText name = GetName(h);
  if (!name || !name.IsNarrow()) return name.Wide();
  const wchar_t* pWide = CopyText(name.ToString());
  if (pWide != nullptr) m_WideNames.SetAt(h, reinterpret_cast<std::uintptr_t>(pWide));
  return pWide;
}

bool CMatDatenSatz::RenameHandle(Handle h, std::wstring_view text) {
  const CPoolText copy(CopyPoolText(text, nullptr));
  if (!copy) return false;
  EnterDeferredNames();
  if (const CPoolText old = GetName(h)) m_NameToHandle.RemoveIf(old.ToString(), h);
  m_WideNames.RemoveKey(h);  // a host keeps the old text; the next asks for the new one
  m_HandleToName.SetAt(h, copy.Entry());
  m_NameToHandle.SetAt(text, h);
  // The handle may name tables: their parents' indexes hold the old text.
  m_ChildIndexes.Clear();
  m_bModified = true;
  return true;
}

void CMatDatenSatz::RemoveNames(Handle h, bool bBlank) {
  const CPoolText old = GetName(h);
  if (!old) return;
  EnterDeferredNames();
  m_NameToHandle.RemoveIf(old.ToString(), h);
  m_HandleToName.RemoveKey(h);
  std::uint64_t word = 0;
  const bool bWidened = m_WideNames.Lookup(h, word);
  m_WideNames.RemoveKey(h);
  if (!bBlank) return;
  if (old.IsNarrow())
    const_cast<char*>(old.Narrow())[0] = 0;
  else
    const_cast<wchar_t*>(old.Wide())[0] = 0;
  if (bWidened) reinterpret_cast<wchar_t*>(word)[0] = 0;
}

void CMatDatenSatz::ReserveNames(std::size_t n) {
  m_HandleToName.Reserve(GetPrefix() | 1, n);
  if (!m_bNamesDeferred) m_NameToHandle.InitHashTable(m_NameToHandle.GetCount() + n);
}

void CMatDatenSatz::ReserveLoadedNames(std::size_t n) {
  if (m_NameToHandle.GetCount() == 0) m_bNamesDeferred = true;
  ReserveNames(n);
}

bool CMatDatenSatz::EnterLoadedName(Handle h, std::wstring_view text) {
  if (const CPoolText old = GetName(h)) return old.Equals(text) || RenameHandle(h, text);
  const CPoolText copy(CopyPoolText(text, nullptr));
  if (!copy) return false;
  m_HandleToName.SetAt(h, copy.Entry());
  if (!m_bNamesDeferred) m_NameToHandle.SetAt(text, h);
  return true;
}

void CMatDatenSatz::EnterDeferredNames() const {
  if (!m_bNamesDeferred) return;
  m_bNamesDeferred = false;
  m_NameToHandle.InitHashTable(m_HandleToName.GetCount());
  // The map's order need not be the order the handles were made in. Texts are
  // nearly always distinct, so every entry is entered once; only when some
  // text took over another's entry does a second pass give each text its
  // highest handle, the one made last.
  // Each text is widened into one reused buffer: the map hashes and
  // compares wide characters.
  CString text;
  auto forEach = [this, &text](auto enter) {
    m_HandleToName.ForEachRow([&text, &enter](Handle h, std::uint64_t word) {
      CPoolText(static_cast<std::uintptr_t>(word)).AssignTo(text);
      enter(h);
    });
  };
  forEach([this, &text](Handle h) { m_NameToHandle.SetAt(text, h); });
  if (m_NameToHandle.GetCount() == m_HandleToName.GetCount()) return;
  forEach([this, &text](Handle h) {
    if (m_NameToHandle.Lookup(text) < h) m_NameToHandle.SetAt(text, h);
  });
}

std::uint32_t CMatDatenSatz::AddPoolText(std::wstring_view text, std::uint32_t* pLane) {
  if (m_StringPool.size() >= m_nPoolLimit) {
    ++m_nRefusedWrites;
    return 0;
  }
  const std::uintptr_t nEntry = CopyPoolText(text, pLane);
  if (nEntry == 0) return 0;
  if (m_StringPool.capacity() == 0) m_StringPool.reserve(kInitialPool);
  if (m_nTextWindow == 0)
    m_nTextWindow = reinterpret_cast<std::uintptr_t>(CPoolText(nEntry).Address()) & kTextWindowMask;
  m_StringPool.push_back(nEntry);
  return static_cast<std::uint32_t>(m_StringPool.size());
}

std::uint64_t CMatDatenSatz::TextCellWord(std::uint32_t nIndex) const {
  const auto nAddress = reinterpret_cast<std::uintptr_t>(GetPoolText(nIndex).Address());
  if (nAddress == 0 || (nAddress & kTextWindowMask) != m_nTextWindow) return nIndex;
  return std::uint64_t{nIndex} | std::uint64_t{(nAddress & ~kTextWindowMask) >> 2} << 32;
}

bool CMatDatenSatz::OverwritePoolText(std::uint32_t nIndex, std::wstring_view text) {
  const CPoolText old = GetPoolText(nIndex);
  if (!old || text.empty() || old.size() < text.size()) return false;
  if (!old.IsNarrow()) {
    auto* p = const_cast<wchar_t*>(old.Wide());  // the dataset's own arena
    std::copy(text.begin(), text.end(), p);
    p[text.size()] = 0;
    return true;
  }
  if (!CPoolText::FitsNarrow(text)) return false;
  auto* p = const_cast<char*>(old.Narrow());
  CPoolText::CopyNarrow(text.data(), text.size(), p);
  p[text.size()] = 0;
  return true;
}

void CMatDatenSatz::EnsureDatasetLoaded() {
  if (m_pBacking != nullptr) m_pBacking->LoadDataset(*this);
}

std::size_t CMatDatenSatz::GetIndexMemoryBytes() const {
  return m_NameToHandle.GetMemoryBytes() + m_HandleToName.GetMemoryBytes() +
         m_WideNames.GetMemoryBytes() + m_StringPool.capacity() * sizeof(std::uintptr_t);
}
