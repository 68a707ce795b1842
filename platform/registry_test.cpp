#include "platform/registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iterator>

#include "platform/file.h"
#include "platform/temp_folder.h"
#include "platform/text.h"

namespace {

const CString kKey = L"Software\\Test\\MMD";

// Points ORVAMAT_HOME at a fresh folder for one test and restores it after.
class PlatformRegistry : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* old = std::getenv("ORVAMAT_HOME");
    m_bHadHome = old != nullptr;
    if (old) m_strOldHome = old;
    ::setenv("ORVAMAT_HOME", ToUtf8(m_folder / L"home").c_str(), 1);
  }
  void TearDown() override {
    if (m_bHadHome)
      ::setenv("ORVAMAT_HOME", m_strOldHome.c_str(), 1);
    else
      ::unsetenv("ORVAMAT_HOME");
  }
  std::string FileText() const {
    std::string bytes;
    ReadWholeFile(m_folder / L"home/registry.ini", bytes);
    return bytes;
  }

  CTempFolder m_folder;
  bool m_bHadHome = false;
  std::string m_strOldHome;
};

TEST_F(PlatformRegistry, DefaultPathFollowsTheEnvironment) {
  EXPECT_EQ(CRegistryFile::DefaultPath(), m_folder / L"home/registry.ini");
  ::unsetenv("ORVAMAT_HOME");
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  const std::string oldXdg = xdg ? xdg : "";
  ::setenv("XDG_CONFIG_HOME", "/cfg", 1);
  EXPECT_EQ(CRegistryFile::DefaultPath(), L"/cfg/orvamat/registry.ini");
  ::unsetenv("XDG_CONFIG_HOME");
  const CString home = FromUtf8(std::getenv("HOME") ? std::getenv("HOME") : "");
  if (!home.empty()) {
    EXPECT_EQ(CRegistryFile::DefaultPath(), home + L"/.config/orvamat/registry.ini");
  }
  if (xdg) ::setenv("XDG_CONFIG_HOME", oldXdg.c_str(), 1);
}

TEST_F(PlatformRegistry, SetAndGetIgnoringCase) {
  CRegistryFile registry;
  EXPECT_FALSE(registry.GetString(kKey, L"Datensatz1"));  // no file yet
  EXPECT_FALSE(FolderExists(m_folder / L"home"));
  ASSERT_TRUE(registry.SetString(kKey, L"Datensatz1", L"/data/a.mmd"));
  EXPECT_TRUE(FileExists(m_folder / L"home/registry.ini"));  // folder made on first write
  ASSERT_TRUE(registry.SetString(kKey, L"Datensatz2", L"/data/b.mmd"));
  EXPECT_EQ(registry.GetString(L"SOFTWARE\\test\\mmd", L"DATENSATZ1"), L"/data/a.mmd");
  // Writing under another spelling changes the same value.
  ASSERT_TRUE(registry.SetString(L"software\\TEST\\mmd", L"datensatz1", L"/data/c.mmd"));
  EXPECT_EQ(registry.GetValueList(kKey).size(), 2u);
  EXPECT_EQ(registry.GetString(kKey, L"Datensatz1"), L"/data/c.mmd");
  EXPECT_EQ(FileText(), "[Software\\Test\\MMD]\nDatensatz1=/data/c.mmd\nDatensatz2=/data/b.mmd\n");
}

TEST_F(PlatformRegistry, AnyTextRoundTrips) {
  CRegistryFile registry;
  const CString key = L"Key [with] = %41 and \u00e4";
  const CString name = L"[name]=x;#y%";
  const CString data = L"line1\nline2\r\n=]\t[x] %0A %% \u20ac\U0001F600 ";
  const CString tricky[][2] = {
      {L"#comment", L"a"}, {L";x", L"b"}, {L"", L"empty name"}, {L" blank ", L" "}, {L"e", L""}};
  ASSERT_TRUE(registry.SetString(key, name, data));
  for (const auto& [n, d] : tricky) ASSERT_TRUE(registry.SetString(key, n, d));
  CRegistryFile other(registry.GetPath());
  EXPECT_EQ(other.GetString(key, name), data);
  for (const auto& [n, d] : tricky) EXPECT_EQ(other.GetString(key, n), d) << ToUtf8(n);
  EXPECT_EQ(other.GetValueList(key).size(), 6u);
  // One line per value plus the section line: nothing broke a line.
  const std::string text = FileText();
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 7);
}

