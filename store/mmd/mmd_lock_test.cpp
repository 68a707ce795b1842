// The lock, the change watch and saving between real processes.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "OrvaMat/datasets.h"
#include "platform/file.h"
#include "store/mmd/folder_watch.h"
#include "store/mmd/mmd_format.h"
#include "store/mmd/mmd_test_fixture.h"
#include "store/table_names.h"

namespace {

// Opens the shared file as the dataset of store (a process's own); its table "T".
CMatTable* OpenShared(CMatStore& store, const CString& path) {
  CMatDatasetCalls::OpenDataset(path.c_str());
  return FindTopLevelTable(*store.GetCurrent(), L"T", eHiddenTables::kFind);
}
// Sets row "r" of t to value.
eMatManager SetR(CMatStore& store, CMatTable* t, std::uint32_t value) {
  return store.SetCellValue(t, store.FindHandle(L"r"), 0, 0, CCellInput::Value(value));
}

class MmdLock : public CMmdTest {
 protected:
  MmdLock() : m_strPath((m_Folder / L"shared.mmd")) {
    CMatDatenSatz& dataset = MakeDataset(L"SHAR", m_strPath);
    Set(Table(L"T", eTypeInteger), H(L"r"), 1);
    EXPECT_TRUE(SaveDataset(dataset));
    Store().RemoveAllDatasets();
  }
  // Opens the shared file as this process's dataset and returns table "T".
  CMatTable* Open() {
    EXPECT_EQ(CMatDatasetCalls::OpenDataset(m_strPath.c_str()), 1);
    return Find(*Store().GetCurrent(), L"T");
  }
  // In a child process: open, set T.r to value, save; exit code 0 on success.
  int SaveInChild(std::uint32_t value) {
    return RunInChild([&] {
      CScopedMatStore store;
      if (SetR(store.Get(), OpenShared(store.Get(), m_strPath), value) != eMatOk) return 1;
      return SaveDataset(*store.Get().GetCurrent()) ? 0 : 2;
    });
  }
  CString m_strPath;
};

// A child process that changed the dataset (and so holds its lock) until
// told to end.
int ChangeAndHold(const CString& path, CChildProcess& self) {
  CScopedMatStore store;
  self.ReadyThenWait(SetR(store.Get(), OpenShared(store.Get(), path), 7) == eMatOk);
}

TEST_F(MmdLock, AnotherProcessHoldingTheLockRefusesEveryChange) {
  CMatTable* t = Open();
  ASSERT_NE(t, nullptr);
  CChildProcess child([&](CChildProcess& self) { return ChangeAndHold(m_strPath, self); });
  ASSERT_TRUE(child.WaitUntilReady());
  EXPECT_TRUE(IsReadOnly(m_strPath));
  EXPECT_TRUE(CMatDatasetCalls::IsDatasetReadOnly());
  EXPECT_TRUE(CMatDatasetCalls::IsDatasetLocked(true));
  EXPECT_EQ(Store().SetCellValue(t, H(L"r"), 0, 0, CCellInput::Value(2)), eMatLocked);
  EXPECT_EQ(Store().CreateTable(nullptr, L"Neu", eTypeInteger, 1), nullptr);
  EXPECT_EQ(Store().RemoveTable(t), eMatLocked);
  EXPECT_EQ(Store().RemoveRow(t, H(L"r")) == eMatLocked || Cell(t, H(L"r")) == 1u, true);
  EXPECT_FALSE(SaveDataset(*Store().GetCurrent()));
  EXPECT_TRUE(m_UI.HasMessageContaining(L"anderen Benutzer"));
  EXPECT_EQ(Cell(t, H(L"r")), 1u);
  // The holder ends without giving the lock back: its lock file is stale.
  child.End();
  EXPECT_FALSE(CMatDatasetCalls::IsDatasetReadOnly());
  EXPECT_EQ(Store().SetCellValue(t, H(L"r"), 0, 0, CCellInput::Value(3)), eMatOk);
  EXPECT_TRUE(IsReadOnly(m_strPath));  // this process holds it now
  CMatDatasetCalls::SaveModified(1);
  EXPECT_FALSE(IsReadOnly(m_strPath));
  EXPECT_FALSE(FileExists(MmdLockPath(m_strPath)));
}

TEST_F(MmdLock, AFileRewrittenByAnotherProcessIsReadAtTheNextTableAccess) {
  CMatTable* t = Open();
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(Cell(t, H(L"r")), 1u);
  ASSERT_EQ(SaveInChild(99), 0);
  // The watch looks at most once per poll interval; the access after it
  // sees the new file.
  std::this_thread::sleep_for(std::chrono::nanoseconds(CFolderWatch::MaxLookDelayNs() + 1'000'000));
  EXPECT_EQ(Cell(t, H(L"r")), 99u);
  EXPECT_EQ(m_UI.Count(), 0u) << ToUtf8(m_UI.LastText());
}

TEST_F(MmdLock, SaveModifiedAsksForEachChangedDataset) {
  CMatTable* t = Open();
  Set(t, H(L"r"), 5);
  m_UI.PushAnswer(IDNO);
  CMatDatasetCalls::SaveModified(0);
  ASSERT_EQ(m_UI.Count(), 1u);
  EXPECT_EQ(m_UI.LastText(), L"Die Materialmanagement-Datei " + m_strPath +
                                 L" wurde verändert.\nWollen Sie die Änderungen speichern?");
  EXPECT_EQ(m_UI.LastStyle(), unsigned(MB_YESNO | MB_ICONQUESTION));
  EXPECT_TRUE(Store().GetCurrent()->m_bModified);
  EXPECT_FALSE(FileExists(MmdLockPath(m_strPath)));  // the lock is given back all the same
  m_UI.PushAnswer(IDYES);
  CMatDatasetCalls::SaveModified(0);
  EXPECT_FALSE(Store().GetCurrent()->m_bModified);
  CScopedMatStore fresh;
  CMatTable* pAgain = OpenShared(fresh.Get(), m_strPath);
  EXPECT_EQ(Cell(pAgain, fresh.Get().FindHandle(L"r")), 5u);
}

TEST_F(MmdLock, TheUserDatasetIsSavedWithoutAsking) {
  CMatTable* t = Open();
  wcscpy(Store().GetCurrent()->m_szHerstellerID, L"USER");
  Set(t, H(L"r"), 6);
  CMatDatasetCalls::SaveModified(0);
  EXPECT_EQ(m_UI.Count(), 0u);
  EXPECT_FALSE(Store().GetCurrent()->m_bModified);
}

}  // namespace

