// The write lock of a dataset (docs/mmd.md, "The lock and the change watch"),
// the save prompt and the deletion of a dataset's file.
#include <cerrno>
#include <ctime>

#include "platform/file.h"
#include "store/base/message.h"
#include "store/mat_daten_satz.h"
#include "store/mat_store.h"
#include "store/mmd/dataset_lists.h"
#include "store/mmd/mmd_backing.h"
#include "store/mmd/mmd_file.h"
#include "store/mmd/mmd_format.h"
#include "store/mmd/mmd_io.h"

CMmdBacking& MmdBackingOf(CMatDatenSatz& dataset) {
  if (CMmdBacking* pBacking = FindMmdBacking(dataset)) return *pBacking;
  dataset.SetBacking(std::make_unique<CMmdBacking>());
  return *FindMmdBacking(dataset);
}

CMmdBacking* FindMmdBacking(const CMatDatenSatz& dataset) {
  return dynamic_cast<CMmdBacking*>(dataset.GetBacking());
}

// Every cell written comes here: while this process holds the lock the
// answer is known without looking the backing up again.
bool CMmdBacking::CheckWriteLock(CMatDatenSatz& dataset, bool bTake) {
  return !m_bLockHeld && ::CheckWriteLock(dataset, bTake);
}

// Every table access comes here: the backing is at hand, so neither call
// looks it up again, and a dataset not watched (not read from a file) and a
// table made in memory (no body in the file) cost no further call. While
// this process holds the lock no other can change the file, so the watch
// is not asked; what it saw meanwhile (this process's own saves) is taken
// at the first look after the lock is given back and found to be no change.
void CMmdBacking::LoadTableBody(CMatDatenSatz& dataset, CMatTable& table) {
  if (m_ChangeNotify.IsWatching() && !m_bLockHeld) CheckForChange(dataset, *this);
  LoadPendingBody(dataset, table);
}

void CMmdBacking::LoadPendingBody(CMatDatenSatz&, CMatTable& table) {
  if (table.m_nFilePos != 0) mmd::LoadBodyNow(table);
}

void CMmdBacking::LoadDataset(CMatDatenSatz& dataset) {
  if (m_bLoadPending) ::LoadDataset(dataset);
}

bool CheckWriteLock(CMatDatenSatz& dataset, bool take) {
  CMmdBacking* pBacking = FindMmdBacking(dataset);
  if (pBacking == nullptr || pBacking->m_bLockHeld) return false;
  const CString& path = dataset.m_strPath;
  if (path.empty()) return false;
  const CString lockPath = MmdLockPath(path);
  // Taking the lock would empty a file named like its own lock file.
  if (lockPath == path) return true;
  if (!FileExists(path)) {
    // The file is still to be made (a new dataset, an import into a new
    // file). Its lock file is taken at the first change, like an existing
    // file's: every later check then costs nothing, where looking for the
    // absent file again at each cell written made up most of such an import,
    // and a second process that wants to make the same file is refused.
    if (!take) return false;
    if (pBacking->m_LockFile.Acquire(lockPath, CLockFile::OwnerName())) {
      pBacking->m_FileStat = CFileStamp::Of(path);
      pBacking->m_bLockHeld = true;
      return false;
    }
    // Held by another process: it is making this file. Any other failure
    // (a folder that does not exist yet) leaves the changes in memory; the
    // save reports why the file can not be written.
    return pBacking->m_LockFile.GetError() == EWOULDBLOCK;
  }
  if (IsReadOnly(path)) {
    if (CLockFile::IsHeldByOther(lockPath)) return true;
    SetReadOnly(path, false);  // a lock left behind by a process that ended
  }
  if (!take) return false;
  if (!pBacking->m_LockFile.Acquire(lockPath, CLockFile::OwnerName())) {
    if (pBacking->m_LockFile.GetError() == EWOULDBLOCK) return true;
    ShowMessage(MB_OK | MB_ICONERROR,
                L"Die Materialmanagement-Datei %s kann nicht gesperrt werden:\n%s", path,
                DescribeError(lockPath, pBacking->m_LockFile.GetError()));
    return true;
  }
  CString error;
  if (!SetReadOnly(path, true, &error)) {
    pBacking->m_LockFile.Release();
    ShowMessage(MB_OK | MB_ICONERROR,
                L"Die Materialmanagement-Datei %s kann nicht gesperrt werden:\n%s", path, error);
    return true;
  }
  // Changes must start from the file as it is now: another process may have
  // saved it since this one read it. (A dataset that never read its file, a
  // new one given an existing path, keeps what it has.)
  if (pBacking->m_FileStat.m_bExists && CFileStamp::Of(path) != pBacking->m_FileStat)
    ::LoadDataset(dataset);
  pBacking->m_FileStat = CFileStamp::Of(path);
  pBacking->m_bLockHeld = true;
  return false;
}

