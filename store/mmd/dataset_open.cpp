// Opening, adding, creating and closing datasets (the calls of
// OrvaMat/datasets.h that change the dataset array or the registered list).
#include <algorithm>
#include <cstring>
#include <string>

#include "OrvaMat/datasets.h"
#include "platform/file.h"
#include "platform/text.h"
#include "store/base/message.h"
#include "store/mat_daten_satz.h"
#include "store/mat_store.h"
#include "store/mmd/dataset_lists.h"
#include "store/mmd/dataset_registry.h"
#include "store/mmd/mmd_backing.h"
#include "store/mmd/mmd_file.h"
#include "store/mmd/mmd_format.h"
#include "store/table_names.h"

namespace {

CMatStore& Store() { return CMatStore::Instance(); }

// The magic and the ID of a database file; false when it is none.
bool ReadFileHead(const CString& path, bool& bUtf8, wchar_t id[5]) {
  CFile file;
  char head[8];
  if (!file.Open(path, CFile::eRead) || !file.ReadAt(0, head, 8)) return false;
  if (std::memcmp(head, "MMD3", 4) != 0 && std::memcmp(head, "MMD2", 4) != 0) return false;
  bUtf8 = head[3] == '3';
  for (int i = 0; i < 4; ++i) id[i] = wchar_t(static_cast<unsigned char>(head[4 + i]));
  id[4] = 0;
  return true;
}

// A dataset of the file, its tables read now (bLoaded false when the file
// could not be read; reported). Null when the store is full.
CMatDatenSatz* OpenFile(const CString& path, bool& bLoaded) {
  CMatDatenSatz* pDataset = NewDataset(Store());
  if (pDataset == nullptr) return nullptr;
  AttachFile(*pDataset, path);
  bLoaded = LoadDataset(*pDataset);
  if (bLoaded) {
    pDataset->m_pStringTable = FindTopLevelTable(*pDataset, L"StringTable", eHiddenTables::kFind);
    pDataset->m_pSetGruppen =
        FindTopLevelTable(*pDataset, L"ArtikelSetGruppen", eHiddenTables::kFind);
  }
  return pDataset;
}

void OpenRegisteredDatasets() {
  CStringList list;
  ReadRegisteredList(list);
  for (const CString& path : list) {
    CFile probe;
    if (!probe.Open(path, CFile::eRead)) {
      ShowMessage(MB_OK | MB_ICONERROR,
                  L"Die Materialmanagement-Datei kann nicht gelesen werden:\n%s", probe.GetError());
      continue;
    }
    bool bLoaded = false;
    if (OpenFile(path, bLoaded) == nullptr) break;  // the store is full
  }
}

// A dataset of the file whose tables are read on first use.
CMatDatenSatz* AddFile(const CString& path, const wchar_t id[5], bool bUtf8) {
  CMatDatenSatz* pDataset = NewDataset(Store());
  if (pDataset == nullptr) return nullptr;
  std::wcsncpy(pDataset->m_szHerstellerID, id, 5);
  AttachFile(*pDataset, path);
  CMmdBacking& backing = MmdBackingOf(*pDataset);
  backing.m_bUtf8 = bUtf8;
  backing.m_bLoadPending = true;
  return pDataset;
}

void FillUnits(CMatStore& store, CMatTable& units) {
  static const wchar_t* const kUnits[][2] = {
      {L"CMK", L"cm²"}, {L"CMQ", L"cm³"},  {L"CMT", L"cm"},  {L"GRM", L"g"},  {L"KGM", L"kg"},
      {L"KMT", L"km"},  {L"LTR", L"l"},    {L"MMT", L"mm"},  {L"MTK", L"m²"}, {L"MTQ", L"m³"},
      {L"MTR", L"m"},   {L"PCE", L"Stck"}, {L"SET", L"Set"}, {L"TNE", L"t"},  {L"STG", L"Stg"}};
  for (const auto& unit : kUnits) {
    const Handle hRow = store.CreateHandle(unit[0]);
    store.SetCellValue(&units, hRow, 0, 0, CCellInput::Value(store.CreateHandle(unit[1])));
  }
}

}  // namespace

int CMatDatasetCalls::OpenDataset(const wchar_t* path) {
  if (path == nullptr || *path == 0) return 0;
  CMatStore& store = Store();
  CStringList list;
  ReadRegisteredList(list);
  for (std::size_t i = 0; i < store.GetDatasetCount(); ++i) {
    CMatDatenSatz* pDataset = store.GetDataset(i);
    if (pDataset != nullptr && pDataset->m_strPath == path) {
      pDataset->m_bClosed = false;
      WriteRegisteredList(list);
      return 0;
    }
  }
  CFile probe;
  if (!probe.Open(path, CFile::eRead)) return 0;
  probe.Close();
  store.SetCurrent(nullptr);
  bool bLoaded = false;
  CMatDatenSatz* pDataset = OpenFile(path, bLoaded);
  if (pDataset == nullptr) return 0;
  if (!bLoaded) {
    pDataset->m_bClosed = true;
    store.SetCurrent(nullptr);
    return 0;
  }
  RegisterDatasetPath(pDataset->m_strPath);
  return 1;
}

int CMatDatasetCalls::CloseDataset(unsigned long prefix) {
  CMatStore& store = Store();
  CStringList list;
  ReadRegisteredList(list);
  for (std::size_t i = 0; i < store.GetDatasetCount(); ++i) {
    CMatDatenSatz* pDataset = store.GetDataset(i);
    if (pDataset == nullptr || pDataset->GetPrefix() != (prefix & 0xFFFFFFFFul)) continue;
    pDataset->m_bClosed = true;
    std::erase(list, pDataset->m_strPath);
  }
  store.SetCurrent(nullptr);
  WriteRegisteredList(list);
  return 1;
}

