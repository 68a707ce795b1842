#include "scriptfile/script_paths.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/temp_folder.h"
#include "platform/text.h"

namespace {

TEST(ScriptPaths, RelativePathsStartAtTheScriptsFolderAbsoluteOnesStay) {
  EXPECT_EQ(ResolveScriptPath(L"/a/b/s.txt", L"x.001"), L"/a/b/x.001");
  EXPECT_EQ(ResolveScriptPath(L"/a/b/s.txt", L"../c/./x.001"), L"/a/c/x.001");
  EXPECT_EQ(ResolveScriptPath(L"/a/b/s.txt", L"daten\\x.001"), L"/a/b/daten/x.001");
  EXPECT_EQ(ResolveScriptPath(L"/a/b/s.txt", L""), L"");
  EXPECT_EQ(ResolveScriptPath(L"/a/b/s.txt", L"/d/x.001"), L"/d/x.001");
  EXPECT_EQ(ResolveScriptPath(L"/a/b/s.txt", L"\\d\\x.001"), L"/d/x.001");
  EXPECT_EQ(ResolveScriptPath(L"/a/b/s.txt", L"C:\\d\\x.001"), L"C:/d/x.001");
}

TEST(ScriptPaths, CurrentFolderIsRestoredAfterTheScope) {
  CTempFolder folder;
  const std::filesystem::path before = std::filesystem::current_path();
  {
    CCurrentFolderScope scope(folder.GetPath());
    EXPECT_EQ(std::filesystem::current_path(),
              std::filesystem::canonical(ToUtf8(folder.GetPath())));
    EXPECT_EQ(MakeAbsolutePath(L"x/../y.txt"),
              FromUtf8(std::filesystem::current_path().string()) + L"/y.txt");
  }
  EXPECT_EQ(std::filesystem::current_path(), before);
  {
    CCurrentFolderScope scope(folder / L"fehlt");
    EXPECT_EQ(std::filesystem::current_path(), before);
  }
  EXPECT_EQ(std::filesystem::current_path(), before);
}

}  // namespace
