// Writing a dataset's database file (layout: docs/mmd.md). The file streams
// to the temporary file beside the database file; a text too long for the
// format, a record too large for its 32-bit size, or a body that can not be
// read from the old file stops the save before the new file takes the old
// one's place.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/file.h"
#include "store/base/hashing.h"
#include "store/base/message.h"
#include "store/mat_daten_satz.h"
#include "store/mat_store.h"
#include "store/mmd/dataset_lists.h"
#include "store/mmd/mmd_backing.h"
#include "store/mmd/mmd_file.h"
#include "store/mmd/mmd_file_replace.h"
#include "store/mmd/mmd_format.h"
#include "store/mmd/mmd_io.h"
#include "store/row_order.h"

namespace {

constexpr const wchar_t* kFilter = L"Rurodevo Duzidez Database (*.mmd)|*.mmd||";

class CDatasetWriter {
 public:
  CDatasetWriter(CMatDatenSatz& dataset, CMmdBacking& backing, CMmdSink& sink)
      : m_Dataset(dataset), m_Backing(backing), m_Writer(mmd::DatasetCoding(backing)) {
    m_Writer.StreamTo(&sink);
  }

  // False when the sink refused bytes.
  bool WriteFile();
  const CMmdWriter& GetWriter() const { return m_Writer; }
  bool IsBodyMissing() const { return m_bBodyMissing; }
  // The first record whose bytes do not fit its 32-bit size (empty: none).
  const CString& GetTooLarge() const { return m_strTooLarge; }
  // After the file is in place: the tables' bodies now lie at these positions.
  void MoveBodyPositions() const {
    for (auto& [pTable, nPos] : m_BodyPositions) pTable->m_nFilePos = nPos;
  }

 private:
  void WriteTable(CMatTable& table, Handle hParent);
  void WriteTextTable(CMatTable& table);
  void WriteChildren(CMatTable& table);
  void WriteRows(CMatTable& table);
  void WriteCells(CMatTable& table, const std::uint32_t* pCells, int nCount);
  void WriteStructRow(CMatTable& table, const std::uint32_t* pBlock);
  void WriteCell(std::uint32_t nType, std::uint32_t nCell);
  void PatchSize(std::uint64_t nSizeAt, const CMatTable& table);

