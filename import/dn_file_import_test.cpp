// The import of DATANORM files into a database file as the command line runs
// it: what is saved, made and registered when it works and when it fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "import/dn_import.h"
#include "import/dn_test_util.h"
#include "platform/file.h"
#include "store/mmd/dataset_lists.h"
#include "store/mmd/mmd_format.h"

namespace {

const std::string kCatalogue = DnHeader5() + "A;N;ART;Kurz;;PCE;1;1;100;;;;;;;;;;;;;;;;;\r\n";

class DatanormFileImport : public CFileTest {
 protected:
  // Imports files into target in a fresh store; true when all was done.
  bool Import(const std::vector<CString>& files, const CString& target, const wchar_t* id,
              bool enter = false, bool salvage = false) {
    CScopedMatStore scope;
    CDnFileImport request;
    request.files = files;
    request.target.strPath = target;
    request.target.strID = id;
    request.target.bRegister = enter;
    request.target.bSalvage = salvage;
    return ImportDatanormIntoFile(scope.Get(), request, {}, m_Result);
  }
  bool IsRegistered(const CString& path) {
    CStringList list;
    ReadRegisteredList(list);
    return std::find(list.begin(), list.end(), path) != list.end();
  }

  CDnFileImportResult m_Result;
};

TEST_F(DatanormFileImport, AFailedImportMakesSavesAndRegistersNothing) {
  std::filesystem::create_directory(ToUtf8(m_Folder / L"ordner"));
  const struct {
    CString input;
    const wchar_t* message;  // part of the one message naming the input
  } cases[] = {
      {m_Folder / L"fehlt.001", L"nicht gefunden"},
      {m_Folder / L"ordner", L"Ordner"},
      {Write(L"leer.001", ""), L"leer"},
      {Write(L"kein.001", "X;kein Katalog\r\n"), L"Keine Datanorm Datei"},
      {Write(L"v3.001", "V;030;\r\n"), L"Version 3"},
      // The process's memory file claims no length and its first page can
      // not be read (EIO): an error, not an empty catalogue.
      {L"/proc/self/mem", L"/proc/self/mem: Input/output error"},
  };
  const CString existing = m_Folder / L"alt.mmd";
  ASSERT_TRUE(Import({Write(L"gut.001", kCatalogue)}, existing, L"ALT1"));
  ASSERT_TRUE(Import({Write(L"gut.001", kCatalogue)}, existing, L""));  // makes the backup
  const std::string before = FileBytes(existing), backup = FileBytes(MmdBackupPath(existing));
  for (const auto& c : cases) {
    SCOPED_TRACE(ToUtf8(c.input));
    m_UI.Clear();
    const CString fresh = m_Folder / L"neu.mmd";
    // The bad input after a good one: the good one must not be saved alone.
    EXPECT_FALSE(Import({Write(L"gut.001", kCatalogue), c.input}, fresh, L"NEU1", true));
    EXPECT_TRUE(m_UI.HasMessageContaining(c.message)) << ToUtf8(m_UI.LastText());
    EXPECT_FALSE(m_Result.bSaved);
    EXPECT_FALSE(FileExists(fresh));
    EXPECT_FALSE(FileExists(MmdLockPath(fresh)));
    EXPECT_FALSE(IsRegistered(fresh));
    EXPECT_FALSE(Import({c.input}, existing, L"ALT1", true));
    EXPECT_EQ(FileBytes(existing), before);
    EXPECT_EQ(FileBytes(MmdBackupPath(existing)), backup);
    EXPECT_FALSE(IsRegistered(existing));
  }
}

TEST_F(DatanormFileImport, TheIDIsCheckedAndTheFileRegisteredOnlyWhenAsked) {
  const CString input = Write(L"gut.001", kCatalogue);
  const CString target = m_Folder / L"k.mmd";
  EXPECT_FALSE(Import({input}, target, L"ABC"));  // not four characters
  EXPECT_TRUE(m_UI.HasMessageContaining(L"nicht genau 4 Zeichen"));
  EXPECT_FALSE(FileExists(target));
  ASSERT_TRUE(Import({input}, target, L"KAT1"));
  EXPECT_TRUE(m_Result.bSaved);
  EXPECT_EQ(m_Result.nFilesRead, 1);
  EXPECT_EQ(m_Result.nLines, 2u);
  EXPECT_FALSE(IsRegistered(target));
  m_UI.Clear();
  EXPECT_FALSE(Import({input}, target, L"ANDR"));  // the file's ID is KAT1
  EXPECT_TRUE(m_UI.HasMessageContaining(L"KAT1"));
  EXPECT_TRUE(Import({input}, target, L"KAT1", true));
  EXPECT_TRUE(IsRegistered(target));
}

TEST_F(DatanormFileImport, ADamagedFileIsSavedOverOnlyWhenSalvaged) {
  const CString input = Write(L"gut.001", kCatalogue);
  const CString target = m_Folder / L"k.mmd";
  ASSERT_TRUE(Import({input}, target, L"KAT1"));
  std::filesystem::resize_file(ToUtf8(target), std::filesystem::file_size(ToUtf8(target)) - 40);
  const std::string damaged = FileBytes(target);
  EXPECT_FALSE(Import({input}, target, L""));
  EXPECT_TRUE(m_UI.HasMessageContaining(L"beschädigt; der Import wird nicht gespeichert"));
  EXPECT_EQ(FileBytes(target), damaged);
  EXPECT_TRUE(Import({input}, target, L"", false, true));
  EXPECT_EQ(FileBytes(m_Folder / L"k.damaged.mmd"), damaged);
  EXPECT_NE(FileBytes(target), damaged);
}

}  // namespace
