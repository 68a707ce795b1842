// Table bodies read on first use: the rows of a table, the cells of an array
// table, the text of a text-block table; and the change check that re-reads
// a file another process has rewritten. Layout: docs/mmd.md.
#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_set>

#include "platform/file.h"
#include "store/arena.h"
#include "store/mat_daten_satz.h"
#include "store/mmd/mmd_backing.h"
#include "store/mmd/mmd_file.h"
#include "store/mmd/mmd_format.h"
#include "store/mmd/mmd_io.h"

namespace {

// The dataset's file opened for reading a body, and its length; false when
// it can not be opened now.
bool OpenFile(CMatDatenSatz& dataset, CFile& file, std::uint64_t& nLength) {
  if (!file.Open(dataset.m_strPath, CFile::eRead)) return false;
  nLength = file.GetLength().value_or(0);
  return true;
}

// The u32 size field at nFrom; false when the file does not have it.
bool ReadSizeField(CFile& file, std::uint64_t nFrom, std::uint32_t& nSize) {
  char field[4];
  if (!file.ReadAt(nFrom, field, 4)) return false;
  CMmdReader reader(std::string_view(field, 4));
  return reader.ReadU32(nSize);
}

// The bytes [nFrom, nFrom + nSize) of the file, or what of them it has.
std::uint64_t BodyLength(std::uint64_t nFileLength, std::uint64_t nFrom, std::uint64_t nSize) {
  return std::min(nSize, nFrom < nFileLength ? nFileLength - nFrom : 0);
}

// One text of a row: appended to the pool, its index in the cell (0 for none).
bool ReadPoolText(CMatDatenSatz& dataset, CMmdReader& file, const CMmdTextCoding& coding,
                  std::uint32_t& nCell) {
  // One buffer for all the texts of a body: a table may hold 100,000 of them.
  static thread_local CString text;
  if (!file.ReadString(text, coding)) return false;
  nCell = text.empty() ? 0 : dataset.AddPoolText(text);
  return true;
}

// One cell of the table's (or field's) type.
bool ReadCell(CMatDatenSatz& dataset, CMmdReader& file, const CMmdTextCoding& coding,
              std::uint32_t nType, std::uint32_t& nCell) {
  if (nType == eTypeString || nType == eTypeUniString)
    return ReadPoolText(dataset, file, coding, nCell);
  if (!file.ReadU32(nCell)) return false;
  if (nType == eTypeHandle) nCell = mmd::StoredHandle(dataset, nCell);
  return true;
}

// A Struct row: a block of r sub-rows of the table's fields.
bool ReadStructRow(CMatTable& table, CMmdReader& file, const CMmdTextCoding& coding,
                   std::uint64_t& word) {
  CMatDatenSatz& dataset = *table.m_pDatenSatz;
  const std::uint32_t n = table.GetFieldCount();
  std::uint32_t r = 0;
  if (!file.ReadU32(r)) return false;
  // Every field takes two bytes at least; the block must fit one arena piece.
  const std::uint64_t nCells = std::uint64_t{r} * n;
  if (!file.HasRoom(nCells * 2) || 4 + nCells * 4 > CArena::kMaxRequest) return false;
  auto* pBlock =
      static_cast<std::uint32_t*>(dataset.ArenaAllocZeroed(std::size_t(4 + nCells * 4), true));
  if (pBlock == nullptr) return false;
  pBlock[0] = r;
  for (std::uint64_t i = 0; i < nCells; ++i) {
    const std::uint32_t nField = table.m_pStrucDef[1 + i % n];
    if (!ReadCell(dataset, file, coding,
                  nField == eTypeHandle || nField == eTypeString ? nField : eTypeInteger,
                  pBlock[1 + i]))
      return false;
  }
  word = reinterpret_cast<std::uintptr_t>(pBlock);
  return true;
}

bool ReadRowValue(CMatTable& table, CMmdReader& file, const CMmdTextCoding& coding,
                  std::uint64_t& word) {
  CMatDatenSatz& dataset = *table.m_pDatenSatz;
  word = 0;
  switch (table.m_nType) {
    case eTypeVoid:
    case eTypeBit:
      return true;
    case eTypeStruct:
      return ReadStructRow(table, file, coding, word);
    case eTypeHandle:
    case eTypeInteger:
    case eTypeFloat:
    case eTypeString:
    case eTypeUniString:
      break;
    default:
      return false;
  }
  const int nCells = table.GetCellsPerRow();
  std::uint32_t nCell = 0;
  if (nCells == 1) {
    if (!ReadCell(dataset, file, coding, table.m_nType, nCell)) return false;
    const bool bText = table.m_nType == eTypeString || table.m_nType == eTypeUniString;
    word = bText ? dataset.TextCellWord(nCell) : nCell;
    return true;
  }
  if (!file.HasRoom(std::uint64_t(nCells) * 2) || std::uint64_t(nCells) * 4 > CArena::kMaxRequest)
    return false;
  auto* pCells =
      static_cast<std::uint32_t*>(dataset.ArenaAllocZeroed(std::size_t(nCells) * 4, true));
  if (pCells == nullptr) return false;
  for (int i = 0; i < nCells; ++i)
    if (!ReadCell(dataset, file, coding, table.m_nType, pCells[i])) return false;
  word = reinterpret_cast<std::uintptr_t>(pCells);
  return true;
}

// Rows of a list-mode table are appended directly: a file's rows are distinct,
// and looking each up in the list first would cost the square of their number.
// A row the file repeats replaces the earlier value, as SetValue does.
bool EnterListRow(CMatTable& table, std::unordered_set<Handle>& seen, Handle hRow,
                  std::uint64_t word) {
  if (!seen.insert(hRow).second) return table.SetValue(hRow, word);
  auto* p = static_cast<CMatTable::CValHolder*>(
      table.m_pDatenSatz->ArenaAlloc(sizeof(CMatTable::CValHolder), true));
  if (p == nullptr) return false;
  p->m_hRow = hRow;
  p->m_Value = word;
  table.m_RowList.AddTail(p);
  return true;
}

// Room in the pool for a String table's texts before they are read: growing
// it step by step would copy it many times. Bounded by what the file can hold
// (two bytes a text at least) and grown at least twofold.
void ReservePool(CMatTable& table, const CMmdReader& file) {
  if (table.m_nType != eTypeString && table.m_nType != eTypeUniString) return;
  auto& pool = table.m_pDatenSatz->m_StringPool;
  const std::uint64_t nTexts = std::min<std::uint64_t>(
      std::uint64_t(table.m_nRowCount) * std::uint64_t(table.GetCellsPerRow()),
      file.GetRemaining() / 2);
  if (pool.size() + nTexts > pool.capacity())
    pool.reserve(std::max<std::size_t>(pool.size() + std::size_t(nTexts), pool.capacity() * 2));
}

bool ReadRows(CMatTable& table, CMmdReader& file, const CMmdTextCoding& coding) {
  CMatDatenSatz& dataset = *table.m_pDatenSatz;
  const std::uint32_t nFlags = table.m_nFlags;
  const bool bList =
      (nFlags & mmd::kFlagListMode) != 0 || table.m_nRowCount < mmd::kListModeRowLimit;
  // Small tables become lists for speed; that choice is not the table's flag,
  // which is written back as it was read.
  table.SetListMode(bList);
  table.m_nFlags = nFlags;
  if (!bList)
    table.m_Rows.InitHashTable(std::size_t(
        std::min<std::uint64_t>(std::uint64_t(table.m_nRowCount), file.GetRemaining() / 4)));
  ReservePool(table, file);
  std::unordered_set<Handle> seen;
  for (std::int32_t i = 0; i < table.m_nRowCount; ++i) {
    std::uint32_t nStored = 0;
    std::uint64_t word = 0;
    if (!file.ReadU32(nStored) || !ReadRowValue(table, file, coding, word)) return false;
    const Handle hRow = mmd::StoredHandle(dataset, nStored);
    if (!(bList ? EnterListRow(table, seen, hRow, word) : table.SetValue(hRow, word))) return false;
  }
  return true;
}

// The cells of a StringArray or DWordArray table.
bool ReadArrayCells(CMatTable& table, CMmdReader& file, const CMmdTextCoding& coding) {
  CMatDatenSatz& dataset = *table.m_pDatenSatz;
  const std::uint64_t nCells = std::uint64_t(table.m_nRowCount);
  if (nCells == 0) return true;
  const std::uint64_t nRoom = ((nCells - 1) | 3) + 1;
  const std::size_t nCellSize = table.m_nType == eTypeStringArray ? sizeof(wchar_t*) : 4;
  void* pArray = nullptr;
  if (file.HasRoom(nCells * 2) && nRoom * nCellSize <= CArena::kMaxRequest)
    pArray = dataset.ArenaAllocZeroed(std::size_t(nRoom * nCellSize), true);
  if (pArray == nullptr) {
    table.m_nRowCount = 0;
    return false;
  }
  table.m_pData = pArray;
  for (std::uint64_t i = 0; i < nCells; ++i) {
    CString text;
    const bool bRead = table.m_nType == eTypeDWordArray
                           ? file.ReadU32(static_cast<std::uint32_t*>(pArray)[i])
                           : file.ReadString(text, coding);
    if (!bRead) {
      table.m_nRowCount = static_cast<std::int32_t>(i);  // the cells that were there
      return false;
    }
    if (!text.empty()) static_cast<wchar_t**>(pArray)[i] = dataset.CopyText(text);
  }
  return true;
}

}  // namespace

