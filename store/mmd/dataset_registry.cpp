#include "store/mmd/dataset_registry.h"

#include <algorithm>
#include <cwchar>
#include <memory>

#include "platform/file.h"
#include "platform/text.h"
#include "store/mat_daten_satz.h"
#include "store/mat_store.h"
#include "store/mmd/dataset_lists.h"
#include "store/mmd/mmd_backing.h"
#include "store/mmd/mmd_format.h"

namespace {
DatanormTableSetup g_pDatanormSetup = nullptr;
CString g_strDefaultFolder;
}  // namespace

void SetDatanormTableSetup(DatanormTableSetup setup) { g_pDatanormSetup = setup; }
DatanormTableSetup GetDatanormTableSetup() { return g_pDatanormSetup; }
void SetDefaultDatasetFolder(const CString& folder) { g_strDefaultFolder = folder; }

CMatDatenSatz* NewDataset(CMatStore& store) {
  CMatDatenSatz* pDataset = store.AddDataset(std::make_unique<CMatDatenSatz>());
  if (pDataset != nullptr) store.SetCurrent(pDataset);
  return pDataset;
}

void MakeCurrent(CMatStore& store, CMatDatenSatz& dataset) { store.SetCurrent(&dataset); }

void ActivateDataset(CMatStore& store, Handle h) {
  const std::size_t nByte = h >> 24;
  if (nByte == 0) return;
  if (CMatDatenSatz* pDataset = store.GetDataset(nByte - 1)) MakeCurrent(store, *pDataset);
}

void AttachFile(CMatDatenSatz& dataset, const CString& path) {
  dataset.m_strPath = ResolveDatabasePath(path);
  CMmdBacking& backing = MmdBackingOf(dataset);
  const CString folder = GetFolderOf(dataset.m_strPath);
  backing.m_ChangeNotify.Watch(folder);
  backing.m_FileStat = CFileStamp::Of(path);
  backing.m_strFolder = g_strDefaultFolder.empty() ? folder : g_strDefaultFolder;
}

bool HasID(const CMatDatenSatz& dataset, const wchar_t* id) {
  return id != nullptr && std::wcsncmp(dataset.m_szHerstellerID, id, 4) == 0;
}

bool SetDatasetListed(CMatDatenSatz& dataset, bool listed) {
  CStringList list;
  ReadExcludedList(list);
  if (!listed) {
    dataset.m_bListed = false;
    // An entry without a name would read back as a path that does not exist
    // and vanish; the ID names the dataset then.
    const CString name =
        dataset.m_strName.empty() ? CString(dataset.m_szHerstellerID) : dataset.m_strName;
    const CString entry = name + L";" + dataset.m_strPath;
    if (std::find(list.begin(), list.end(), entry) == list.end()) list.push_back(entry);
  } else {
    dataset.m_bListed = true;
    for (auto it = list.begin(); it != list.end(); ++it) {
      if (EqualsNoCase(ExcludedEntryPath(*it), dataset.m_strPath)) {
        list.erase(it);
        break;
      }
    }
  }
  return WriteExcludedList(list);
}
