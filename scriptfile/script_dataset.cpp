// The commands that choose, check, empty and save the dataset a script
// works on, and what the runner does to the dataset itself.
#include <cstring>
#include <ctime>
#include <cwchar>
#include <vector>

#include "OrvaMat/mat_manager.h"
#include "platform/file.h"
#include "platform/host_ui.h"
#include "platform/text.h"
#include "scriptfile/script_commands.h"
#include "scriptfile/script_messages.h"
#include "scriptfile/script_paths.h"
#include "store/base/message.h"
#include "store/mat_store.h"
#include "store/mmd/dataset_registry.h"
#include "store/mmd/mmd_backing.h"
#include "store/mmd/mmd_file.h"
#include "store/mmtb/mat_text_reader.h"
#include "store/table_names.h"

namespace {

constexpr wchar_t kStringTable[] = L"StringTable";

// The text of a String row of the table; false when it has none.
bool ReadText(CMatStore& store, CMatTable* pTable, const wchar_t* pRow, CString& out) {
  if (pTable == nullptr || pTable->m_pDatenSatz == nullptr) return false;
  CMatDatenSatz& dataset = *pTable->m_pDatenSatz;
  const Handle hRow = dataset.FindHandle(pRow);
  CCell cell;
  if (hRow == 0 || store.GetCellValue(pTable, cell, hRow, 0, 0) != eMatOk) return false;
  if (cell.m_pText != nullptr) {
    out = cell.m_pText;
    return true;
  }
  const CPoolText text = dataset.GetPoolText(cell.m_nValue);
  text.AssignTo(out);
  return static_cast<bool>(text);
}

bool IsWithin(const CMatTable* pTable, const CMatTable* pAncestor) {
  for (; pTable != nullptr; pTable = pTable->m_pParent) {
    if (pTable == pAncestor) return true;
  }
  return false;
}

// A removed table stays alive for whoever still holds it, but the dataset
// must no longer read its texts or set groups from it.
void RemoveTopLevelTable(CMatStore& store, CMatDatenSatz& dataset, CMatTable* pTable) {
  if (IsWithin(dataset.m_pStringTable, pTable)) dataset.m_pStringTable = nullptr;
  if (IsWithin(dataset.m_pSetGruppen, pTable)) dataset.m_pSetGruppen = nullptr;
  store.RemoveTable(pTable);
}

// The dataset's file can be changed by this process: it holds the lock, or
// the file is not read-only and opens for writing. A file that does not
// exist yet (a dataset made by an earlier "#activateMMD" and not saved)
// is written by the first save.
bool IsFileWritable(CMatDatenSatz& dataset) {
  const CMmdBacking* pBacking = FindMmdBacking(dataset);
  if (pBacking != nullptr && pBacking->m_bLockHeld) return true;
  if (dataset.m_strPath.empty() || !FileExists(dataset.m_strPath)) return true;
  CFile file;
  return !IsReadOnly(dataset.m_strPath) && file.Open(dataset.m_strPath, CFile::eReadWrite);
}

// A dataset of this ID marked closed is opened again: the script names it.
CMatDatenSatz* ReopenClosed(CMatStore& store, const CString& id) {
  for (std::size_t i = 0; i < store.GetDatasetCount(); ++i) {
    CMatDatenSatz* pDataset = store.GetDataset(i);
    if (pDataset == nullptr || !pDataset->m_bClosed || !HasID(*pDataset, id.c_str())) continue;
    pDataset->m_bClosed = false;
    MakeCurrent(store, *pDataset);
    return pDataset;
  }
  return nullptr;
}

CString Today() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  char text[16] = {};
  if (localtime_r(&now, &local) == nullptr ||
      std::strftime(text, sizeof text, "%d%m%Y", &local) == 0)
    return CString();
  return FromUtf8(text);
}

}  // namespace

CMatDatenSatz* EnsureActiveDataset(CMatStore& store) {
  if (CMatDatenSatz* pDataset = store.GetCurrent()) return pDataset;
  CMatDatenSatz* pDataset = NewDataset(store);
  if (pDataset == nullptr) ShowMessage(MB_OK | MB_ICONERROR, kMsgNoDataset);
  return pDataset;
}

bool CheckScriptWritable(CMatStore& store) {
  CMatDatenSatz* pDataset = EnsureActiveDataset(store);
  if (pDataset == nullptr) return false;
  if (!pDataset->CheckWriteLock(true)) return true;
  ShowMessage(MB_OK | MB_ICONERROR, kMsgReadOnly);
  return false;
}

void MarkUnicode(CMatStore& store) {
  if (CMatDatenSatz* pDataset = store.GetCurrent()) MmdBackingOf(*pDataset).m_bUtf8 = true;
}

void WriteLastUpdate(CMatStore& store) {
  CMatDatenSatz* pDataset = store.GetCurrent();
  if (pDataset == nullptr) return;
  pDataset->EnsureDatasetLoaded();
  CMatTable* pStrings = FindTopLevelTable(*pDataset, kStringTable, eHiddenTables::kFind);
  if (pStrings == nullptr) {
    pStrings = store.CreateTable(nullptr, kStringTable, eTypeString, 1);
    if (pDataset->m_pStringTable == nullptr) pDataset->m_pStringTable = pStrings;
  }
  if (pStrings == nullptr) return;
  const CString today = Today();
  store.SetCellValue(pStrings, store.GetOrCreateHandle(L"LASTUPDATE_DATUM"), 0, 0,
                     CCellInput::Text(today.c_str()));
}

