#include "store/mmd/lock_file.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/text.h"

namespace {

// True when the open descriptor is still the file that the path names: a
// file that another process removed as stale after we opened it is no lock.
bool StillAtPath(int fd, const std::string& path) {
  struct stat open {};
  struct stat named {};
  if (fstat(fd, &open) != 0 || stat(path.c_str(), &named) != 0) return false;
  return open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

bool WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += std::size_t(n);
  }
  return true;
}

}  // namespace

CLockFile::~CLockFile() {
  if (m_nFd >= 0) close(m_nFd);
}

bool CLockFile::Acquire(const CString& path, const CString& owner) {
  if (m_nFd >= 0) return path == m_strPath;
  const std::string native = ToUtf8(path);
  // A few rounds at most: each retry means another process removed a stale
  // file between our open and our flock.
  for (int attempt = 0; attempt < 8; ++attempt) {
    const int fd = open(native.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
      m_nError = errno;
      return false;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
      m_nError = errno;
      close(fd);
      return false;
    }
    if (!StillAtPath(fd, native)) {
      close(fd);
      continue;
    }
    if (ftruncate(fd, 0) != 0 || !WriteAll(fd, ToUtf8(owner))) {
      m_nError = errno;
      unlink(native.c_str());
      close(fd);
      return false;
    }
    m_nFd = fd;
    m_strPath = path;
    m_nError = 0;
    return true;
  }
  m_nError = EAGAIN;
  return false;
}

void CLockFile::Release() {
  if (m_nFd < 0) return;
  const std::string native = ToUtf8(m_strPath);
  if (StillAtPath(m_nFd, native)) unlink(native.c_str());
  close(m_nFd);
  m_nFd = -1;
  m_strPath.clear();
}

bool CLockFile::IsHeldByOther(const CString& path) {
  const std::string native = ToUtf8(path);
  const int fd = open(native.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const bool held = errno == EWOULDBLOCK;
    close(fd);
    return held;
  }
  if (StillAtPath(fd, native)) unlink(native.c_str());
  close(fd);
  return false;
}

CString CLockFile::OwnerName() {
  if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_name) return FromUtf8(pw->pw_name);
  if (const char* user = std::getenv("USER")) return FromUtf8(user);
  return L"unknown";
}
