// Noticing that another process rewrote a database file: an inotify watch on
// the file's folder, polled without blocking where a table is used, and the
// file's stamp (identity, size, modification time) to tell whether the file
// itself changed since this process last read or wrote it.
#pragma once

#include <cstdint>

#include "OrvaMat/types.h"

// What identifies one version of a file. A save replaces the file by rename,
// so the inode changes even when size and time happen to match.
struct CFileStamp {
  bool m_bExists = false;
  std::uint64_t m_nDevice = 0;
  std::uint64_t m_nInode = 0;
  std::uint64_t m_nSize = 0;
  std::int64_t m_nModifiedNs = 0;

  static CFileStamp Of(const CString& path);
  bool operator==(const CFileStamp&) const = default;
};

class CFolderWatch {
 public:
  CFolderWatch() = default;
  ~CFolderWatch();
  CFolderWatch(const CFolderWatch&) = delete;
  CFolderWatch& operator=(const CFolderWatch&) = delete;

  // Starts watching the folder (not its subfolders) for files written,
  // created, moved in, removed or changed in their attributes. False when the
  // system refuses a watch (the dataset then works without one).
  bool Watch(const CString& folder);
  void Stop();
  bool IsWatching() const { return m_nFd >= 0; }
  // True when something happened in the folder since the last look. Reads
  // the pending events away, which arms the watch for the next change.
  // Looks at most once every kPollIntervalNs: it is asked at every table
  // access, and a system call there cost more than the access itself (a
  // cell read from a file-backed dataset took four times as long). The time
  // comes from the coarse clock, which is read from memory; the precise one
  // fences the processor at every access, so that reads of random rows could
  // no longer overlap. A file rewritten by another process is therefore seen
  // at the first table access at least the interval, and at most
  // MaxLookDelayNs(), after the previous look.
  bool TakeSignal();

  static constexpr std::int64_t kPollIntervalNs = 2'000'000;
  // The interval plus two ticks of the coarse clock.
  static std::int64_t MaxLookDelayNs();

 private:
  int m_nFd = -1;
  std::int64_t m_nNextPollNs = 0;
};
