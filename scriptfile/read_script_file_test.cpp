#include "scriptfile/read_script_file.h"

#include "OrvaMat/mat_manager.h"
#include "import/dn_test_util.h"
#include "platform/file.h"
#include "scriptfile/script_test_util.h"
#include "store/base/num_string.h"
#include "store/mmd/mmd_file.h"

namespace {

using ScriptReadFile = CScriptTest;

// The chosen script runs on the given dataset, which a run that works marks
// changed; worked or failed, the run's macros, folder and reader end with it.
TEST_F(ScriptReadFile, DialogRunsTheChosenScriptOnTheGivenDatasetAndLeavesNothingBehind) {
  CMatDatenSatz* pFirst = NewDataset(Store());
  CMatDatenSatz* pSecond = NewDataset(Store());
  ASSERT_EQ(Store().GetCurrent(), pSecond);
  const CString before = CurrentFolder();
  for (const bool bWorks : {true, false}) {
    SCOPED_TRACE(bWorks);
    pFirst->m_bModified = false;
    m_UI.PushChooserPath(
        Write(L"s/script.txt", bWorks ? "[MMD1]\r\n#define M 1\r\n"
                                      : "[MMD1]\r\n#define M 1\r\n#importdn fehlt\r\n"));
    EXPECT_EQ(CMatManager::ReadScriptFileDlg(pFirst->GetPrefix()), bWorks ? 1 : 0);
    EXPECT_EQ(Store().GetCurrent(), pFirst);
    EXPECT_EQ(pFirst->m_bModified, bWorks);
    EXPECT_FALSE(CNumString::knownMacro(L"M"));
    EXPECT_EQ(CurrentFolder(), before);
    EXPECT_EQ(Store().m_pTextReader, nullptr);
  }
  ASSERT_EQ(m_UI.GetChoosers().size(), 2u);
  EXPECT_FALSE(m_UI.GetChoosers()[0].bSave);
  EXPECT_EQ(m_UI.GetChoosers()[0].request.strFilter,
            L"ASCII MatManager Datei (*.txt)|*.txt|Alle Dateien (*.*)|*.*||");
  // Cancelling the chooser runs nothing.
  EXPECT_EQ(CMatManager::ReadScriptFileDlg(pFirst->GetPrefix()), 0);
  EXPECT_EQ(m_UI.GetChoosers().size(), 3u);
  // A file that can not be read.
  m_UI.Clear();
  m_UI.PushChooserPath(m_Folder / L"fehlt.txt");
  EXPECT_EQ(CMatManager::ReadScriptFileDlg(pFirst->GetPrefix()), 0);
  EXPECT_EQ(Messages(), std::vector<CString>{L"Datei <" + (m_Folder / L"fehlt.txt") +
                                             L"> kann nicht geöffnet werden."});
}

TEST_F(ScriptReadFile, TheBundledExampleBuildsAndSavesItsDataset) {
  // The example as it lies in the source tree: the script and the catalogue
  // in sibling folders.
  for (const char* file : {"script/beispiel.txt", "datanorm/beispiel.001"}) {
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(FromUtf8(DnSourceDir() + "/examples/" + file), bytes)) << file;
    Write(FromUtf8(file), bytes);
  }
  EXPECT_TRUE(RunScriptFile(Store(), m_Folder / L"script/beispiel.txt"));
  EXPECT_TRUE(Messages().empty()) << ToUtf8(m_UI.LastText());
  EXPECT_EQ(CString(Current().m_szHerstellerID), L"BSPL");
  EXPECT_EQ(Text(L"StringTable", L"HERSTELLERNAME"), L"Beispiel Armaturen GmbH");
  EXPECT_EQ(Text(L"Oberflaechen", L"VN"), L"vernickelt");
  EXPECT_EQ(Table(L"Oberflaechen")->m_strBeschreibung, L"Oberflächen der Armaturen");
  EXPECT_NE(Current().FindHandle(L"TV-15-E"), 0u);
  ReleaseWriteLock(Current());
  // What was saved reads back.
  const CString saved = m_Folder / L"script/beispiel.mmd";
  ASSERT_TRUE(FileExists(saved));
  Store().RemoveAllDatasets();
  ASSERT_EQ(CMatManager::OpenDataset(saved.c_str()), 1);
  EXPECT_EQ(Text(L"Oberflaechen", L"VC"), L"verchromt");
  EXPECT_NE(Current().FindHandle(L"TV-15-E"), 0u);
}

}  // namespace
