// The commands that choose, check, empty and save the dataset.
#include "OrvaMat/mat_manager.h"
#include "platform/file.h"
#include "scriptfile/script_test_util.h"
#include "store/mmd/lock_file.h"
#include "store/mmd/mmd_file.h"
#include "store/mmd/mmd_format.h"

namespace {

using ScriptDataset = CScriptTest;

TEST_F(ScriptDataset, ActivateCreatesBesideTheScriptAndSaveWritesThere) {
  Write(L"sub/daten/liesmich.txt", "");
  EXPECT_TRUE(
      Run("[MMD1]\r\n#activateMMD NEWD \"Neue GmbH\" daten/neu.mmd\r\n"
          "[MMTB]\r\n(*T*) (**) I,1\r\n(*r*) 5\r\n[Ende_MMTB]\r\n#saveMMD\r\n",
          L"sub/script.txt"));
  const CString path = m_Folder / L"sub/daten/neu.mmd";
  EXPECT_EQ(Current().m_strPath, path);
  EXPECT_EQ(CString(Current().m_szHerstellerID), L"NEWD");
  EXPECT_EQ(Text(L"StringTable", L"HERSTELLERNAME"), L"Neue GmbH");
  EXPECT_TRUE(FileExists(path)) << "relative to the script's folder";
  EXPECT_TRUE(Current().m_bModified) << "a successful run marks the dataset changed";

  // Another run finds the dataset by its ID; a fresh store registers the
  // file and makes it active.
  const std::size_t nDatasets = Store().GetDatasetCount();
  EXPECT_TRUE(Run("[MMD1]\r\n#activateMMD NEWD x egal.mmd\r\n", L"sub/script.txt"));
  EXPECT_EQ(Store().GetDatasetCount(), nDatasets);
  ReleaseWriteLock(Current());
  Store().RemoveAllDatasets();
  EXPECT_TRUE(Run("[MMD1]\r\n#activateMMD NEWD x daten/neu.mmd\r\nHerstellerID=NEWD\r\n",
                  L"sub/script.txt"));
  EXPECT_EQ(Current().m_strPath, path);
  CCell cell;
  ASSERT_NE(Table(L"T"), nullptr);
  EXPECT_EQ(Store().GetCellValue(Table(L"T"), cell, Current().FindHandle(L"r"), 0, 0), eMatOk);
  EXPECT_EQ(cell.m_nValue, 5u);
}

TEST_F(ScriptDataset, ActivateTwiceBeforeTheFirstSaveIsNoReadOnlyDataset) {
  EXPECT_TRUE(
      Run("[MMD1]\r\n#activateMMD TWIC x a.mmd\r\n#activateMMD TWIC x a.mmd\r\n"
          "#message weiter\r\n"));
  EXPECT_EQ(Messages(), std::vector<CString>{L"weiter"});
}

TEST_F(ScriptDataset, ActivateRefusesAMissingParameterALockedDatasetAndAFileOfAnotherKind) {
  EXPECT_FALSE(Run("[MMD1]\r\n#activateMMD ABCD \"\" x.mmd\r\n#message nie\r\n"));
  EXPECT_EQ(Messages(), std::vector<CString>{L"#activateMMD: Es fehlen Parameter!\t\rnHersteller"
                                             L"kürzel:ABCD\r\nHerstellername:\r\nMMD-Datei "
                                             L"Pfad+Name:x.mmd"});
  m_UI.Clear();
  CLockFile other;
  const CString path = MakeDatasetLockedByAnother(other);
  EXPECT_FALSE(Run("[MMD1]\r\n#activateMMD LOCK x locked.mmd\r\n"));
  EXPECT_EQ(Messages(), std::vector<CString>{L"#activateMMD: MMD ist read-only!:" + path});
  // A file that is no database file is refused, not taken for an empty one.
  m_UI.Clear();
  Write(L"kaputt.mmd", "kein MMD");
  EXPECT_FALSE(Run("[MMD1]\r\n#activateMMD KAPU x kaputt.mmd\r\n"));
  EXPECT_TRUE(m_UI.HasMessageContaining(L"keine lesbare MMD-Datei"));
}

TEST_F(ScriptDataset, SaveThatDidNotHappenStopsTheRunAndKeepsTheMark) {
  // Without "#activateMMD" the run works on a new dataset that has no file:
  // saving asks for one (never the script's own path), and cancelling stops.
  const std::string script =
      "[MMD1]\r\n[MMTB]\r\n(*T*) (**) C,1\r\n[Ende_MMTB]\r\n#saveMMD\r\n#message nie\r\n";
  EXPECT_FALSE(Run(script));
  EXPECT_EQ(Current().m_strPath, L"");
  EXPECT_TRUE(Current().m_bModified);
  EXPECT_EQ(m_UI.GetChoosers().size(), 1u);
  EXPECT_TRUE(m_UI.GetChoosers()[0].bSave);
  EXPECT_EQ(Messages(), std::vector<CString>{L"#saveMMD: Der Datensatz  wurde nicht gespeichert. "
                                             L"Der Vorgang wird abgebrochen."});
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(m_Folder / L"script.txt", bytes));
  EXPECT_EQ(bytes, script);
}