using MmdLockNewFile = CMmdTest;

TEST_F(MmdLockNewFile, IsLockedFromItsFirstChangeUntilSavedAndReleased) {
  CMatDatenSatz& dataset = MakeDataset(L"NEUE", (m_Folder / L"neu.mmd"));
  const CString lockPath = MmdLockPath(dataset.m_strPath);
  Set(Table(L"T", eTypeInteger), H(L"r"), 1);
  // The first change took the lock file of the file still to be made.
  EXPECT_TRUE(FileExists(lockPath));
  EXPECT_FALSE(FileExists(dataset.m_strPath));
  // Another process that would make the same file is refused meanwhile.
  EXPECT_EQ(RunInChild([&] {
              CScopedMatStore store;
              CMatDatenSatz* pOther = NewDataset(store.Get());
              pOther->m_strPath = dataset.m_strPath;
              MmdBackingOf(*pOther);
              return pOther->CheckWriteLock(true) ? 0 : 1;
            }),
            0);
  ASSERT_TRUE(SaveDataset(dataset));
  EXPECT_TRUE(IsReadOnly(dataset.m_strPath));  // saved while locked
  ReleaseWriteLock(dataset);
  EXPECT_FALSE(FileExists(lockPath));
  EXPECT_FALSE(IsReadOnly(dataset.m_strPath));
}
