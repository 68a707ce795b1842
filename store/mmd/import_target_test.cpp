#include "store/mmd/import_target.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "platform/file.h"
#include "store/mmd/dataset_lists.h"
#include "store/mmd/mmd_test_fixture.h"

namespace {

class ImportTarget : public CMmdTest {
 protected:
  CMatDatenSatz* Open(const CString& path, const CString& id, bool bSalvage = false) {
    CImportTarget target;
    target.strPath = path;
    target.strID = id;
    target.bSalvage = bSalvage;
    return OpenImportTarget(Store(), target);
  }
};

TEST_F(ImportTarget, RefusesWhatWouldLoseOrMisnameAFile) {
  struct {
    CString path;
    const wchar_t* id;
    const wchar_t* message;
  } const cases[] = {
      {(m_Folder / L"a.mmd"), L"ABCDE", L"nicht genau 4 Zeichen"},
      {(m_Folder / L"a.mmd"), L"", L"fehlt die Herstellerkennung"},
      {(m_Folder / L"z.$$mmd"), L"ABCD", L"Hilfsdatei vorbehalten"},
      {(m_Folder / L"z.bak"), L"ABCD", L"Hilfsdatei vorbehalten"},
  };
  for (const auto& c : cases) {
    m_UI.Clear();
    EXPECT_EQ(Open(c.path, c.id), nullptr) << ToUtf8(c.path);
    EXPECT_TRUE(m_UI.HasMessageContaining(c.message)) << ToUtf8(m_UI.LastText());
    EXPECT_FALSE(FileExists(c.path));
  }
}

// A new file is made only by a complete read, and gives its lock back. (That
// an existing file keeps its ID, a failed import over it and the registration
// are the importers' and the tool's cases.)
TEST_F(ImportTarget, SavesOnlyAfterACompleteRead) {
  const CString path = (m_Folder / L"t.mmd");
  CMatDatenSatz* pNew = Open(path, L"TEST");
  ASSERT_NE(pNew, nullptr);
  EXPECT_FALSE(FinishImport(*pNew, CImportTarget{}, false));
  EXPECT_FALSE(FileExists(path));
  ASSERT_TRUE(FinishImport(*pNew, CImportTarget{}, true));
  EXPECT_FALSE(IsReadOnly(path));  // the lock was given back
}

// Why an input can not be read (missing, a folder, empty, unreadable) is
// checked word for word by the importers' failed-import tests; here only that
// a file which claims no size is read to its end.
TEST_F(ImportTarget, AFileThatClaimsNoSizeIsReadToItsEnd) {
  EXPECT_EQ(WhyInputUnreadable(L"/proc/self/status"), L"");
  std::string bytes;
  EXPECT_TRUE(ReadWholeFile(L"/proc/self/status", bytes));
  EXPECT_NE(bytes.find("Name:"), std::string::npos);
}
TEST_F(ImportTarget, RegisteredListStopsAtTheStoresLimitAndReportsWriteFailures) {
  CStringList list;
  for (std::size_t i = 0; i < kMaxRegisteredDatasets; ++i) {
    list.push_back(m_Folder / (L"f" + std::to_wstring(i) + L".mmd"));
    ASSERT_TRUE(WriteFileAtomically(list.back(), "x"));
  }
  ASSERT_TRUE(WriteRegisteredList(list));
  EXPECT_TRUE(RegisterDatasetPath(list.front()));  // there already
  EXPECT_FALSE(RegisterDatasetPath((m_Folder / L"more.mmd")));
  EXPECT_TRUE(m_UI.HasMessageContaining(L"255 Datensätze"));

  setenv("ORVAMAT_HOME", "/dev/null/settings", 1);
  m_UI.Clear();
  EXPECT_FALSE(WriteRegisteredList(list));
  EXPECT_TRUE(m_UI.HasMessageContaining(L"können nicht geschrieben werden"));
}

}  // namespace