int CMatDatasetCalls::CloseAllDatasets() {
  Store().RemoveAllDatasets();
  return 1;
}

int CMatDatasetCalls::DeleteDataset(unsigned long prefix) {
  return ::DeleteDataset(Store(), prefix);
}

void CMatDatasetCalls::SaveModified(int silent) { ::SaveModified(Store(), silent); }

void CMatDatasetCalls::AddDatasetFile(const wchar_t* path) {
  bool bUtf8 = false;
  wchar_t id[5];
  if (path == nullptr || !ReadFileHead(path, bUtf8, id)) return;
  CMatStore& store = Store();
  for (std::size_t i = 0; i < store.GetDatasetCount(); ++i) {
    CMatDatenSatz* pDataset = store.GetDataset(i);
    if (pDataset == nullptr || !HasID(*pDataset, id)) continue;
    if (EqualsNoCase(pDataset->m_strPath, path)) return;
    pDataset->m_bListed = false;
  }
  AddFile(path, id, bUtf8);
}

unsigned long CMatDatasetCalls::AddDatasetFileEx(const wchar_t* path, bool again) {
  bool bUtf8 = false;
  wchar_t id[5];
  if (path == nullptr || !ReadFileHead(path, bUtf8, id)) return 0;
  CMatStore& store = Store();
  for (std::size_t i = 0; i < store.GetDatasetCount(); ++i) {
    CMatDatenSatz* pDataset = store.GetDataset(i);
    if (pDataset == nullptr || !HasID(*pDataset, id)) continue;
    if (!again) return pDataset->GetPrefix();
    pDataset->m_bListed = false;
  }
  // The format is known from the file's head, so the dataset is saved as it
  // was read even before its tables are.
  CMatDatenSatz* pDataset = AddFile(path, id, bUtf8);
  return pDataset != nullptr ? pDataset->GetPrefix() : 0;
}

const wchar_t* CMatDatasetCalls::GetDatasetIDOfFile(const wchar_t* path, bool again) {
  static CString s_strID;
  s_strID.clear();
  const unsigned long prefix = AddDatasetFileEx(path, again);
  if (prefix == 0) return s_strID.c_str();
  SelectDatasetByPrefix(prefix, true);
  if (CMatDatenSatz* pDataset = Store().GetCurrent()) s_strID = pDataset->m_szHerstellerID;
  return s_strID.c_str();
}

int CMatDatasetCalls::CreateDataset(const wchar_t* id, const wchar_t* herstellerName,
                                    const wchar_t* path) {
  CMatStore& store = Store();
  store.SetCurrent(nullptr);
  CMatDatenSatz* pDataset = NewDataset(store);
  if (pDataset == nullptr) return -1;
  for (int i = 0; i < 4; ++i) {
    const wchar_t c =
        id != nullptr && (i == 0 || pDataset->m_szHerstellerID[i - 1] != 0) ? id[i] : 0;
    pDataset->m_szHerstellerID[i] = wchar_t(c & 0xFF);
  }
  pDataset->m_szHerstellerID[4] = 0;
  MmdBackingOf(*pDataset);  // the file's settings (format) before it exists
  if (path != nullptr && *path != 0) {
    pDataset->m_strPath = ResolveDatabasePath(path);
    RegisterDatasetPath(pDataset->m_strPath);
  }
  pDataset->SetModified();
  if (DatanormTableSetup setup = GetDatanormTableSetup()) setup(store);

  CMatTable* pStrings = FindTopLevelTable(*pDataset, L"StringTable", eHiddenTables::kFind);
  if (pStrings == nullptr) pStrings = store.CreateTable(nullptr, L"StringTable", eTypeString, 1);
  if (pStrings != nullptr) {
    store.SetCellValue(pStrings, store.CreateHandle(L"HERSTELLERNAME"), 0, 0,
                       CCellInput::Text(herstellerName));
    store.SetFlags(pStrings, 1, 0);
  }
  CMatTable* pUnits = FindTopLevelTable(*pDataset, L"UebersetzungEinheiten", eHiddenTables::kFind);
  if (pUnits == nullptr)
    pUnits = store.CreateTable(nullptr, L"UebersetzungEinheiten", eTypeHandle, 1);
  if (pUnits != nullptr) FillUnits(store, *pUnits);
  return static_cast<int>(store.GetDatasetCount()) - 1;
}

int CMatDatasetCalls::ActivateDatasetByID(const wchar_t* id) {
  CMatStore& store = Store();
  if (store.GetDatasetCount() == 0) OpenRegisteredDatasets();
  if (id != nullptr && *id != 0) {
    for (std::size_t i = 0; i < store.GetDatasetCount(); ++i) {
      CMatDatenSatz* pDataset = store.GetDataset(i);
      if (pDataset == nullptr) continue;
      if (HasID(*pDataset, id)) {
        pDataset->m_bClosed = false;
        MakeCurrent(store, *pDataset);
      } else if (CString(pDataset->m_szHerstellerID) != L"USER") {
        pDataset->m_bClosed = true;
      }
    }
  }
  for (std::size_t i = 0; i < store.GetDatasetCount() && store.GetCurrent() == nullptr; ++i)
    if (CMatDatenSatz* pDataset = store.GetDataset(i)) MakeCurrent(store, *pDataset);
  return static_cast<int>(store.GetDatasetCount());
}
