// CMmdBacking: what a dataset's database file keeps beside the dataset, and
// the store's seam (store/dataset_backing.h) answered from the file: the lock
// check, the first load of a table's body and the deferred load of a dataset
// that was added without reading its tables.
//
// A dataset gets its backing when it is opened from a file, added by path,
// or saved for the first time; MmdBackingOf attaches one on demand.
#pragma once

#include <cstdint>
#include <unordered_map>

#include "OrvaMat/types.h"
#include "store/dataset_backing.h"
#include "store/mmd/folder_watch.h"
#include "store/mmd/lock_file.h"

class CMatDatenSatz;

class CMmdBacking final : public CDatasetBacking {
 public:
  bool CheckWriteLock(CMatDatenSatz& dataset, bool bTake) override;
  void LoadTableBody(CMatDatenSatz& dataset, CMatTable& table) override;
  void LoadPendingBody(CMatDatenSatz& dataset, CMatTable& table) override;
  void LoadDataset(CMatDatenSatz& dataset) override;

  // The file is "MMD3" (texts in UTF-8); new datasets are written so.
  bool m_bUtf8 = true;
  // The version of the file as read (records of version 1 lack a field).
  std::uint32_t m_nVersion = 2;
  // The free text of an "MMD3" file.
  CString m_strInfo;
  // The folder the dataset's files (pictures, word books) are looked up in.
  CString m_strFolder;
  // The watch on the file's folder and the file as last read or written.
  CFolderWatch m_ChangeNotify;
  CFileStamp m_FileStat;
  // The lock file held while this process may change the dataset.
  CLockFile m_LockFile;
  // Added by path only: the tables are read on first use.
  bool m_bLoadPending = false;
  // A damaged file is reported once per reading of it; the dataset then
  // holds only the readable part and is not saved over the file unless the
  // user asked to salvage it.
  bool m_bDamageReported = false;
  bool m_bSalvage = false;
  // The further text an "MMD3" table record carries, by table name handle
  // (only tables that have one), so that saving keeps it.
  std::unordered_map<Handle, CString> m_ExtraTexts;
};

// The dataset's backing, attached when it has none yet.
CMmdBacking& MmdBackingOf(CMatDatenSatz& dataset);
// The dataset's backing, or null when it has none (a dataset without file).
CMmdBacking* FindMmdBacking(const CMatDatenSatz& dataset);
