#include "store/mmd/mmd_file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/file.h"
#include "platform/text.h"
#include "store/mmd/mmd_format.h"

namespace {

SaveStepHook g_pSaveStepHook = nullptr;

void Step(eSaveStep step) {
  if (g_pSaveStepHook) g_pSaveStepHook(step);
}

bool Fail(const CString& path, CString* error) {
  if (error) *error = DescribeError(path, errno);
  return false;
}

bool WriteTemp(const CString& temp, std::string_view bytes, bool readOnly, CString* error) {
  const std::string native = ToUtf8(temp);
  unlink(native.c_str());
  const int fd = open(native.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return Fail(temp, error);
  Step(eSaveTempCreated);
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = ENOSPC;
      Fail(temp, error);
      close(fd);
      return false;
    }
    done += std::size_t(n);
  }
  Step(eSaveTempWritten);
  struct stat st {};
  bool ok = fsync(fd) == 0 && fstat(fd, &st) == 0;
  if (ok && readOnly) ok = fchmod(fd, st.st_mode & ~mode_t(S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
  if (!ok) Fail(temp, error);
  if (close(fd) != 0 && ok) ok = Fail(temp, error);
  if (ok) Step(eSaveTempSynced);
  return ok;
}

// The old file under the backup's name, without the database path ever
// losing it. A copy is written (atomically) where hard links are refused.
bool KeepBackup(const CString& path, const CString& backup, CString* error) {
  const std::string nativeBackup = ToUtf8(backup);
  if (FileExists(backup)) {
    SetReadOnly(backup, false);
    if (unlink(nativeBackup.c_str()) != 0 && errno != ENOENT) return Fail(backup, error);
  }
  Step(eSaveBackupRemoved);
  if (!FileExists(path)) return true;
  if (link(ToUtf8(path).c_str(), nativeBackup.c_str()) != 0) {
    std::string old;
    if (!ReadWholeFile(path, old, error) || !WriteFileAtomically(backup, old, error)) return false;
  }
  Step(eSaveBackupLinked);
  return true;
}

void SyncFolder(const CString& path) {
  const int fd = open(ToUtf8(GetFolderOf(path)).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

}  // namespace

void SetSaveStepHook(SaveStepHook hook) { g_pSaveStepHook = hook; }

bool ReplaceDatabaseFile(const CString& path, std::string_view bytes, bool readOnly,
                         CString* error) {
  const CString temp = MmdTempPath(path);
  if (!WriteTemp(temp, bytes, readOnly, error) || !KeepBackup(path, MmdBackupPath(path), error)) {
    unlink(ToUtf8(temp).c_str());
    return false;
  }
  if (rename(ToUtf8(temp).c_str(), ToUtf8(path).c_str()) != 0) {
    Fail(path, error);
    unlink(ToUtf8(temp).c_str());
    return false;
  }
  Step(eSaveRenamed);
  SyncFolder(path);
  Step(eSaveDone);
  return true;
}
