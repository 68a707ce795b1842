#include "store/mmd/folder_watch.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "platform/file.h"
#include "store/mmd/mmd_test_util.h"

namespace {

// Looks once the poll interval since the previous look has passed.
bool TakeAfterInterval(CFolderWatch& watch) {
  std::this_thread::sleep_for(std::chrono::nanoseconds(CFolderWatch::MaxLookDelayNs() + 1'000'000));
  return watch.TakeSignal();
}

// A change right after a look waits for the next look and is not lost; each
// change signals once, and the watch rearms.
TEST(MmdFolderWatch, LooksAtMostOncePerIntervalAndSignalsEachChangeOnce) {
  CTempFolder folder;
  CFolderWatch watch;
  ASSERT_TRUE(watch.Watch(FromUtf8(ToUtf8(folder.GetPath()))));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(watch.TakeSignal());
  ASSERT_TRUE(WriteFileAtomically((folder / L"a.mmd"), "one"));
  const bool bSeenAtOnce = watch.TakeSignal();
  // (A machine that stalled us past the interval may rightly look again.)
  if (std::chrono::steady_clock::now() - start <
      std::chrono::nanoseconds(CFolderWatch::kPollIntervalNs)) {
    EXPECT_FALSE(bSeenAtOnce);
  }
  EXPECT_TRUE(bSeenAtOnce || TakeAfterInterval(watch));
  EXPECT_FALSE(TakeAfterInterval(watch));
  std::ofstream(ToUtf8(folder.GetPath()) + "/a.mmd", std::ios::app) << "more";
  EXPECT_TRUE(TakeAfterInterval(watch));
  CFolderWatch none;  // a missing folder gives no watch
  EXPECT_FALSE(none.Watch(L"/no/such/folder/anywhere"));
  EXPECT_FALSE(none.IsWatching());
  EXPECT_FALSE(none.TakeSignal());
}

TEST(MmdFileStamp, ReplacementChangesTheStamp) {
  CTempFolder folder;
  const CString path = (folder / L"a.mmd");
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
