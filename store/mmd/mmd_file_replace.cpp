#include "store/mmd/mmd_file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <string>

#include "platform/file.h"
#include "platform/text.h"
#include "store/base/hashing.h"
#include "store/mmd/mmd_format.h"

namespace {

SaveStepHook g_pSaveStepHook = nullptr;

void Step(eSaveStep step) {
  if (g_pSaveStepHook) g_pSaveStepHook(step);
}

bool FailWith(const CString& path, CString* error) {
  if (error) *error = DescribeError(path, errno);
  return false;
}

// The old file under the backup's name, without the database path ever
// losing it. A copy is written (atomically) where hard links are refused.
bool KeepBackup(const CString& path, const CString& backup, CString* error) {
  const std::string nativeBackup = ToUtf8(backup);
  if (FileExists(backup)) {
    SetReadOnly(backup, false);
    if (unlink(nativeBackup.c_str()) != 0 && errno != ENOENT) return FailWith(backup, error);
  }
  Step(eSaveBackupRemoved);
  if (!FileExists(path)) return true;
  if (link(ToUtf8(path).c_str(), nativeBackup.c_str()) != 0 &&
      !CopyFileAtomically(path, backup, error)) {
    return false;
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

CDatabaseFileReplacement::CDatabaseFileReplacement(const CString& path)
    : m_strPath(path), m_strTemp(MmdTempPath(path)) {}

CDatabaseFileReplacement::~CDatabaseFileReplacement() {
  if (!m_bCommitted) Discard();
}

bool CDatabaseFileReplacement::Fail(const CString& path) { return FailWith(path, &m_strError); }

void CDatabaseFileReplacement::Discard() {
  if (m_nFd >= 0) close(m_nFd);
  m_nFd = -1;
  unlink(ToUtf8(m_strTemp).c_str());
}

bool CDatabaseFileReplacement::Open() {
  const std::string native = ToUtf8(m_strTemp);
  unlink(native.c_str());
  m_nFd = open(native.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (m_nFd < 0) return Fail(m_strTemp);
  Step(eSaveTempCreated);
  return true;
}

bool CDatabaseFileReplacement::Append(std::string_view bytes) {
  if (!WriteAt(m_nWritten, bytes)) return false;
  m_nWritten += bytes.size();
  StartWriteBack();
  return true;
}

void CDatabaseFileReplacement::StartWriteBack() {
#if defined(SYNC_FILE_RANGE_WRITE)
  constexpr std::uint64_t kStep = std::uint64_t{1} << 20;
  if (m_nWritten - m_nWriteBackFrom < kStep) return;
  // A hint: where it fails, Commit's sync writes it all as before.
  sync_file_range(m_nFd, static_cast<off_t>(m_nWriteBackFrom),
                  static_cast<off_t>(m_nWritten - m_nWriteBackFrom), SYNC_FILE_RANGE_WRITE);
  m_nWriteBackFrom = m_nWritten;
#endif
}

bool CDatabaseFileReplacement::WriteAt(std::uint64_t offset, std::string_view bytes) {
  if (m_nFd < 0) {
    errno = EBADF;
    return Fail(m_strTemp);
  }
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n =
        pwrite(m_nFd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = ENOSPC;
      return Fail(m_strTemp);
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool CDatabaseFileReplacement::Crc32c(std::uint32_t& crc) {
  const int fd = open(ToUtf8(m_strTemp).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Fail(m_strTemp);
  // A piece that stays in the processor's cache: the read-back comes on top
  // of the whole store at the end of a save.
  constexpr std::size_t kChunk = std::size_t{1} << 16;
  const std::unique_ptr<char[]> pChunk(new char[kChunk]);
  crc = 0;
  for (std::uint64_t done = 0; done < m_nWritten;) {
    const ssize_t n = pread(fd, pChunk.get(), std::min<std::uint64_t>(kChunk, m_nWritten - done),
                            static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;  // the file is shorter than what was written to it
      Fail(m_strTemp);
      close(fd);
      return false;
    }
    crc = CHashing::crc32c(std::string_view(pChunk.get(), static_cast<std::size_t>(n)), crc);
    done += static_cast<std::uint64_t>(n);
  }
  close(fd);
  return true;
}

bool CDatabaseFileReplacement::Commit(bool readOnly) {
  if (m_nFd < 0) {
    errno = EBADF;
    return Fail(m_strTemp);
  }
  Step(eSaveTempWritten);
  struct stat st {};
  bool ok = fsync(m_nFd) == 0 && fstat(m_nFd, &st) == 0;
  if (ok && readOnly) ok = fchmod(m_nFd, st.st_mode & ~mode_t(S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
  if (!ok) Fail(m_strTemp);
  if (close(m_nFd) != 0 && ok) ok = Fail(m_strTemp);
  m_nFd = -1;
  if (!ok) return false;
  Step(eSaveTempSynced);
  if (!KeepBackup(m_strPath, MmdBackupPath(m_strPath), &m_strError)) return false;
  if (rename(ToUtf8(m_strTemp).c_str(), ToUtf8(m_strPath).c_str()) != 0) return Fail(m_strPath);
  m_bCommitted = true;
  Step(eSaveRenamed);
  SyncFolder(m_strPath);
  Step(eSaveDone);
  return true;
}

bool ReplaceDatabaseFile(const CString& path, std::string_view bytes, bool readOnly,
                         CString* error) {
  CDatabaseFileReplacement file(path);
  const bool ok = file.Open() && file.Append(bytes) && file.Commit(readOnly);
  if (!ok && error != nullptr) *error = file.GetError();
  return ok;
}
