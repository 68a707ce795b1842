// The dataset calls: registry lists, opening, adding, creating, selecting,
// closing and deleting datasets.
#include "OrvaMat/datasets.h"

#include <gtest/gtest.h>

#include "platform/file.h"
#include "platform/registry.h"
#include "store/mmd/dataset_lists.h"
#include "store/mmd/mmd_format.h"
#include "store/mmd/mmd_test_fixture.h"
#include "store/table_names.h"

namespace {

class MmdDatasets : public CMmdTest {
 protected:
  // A saved dataset file with one table "T" holding row "r" = value.
  CString MakeFile(const char* name, const wchar_t* id, std::uint32_t value = 1) {
    CScopedMatStore scratch;
    const CString path = (m_Folder / FromUtf8(name));
    CMatDatenSatz* pDataset = NewDataset(scratch.Get());
    wcsncpy(pDataset->m_szHerstellerID, id, 5);
    pDataset->m_strPath = path;
    CMatTable* t = scratch.Get().CreateTable(nullptr, L"T", eTypeInteger, 1);
    scratch.Get().SetCellValue(t, scratch.Get().CreateHandle(L"r"), 0, 0, CCellInput::Value(value));
    EXPECT_TRUE(SaveDataset(*pDataset));
    return path;
  }
  CStringList Registered() {
    CStringList list;
    ReadRegisteredList(list);
    return list;
  }
};

TEST_F(MmdDatasets, ListsKeepExistingPathsInOrderWithoutRepeats) {
  const CString a = MakeFile("a.mmd", L"AAAA");
  const CString b = MakeFile("b.mmd", L"BBBB");
  CRegistryFile settings;
  settings.ReplaceValues(kRegisteredListKey, {{L"Datensatz1", b},
                                              {L"Datensatz2", (m_Folder / L"gone.mmd")},
                                              {L"Datensatz3", a},
                                              {L"Datensatz4", b}});
  EXPECT_EQ(Registered(), (CStringList{b, a}));
  WriteRegisteredList(Registered());
  EXPECT_EQ(settings.GetString(kRegisteredListKey, L"Datensatz2").value_or(L""), a);
  EXPECT_FALSE(settings.GetString(kRegisteredListKey, L"Datensatz3").has_value());
  EXPECT_EQ(ExcludedEntryPath(L"Name;" + a), a);
  EXPECT_EQ(ExcludedEntryPath(L";x"), L";x");
}

TEST_F(MmdDatasets, FirstActivationOpensTheRegisteredFilesAndKeepsOnlyTheID) {
  const CString a = MakeFile("a.mmd", L"AAAA");
  const CString u = MakeFile("u.mmd", L"USER");
  const CString b = MakeFile("b.mmd", L"BBBB");
  WriteRegisteredList({a, u, b});
  EXPECT_EQ(CMatDatasetCalls::ActivateDatasetByID(L"BBBBxyz"), 3);
  EXPECT_TRUE(Store().GetDataset(0)->m_bClosed);
  EXPECT_FALSE(Store().GetDataset(1)->m_bClosed);
  EXPECT_FALSE(Store().GetDataset(2)->m_bClosed);
  EXPECT_EQ(Store().GetCurrent(), Store().GetDataset(2));
  EXPECT_EQ(CMatDatasetCalls::SelectDatasetByID(L"AAAA"), -2);
  EXPECT_EQ(CMatDatasetCalls::SelectDatasetByID(L"CCCC"), -1);
  EXPECT_EQ(CMatDatasetCalls::SelectDatasetByID(L"USER"), 1);
  EXPECT_EQ(CMatDatasetCalls::SelectDatasetByIDEx(L"AAAA"), eMatNoDataset);
  EXPECT_EQ(CMatDatasetCalls::SelectDatasetByPrefix(0x01000000, true), eMatClosed);
  EXPECT_EQ(Store().GetCurrent(), Store().GetDataset(1));
  EXPECT_EQ(CMatDatasetCalls::SelectDatasetByPrefix(0x01000000, false), eMatOk);
  EXPECT_EQ(CMatDatasetCalls::SelectDatasetByPrefix(0x09000000, false), eMatNoHandle);
  EXPECT_EQ(CMatDatasetCalls::SelectDatasetByPrefix(0, false), eMatNoHandle);
  // A second activation does not open the files again.
  EXPECT_EQ(CMatDatasetCalls::ActivateDatasetByID(L"AAAA"), 3);
  EXPECT_FALSE(Store().GetDataset(0)->m_bClosed);
}

TEST_F(MmdDatasets, OpeningAnOpenPathReopensWithoutReading) {
  const CString a = MakeFile("a.mmd", L"AAAA");
  EXPECT_EQ(CMatDatasetCalls::OpenDataset(a.c_str()), 1);
  EXPECT_EQ(Registered(), CStringList{a});
  const unsigned long prefix = Store().GetDataset(0)->GetPrefix();
  EXPECT_EQ(CMatDatasetCalls::CloseDataset(prefix), 1);
  EXPECT_TRUE(Store().GetDataset(0)->m_bClosed);
  EXPECT_EQ(Store().GetCurrent(), nullptr);
  EXPECT_TRUE(Registered().empty());
  unsigned long out = 0;
  EXPECT_EQ(CMatDatasetCalls::SelectDatasetOfHandle(out, prefix | 5), eMatClosed);
  EXPECT_EQ(out, prefix);
  EXPECT_EQ(CMatDatasetCalls::OpenDataset(a.c_str()), 0);
  EXPECT_FALSE(Store().GetDataset(0)->m_bClosed);
  EXPECT_EQ(Store().GetDatasetCount(), 1u);
  EXPECT_EQ(CMatDatasetCalls::OpenDataset((m_Folder / L"none.mmd").c_str()), 0);
  EXPECT_EQ(Store().GetDatasetCount(), 1u);
}

TEST_F(MmdDatasets, DeletingKeepsTheOthersNumbersAndHandlesClosingAllEndsThem) {
  const CString a = MakeFile("a.mmd", L"AAAA");
  const CString b = MakeFile("b.mmd", L"BBBB", 2);
  const CString c = MakeFile("c.mmd", L"CCCC", 3);
  for (const CString& p : {a, b, c}) CMatDatasetCalls::OpenDataset(p.c_str());
  CMatDatenSatz& last = *Store().GetDataset(2);
  CMatTable* t = FindTopLevelTable(last, L"T", eHiddenTables::kFind);
  const Handle hRow = last.FindHandle(L"r");
  m_UI.PushAnswer(IDNO);
  EXPECT_EQ(CMatDatasetCalls::DeleteDataset(0x02000000), 0);
  EXPECT_NE(m_UI.LastText().find(L"Soll die Datei <" + b + L">\nZuletzt am "), CString::npos);
  EXPECT_NE(m_UI.LastText().find(L" bearbeited, entgültig gelöscht werden?"), CString::npos);
  ASSERT_TRUE(FileExists(b));
  m_UI.PushAnswer(IDYES);
  EXPECT_EQ(CMatDatasetCalls::DeleteDataset(0x02000000), 1);
  EXPECT_FALSE(FileExists(b));
  EXPECT_FALSE(FileExists(MmdBackupPath(b)));
  EXPECT_EQ(Store().GetDataset(1), nullptr);
  EXPECT_EQ(Registered(), (CStringList{a, c}));
  EXPECT_EQ(Cell(t, hRow), 3u);
  EXPECT_EQ(Store().GetCurrent(), &last);
  EXPECT_EQ(CMatDatasetCalls::GetListedDatasetPrefix(1), 0x03000000ul);
  EXPECT_EQ(CMatDatasetCalls::DeleteDataset(0x02000000), 0);
  // Closing all destroys every dataset left.
  EXPECT_EQ(CMatDatasetCalls::CloseAllDatasets(), 1);
  EXPECT_EQ(Store().GetDatasetCount(), 0u);
  EXPECT_EQ(CMatDatasetCalls::GetDatasetPrefix(0x01000001), 0ul);
  EXPECT_FALSE(CMatDatasetCalls::IsDatasetLocked(true));
}

TEST_F(MmdDatasets, ExcludingAndListingAgainLeavesTheExcludedListAsBefore) {
  const CString a = MakeFile("a.mmd", L"AAAA");
  const CString b = MakeFile("b.mmd", L"BBBB");
  WriteExcludedList({L"Alt;" + a});
  CMatDatasetCalls::OpenDataset(b.c_str());
  CMatDatenSatz& dataset = *Store().GetCurrent();
  dataset.m_strName = L"Hersteller B";
  SetDatasetListed(dataset, false);
  CStringList list;
  ReadExcludedList(list);
  EXPECT_EQ(list, (CStringList{L"Alt;" + a, L"Hersteller B;" + b}));
  EXPECT_EQ(CMatDatasetCalls::GetListedDatasetPrefix(0), 0ul);
  SetDatasetListed(dataset, true);
  ReadExcludedList(list);
  EXPECT_EQ(list, CStringList{L"Alt;" + a});
  EXPECT_EQ(CMatDatasetCalls::GetListedDatasetPrefix(0), 0x01000000ul);
}

// Which string table a dataset picks is the store's concern; here only that
// a handle of no dataset changes nothing.
TEST_F(MmdDatasets, ActivatingAHandleOfNoDatasetChangesNothing) {
  MakeDataset(L"AAAA", L"");
  CMatDatenSatz& plain = MakeDataset(L"BBBB", L"");
  ActivateDataset(Store(), 0x7F000001);
  EXPECT_EQ(Store().GetCurrent(), &plain);
}

TEST_F(MmdDatasets, AddedFilesAreReadOnFirstUse) {
  const CString a = MakeFile("a.mmd", L"AAAA", 4);
  const CString a2 = MakeFile("a2.mmd", L"AAAA", 5);
  CMatDatasetCalls::AddDatasetFile(a.c_str());
  ASSERT_EQ(Store().GetDatasetCount(), 1u);
  CMatDatenSatz& added = *Store().GetDataset(0);
  EXPECT_TRUE(added.m_Tables.empty());
  EXPECT_EQ(CString(added.m_szHerstellerID), L"AAAA");
  CMatDatasetCalls::AddDatasetFile(a.c_str());  // the same path: nothing
  EXPECT_EQ(Store().GetDatasetCount(), 1u);
  EXPECT_EQ(CMatDatasetCalls::AddDatasetFileEx(a2.c_str(), false), 0x01000000ul);
  EXPECT_EQ(CMatDatasetCalls::AddDatasetFileEx(a2.c_str(), true), 0x02000000ul);
  EXPECT_FALSE(added.m_bListed);
  EXPECT_EQ(CString(CMatDatasetCalls::GetDatasetIDOfFile(a2.c_str(), false)), L"AAAA");
  EXPECT_EQ(CString(CMatDatasetCalls::GetDatasetIDOfFile((m_Folder / L"x").c_str(), false)), L"");
  EXPECT_EQ(CMatDatasetCalls::GetDatabaseFormat(0x01000000), 3);
  // A name look-up reads the tables.
  added.EnsureDatasetLoaded();
  EXPECT_EQ(Cell(FindTopLevelTable(added, L"T", eHiddenTables::kFind), added.FindHandle(L"r")), 4u);
  CString id;
  EXPECT_EQ(CMatDatasetCalls::GetDatasetID(id, 0x02000005), eMatOk);
  EXPECT_EQ(id, L"AAAA");
  EXPECT_EQ(CString(CMatDatasetCalls::GetDatasetPath(0x02000005)), a2);
  EXPECT_EQ(CString(CMatDatasetCalls::GetDatasetPath(0x09000005)), L"");
}

TEST_F(MmdDatasets, CreatedDatasetsHaveTheirNameAndUnits) {
  const CString path = (m_Folder / L"neu.mmd");
  EXPECT_EQ(CMatDatasetCalls::CreateDataset(L"NEUxx", L"Neue GmbH", path.c_str()), 0);
  CMatDatenSatz& dataset = *Store().GetCurrent();
  EXPECT_EQ(CString(dataset.m_szHerstellerID), L"NEUx");
  EXPECT_TRUE(dataset.m_bModified);
  CMatTable* pStrings = FindTopLevelTable(dataset, L"StringTable", eHiddenTables::kFind);
  ASSERT_NE(pStrings, nullptr);
  EXPECT_EQ(GetText(pStrings, dataset.FindHandle(L"HERSTELLERNAME")), L"Neue GmbH");
  EXPECT_EQ(pStrings->m_nFlags & 1u, 1u);
  CMatTable* pUnits = FindTopLevelTable(dataset, L"UebersetzungEinheiten", eHiddenTables::kFind);
  ASSERT_NE(pUnits, nullptr);
  EXPECT_EQ(Store().GetRowCount(pUnits), 15);
  EXPECT_EQ(dataset.GetName(Cell(pUnits, dataset.FindHandle(L"MTK"))).ToString(), L"m²");
  // Registered before it exists; a saved file then opens as the same dataset.
  ASSERT_TRUE(SaveDataset(dataset));
  EXPECT_EQ(Registered(), CStringList{path});
  EXPECT_EQ(CMatDatasetCalls::CreateDataset(L"AB", L"Kurz", nullptr), 1);
  EXPECT_EQ(CString(Store().GetCurrent()->m_szHerstellerID), L"AB");
}

TEST_F(MmdDatasets, SavingWithoutPathAsksForOne) {
  CMatDatasetCalls::CreateDataset(L"NOPA", L"Ohne Pfad", nullptr);
  m_UI.PushChooserPath(L"");
  EXPECT_FALSE(SaveDataset(*Store().GetCurrent()));
  ASSERT_EQ(m_UI.GetChoosers().size(), 1u);
  EXPECT_EQ(m_UI.GetChoosers()[0].request.strFilter, L"Rurodevo Duzidez Database (*.mmd)|*.mmd||");
  const CString path = (m_Folder / L"chosen.mmd");
  m_UI.PushChooserPath(path);
  EXPECT_TRUE(SaveDataset(*Store().GetCurrent()));
  EXPECT_TRUE(FileExists(path));
  EXPECT_EQ(Registered(), CStringList{path});
}

}  // namespace
