// The MMTB calls of a host: reading a text file into an import file's
// dataset (OrvaMat/import.h) and a table type as head lines write it
// (OrvaMat/database_file.h).
#include "OrvaMat/database_file.h"
#include "OrvaMat/import.h"

#include <memory>

#include "store/base/guarded_call.h"
#include "store/base/num_string_macros.h"
#include "store/mat_daten_satz.h"
#include "store/mat_store.h"
#include "store/mmd/mmd_file.h"
#include "store/mmd/table_summary.h"
#include "store/mmtb/mat_text_file.h"
#include "store/mmtb/mat_text_writer.h"

CMmtbReadResult ReadMmtbIntoDataset(unsigned long prefix, const CString& textPath) {
  return GuardedCall(CMmtbReadResult(), [&] {
    CMmtbReadResult result;
    CMatStore& store = CMatStore::Instance();
    CMatDatenSatz* pDataset = store.GetDatasetOfHandle(Handle(prefix));
    if (pDataset == nullptr) return result;
    if (store.GetCurrent() != pDataset) store.SetCurrent(pDataset);
    // Every table, row and name the text brings marks the dataset changed: a
    // text that leaves it unchanged held no block (random bytes, only
    // comments) and is no import.
    pDataset->m_bModified = false;
    result.bRead = ReadMmtbFile(store, textPath);
    result.bAnyTable = pDataset->m_bModified;
    result.bDamaged = IsDatasetDamaged(*pDataset);
    result.nTables = pDataset->m_Tables.size();
    result.strPath = pDataset->m_strPath;
    return result;
  });
}

CString TableTypeText(std::uint32_t type) {
  return GuardedCall(CString(), [&] {
    CString text;
    AppendTypeText(text, type);
    return text;
  });
}

CMmtbCheckResult CheckMmtbFile(const CString& path, bool writeBack) {
  return GuardedCall(CMmtbCheckResult(), [&] {
    // A store with one empty dataset, current, and a macro table of its own.
    CNumStringMacros macros;
    CScopedNumStringMacros scopedMacros(macros);
    CMatStore store;
    CMatDatenSatz* pDataset = store.AddDataset(std::make_unique<CMatDatenSatz>());
    store.SetCurrent(pDataset);
    CMmtbCheckResult result;
    result.bRead = ReadMmtbFile(store, path);
    for (const auto& pTable : pDataset->m_Tables) result.tables.push_back(SummarizeTable(*pTable));
    if (writeBack)
      for (const auto& pTable : pDataset->m_Tables) WriteTableUtf8(pTable.get(), result.strText);
    return result;
  });
}