void ReleaseWriteLock(CMatDatenSatz& dataset) {
  CMmdBacking* pBacking = FindMmdBacking(dataset);
  if (pBacking == nullptr) return;
  if (pBacking->m_LockFile.IsHeld()) {
    SetReadOnly(dataset.m_strPath, false);
    pBacking->m_FileStat = CFileStamp::Of(dataset.m_strPath);
    pBacking->m_LockFile.Release();
  }
  // Without the lock this process must take it again before its next change.
  pBacking->m_bLockHeld = false;
}

void SaveModified(CMatStore& store, int silent) {
  CWaitCursor wait;
  for (std::size_t i = 0; i < store.GetDatasetCount(); ++i) {
    CMatDatenSatz* pDataset = store.GetDataset(i);
    if (pDataset == nullptr || !pDataset->m_bModified) continue;
    const bool bUser = CString(pDataset->m_szHerstellerID) == L"USER";
    const bool bSave = silent || bUser ||
                       ShowMessage(MB_YESNO | MB_ICONQUESTION,
                                   L"Die Materialmanagement-Datei %s wurde verändert.\n"
                                   L"Wollen Sie die Änderungen speichern?",
                                   pDataset->m_strPath) == IDYES;
    // A failed save (already reported) keeps the dataset marked as changed.
    if (bSave && SaveDataset(*pDataset)) pDataset->m_bModified = false;
  }
  for (std::size_t i = 0; i < store.GetDatasetCount(); ++i)
    if (CMatDatenSatz* pDataset = store.GetDataset(i)) ReleaseWriteLock(*pDataset);
}

namespace {

CString ModificationDate(const CString& path) {
  const std::time_t when = GetModificationTime(path).value_or(0);
  std::tm local{};
  localtime_r(&when, &local);
  wchar_t text[32] = {};
  std::wcsftime(text, 32, L"%d.%m.%Y", &local);
  return text;
}

}  // namespace

int DeleteDataset(CMatStore& store, unsigned long prefix) {
  CMatDatenSatz* pDataset = nullptr;
  for (std::size_t i = 0; i < store.GetDatasetCount() && pDataset == nullptr; ++i) {
    CMatDatenSatz* p = store.GetDataset(i);
    if (p != nullptr && p->GetPrefix() == (prefix & 0xFF000000ul)) pDataset = p;
  }
  if (pDataset == nullptr) return 0;
  const CString path = pDataset->m_strPath;
  if (ShowMessage(MB_YESNO | MB_ICONQUESTION,
                  L"Soll die Datei <%s>\nZuletzt am %s bearbeited, entgültig gelöscht werden?",
                  path, ModificationDate(path)) != IDYES)
    return 0;
  CStringList list;
  ReadRegisteredList(list);
  std::erase(list, path);
  WriteRegisteredList(list);
  pDataset->m_bClosed = true;
  ReleaseWriteLock(*pDataset);
  store.RemoveDataset(pDataset->m_nNummer);
  RemoveFile(path);
  const CString backup = MmdBackupPath(path);
  SetReadOnly(backup, false);
  RemoveFile(backup);
  return 1;
}
