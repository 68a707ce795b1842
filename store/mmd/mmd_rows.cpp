// Table bodies read on first use: the rows of a table, the cells of an array
// table, the text of a text-block table; and the change check that re-reads
// a file another process has rewritten. Layout: docs/mmd.md.
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

// Reads the body bytes [nFrom, nFrom + nSize) of the dataset's file, or what
// of them the file has. False when the file can not be read at all.
bool ReadBody(CMatDatenSatz& dataset, std::uint64_t nFrom, std::uint32_t nSize,
              std::string& bytes) {
  CFile file;
  if (!file.Open(dataset.m_strPath, CFile::eRead)) return false;
  const std::uint64_t nLength = file.GetLength().value_or(0);
  const std::uint64_t nThere = nFrom < nLength ? nLength - nFrom : 0;
  bytes.resize(std::size_t(std::min<std::uint64_t>(nSize, nThere)));
  return bytes.empty() || file.ReadAt(nFrom, bytes.data(), bytes.size());
}

// The rows size field just before the body position.
bool ReadRowsSize(CMatDatenSatz& dataset, std::uint64_t nFilePos, std::uint32_t& nSize) {
  std::string field;
  if (nFilePos < 4 || !ReadBody(dataset, nFilePos - 4, 4, field) || field.size() != 4) return false;
  CMmdReader reader(field);
  return reader.ReadU32(nSize) && nSize >= 4;
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
    word = nCell;
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
  std::uint32_t nRowsSize = 0;
  std::string bytes;
  if (table.m_nFilePos == 0) return;
  // A file that can not be read now keeps the row count: the rows are still
  // known to exist and saving refuses to drop them.
  if (!ReadRowsSize(dataset, table.m_nFilePos, nRowsSize) ||
      !ReadBody(dataset, table.m_nFilePos, nRowsSize - 4, bytes)) {
    mmd::ReportDamage(dataset, table.m_nFilePos);
    return;
  }
  CMmdReader file(bytes, table.m_nFilePos);
  const CMmdTextCoding coding = mmd::TableCoding(backing, table.m_strName);
  bool bSound = true;
  if (table.m_nType == eTypeStringArray || table.m_nType == eTypeDWordArray) {
    if (table.m_pData == nullptr) bSound = ReadArrayCells(table, file, coding);
  } else {
    bSound = ReadRows(table, file, coding);
    table.UpdateRowCount();
  }
  if (!bSound || bytes.size() < nRowsSize - 4) mmd::ReportDamage(dataset, file.GetPosition());
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
  std::string sizeField;
  std::string bytes;
  std::uint32_t nSize = 0;
  if (!ReadBody(dataset, table.m_nFilePos, 4, sizeField)) {
    mmd::ReportDamage(dataset, table.m_nFilePos);  // unreadable now: stays pending
    return;
  }
  CMmdReader sizeReader(sizeField);
  if (sizeReader.ReadU32(nSize)) ReadBody(dataset, table.m_nFilePos, nSize, bytes);
  CMmdReader file(bytes, table.m_nFilePos);
  if (!ReadTextRecord(table, file)) {
    mmd::ReportDamage(dataset, file.GetPosition());
    // What could not be read stays empty rather than being tried on every use.
    if (table.m_pData == nullptr) table.m_pData = dataset.CopyText(L"");
  }
}

}  // namespace

bool CheckForChange(CMatDatenSatz& dataset) {
  CMmdBacking* pBacking = FindMmdBacking(dataset);
  if (pBacking == nullptr || !pBacking->m_ChangeNotify.TakeSignal() || pBacking->m_bLockHeld)
    return false;
  const CFileStamp stamp = CFileStamp::Of(dataset.m_strPath);
  if (!stamp.m_bExists || stamp == pBacking->m_FileStat) return false;
  LoadDataset(dataset);
  return true;
}

void LoadTableBody(CMatTable& table) {
  if (table.m_pDatenSatz == nullptr || FindMmdBacking(*table.m_pDatenSatz) == nullptr) return;
  CheckForChange(*table.m_pDatenSatz);
  mmd::LoadBodyNow(table);
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
