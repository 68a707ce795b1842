// The lock file beside a database file (".$$mmd"). The process that may change
// the dataset holds it open with an exclusive flock and has written its user
// name into it. The flock, not the file's existence, is what counts: a lock
// file that no process holds is stale and is removed by the next one that
// looks. The kernel drops the flock when the holder ends, however it ends.
#pragma once

#include "OrvaMat/types.h"

class CLockFile {
 public:
  CLockFile() = default;
  // Closes the file without deleting it (the flock goes with the descriptor).
  ~CLockFile();
  CLockFile(const CLockFile&) = delete;
  CLockFile& operator=(const CLockFile&) = delete;

  // Takes the lock at path without waiting: creates the file when missing,
  // locks it, and replaces its contents with the owner's name. False when
  // another process holds it or the file can not be made (GetError then holds
  // the errno). Holding a lock already: true when it is the same path.
  bool Acquire(const CString& path, const CString& owner);
  // Deletes the lock file (while still holding it, so no one can take a file
  // that is about to vanish) and closes it. Nothing when not held.
  void Release();
  bool IsHeld() const { return m_nFd >= 0; }
  int GetError() const { return m_nError; }

  // True when another process holds the lock file at path. A stale file is
  // removed on the way. This process's own lock counts as another's only when
  // held through a different CLockFile (flock is per open file).
  static bool IsHeldByOther(const CString& path);
  // The name written into the lock file: the login name, else $USER.
  static CString OwnerName();

 private:
  int m_nFd = -1;
  int m_nError = 0;
  CString m_strPath;
};