TEST_F(ScriptDataset, DeleteAllKeepsTheManufacturerNameAndLogo) {
  ASSERT_GE(CMatManager::CreateDataset(L"DELA", L"Hersteller AG", nullptr), 0);
  CMatTable* pStrings = Table(L"StringTable");
  Store().SetCellValue(pStrings, Store().GetOrCreateHandle(L"HERSTELLERLOGO"), 0, 0,
                       CCellInput::Text(L"logo.bmp"));
  Store().SetCellValue(pStrings, Store().GetOrCreateHandle(L"ANDERES"), 0, 0,
                       CCellInput::Text(L"weg"));
  Store().CreateTable(pStrings, L"ENGLISH", eTypeString, 1);
  Store().CreateTable(nullptr, L"ArtikelSetGruppen", eTypeVoid, 1);
  Current().m_pSetGruppen = Table(L"ArtikelSetGruppen");
  CMatManager::AddAlias(L"Alias", L"Preis");
  EXPECT_TRUE(Run("[MMD1]\r\n#delalltabs\r\n"));
  EXPECT_EQ(Text(L"StringTable", L"HERSTELLERNAME"), L"Hersteller AG");
  EXPECT_EQ(Text(L"StringTable", L"HERSTELLERLOGO"), L"logo.bmp");
  EXPECT_EQ(Text(L"StringTable", L"ANDERES"), L"<none>");
  ASSERT_EQ(Current().m_Tables.size(), 1u) << "only the new StringTable";
  EXPECT_TRUE(Table(L"StringTable")->m_Children.empty());
  EXPECT_EQ(Current().m_pStringTable, Table(L"StringTable"));
  EXPECT_EQ(Current().m_pSetGruppen, nullptr);
  EXPECT_TRUE(Current().m_Aliases.empty());
  EXPECT_TRUE(Current().m_bModified);
}

TEST_F(ScriptDataset, DeleteTableRemovesOneTopLevelTable) {
  EXPECT_TRUE(
      Run("[MMD1]\r\n[MMTB]\r\n(*Eins*) (**) C,1\r\n[Ende_MMTB]\r\n"
          "[MMTB]\r\n(*Zwei*) (**) C,1\r\n[Ende_MMTB]\r\n"
          "#deltabelle eins\r\n#deltabelle Fehlt\r\n#deltabelle StringTable\r\n"));
  EXPECT_EQ(Table(L"Eins"), nullptr);
  EXPECT_NE(Table(L"Zwei"), nullptr);
  EXPECT_NE(Current().m_pStringTable, nullptr) << "the run's end made it again";
  EXPECT_EQ(Current().m_pStringTable, Table(L"StringTable"));
}

}  // namespace