  CMatDatenSatz& m_Dataset;
  CMmdBacking& m_Backing;
  CMmdWriter m_Writer;
  bool m_bBodyMissing = false;
  CString m_strTooLarge;
  std::vector<std::pair<CMatTable*, std::uint64_t>> m_BodyPositions;
};

void CDatasetWriter::PatchSize(std::uint64_t nSizeAt, const CMatTable& table) {
  if (!m_Writer.PatchSize(nSizeAt) && m_strTooLarge.empty()) m_strTooLarge = table.m_strName;
}

bool CDatasetWriter::WriteFile() {
  m_Writer.WriteTag(m_Backing.m_bUtf8 ? mmd::kMagicUtf8 : mmd::kMagicAnsi);
  char id[4];
  for (int i = 0; i < 4; ++i) id[i] = char(m_Dataset.m_szHerstellerID[i] & 0xFF);
  m_Writer.WriteTag(id);
  m_Writer.WriteU32(mmd::kVersionWritten);
  m_Writer.WriteU32(m_Dataset.m_nHandleCounter);
  if (m_Backing.m_bUtf8) m_Writer.WriteString(m_Backing.m_strInfo);
  m_Writer.WriteU32(std::uint32_t(m_Dataset.m_HandleToName.GetCount()));
  m_Dataset.m_HandleToName.ForEachRow([this](Handle h, std::uint64_t word) {
    m_Writer.WriteU32(h & mmd::kHandleMask);
    m_Writer.WriteString(CPoolText(static_cast<std::uintptr_t>(word)));
  });
  m_Writer.WriteTag(mmd::kTagTables);
  m_Writer.WriteU32(std::uint32_t(m_Dataset.m_Tables.size()));
  for (auto& pTable : m_Dataset.m_Tables) WriteTable(*pTable, 0);
  m_Writer.WriteTag(mmd::kTagChecksum);
  m_Writer.WriteU32(m_Writer.GetChecksum());
  // The sum above is kept for readers that know it; the data check is what
  // this library verifies when it opens the file.
  std::uint32_t nCrc = 0;
  if (!m_Writer.GetDataCheck(nCrc)) return false;
  char digits[9];
  std::snprintf(digits, sizeof digits, "%08x", unsigned(nCrc));
  m_Writer.WriteTag(mmd::kTagDataCheck);
  m_Writer.WriteTag(digits);
  m_Writer.WriteTag(digits + 4);
  return m_Writer.Flush();
}

void CDatasetWriter::WriteChildren(CMatTable& table) {
  m_Writer.WriteU32(std::uint32_t(table.m_Children.size()));
  for (auto& pChild : table.m_Children) WriteTable(*pChild, table.m_hName);
}

void CDatasetWriter::WriteTextTable(CMatTable& table) {
  m_Writer.WriteTag(mmd::kTagText);
  const std::uint64_t nSizeAt = m_Writer.WritePlaceholder();
  m_BodyPositions.emplace_back(&table, nSizeAt);
  m_Writer.WriteU32(table.m_hName & mmd::kHandleMask);
  m_Writer.WriteU32(table.m_nFlags);
  m_Writer.SetCoding(mmd::TableCoding(m_Backing, table.m_strName));
  const auto* pText = static_cast<const wchar_t*>(table.m_pData);
  if (m_Backing.m_bUtf8)
    m_Writer.WriteString(pText);
  else
    m_Writer.WritePlainString(pText);
  WriteChildren(table);
  PatchSize(nSizeAt, table);
}

void CDatasetWriter::WriteTable(CMatTable& table, Handle hParent) {
  // Every body is read before it is written, so that nothing lies only in the
  // old file once the new one replaces it.
  mmd::LoadBodyNow(table);
  if (mmd::IsBodyPending(table)) m_bBodyMissing = true;
  if (table.m_nType == eTypeStrLine) return WriteTextTable(table);
  const CMmdTextCoding coding = mmd::TableCoding(m_Backing, table.m_strName);
  m_Writer.SetCoding(coding);
  m_Writer.WriteTag(mmd::kTagTable);
  for (std::uint32_t n : {table.m_hName & mmd::kHandleMask, hParent & mmd::kHandleMask,
                          table.m_nType, std::uint32_t(table.m_nValuesPerRow), table.m_nFlags,
                          table.m_hDefaultItem & mmd::kHandleMask})
    m_Writer.WriteU32(n);
  m_Writer.WriteString(table.m_strRegStr1);
  m_Writer.WriteString(table.m_strRegStr2);
  m_Writer.WriteString(table.m_strRegStr3);
  if (m_Backing.m_bUtf8) {
    const auto it = m_Backing.m_ExtraTexts.find(table.m_hName);
    m_Writer.WriteString(it == m_Backing.m_ExtraTexts.end() ? nullptr : it->second.c_str());
  }
  m_Writer.WriteString(table.m_strBeschreibung);
  const std::uint32_t nFields = table.GetFieldCount();
  m_Writer.WriteU32(nFields);
  for (std::uint32_t i = 1; i <= nFields; ++i) m_Writer.WriteU32(table.m_pStrucDef[i]);
  WriteChildren(table);
  m_Writer.SetCoding(coding);
  WriteRows(table);
}

void CDatasetWriter::WriteCell(std::uint32_t nType, std::uint32_t nCell) {
  if (nType == eTypeString || nType == eTypeUniString)
    m_Writer.WriteString(m_Dataset.GetPoolText(nCell));
  else if (nType == eTypeHandle)
    m_Writer.WriteU32(nCell & mmd::kHandleMask);
  else
    m_Writer.WriteU32(nCell);
}

void CDatasetWriter::WriteCells(CMatTable& table, const std::uint32_t* pCells, int nCount) {
  // A row added without a value (word 0) has no cell array: all its cells are 0.
  for (int i = 0; i < nCount; ++i) WriteCell(table.m_nType, pCells ? pCells[i] : 0);
}

void CDatasetWriter::WriteStructRow(CMatTable& table, const std::uint32_t* pBlock) {
  const std::uint32_t n = table.GetFieldCount();
  const std::uint32_t r = pBlock ? pBlock[0] : 0;
  m_Writer.WriteU32(r);
  const std::uint32_t* pCell = r > 0 ? pBlock + 1 : nullptr;
  for (std::uint32_t row = 0; row < r; ++row) {
    for (std::uint32_t i = 1; i <= n; ++i) {
      const std::uint32_t nField = table.m_pStrucDef[i];
      // Only Handle and String fields have a form of their own.
      WriteCell(nField == eTypeHandle || nField == eTypeString ? nField : eTypeInteger, *pCell++);
    }
  }
}

void CDatasetWriter::WriteRows(CMatTable& table) {
  const bool bArray = table.m_nType == eTypeStringArray || table.m_nType == eTypeDWordArray;
  const bool bKnown = table.m_nType <= eTypeUniString;
  const std::int32_t nCount = bArray   ? table.m_nRowCount
                              : bKnown ? std::int32_t(table.GetRowCount())
                                       : 0;
  m_Writer.WriteU32(std::uint32_t(nCount));
  const std::uint64_t nSizeAt = m_Writer.WritePlaceholder();
  m_BodyPositions.emplace_back(&table, nSizeAt + 4);
  if (table.m_nType == eTypeStringArray) {
    const auto* pCells = static_cast<wchar_t* const*>(table.m_pData);
    for (std::int32_t i = 0; i < nCount; ++i) m_Writer.WriteString(pCells ? pCells[i] : nullptr);
  } else if (table.m_nType == eTypeDWordArray) {
    const auto* pCells = static_cast<const std::uint32_t*>(table.m_pData);
    for (std::int32_t i = 0; i < nCount; ++i) m_Writer.WriteU32(pCells ? pCells[i] : 0);
  } else if (nCount > 0) {
    ForEachRowInWriteOrder(table, [this, &table](Handle hRow, std::uint64_t word) {
      m_Writer.WriteU32(hRow & mmd::kHandleMask);
      const auto* pCells =
          reinterpret_cast<const std::uint32_t*>(static_cast<std::uintptr_t>(word));
      if (table.m_nType == eTypeStruct) {
        // A Struct table without fields is read back as Void: its rows are
        // written as Void rows so that the reader stays in step.
        if (table.GetFieldCount() > 0) WriteStructRow(table, pCells);
      } else if (table.m_nType == eTypeVoid || table.m_nType == eTypeBit) {
      } else if (table.GetCellsPerRow() > 1) {
        WriteCells(table, pCells, table.GetCellsPerRow());
      } else {
        WriteCell(table.m_nType, RowWordCell(word));
      }
    });
  }
  PatchSize(nSizeAt, table);
}

// The save dialog of a dataset without a path. False when cancelled.
bool ChoosePath(CMatDatenSatz& dataset) {
  CFileChooser request;
  request.strFilter = kFilter;
  request.strDefaultExt = L".MMD";
  CString path;
  if (!GetHostUI().ChooseSaveFile(request, path) || path.empty()) return false;
  CMatStore& store = CMatStore::Instance();
  for (std::size_t i = 0; i < store.GetDatasetCount(); ++i) {
    CMatDatenSatz* pOther = store.GetDataset(i);
    if (pOther != nullptr && pOther != &dataset && pOther->m_strPath == path)
      pOther->m_bClosed = true;
  }
  dataset.m_strPath = path;
  CStringList list;
  ReadRegisteredList(list);
  list.push_back(path);
  WriteRegisteredList(list);
  return true;
}

bool Refuse(const wchar_t* pGermanFormat, const CString& path, const CString& detail = {}) {
  ShowMessage(MB_OK | MB_ICONERROR, pGermanFormat, path, detail);
  return false;
}

// A salvaging save keeps the damaged file beside the new one: the tables
// that could not be read are still in it.
bool KeepDamagedFile(const CString& path, CString* error) {
  if (!FileExists(path)) return true;
  std::string bytes;
  return ReadWholeFile(path, bytes, error) &&
         WriteFileAtomically(MmdDamagedPath(path), bytes, error);
}

}  // namespace

