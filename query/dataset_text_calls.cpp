// A dataset's tables as MMTB text for a host (OrvaMat/database_file.h): one
// table is found by the path look-up, as every other call finds tables.
#include "OrvaMat/database_file.h"
#include "OrvaMat/mat_manager.h"
#include "query/path_lookup.h"
#include "store/base/guarded_call.h"
#include "store/mat_daten_satz.h"
#include "store/mat_store.h"

eMatManager WriteDatasetText(unsigned long prefix, const CString& tablePath, CStringList& lines) {
  return GuardedCall(eMatNoTable, [&] {
    CMatStore& store = CMatStore::Instance();
    CMatDatenSatz* pDataset = store.GetDatasetOfHandle(Handle(prefix));
    if (pDataset == nullptr) return eMatNoDataset;
    if (tablePath.empty()) {
      for (const auto& pTable : pDataset->m_Tables)
        CMatManager::WriteTableText(pTable.get(), lines);
      return eMatOk;
    }
    // The look-up starts from the current dataset.
    if (store.GetCurrent() != pDataset) store.SetCurrent(pDataset);
    CMatTable* pTable = nullptr;
    const eMatManager nCode = FindTable(store, pTable, nullptr, tablePath);
    if (nCode == eMatOk) CMatManager::WriteTableText(pTable, lines);
    return nCode;
  });
}
