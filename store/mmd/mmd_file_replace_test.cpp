#include "store/mmd/mmd_file_replace.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "platform/file.h"
#include "store/mmd/mmd_format.h"
#include "store/mmd/mmd_test_util.h"

namespace {

int g_nStopAt = 0;
void StopAtStep(eSaveStep step) {
  if (step == g_nStopAt) _exit(0);
}

std::string Content(const CString& path) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) return "<missing>";
  return bytes;
}

// A process stopped after any step of a save leaves the complete old or the
// complete new file under the database path; from the backup's link on, the
// backup holds the previous contents.
TEST(MmdFileReplace, ProcessStoppedAtEveryStepLeavesOldOrNew) {
  for (int step = eSaveTempCreated; step <= eSaveDone; ++step) {
    SCOPED_TRACE(step);
    CTempFolder folder;
    const CString path = (folder / L"a.mmd");
    ASSERT_TRUE(WriteFileAtomically(path, "old contents"));
    ASSERT_TRUE(WriteFileAtomically(MmdBackupPath(path), "older"));
    g_nStopAt = step;
    EXPECT_EQ(RunInChild([&] {
                SetSaveStepHook(StopAtStep);
                ReplaceDatabaseFile(path, "new contents, longer", false, nullptr);
                return 7;  // the hook should have ended the process before
              }),
              0);
    const std::string now = Content(path);
    EXPECT_TRUE(now == "old contents" || now == "new contents, longer") << now;
    if (step >= eSaveRenamed) {
      EXPECT_EQ(now, "new contents, longer");
      EXPECT_FALSE(FileExists(MmdTempPath(path)));
    }
    if (step >= eSaveBackupLinked) {
      EXPECT_EQ(Content(MmdBackupPath(path)), "old contents");
    }
  }
}

TEST(MmdFileReplace, FirstSaveHasNoBackupAndReadOnlyIsKept) {
  CTempFolder folder;
  const CString path = (folder / L"new.mmd");
  CString error;
  ASSERT_TRUE(ReplaceDatabaseFile(path, "abc", true, &error)) << ToUtf8(error);
  EXPECT_EQ(Content(path), "abc");
  EXPECT_FALSE(FileExists(MmdBackupPath(path)));
  EXPECT_TRUE(IsReadOnly(path));
  // A read-only old file (the lock's attribute) is replaced all the same and
  // its backup can be replaced on the next save.
  ASSERT_TRUE(ReplaceDatabaseFile(path, "def", false, &error)) << ToUtf8(error);
  ASSERT_TRUE(ReplaceDatabaseFile(path, "ghi", false, &error)) << ToUtf8(error);
  EXPECT_EQ(Content(path), "ghi");
  EXPECT_EQ(Content(MmdBackupPath(path)), "def");
  EXPECT_FALSE(IsReadOnly(path));
}

TEST(MmdFileReplace, FailureLeavesNothingBehind) {
  CTempFolder folder;
  const CString path = (folder / L"missing/a.mmd");
  CString error;
  EXPECT_FALSE(ReplaceDatabaseFile(path, "abc", false, &error));
  EXPECT_NE(error.find(L"a.mm$"), CString::npos);
  EXPECT_FALSE(FileExists(MmdTempPath(path)));
}

}  // namespace