bool SaveDataset(CMatDatenSatz& dataset) {
  if (dataset.m_strPath.empty() && !ChoosePath(dataset)) return false;
  CMmdBacking& backing = MmdBackingOf(dataset);
  // A dataset added by path only has not read its file yet: writing now
  // would replace the file with an empty dataset.
  if (backing.m_bLoadPending && !LoadDataset(dataset))
    return Refuse(
        L"Die Materialmanagement-Datei %s kann nicht gespeichert werden, weil Tabellen "
        L"aus der alten Datei nicht gelesen werden konnten.",
        dataset.m_strPath);
  if (const CString why = WhyDatabasePathRefused(dataset.m_strPath); !why.empty()) {
    ShowMessage(MB_OK | MB_ICONERROR, L"%s", why);
    return false;
  }
  if (backing.m_bDamageReported && !backing.m_bSalvage)
    return Refuse(
        L"Die Materialmanagement-Datei %s ist beschädigt und wird nicht überschrieben, "
        L"weil nur ihr lesbarer Teil geladen ist.",
        dataset.m_strPath);
  if (FileExists(dataset.m_strPath) && CheckWriteLock(dataset, true))
    return Refuse(
        L"Die Materialmanagement-Datei %s wird von einem anderen Benutzer bearbeitet "
        L"und kann nicht gespeichert werden.",
        dataset.m_strPath);
  CDatabaseFileReplacement file(dataset.m_strPath);
  if (!file.Open())
    return Refuse(L"Die Materialmanagement-Datei %s kann nicht gespeichert werden:\n%s",
                  dataset.m_strPath, file.GetError());
  CDatasetWriter writer(dataset, backing, file);
  if (!writer.WriteFile())
    return Refuse(L"Die Materialmanagement-Datei %s kann nicht gespeichert werden:\n%s",
                  dataset.m_strPath, file.GetError());
  const CMmdWriter& bytes = writer.GetWriter();
  if (bytes.IsFailed()) {
    ShowMessage(MB_OK | MB_ICONERROR,
                L"Ein Text von %u Bytes ist zu lang für die Materialmanagement-Datei "
                L"(höchstens 32767 Bytes):\n\"%s...\"\nDie Datei %s wurde nicht gespeichert.",
                static_cast<unsigned long long>(bytes.GetFailedLength()), bytes.GetFailedText(),
                dataset.m_strPath);
    return false;
  }
  if (!writer.GetTooLarge().empty()) {
    ShowMessage(MB_OK | MB_ICONERROR,
                L"Die Tabelle %s ist zu groß für die Materialmanagement-Datei (höchstens "
                L"4 GiB je Tabelle).\nDie Datei %s wurde nicht gespeichert.",
                writer.GetTooLarge(), dataset.m_strPath);
    return false;
  }
  if (writer.IsBodyMissing())
    return Refuse(
        L"Die Materialmanagement-Datei %s kann nicht gespeichert werden, weil Tabellen "
        L"aus der alten Datei nicht gelesen werden konnten.",
        dataset.m_strPath);
  CString error;
  if (backing.m_bDamageReported && !KeepDamagedFile(dataset.m_strPath, &error))
    return Refuse(L"Die Materialmanagement-Datei %s kann nicht gespeichert werden:\n%s",
                  dataset.m_strPath, error);
  if (!file.Commit(backing.m_bLockHeld))
    return Refuse(L"Die Materialmanagement-Datei %s kann nicht gespeichert werden:\n%s",
                  dataset.m_strPath, file.GetError());
  writer.MoveBodyPositions();
  backing.m_FileStat = CFileStamp::Of(dataset.m_strPath);
  backing.m_bLoadPending = false;
  backing.m_bDamageReported = false;
  backing.m_bSalvage = false;
  dataset.m_bModified = false;
  return true;
}

bool IsDatasetDamaged(const CMatDatenSatz& dataset) {
  const CMmdBacking* pBacking = FindMmdBacking(dataset);
  return pBacking != nullptr && pBacking->m_bDamageReported;
}

void SalvageDataset(CMatDatenSatz& dataset) { MmdBackingOf(dataset).m_bSalvage = true; }
