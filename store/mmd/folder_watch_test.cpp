#include "store/mmd/folder_watch.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/file.h"
#include "store/mmd/mmd_test_util.h"

namespace {

TEST(MmdFolderWatch, SignalsOnceForAChangeAndRearms) {
  CTempFolder folder;
  CFolderWatch watch;
  ASSERT_TRUE(watch.Watch(FromUtf8(folder.Native())));
  EXPECT_FALSE(watch.TakeSignal());
  ASSERT_TRUE(WriteFileAtomically(folder.Path("a.mmd"), "one"));
  EXPECT_TRUE(watch.TakeSignal());
  EXPECT_FALSE(watch.TakeSignal());
  std::ofstream(folder.Native() + "/a.mmd", std::ios::app) << "more";
  EXPECT_TRUE(watch.TakeSignal());
}

TEST(MmdFolderWatch, MissingFolderGivesNoWatch) {
  CFolderWatch watch;
  EXPECT_FALSE(watch.Watch(L"/no/such/folder/anywhere"));
  EXPECT_FALSE(watch.IsWatching());
  EXPECT_FALSE(watch.TakeSignal());
}

TEST(MmdFileStamp, ReplacementChangesTheStamp) {
  CTempFolder folder;
  const CString path = folder.Path("a.mmd");
  EXPECT_FALSE(CFileStamp::Of(path).m_bExists);
  ASSERT_TRUE(WriteFileAtomically(path, "same"));
  const CFileStamp first = CFileStamp::Of(path);
  EXPECT_TRUE(first.m_bExists);
  EXPECT_EQ(first, CFileStamp::Of(path));
  // Same size, possibly the same time: the new file is still told apart.
  ASSERT_TRUE(WriteFileAtomically(path, "same"));
  EXPECT_NE(first, CFileStamp::Of(path));
}

}  // namespace