bool ActivateMmd(CMatStore& store, CMatTextReader& reader) {
  CString id, name, path;
  reader.ReadKeyword(id);
  reader.ReadKeyword(name);
  reader.ReadKeyword(path);
  if (id.empty() || name.empty() || path.empty()) {
    ShowMessage(MB_OK | MB_ICONERROR, kMsgActivateParams, id, name, path);
    return false;
  }
  CMatDatenSatz* pDataset = nullptr;
  if (CMatManager::SelectDatasetByID(id.c_str()) >= 0) {
    pDataset = store.GetCurrent();
  } else {
    pDataset = ReopenClosed(store, id);
  }
  if (pDataset != nullptr) {
    if (IsFileWritable(*pDataset)) return true;
    ShowMessage(MB_OK | MB_ICONERROR, kMsgActivateReadOnly, pDataset->m_strPath);
    return false;
  }
  const CString file = ResolveScriptPath(reader.GetPath(), path);
  if (FileExists(file)) {
    const unsigned long prefix = CMatManager::AddDatasetFileEx(file.c_str(), false);
    unsigned long selected = 0;
    if (prefix != 0 && CMatManager::SelectDatasetOfHandle(selected, prefix) != eMatNoHandle)
      return true;
    ShowMessage(MB_OK | MB_ICONERROR, kMsgActivateNotMmd, file);
    return false;
  }
  if (CMatManager::CreateDataset(id.c_str(), name.c_str(), file.c_str()) >= 0) return true;
  ShowMessage(MB_OK | MB_ICONERROR, kMsgNoDataset);
  return false;
}

bool SaveMmd(CMatStore& store, CMatTextReader&) {
  CMatDatenSatz* pDataset = EnsureActiveDataset(store);
  if (pDataset == nullptr) return false;
  // A dataset that was not saved keeps its mark, so that it is offered for
  // saving again; the run stops, as it does at every failure.
  if (!SaveDataset(*pDataset)) {
    ShowMessage(MB_OK | MB_ICONERROR, kMsgNotSaved, pDataset->m_strPath);
    return false;
  }
  pDataset->m_bModified = false;
  return true;
}

bool CheckHerstellerID(CMatStore& store, CMatTextReader& reader) {
  CMatDatenSatz& dataset = *store.GetCurrent();
  // The four characters right after the "="; the line's end reads as none.
  wchar_t given[4] = {};
  const wchar_t* p = reader.GetPos();
  for (int i = 0;
       i < 4 && *p != L'\r' && *p != L'\n' && *p != 0 && *p != CMatTextReader::kEndMarker; ++i) {
    given[i] = *p++;
  }
  wchar_t* pID = dataset.m_szHerstellerID;
  const bool bMatch = given[0] == pID[0] && given[1] == pID[1] && given[2] == pID[2] &&
                      (given[3] == pID[3] || pID[0] == 0);
  if (!bMatch) {
    ShowMessage(MB_OK | MB_ICONERROR, kMsgHerstellerID, pID[0], pID[1], pID[2], pID[3]);
    return false;
  }
  std::wmemcpy(pID, given, 4);
  return true;
}

bool DeleteAllTables(CMatStore& store, CMatTextReader&) {
  CMatDatenSatz& dataset = *store.GetCurrent();
  dataset.EnsureDatasetLoaded();
  CMatTable* pStrings = FindTopLevelTable(dataset, kStringTable, eHiddenTables::kFind);
  std::vector<CMatTable*> tables;
  for (const auto& pTable : dataset.m_Tables) {
    if (pTable.get() != pStrings) tables.push_back(pTable.get());
  }
  for (CMatTable* pTable : tables) RemoveTopLevelTable(store, dataset, pTable);

  CString name, logo;
  const bool bName = ReadText(store, pStrings, L"HERSTELLERNAME", name);
  const bool bLogo = ReadText(store, pStrings, L"HERSTELLERLOGO", logo);
  const std::uint32_t nFlags = pStrings != nullptr ? pStrings->m_nFlags : 1;
  if (pStrings != nullptr) RemoveTopLevelTable(store, dataset, pStrings);
  dataset.m_Aliases.clear();
  dataset.SetModified();

  CMatTable* pNew = store.CreateTable(nullptr, kStringTable, eTypeString, 1);
  if (pNew == nullptr) return true;
  store.SetFlags(pNew, nFlags, 0);
  if (bName)
    store.SetCellValue(pNew, store.GetOrCreateHandle(L"HERSTELLERNAME"), 0, 0,
                       CCellInput::Text(name.c_str()));
  if (bLogo)
    store.SetCellValue(pNew, store.GetOrCreateHandle(L"HERSTELLERLOGO"), 0, 0,
                       CCellInput::Text(logo.c_str()));
  dataset.m_pStringTable = pNew;
  return true;
}

bool DeleteTable(CMatStore& store, CMatTextReader& reader) {
  CString name;
  reader.ReadKeyword(name);
  CMatDatenSatz& dataset = *store.GetCurrent();
  dataset.EnsureDatasetLoaded();
  if (CMatTable* pTable = FindTopLevelTable(dataset, name.c_str(), eHiddenTables::kFind))
    RemoveTopLevelTable(store, dataset, pTable);
  return true;
}
