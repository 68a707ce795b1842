#include "store/mmd/lock_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "platform/file.h"
#include "store/mmd/mmd_test_util.h"

namespace {

// A second process that takes the lock, says so through a pipe and holds it
// until told to go (or is killed).
class CLockHolder {
 public:
  explicit CLockHolder(const CString& path) {
    if (pipe(m_nReady) != 0 || pipe(m_nGo) != 0) return;
    m_nPid = fork();
    if (m_nPid == 0) {
      CLockFile lock;
      const char ok = lock.Acquire(path, L"holder") ? 'y' : 'n';
      if (write(m_nReady[1], &ok, 1) != 1) _exit(2);
      char c;
      if (read(m_nGo[0], &c, 1) < 0) _exit(3);
      _exit(0);
    }
    char c = 0;
    m_bHolding = read(m_nReady[0], &c, 1) == 1 && c == 'y';
  }
  ~CLockHolder() { Finish(); }
  bool IsHolding() const { return m_bHolding; }
  void Kill() {
    if (m_nPid > 0) kill(m_nPid, SIGKILL);
    Finish();
  }
  void Finish() {
    if (m_nPid <= 0) return;
    const char c = 'g';
    if (write(m_nGo[1], &c, 1) != 1) {
    }
    waitpid(m_nPid, nullptr, 0);
    m_nPid = -1;
    for (int fd : {m_nReady[0], m_nReady[1], m_nGo[0], m_nGo[1]}) close(fd);
  }

 private:
  int m_nReady[2] = {-1, -1};
  int m_nGo[2] = {-1, -1};
  pid_t m_nPid = -1;
  bool m_bHolding = false;
};

TEST(MmdLockFile, HolderWritesOwnerAndReleaseDeletes) {
  CTempFolder folder;
  const CString path = folder.Path("a.$$mmd");
  CLockFile lock;
  ASSERT_TRUE(lock.Acquire(path, L"Jürgen"));
  std::ifstream in(ToUtf8(path));
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str(), "J\xC3\xBCrgen");
  EXPECT_TRUE(lock.Acquire(path, L"again"));  // held already: same path is fine
  lock.Release();
  EXPECT_FALSE(FileExists(path));
  EXPECT_FALSE(lock.IsHeld());
}

TEST(MmdLockFile, AnotherProcessHoldingBlocksUntilItEnds) {
  CTempFolder folder;
  const CString path = folder.Path("a.$$mmd");
  CLockHolder holder(path);
  ASSERT_TRUE(holder.IsHolding());
  EXPECT_TRUE(CLockFile::IsHeldByOther(path));
  CLockFile mine;
  EXPECT_FALSE(mine.Acquire(path, L"me"));
  // The holder dies without cleaning up: its lock file is now stale.
  holder.Kill();
  EXPECT_TRUE(FileExists(path));
  EXPECT_FALSE(CLockFile::IsHeldByOther(path));
  EXPECT_FALSE(FileExists(path));
  EXPECT_TRUE(mine.Acquire(path, L"me"));
}

TEST(MmdLockFile, OwnLockSeenFromChildAsAnothers) {
  CTempFolder folder;
  const CString path = folder.Path("a.$$mmd");
  CLockFile lock;
  ASSERT_TRUE(lock.Acquire(path, L"me"));
  EXPECT_EQ(RunInChild([&] {
              CLockFile other;
              return (CLockFile::IsHeldByOther(path) ? 1 : 0) + (other.Acquire(path, L"x") ? 2 : 0);
            }),
            1);
  EXPECT_TRUE(FileExists(path));
}

TEST(MmdLockFile, MissingFileIsNotHeld) {
  CTempFolder folder;
  EXPECT_FALSE(CLockFile::IsHeldByOther(folder.Path("none.$$mmd")));
  CLockFile lock;
  EXPECT_FALSE(lock.Acquire(folder.Path("no/such/folder.$$mmd"), L"me"));
  EXPECT_NE(lock.GetError(), 0);
}

}  // namespace
