// Table records of the database file: "MMtb" fields and the children of
// both record kinds. Every count read is checked against the bytes that
// remain before anything is sized from it (docs/mmd.md).
#include <cstring>

#include "store/arena.h"
#include "store/base/message.h"
#include "store/base/reg_util.h"
#include "store/base/translation.h"
#include "store/mat_daten_satz.h"
#include "store/mmd/mmd_backing.h"
#include "store/mmd/mmd_file.h"
#include "store/mmd/mmd_format.h"
#include "store/mmd/mmd_io.h"

namespace mmd {

Handle StoredHandle(CMatDatenSatz& dataset, std::uint32_t nStored) {
  const std::uint32_t nLow = nStored & kHandleMask;
  if (nLow == 0) return 0;
  if (nLow > (dataset.m_nHandleCounter & kHandleMask))
    dataset.m_nHandleCounter = (dataset.m_nHandleCounter & ~kHandleMask) | nLow;
  return dataset.GetPrefix() | nLow;
}

CMmdTextCoding DatasetCoding(const CMmdBacking& backing) {
  if (backing.m_bUtf8) return CMmdTextCoding{true, 65001};
  const CString& language = CTranslationManager::GetInstance().GetActualLanguage();
  return CMmdTextCoding{false, CRegUtil::getLanguageCodepage(language)};
}

CMmdTextCoding TableCoding(const CMmdBacking& backing, const CString& strTableName) {
  if (!backing.m_bUtf8 && strTableName.size() == 2)
    return CMmdTextCoding{false, CRegUtil::getLanguageCodepage(strTableName)};
  return DatasetCoding(backing);
}

void ReportDamage(CMatDatenSatz& dataset, std::uint64_t nPosition) {
  CMmdBacking& backing = MmdBackingOf(dataset);
  if (backing.m_bDamageReported) return;
  backing.m_bDamageReported = true;
  ShowMessage(MB_OK | MB_ICONERROR,
              L"Die Materialmanagement-Datei %s ist beschädigt (Byte %u).\n"
              L"Es wurde nur der lesbare Teil geladen.",
              dataset.m_strPath, static_cast<unsigned long long>(nPosition));
}

void ReportChecksumDamage(CMatDatenSatz& dataset) {
  CMmdBacking& backing = MmdBackingOf(dataset);
  if (backing.m_bDamageReported) return;
  backing.m_bDamageReported = true;
  ShowMessage(MB_OK | MB_ICONERROR,
              L"Die Materialmanagement-Datei %s ist beschädigt: ihre Prüfsumme stimmt nicht.\n"
              L"Ihre Daten können verfälscht sein.",
              dataset.m_strPath);
}

void ReportFileError(const CString& reason) {
  ShowMessage(MB_OK | MB_ICONERROR, L"Die Materialmanagement-Datei kann nicht gelesen werden:\n%s",
              reason);
}

void ClearBody(CMatTable& table) {
  table.m_Rows.RemoveAll();
  table.m_RowList.RemoveAll();
  table.m_pData = nullptr;
}

CMatTable& FindOrAppendTable(CTableList& list, Handle hName, CMatTable* pParent,
                             CMatDatenSatz& dataset) {
  for (auto& pTable : list) {
    if (pTable->m_hName == hName && hName != 0) {
      ClearBody(*pTable);
      return *pTable;
    }
  }
  auto pTable = std::make_unique<CMatTable>();
  pTable->m_hName = hName;
  pTable->m_pParent = pParent;
  pTable->m_pDatenSatz = &dataset;
  list.push_back(std::move(pTable));
  return *list.back();
}

bool ReadTextSkeleton(CTableList& list, CMatTable* pParent, CMmdReader& file,
                      CMatDatenSatz& dataset) {
  const std::uint64_t nBodyPos = file.GetPosition();
  std::uint32_t nSize = 0;
  std::uint32_t nStored = 0;
  if (!file.ReadU32(nSize) || !file.ReadU32(nStored) || nSize < 8) return false;
  // A body inside a body must lie inside it. One that claimed more would be
  // read later up to the end of the file, and the records it took in would
  // become its children a second time: a few kilobytes could make millions.
  if (file.IsBody() && !file.HasRoom(nSize - 8)) return false;
  CMatTable& table = FindOrAppendTable(list, StoredHandle(dataset, nStored), pParent, dataset);
  table.m_nType = eTypeStrLine;
  table.m_nFilePos = nBodyPos;
  if (const CPoolText name = dataset.GetName(table.m_hName)) name.AssignTo(table.m_strName);
  return file.Skip(nSize - 8);
}

bool ReadChildRecords(CMatTable& parent, CMmdReader& file, std::uint32_t nVersion, int nDepth) {
  if (nDepth >= kMaxDepth) return false;
  CMatDatenSatz& dataset = *parent.m_pDatenSatz;
  std::uint32_t nCount = 0;
  if (!file.ReadU32(nCount)) return false;
  for (std::uint32_t i = 0; i < nCount; ++i) {
    char tag[4];
    if (!file.ReadTag(tag)) return false;
    if (std::memcmp(tag, kTagText, 4) == 0) {
      if (!ReadTextSkeleton(parent.m_Children, &parent, file, dataset)) return false;
    } else if (std::memcmp(tag, kTagTable, 4) == 0) {
      std::uint32_t nStored = 0;
      if (!file.ReadU32(nStored)) return false;
      CMatTable& child =
          FindOrAppendTable(parent.m_Children, StoredHandle(dataset, nStored), &parent, dataset);
      if (!ReadTableRecordAt(child, file, nVersion, nDepth + 1)) return false;
    }
  }
  return true;
}

namespace {

bool ReadStrucDef(CMatTable& table, CMmdReader& file) {
  std::uint32_t n = 0;
  if (!file.ReadU32(n)) return false;
  table.m_pStrucDef = nullptr;
  if (n == 0) {
    if (table.m_nType == eTypeStruct) table.m_nType = eTypeVoid;
    return true;
  }
  const std::uint64_t nBytes = (std::uint64_t{n} + 1) * 4;
  if (!file.HasRoom(nBytes - 4) || nBytes > CArena::kMaxRequest) return false;
  auto* pDef =
      static_cast<std::uint32_t*>(table.m_pDatenSatz->ArenaAlloc(std::size_t(nBytes), true));
  if (pDef == nullptr) return false;
  pDef[0] = n;
  for (std::uint32_t i = 1; i <= n; ++i) file.ReadU32(pDef[i]);
  table.m_pStrucDef = pDef;
  return true;
}

}  // namespace

bool ReadTableRecordAt(CMatTable& table, CMmdReader& file, std::uint32_t nVersion, int nDepth) {
  CMatDatenSatz& dataset = *table.m_pDatenSatz;
  CMmdBacking& backing = MmdBackingOf(dataset);
  std::uint32_t nParent = 0;
  std::uint32_t nValuesPerRow = 0;
  if (!file.ReadU32(nParent) || !file.ReadU32(table.m_nType) || !file.ReadU32(nValuesPerRow) ||
      !file.ReadU32(table.m_nFlags))
    return false;
  table.m_nValuesPerRow = static_cast<std::int32_t>(nValuesPerRow);
  dataset.GetName(table.m_hName).AssignTo(table.m_strName);
  table.m_hDefaultItem = 0;
  std::uint32_t nDefault = 0;
  if (nVersion > 1 && !file.ReadU32(nDefault)) return false;
  table.m_hDefaultItem = StoredHandle(dataset, nDefault);

  const CMmdTextCoding coding = TableCoding(backing, table.m_strName);
  CString text;
  const auto readText = [&](CTableText& to) {
    if (!file.ReadString(text, coding)) return false;
    to = text;
    return true;
  };
  if (!readText(table.m_strRegStr1) || !readText(table.m_strRegStr2) ||
      !readText(table.m_strRegStr3))
    return false;
  table.m_nState = table.m_strRegStr1.empty() ? 0 : 1;
  if (backing.m_bUtf8 && !file.ReadString(text, coding)) return false;
  if (backing.m_bUtf8 && !text.empty()) backing.m_ExtraTexts[table.m_hName] = text;
  if (!readText(table.m_strBeschreibung) || !ReadStrucDef(table, file) ||
      !ReadChildRecords(table, file, nVersion, nDepth))
    return false;

  std::uint32_t nRowCount = 0;
  std::uint32_t nRowsSize = 0;
  if (!file.ReadU32(nRowCount) || !file.ReadU32(nRowsSize) || nRowsSize < 4) return false;
  // The same for rows: each such table would read the rest of the file.
  if (file.IsBody() && !file.HasRoom(nRowsSize - 4)) return false;
  table.m_nRowCount = static_cast<std::int32_t>(nRowCount & 0x7FFFFFFF);
  table.m_nFilePos = file.GetPosition();
  return file.Skip(nRowsSize - 4);
}

}  // namespace mmd

bool ReadTableRecord(CMatTable& table, CMmdReader& file, std::uint32_t version) {
  return mmd::ReadTableRecordAt(table, file, version, 0);
}