void LoadRows(CMatTable& table) {
  CMatDatenSatz& dataset = *table.m_pDatenSatz;
  CMmdBacking& backing = MmdBackingOf(dataset);
  if (table.m_nFilePos == 0) return;
  // A file that can not be read now keeps the row count: the rows are still
  // known to exist and saving refuses to drop them.
  CFile source;
  std::uint64_t nLength = 0;
  std::uint32_t nRowsSize = 0;
  if (table.m_nFilePos < 4 || !OpenFile(dataset, source, nLength) ||
      !ReadSizeField(source, table.m_nFilePos - 4, nRowsSize) || nRowsSize < 4) {
    mmd::ReportDamage(dataset, table.m_nFilePos);
    return;
  }
  const std::uint64_t nThere = BodyLength(nLength, table.m_nFilePos, nRowsSize - 4);
  CMmdReader file(source, table.m_nFilePos, nThere);
  const CMmdTextCoding coding = mmd::TableCoding(backing, table.m_strName);
  bool bSound = true;
  if (table.m_nType == eTypeStringArray || table.m_nType == eTypeDWordArray) {
    if (table.m_pData == nullptr) bSound = ReadArrayCells(table, file, coding);
  } else {
    bSound = ReadRows(table, file, coding);
    table.UpdateRowCount();
  }
  if (!bSound || nThere < nRowsSize - 4) mmd::ReportDamage(dataset, file.GetPosition());
}

