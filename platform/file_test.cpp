#include "platform/file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <iterator>

#include "platform/temp_folder.h"
#include "platform/text.h"

namespace {

std::ptrdiff_t CountEntries(const CString& folder) {
  return std::distance(std::filesystem::directory_iterator(ToUtf8(folder)), {});
}

TEST(PlatformFile, WholeFileRoundTripWithNonAsciiPath) {
  CTempFolder folder;
  const CString path = folder / L"Pr\u00e4fix \u20ac.bin";
  const std::string bytes("a\0\xFF\r\nz", 6);
  CString error = L"untouched";
  ASSERT_TRUE(WriteFileAtomically(path, bytes, &error));
  std::string back;
  ASSERT_TRUE(ReadWholeFile(path, back, &error));
  EXPECT_EQ(back, bytes);
  EXPECT_TRUE(FileExists(path));
  EXPECT_EQ(GetFileSize(path), 6u);
  EXPECT_TRUE(std::filesystem::exists(ToUtf8(folder.GetPath()) + "/Pr\xC3\xA4"
                                                                 "fix \xE2\x82\xAC.bin"));
  ASSERT_TRUE(WriteFileAtomically(path, "", &error));
  EXPECT_EQ(GetFileSize(path), 0u);
  // Only the file itself: no temporary file is left behind.
  EXPECT_EQ(CountEntries(folder.GetPath()), 1);
}

TEST(PlatformFile, ErrorsNameThePathAndTheReason) {
  CTempFolder folder;
  std::string bytes = "stale";
  CString error;
  EXPECT_FALSE(ReadWholeFile(folder / L"missing.txt", bytes, &error));
  EXPECT_TRUE(bytes.empty());
  EXPECT_EQ(error, folder / L"missing.txt: No such file or directory");
  EXPECT_FALSE(ReadWholeFile(folder.GetPath(), bytes, &error));
  EXPECT_NE(error.find(L"Is a directory"), CString::npos);
  EXPECT_FALSE(RemoveFile(folder / L"missing.txt", &error));
  EXPECT_FALSE(GetFileSize(folder / L"missing.txt"));
  EXPECT_FALSE(GetModificationTime(folder / L"missing.txt"));
  EXPECT_FALSE(ReadWholeFile(folder / L"missing.txt", bytes));  // null error is fine
  // A device never ends: it is refused instead of read until memory runs out.
  EXPECT_FALSE(ReadWholeFile(L"/dev/zero", bytes, &error));
  EXPECT_EQ(error, L"/dev/zero: Invalid argument");
}

TEST(PlatformFile, FailedAtomicWriteKeepsTheOldFile) {
  CTempFolder folder;
  const CString path = folder / L"data.mmd";
  ASSERT_TRUE(WriteFileAtomically(path, "old"));
  CString error;
  EXPECT_FALSE(WriteFileAtomically(folder / L"no/such/folder/x", "new", &error));
  EXPECT_NE(error.find(L"No such file or directory"), CString::npos);
  // A folder standing where the file should go cannot be replaced.
  ASSERT_TRUE(CreateFolders(folder / L"sub"));
  EXPECT_FALSE(WriteFileAtomically(folder / L"sub", "new", &error));
  std::string back;
  ASSERT_TRUE(ReadWholeFile(path, back));
  EXPECT_EQ(back, "old");
  EXPECT_EQ(CountEntries(folder.GetPath()), 2);
}

// A copy goes a block at a time: a file of several blocks arrives whole; a
// source that fails while read leaves the target as it was.
TEST(PlatformFile, AtomicCopyOfSeveralBlocksAndOfAFailingSource) {
  CTempFolder folder;
  std::string bytes;
  for (int i = 0; bytes.size() < (std::size_t{5} << 19); ++i) bytes += std::to_string(i) + '\n';
  ASSERT_TRUE(WriteFileAtomically(folder / L"from", bytes));
  ASSERT_TRUE(WriteFileAtomically(folder / L"to", "old"));
  CString error;
  ASSERT_TRUE(CopyFileAtomically(folder / L"from", folder / L"to", &error));
  std::string back;
  ASSERT_TRUE(ReadWholeFile(folder / L"to", back));
  EXPECT_EQ(back, bytes);
  ASSERT_TRUE(WriteFileAtomically(folder / L"to", "old"));
  EXPECT_FALSE(CopyFileAtomically(L"/proc/self/mem", folder / L"to", &error));
  EXPECT_EQ(error, L"/proc/self/mem: Input/output error");
  ASSERT_TRUE(ReadWholeFile(folder / L"to", back));
  EXPECT_EQ(back, "old");
  EXPECT_EQ(CountEntries(folder.GetPath()), 2);
}

TEST(PlatformFile, AtomicWriteKeepsPermissionBits) {
  CTempFolder folder;
  const CString path = folder / L"data.mmd";
  ASSERT_TRUE(WriteFileAtomically(path, "one"));
  EXPECT_FALSE(IsReadOnly(path));
  ASSERT_TRUE(SetReadOnly(path, true));
  EXPECT_TRUE(IsReadOnly(path));
  ASSERT_TRUE(WriteFileAtomically(path, "two"));
  EXPECT_TRUE(IsReadOnly(path));
  ASSERT_TRUE(SetReadOnly(path, false));
  EXPECT_FALSE(IsReadOnly(path));
  EXPECT_FALSE(IsReadOnly(folder / L"missing"));
}

TEST(PlatformFile, FileClassReadsWritesAndSeeks) {
  CTempFolder folder;
  const CString path = folder / L"f.bin";
  CFile file;
  ASSERT_TRUE(file.Open(path, CFile::eCreate)) << ToUtf8(file.GetError());
  ASSERT_TRUE(file.Write("0123456789"));
  EXPECT_EQ(file.GetPosition(), 10u);
  ASSERT_TRUE(file.Close());
  EXPECT_FALSE(file.IsOpen());

  ASSERT_TRUE(file.Open(path, CFile::eReadWrite));
  EXPECT_EQ(file.GetLength(), 10u);
  ASSERT_TRUE(file.Seek(4));
  ASSERT_TRUE(file.Write("ab"));
  char buffer[4] = {};
  ASSERT_TRUE(file.ReadAt(3, buffer, 4));
  EXPECT_EQ(std::string(buffer, 4), "3ab6");
  EXPECT_EQ(file.GetPosition(), 6u);  // ReadAt does not move
  EXPECT_FALSE(file.ReadAt(8, buffer, 4));
  EXPECT_NE(file.GetError().find(path), CString::npos);
  EXPECT_EQ(file.Read(buffer, 4), 4);
  EXPECT_EQ(file.Read(buffer, 4), 0);

  CFile moved(std::move(file));
  EXPECT_TRUE(moved.IsOpen());
  EXPECT_FALSE(file.IsOpen());  // NOLINT(bugprone-use-after-move): moved-from state is defined
  EXPECT_FALSE(file.Write("x"));

  moved.Close();
  std::string all;
  ASSERT_TRUE(ReadWholeFile(path, all));
  EXPECT_EQ(all, "0123ab6789");
  EXPECT_FALSE(moved.Open(folder.GetPath(), CFile::eRead));
  EXPECT_FALSE(moved.Open(folder / L"missing", CFile::eRead));
}

TEST(PlatformFile, FoldersAndFileQueries) {
  CTempFolder folder;
  const CString nested = folder / L"a/b/c";
  ASSERT_TRUE(CreateFolders(nested));
  EXPECT_TRUE(FolderExists(nested));
  EXPECT_FALSE(FileExists(nested));
  EXPECT_TRUE(CreateFolders(nested));  // already there
  ASSERT_TRUE(WriteFileAtomically(nested + L"/x", "abc"));
  CString error;
  EXPECT_FALSE(CreateFolders(nested + L"/x/y", &error));
  EXPECT_FALSE(error.empty());
  const auto modified = GetModificationTime(nested + L"/x");
  ASSERT_TRUE(modified);
  EXPECT_LE(std::abs(*modified - std::time(nullptr)), 60);
  EXPECT_TRUE(RemoveFile(nested + L"/x"));
  EXPECT_FALSE(FileExists(nested + L"/x"));
  EXPECT_EQ(GetFolderOf(L"a/b/c.txt"), L"a/b");
  EXPECT_EQ(GetFolderOf(L"c.txt"), L".");
  EXPECT_EQ(GetFolderOf(L"/c.txt"), L"/");
}

}  // namespace
