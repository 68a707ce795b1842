// CDatasetBacking: what a dataset's database file does for the store.
//
// A dataset without a file has no backing (null): it is never locked by
// another user and has nothing to load. The database file layer attaches a
// backing that answers the lock question and reads table bodies and the
// dataset's skeleton on first use. The store asks it only through
// CMatDatenSatz::CheckWriteLock, EnsureRowsLoaded, EnsurePendingBodyLoaded
// and EnsureDatasetLoaded.
#pragma once

class CMatDatenSatz;
class CMatTable;

class CDatasetBacking {
 public:
  virtual ~CDatasetBacking() = default;
  // True when another user holds the dataset's write lock; with bTake a free
  // lock is taken for this process.
  virtual bool CheckWriteLock(CMatDatenSatz& dataset, bool bTake) = 0;
  // Called before every use of a table: reads its body (rows, or the text of
  // a StrLine table) when it still lies in the file only. The backing must
  // fill the rows through CMatTable::SetValue, never through the cell
  // setters (which would call it again).
  virtual void LoadTableBody(CMatDatenSatz& dataset, CMatTable& table) = 0;
  // As LoadTableBody, without looking whether another process changed the
  // file: for a further table of one call, after the call's first table
  // access has looked (a text read through a language child).
  virtual void LoadPendingBody(CMatDatenSatz& dataset, CMatTable& table) {
    LoadTableBody(dataset, table);
  }
  // Called before a name look-up: reads the dataset when it is not loaded yet.
  virtual void LoadDataset(CMatDatenSatz& dataset) = 0;

  // This process holds the write lock, so no other user can: the store's
  // check before every cell written answers without a call.
  bool m_bLockHeld = false;
};
