// Selecting datasets: by ID, by prefix, by handle and by table, and the
// small accessors of the dataset calls (OrvaMat/datasets.h).
#include "OrvaMat/datasets.h"
#include "store/mat_daten_satz.h"
#include "store/mat_store.h"
#include "store/mmd/dataset_registry.h"
#include "store/mmd/mmd_backing.h"
#include "store/mmd/mmd_file.h"

namespace {

CMatStore& Store() { return CMatStore::Instance(); }

// The dataset whose number the handle's top byte names, or null.
CMatDatenSatz* DatasetOfByte(Handle h) { return Store().GetDatasetOfHandle(h); }

eMatManager SelectNumbered(CMatDatenSatz* pDataset, bool refuseClosed) {
  if (pDataset == nullptr) return eMatNoHandle;
  if (pDataset->m_bClosed && refuseClosed) return eMatClosed;
  MakeCurrent(Store(), *pDataset);
  return eMatOk;
}

}  // namespace

int CMatDatasetCalls::SelectDatasetByID(const wchar_t* id) {
  CMatStore& store = Store();
  for (std::size_t i = 0; i < store.GetDatasetCount(); ++i) {
    CMatDatenSatz* pDataset = store.GetDataset(i);
    if (pDataset == nullptr || !HasID(*pDataset, id)) continue;
    if (pDataset->m_bClosed) return -2;
    MakeCurrent(store, *pDataset);
    return static_cast<int>(i);
  }
  return -1;
}

eMatManager CMatDatasetCalls::SelectDatasetByIDEx(const wchar_t* id) {
  CMatStore& store = Store();
  for (std::size_t i = 0; i < store.GetDatasetCount(); ++i) {
    CMatDatenSatz* pDataset = store.GetDataset(i);
    if (pDataset == nullptr || pDataset->m_bClosed || !HasID(*pDataset, id)) continue;
    MakeCurrent(store, *pDataset);
    return eMatOk;
  }
  return eMatNoDataset;
}

eMatManager CMatDatasetCalls::SelectDatasetByPrefix(unsigned long prefix, bool refuseClosed) {
  if (prefix == 0) return eMatNoHandle;
  // A dataset's prefix is its number's byte, so the first dataset with this
  // prefix and dataset number (top byte - 1) are the same one.
  return SelectNumbered(DatasetOfByte(Handle(prefix)), refuseClosed);
}

eMatManager CMatDatasetCalls::SelectDatasetOfHandle(unsigned long& prefix, unsigned long handle) {
  if (handle == 0) return eMatNoHandle;
  CMatDatenSatz* pDataset = DatasetOfByte(Handle(handle));
  if (pDataset == nullptr) return eMatNoHandle;
  MakeCurrent(Store(), *pDataset);
  prefix = pDataset->GetPrefix();
  return pDataset->m_bClosed ? eMatClosed : eMatOk;
}

eMatManager CMatDatasetCalls::SelectDatasetOfTable(unsigned long& prefix, CMatTable* table) {
  if (table == nullptr) return eMatNoTable;
  return SelectDatasetOfHandle(prefix, table->m_hName);
}

unsigned long CMatDatasetCalls::GetDatasetPrefix(unsigned long handle) {
  if (Store().GetDatasetCount() == 0) return 0;
  ActivateDataset(Store(), Handle(handle));
  return handle & 0xFF000000ul;
}

unsigned long CMatDatasetCalls::GetDatasetPrefixOfTable(CMatTable* table) {
  return table == nullptr ? 0 : GetDatasetPrefix(table->m_hName);
}

unsigned long CMatDatasetCalls::GetListedDatasetPrefix(int n) {
  CMatStore& store = Store();
  for (std::size_t i = 0; i < store.GetDatasetCount(); ++i) {
    const CMatDatenSatz* pDataset = store.GetDataset(i);
    if (pDataset == nullptr || !pDataset->m_bListed) continue;
    if (n-- == 0) return pDataset->GetPrefix();
  }
  return 0;
}

eMatManager CMatDatasetCalls::GetDatasetID(CString& out, unsigned long handle) {
  CMatDatenSatz* pDataset = handle == 0 ? Store().GetCurrent() : DatasetOfByte(Handle(handle));
  if (pDataset == nullptr) return eMatNoDataset;
  MakeCurrent(Store(), *pDataset);
  out = pDataset->m_szHerstellerID;
  return eMatOk;
}

eMatManager CMatDatasetCalls::GetDatasetIDOfTable(CString& out, CMatTable* table) {
  if (table == nullptr) {
    out.clear();
    return eMatOk;
  }
  return GetDatasetID(out, table->m_hName);
}

const wchar_t* CMatDatasetCalls::GetDatasetPath(unsigned long handle) {
  const CMatDatenSatz* pDataset =
      handle == 0 ? Store().GetCurrent() : DatasetOfByte(Handle(handle));
  return pDataset != nullptr ? pDataset->m_strPath.c_str() : L"";
}

int CMatDatasetCalls::GetDatabaseFormat(unsigned long handle) {
  ActivateDataset(Store(), Handle(handle));
  const CMatDatenSatz* pDataset = DatasetOfByte(Handle(handle));
  const CMmdBacking* pBacking = pDataset != nullptr ? FindMmdBacking(*pDataset) : nullptr;
  // A dataset without a file yet is written as "MMD3".
  return pBacking == nullptr || pBacking->m_bUtf8 ? 3 : 2;
}

bool CMatDatasetCalls::IsDatasetLocked(bool take) {
  CMatDatenSatz* pDataset = Store().GetCurrent();
  return pDataset != nullptr && CheckWriteLock(*pDataset, take);
}

bool CMatDatasetCalls::IsDatasetReadOnly() {
  CMatDatenSatz* pDataset = Store().GetCurrent();
  return pDataset != nullptr && CheckWriteLock(*pDataset, false);
}