bool ReadTextRecord(CMatTable& table, CMmdReader& file) {
  CMatDatenSatz& dataset = *table.m_pDatenSatz;
  const CMmdBacking& backing = MmdBackingOf(dataset);
  std::uint32_t nSize = 0;
  std::uint32_t nStored = 0;
  if (!file.ReadU32(nSize) || !file.ReadU32(nStored) || !file.ReadU32(table.m_nFlags)) return false;
  table.m_hName = mmd::StoredHandle(dataset, nStored);
  table.m_nType = eTypeStrLine;
  CString text;
  const CMmdTextCoding coding = mmd::TableCoding(backing, table.m_strName);
  if (!(backing.m_bUtf8 ? file.ReadString(text, coding) : file.ReadPlainString(text, coding)))
    return false;
  table.m_pData = dataset.CopyText(text);
  return mmd::ReadChildRecords(table, file, backing.m_nVersion, 0);
}

namespace {

void LoadText(CMatTable& table) {
  CMatDatenSatz& dataset = *table.m_pDatenSatz;
  CFile source;
  std::uint64_t nLength = 0;
  std::uint32_t nSize = 0;
  if (!OpenFile(dataset, source, nLength)) {
    mmd::ReportDamage(dataset, table.m_nFilePos);  // unreadable now: stays pending
    return;
  }
  if (!ReadSizeField(source, table.m_nFilePos, nSize)) nSize = 0;
  CMmdReader file(source, table.m_nFilePos, BodyLength(nLength, table.m_nFilePos, nSize));
  file.MarkAsBody();
  if (!ReadTextRecord(table, file)) {
    mmd::ReportDamage(dataset, file.GetPosition());
    // What could not be read stays empty rather than being tried on every use.
    if (table.m_pData == nullptr) table.m_pData = dataset.CopyText(L"");
  }
}

}  // namespace

bool CheckForChange(CMatDatenSatz& dataset) {
  CMmdBacking* pBacking = FindMmdBacking(dataset);
  return pBacking != nullptr && CheckForChange(dataset, *pBacking);
}

bool CheckForChange(CMatDatenSatz& dataset, CMmdBacking& backing) {
  if (!backing.m_ChangeNotify.TakeSignal() || backing.m_bLockHeld) return false;
  const CFileStamp stamp = CFileStamp::Of(dataset.m_strPath);
  if (!stamp.m_bExists || stamp == backing.m_FileStat) return false;
  LoadDataset(dataset);
  return true;
}

void LoadTableBody(CMatTable& table) {
  if (table.m_pDatenSatz == nullptr) return;
  if (CMmdBacking* pBacking = FindMmdBacking(*table.m_pDatenSatz))
    pBacking->LoadTableBody(*table.m_pDatenSatz, table);
}

bool mmd::IsBodyPending(const CMatTable& table) {
  if (table.m_nFilePos == 0) return false;
  if (table.m_nType == eTypeStrLine) return table.m_pData == nullptr;
  if (table.m_nRowCount < 1) return false;
  const bool bArray = table.m_nType == eTypeStringArray || table.m_nType == eTypeDWordArray;
  return bArray ? table.m_pData == nullptr : table.GetRowCount() == 0;
}

void mmd::LoadBodyNow(CMatTable& table) {
  if (!IsBodyPending(table)) return;
  // Body positions belong to the file as last read; a file replaced since is
  // read again first (this can not happen while this process holds the lock).
  CMatDatenSatz& dataset = *table.m_pDatenSatz;
  CMmdBacking& backing = MmdBackingOf(dataset);
  if (CFileStamp::Of(dataset.m_strPath) != backing.m_FileStat) {
    if (backing.m_bLockHeld) {
      mmd::ReportDamage(dataset, table.m_nFilePos);
      return;
    }
    LoadDataset(dataset);
    if (!IsBodyPending(table)) return;
  }
  if (table.m_nType == eTypeStrLine)
    LoadText(table);
  else
    LoadRows(table);
}