TEST_F(PlatformRegistry, ListsKeepTheirOrder) {
  CRegistryFile registry;
  CRegistryFile::CValueList list;
  for (int i = 1; i <= 12; ++i) {
    list.emplace_back(L"Datensatz" + std::to_wstring(i), L"/d/" + std::to_wstring(i));
  }
  ASSERT_TRUE(registry.SetString(kKey, L"Old", L"gone"));
  ASSERT_TRUE(registry.ReplaceValues(kKey, list));
  EXPECT_EQ(registry.GetValueList(kKey), list);
  EXPECT_FALSE(registry.GetString(kKey, L"Old"));
  ASSERT_TRUE(registry.ReplaceValues(kKey, {}));
  EXPECT_TRUE(registry.GetValueList(kKey).empty());
}

TEST_F(PlatformRegistry, TwoObjectsSeeEachOthersWrites) {
  CRegistryFile first;
  CRegistryFile second;
  ASSERT_TRUE(first.SetString(kKey, L"a", L"1"));
  EXPECT_EQ(second.GetString(kKey, L"a"), L"1");
  ASSERT_TRUE(second.SetString(kKey, L"b", L"2"));
  ASSERT_TRUE(first.SetString(kKey, L"c", L"3"));
  EXPECT_EQ(second.GetValueList(kKey).size(), 3u);
}

TEST_F(PlatformRegistry, EveryWriteLeavesACompleteFile) {
  CRegistryFile registry;
  std::string expected = "[Software\\Test\\MMD]\n";
  for (int i = 0; i < 50; ++i) {
    ASSERT_TRUE(registry.SetString(kKey, L"v" + std::to_wstring(i), std::wstring(i, L'x')));
    expected += "v" + std::to_string(i) + "=" + std::string(std::size_t(i), 'x') + "\n";
    ASSERT_EQ(FileText(), expected);
  }
  // Only the file and its lock file: no temporary file remains.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(ToUtf8(m_folder / L"home")), {}), 2);
}

TEST_F(PlatformRegistry, ReadsHandEditedFiles) {
  ASSERT_TRUE(CreateFolders(m_folder / L"home"));
  ASSERT_TRUE(WriteFileAtomically(m_folder / L"home/registry.ini",
                                  "; comment\r\nloose=ignored\r\n[K]\r\nx=1\r\nnoise\r\n"
                                  "bad=%zz%4\r\n[k]\r\nx=2\r\ny=\xFF\r\n"));
  CRegistryFile registry;
  EXPECT_EQ(registry.GetString(L"K", L"x"), L"2");  // later lines win, sections merge
  EXPECT_EQ(registry.GetString(L"K", L"bad"), L"%zz%4");
  EXPECT_EQ(registry.GetString(L"K", L"y"), L"\uFFFD");
  EXPECT_FALSE(registry.GetString(L"", L"loose"));
}

TEST_F(PlatformRegistry, UnreadableFileIsNeverOverwritten) {
  // A folder where the file should be cannot be read; a write must not
  // pretend the settings were empty and replace them.
  ASSERT_TRUE(CreateFolders(m_folder / L"home/registry.ini"));
  CRegistryFile registry;
  EXPECT_FALSE(registry.SetString(kKey, L"a", L"1"));
  EXPECT_TRUE(FolderExists(m_folder / L"home/registry.ini"));
}

}  // namespace
