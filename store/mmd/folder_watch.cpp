#include "store/mmd/folder_watch.h"

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <string>

#include "platform/text.h"

CFileStamp CFileStamp::Of(const CString& path) {
  CFileStamp stamp;
  struct stat st {};
  if (stat(ToUtf8(path).c_str(), &st) != 0) return stamp;
  stamp.m_bExists = true;
  stamp.m_nDevice = st.st_dev;
  stamp.m_nInode = st.st_ino;
  stamp.m_nSize = std::uint64_t(st.st_size);
  stamp.m_nModifiedNs = std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return stamp;
}

namespace {

std::int64_t ToNs(const timespec& t) { return std::int64_t{t.tv_sec} * 1'000'000'000 + t.tv_nsec; }

// Served from the vDSO page without a fence or a system call.
std::int64_t CoarseNowNs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
  return ToNs(now);
}

std::int64_t CoarseTickNs() {
  static const std::int64_t s_nTick = [] {
    timespec resolution{};
    clock_getres(CLOCK_MONOTONIC_COARSE, &resolution);
    return std::max<std::int64_t>(ToNs(resolution), 1);
  }();
  return s_nTick;
}

// Apart from TakeSignal, which runs before every table access: its event
// buffer would otherwise give every such access a 4 KiB deeper stack.
[[gnu::noinline]] bool DrainEvents(int fd) {
  bool signalled = false;
  alignas(inotify_event) char buffer[4096];
  // Bounded: the queue holds what happened so far; each read takes some away.
  for (int round = 0; round < 1024; ++round) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n > 0) {
      signalled = true;
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    break;
  }
  return signalled;
}

}  // namespace

std::int64_t CFolderWatch::MaxLookDelayNs() { return kPollIntervalNs + 2 * CoarseTickNs(); }

CFolderWatch::~CFolderWatch() { Stop(); }

bool CFolderWatch::Watch(const CString& folder) {
  Stop();
  const int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (fd < 0) return false;
  const std::string native = ToUtf8(folder.empty() ? CString(L".") : folder);
  const std::uint32_t events =
      IN_CLOSE_WRITE | IN_MODIFY | IN_MOVED_TO | IN_CREATE | IN_DELETE | IN_ATTRIB;
  if (inotify_add_watch(fd, native.c_str(), events) < 0) {
    close(fd);
    return false;
  }
  m_nFd = fd;
  return true;
}

void CFolderWatch::Stop() {
  if (m_nFd >= 0) close(m_nFd);
  m_nFd = -1;
}

bool CFolderWatch::TakeSignal() {
  if (m_nFd < 0) return false;
  const std::int64_t nNowNs = CoarseNowNs();
  if (nNowNs < m_nNextPollNs) return false;
  // The coarse time lags the true time by up to one tick: a full tick more
  // keeps the looks at least the interval apart.
  m_nNextPollNs = nNowNs + kPollIntervalNs + CoarseTickNs();
  return DrainEvents(m_nFd);
}
