// The database-file calls of a host (OrvaMat/database_file.h) that the store
// answers: opening one file on its own, its head and tree, and the user's
// registered and excluded datasets.
#include <algorithm>
#include <string_view>

#include "OrvaMat/database_file.h"
#include "OrvaMat/datasets.h"
#include "OrvaMat/import.h"
#include "platform/file.h"
#include "platform/text.h"
#include "store/base/guarded_call.h"
#include "store/mat_daten_satz.h"
#include "store/mat_store.h"
#include "store/mmd/dataset_lists.h"
#include "store/mmd/dataset_registry.h"
#include "store/mmd/mmd_backing.h"
#include "store/mmd/mmd_file.h"
#include "store/mmd/mmd_format.h"
#include "store/mmd/table_summary.h"
#include "store/table_names.h"

namespace {

// The ID in the head of a database file; "????" when it has none.
CString IDOfFile(const CString& path) {
  CFile file;
  char head[8] = {};
  if (!file.Open(path, CFile::eRead) || !file.ReadAt(0, head, sizeof head) ||
      (std::string_view(head, 4) != "MMD3" && std::string_view(head, 4) != "MMD2"))
    return L"????";
  CString id;
  for (int i = 4; i < 8; ++i) id += wchar_t(static_cast<unsigned char>(head[i]));
  return id;
}

// Opens the dataset of path and registers it; null when it can not be opened.
CMatDatenSatz* OpenAndRegister(const CString& given, eDatasetFileResult& result) {
  if (!WhyInputUnreadable(given).empty()) {
    result = eDatasetFileUnreadable;
    return nullptr;
  }
  const CString path = AbsolutePath(given);
  CMatDatasetCalls::OpenDataset(path.c_str());
  CMatDatenSatz* pDataset = CMatStore::Instance().GetCurrent();
  if (pDataset == nullptr || pDataset->m_strPath != ResolveDatabasePath(path)) {
    result = eDatasetFileNotOpened;
    return nullptr;
  }
  result = eDatasetFileOk;
  return pDataset;
}

}  // namespace

CTableSummary SummarizeTable(const CMatTable& table) {
  CTableSummary summary;
  summary.strName = table.m_strName;
  summary.nType = table.m_nType;
  summary.nValuesPerRow = table.m_nValuesPerRow;
  summary.nRowCount = table.m_nRowCount;
  summary.nFlags = table.m_nFlags;
  summary.children.reserve(table.m_Children.size());
  for (const auto& pChild : table.m_Children) summary.children.push_back(SummarizeTable(*pChild));
  return summary;
}

int GetTableRowCount(const CMatTable* table) {
  if (table == nullptr) return 0;
  if (table->m_nFilePos != 0 || table->m_nType == eTypeStringArray ||
      table->m_nType == eTypeDWordArray) {
    return table->m_nRowCount;
  }
  return static_cast<int>(table->GetRowCount());
}

unsigned long OpenDatabaseFile(const CString& path) {
  return GuardedCall(0ul, [&]() -> unsigned long {
    CMatStore& store = CMatStore::Instance();
    CMatDatenSatz* pDataset = NewDataset(store);
    if (pDataset == nullptr) return 0;
    AttachFile(*pDataset, path);
    if (!LoadDataset(*pDataset)) return 0;
    MakeCurrent(store, *pDataset);
    return pDataset->GetPrefix();
  });
}

bool GetDatabaseFileInfo(unsigned long prefix, CDatabaseFileInfo& out) {
  return GuardedCall(false, [&] {
    CMatDatenSatz* pDataset = CMatStore::Instance().GetDatasetOfHandle(Handle(prefix));
    if (pDataset == nullptr) return false;
    const CMmdBacking& backing = MmdBackingOf(*pDataset);
    out = {};
    out.bUtf8 = backing.m_bUtf8;
    out.strID = pDataset->m_szHerstellerID;
    out.nVersion = backing.m_nVersion;
    out.nHandles = pDataset->m_HandleToName.GetCount();
    out.nHandleCounter = pDataset->m_nHandleCounter & 0xFFFFFF;
    out.strInfo = backing.m_strInfo;
    out.tables.reserve(pDataset->m_Tables.size());
    for (const auto& pTable : pDataset->m_Tables) out.tables.push_back(SummarizeTable(*pTable));
    return true;
  });
}

std::vector<CRegisteredDataset> ListRegisteredDatasets() {
  return GuardedCall(std::vector<CRegisteredDataset>(), [] {
    CStringList registered;
    CStringList excluded;
    ReadRegisteredList(registered);
    ReadExcludedList(excluded);
    std::vector<CRegisteredDataset> list;
    for (const CString& path : registered) {
      bool bExcluded = false;
      for (const CString& entry : excluded)
        bExcluded |= EqualsNoCase(ExcludedEntryPath(entry), path);
      list.push_back({path, IDOfFile(path), bExcluded});
    }
    return list;
  });
}

eDatasetFileResult OpenRegisteredDataset(const CString& path) {
  return GuardedCall(eDatasetFileNotOpened, [&] {
    eDatasetFileResult result = eDatasetFileOk;
    const CMatDatenSatz* pDataset = OpenAndRegister(path, result);
    if (pDataset == nullptr) return result;
    CStringList list;
    ReadRegisteredList(list);
    return std::find(list.begin(), list.end(), pDataset->m_strPath) == list.end()
               ? eDatasetFileNotEntered
               : eDatasetFileOk;
  });
}

eDatasetFileResult CloseRegisteredDataset(const CString& given) {
  return GuardedCall(eDatasetFileNotWritten, [&] {
    const CString path = AbsolutePath(given);
    const CString resolved = ResolveDatabasePath(path);
    CStringList list;
    ReadRegisteredList(list);
    const std::size_t nBefore = list.size();
    // Entries of older runs may hold the path as it was typed.
    std::erase_if(list, [&](const CString& entry) {
      return entry == path || entry == resolved || entry == given;
    });
    if (list.size() == nBefore) return eDatasetFileNotListed;
    return WriteRegisteredList(list) ? eDatasetFileOk : eDatasetFileNotWritten;
  });
}

eDatasetFileResult ExcludeRegisteredDataset(const CString& path, bool listAgain) {
  return GuardedCall(eDatasetFileNotWritten, [&] {
    eDatasetFileResult result = eDatasetFileOk;
    CMatDatenSatz* pDataset = OpenAndRegister(path, result);
    if (pDataset == nullptr) return result;
    // The excluded list names the dataset by its manufacturer name.
    CString name;
    if (CMatTable* pStrings = FindTopLevelTable(*pDataset, L"StringTable", eHiddenTables::kFind)) {
      CCell cell;
      const Handle h = pDataset->FindHandle(L"HERSTELLERNAME");
      if (h != 0 && CMatStore::Instance().GetCellValue(pStrings, cell, h, 0, 0) == eMatOk)
        name = pDataset->GetPoolText(cell.m_nValue).ToString();
    }
    pDataset->m_strName = name;
    return SetDatasetListed(*pDataset, listAgain) ? eDatasetFileOk : eDatasetFileNotWritten;
  });
}
