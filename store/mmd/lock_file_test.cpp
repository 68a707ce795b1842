#include "store/mmd/lock_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/file.h"
#include "store/mmd/mmd_test_util.h"

namespace {

TEST(MmdLockFile, HolderWritesOwnerReleaseDeletesAMissingFileIsNotHeld) {
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
  EXPECT_FALSE(CLockFile::IsHeldByOther(path));  // a missing file is held by no one
  EXPECT_FALSE(lock.Acquire((folder / L"no/such/folder.$$mmd"), L"me"));
  EXPECT_NE(lock.GetError(), 0);
}

}  // namespace
