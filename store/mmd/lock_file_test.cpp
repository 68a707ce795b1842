#include "store/mmd/lock_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/file.h"
#include "store/mmd/mmd_test_util.h"

namespace {

TEST(MmdLockFile, HolderWritesOwnerAndReleaseDeletes) {
  CTempFolder folder;
  const CString path = (folder / L"a.$$mmd");
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
  const CString path = (folder / L"a.$$mmd");
  CChildProcess holder([&](CChildProcess& self) {
    CLockFile lock;
    self.ReadyThenWait(lock.Acquire(path, L"holder"));
    return 0;
  });
  ASSERT_TRUE(holder.WaitUntilReady());
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
  const CString path = (folder / L"a.$$mmd");
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
  EXPECT_FALSE(CLockFile::IsHeldByOther((folder / L"none.$$mmd")));
  CLockFile lock;
  EXPECT_FALSE(lock.Acquire((folder / L"no/such/folder.$$mmd"), L"me"));
  EXPECT_NE(lock.GetError(), 0);
}

}  // namespace
