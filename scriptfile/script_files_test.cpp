// The commands that read further files: importers and "#include".
#include <unistd.h>

#include "platform/file.h"
#include "scriptfile/script_importers.h"
#include "scriptfile/script_test_util.h"
#include "store/mat_store.h"
#include "store/table_names.h"

namespace {

using ScriptImport = CScriptTest;
using ScriptInclude = CScriptTest;

// The importer a test registers records what it was given.
struct CImportRecord {
  int m_nCalls = 0;
  CString m_strPath;
  CString m_strLastUpdate;
  bool m_bResult = true;
};
CImportRecord g_Record;

bool RecordImport(CMatStore& store, const CString& path) {
  ++g_Record.m_nCalls;
  g_Record.m_strPath = path;
  CMatDatenSatz& dataset = *store.GetCurrent();
  CMatTable* pStrings = FindTopLevelTable(dataset, L"StringTable", eHiddenTables::kFind);
  CCell cell;
  if (pStrings != nullptr &&
      store.GetCellValue(pStrings, cell, dataset.FindHandle(L"LASTUPDATE_DATUM"), 0, 0) == eMatOk) {
    g_Record.m_strLastUpdate = dataset.GetPoolText(cell.m_nValue).ToString();
  }
  return g_Record.m_bResult;
}

class CRegisteredImporter {
 public:
  explicit CRegisteredImporter(eScriptImporter kind) : m_eKind(kind) {
    g_Record = CImportRecord();
    RegisterScriptImporter(kind, RecordImport);
  }
  ~CRegisteredImporter() { RegisterScriptImporter(m_eKind, nullptr); }

 private:
  eScriptImporter m_eKind;
};

TEST_F(ScriptImport, AMissingFileStopsEveryImport) {
  for (const char* command : {"#importxls", "#importvdi", "#importdn", "#importdaemmung"}) {
    m_UI.Clear();
    EXPECT_FALSE(
        Run(std::string("[MMD1]\r\n") + command + " fehlt\\datei.txt\r\n#message nie\r\n"));
    EXPECT_EQ(Messages(), std::vector<CString>{L"Datei '" + (m_Folder / L"fehlt/datei.txt") +
                                               L"' nicht vorhanden. Der Vorgang wird "
                                               L"abgebrochen."})
        << command;
  }
}

TEST_F(ScriptImport, AnImportThatDidNotHappenIsNoSuccess) {
  Write(L"daten.vdi", "x");
  EXPECT_FALSE(Run("[MMD1]\r\n#importvdi daten.vdi\r\n#message nie\r\n"));
  EXPECT_EQ(Messages(), std::vector<CString>{
                            L"#importvdi: dieser Import ist in dieser Ausgabe nicht verfügbar"});
  m_UI.Clear();
  Write(L"leer.001", "");
  EXPECT_FALSE(Run("[MMD1]\r\n#importdn leer.001\r\n#message nie\r\n"));
  EXPECT_EQ(m_UI.LastText(), L"#importdn: Die Datei '" + (m_Folder / L"leer.001") +
                                 L"' wurde nicht eingelesen. Der Vorgang wird abgebrochen.");
}

TEST_F(ScriptImport, RegisteredImportersGetTheResolvedPath) {
  Write(L"a/b.xls", "x");
  CRegisteredImporter xls(eScriptImporter::eXls);
  EXPECT_TRUE(Run("[MMD1]\r\n#importxls ..\\a\\b.xls\r\n", L"s/script.txt"));
  EXPECT_EQ(g_Record.m_nCalls, 1);
  EXPECT_EQ(g_Record.m_strPath, m_Folder / L"a/b.xls");
  g_Record.m_bResult = false;
  EXPECT_FALSE(Run("[MMD1]\r\n#importxls \"" + ToUtf8(m_Folder / L"a/b.xls") + "\"\r\n"));
  EXPECT_EQ(g_Record.m_nCalls, 2) << "an absolute path is taken as it is";
}

TEST_F(ScriptInclude, IncludedScriptsRunWithTheirOwnFolder) {
  Write(L"teile/innen.txt",
        "[MMD1]\r\n#message innen\r\n#include tiefer/unten.txt\r\n#define AUS_INNEN 1\r\n");
  Write(L"teile/tiefer/unten.txt", "[MMD1]\r\n#message unten\r\n");
  const CString before = CurrentFolder();
  EXPECT_TRUE(
      Run("[MMD1]\r\n#include teile/innen.txt\r\n#ifdef AUS_INNEN\r\n#message aussen\r\n"
          "#endif\r\n"));
  EXPECT_EQ(Messages(), (std::vector<CString>{L"innen", L"unten", L"aussen"}));
  EXPECT_EQ(CurrentFolder(), before);
  EXPECT_EQ(Store().m_pTextReader, nullptr);
}

TEST_F(ScriptInclude, AnIncludedFileRewritesTheDateWhenItEnds) {
  Write(L"x.vdi", "x");
  Write(L"inc.txt", "[MMD1]\r\n");
  CRegisteredImporter vdi(eScriptImporter::eVdi);
  EXPECT_TRUE(Run("[MMD1]\r\n#include inc.txt\r\n#importvdi x.vdi\r\n"));
  EXPECT_EQ(g_Record.m_strLastUpdate.size(), 8u) << "written before the outer script ended";
}

TEST_F(ScriptInclude, FailuresStopTheWholeRunAndRestoreTheReader) {
  Write(L"ohnekopf.txt", "#message nie\r\n");
  const CString before = CurrentFolder();
  EXPECT_FALSE(Run("[MMD1]\r\n#include ohnekopf.txt\r\n#message nie2\r\n"));
  EXPECT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(m_UI.HasMessageContaining(L"fehlt in der ersten Zeile"));
  EXPECT_EQ(CurrentFolder(), before);
  EXPECT_EQ(Store().m_pTextReader, nullptr);
  m_UI.Clear();
  EXPECT_FALSE(Run("[MMD1]\r\n#include fehlt.txt\r\n"));
  ASSERT_EQ(m_UI.Count(), 1u);
  EXPECT_EQ(m_UI.LastStyle() & MB_ICONMASK, unsigned(MB_ICONERROR));
  EXPECT_TRUE(m_UI.HasMessageContaining(L"fehlt.txt' nicht vorhanden"));
  // A script that includes itself ends.
  Write(L"b.txt", "[MMD1]\r\n#include script.txt\r\n");
  EXPECT_FALSE(Run("[MMD1]\r\n#include b.txt\r\n"));
  EXPECT_TRUE(m_UI.HasMessageContaining(L"<#include> ineinander"));
  EXPECT_EQ(Store().m_pTextReader, nullptr);
}

}  // namespace
