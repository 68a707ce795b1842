#include "scriptfile/script_runner.h"

#include "OrvaMat/mat_manager.h"
#include "platform/file.h"
#include "scriptfile/script_test_util.h"
#include "store/base/num_string.h"
#include "store/mmd/lock_file.h"
#include "store/mmd/mmd_backing.h"
#include "store/mmd/mmd_file.h"
#include "store/mmd/mmd_format.h"

namespace {

using ScriptRunnerTest = CScriptTest;
using ScriptIfdef = CScriptTest;

TEST_F(ScriptRunnerTest, FirstLineMustBeginWithTheHead) {
  EXPECT_TRUE(Run("[MMD1] Artikel 2024\r\n#message eins\r\n"));
  EXPECT_EQ(Messages(), std::vector<CString>{L"eins"});
  m_UI.Clear();
  for (const char* bad : {"\r\n[MMD1]\r\n#message eins\r\n", "[mmd1]\r\n", " [MMD1]\r\n", "[MMD"}) {
    EXPECT_FALSE(Run(bad)) << bad;
    EXPECT_EQ(m_UI.LastText(), L"In der Datei " + (m_Folder / L"script.txt") +
                                   L"\r\nfehlt in der ersten Zeile... '[MMD1]', laden wird "
                                   L"abgebrochen");
  }
  EXPECT_FALSE(m_UI.HasMessageContaining(L"eins")) << "nothing after a wrong head runs";
}

TEST_F(ScriptRunnerTest, UnknownWordsAreReportedAndPassedOver) {
  EXPECT_TRUE(Run("[MMD1]\r\n; Kommentar\r\n\r\n   \r\nfoo bar\r\n#message weiter\r\n"));
  EXPECT_EQ(Messages(),
            (std::vector<CString>{L"Unbekannter Scriptbefehl <foo> in Zeile 4", L"weiter"}));
  // A word that the text ends right after is most likely a command cut off.
  EXPECT_FALSE(Run("[MMD1]\r\n#message eins\r\n#saveMM"));
  EXPECT_EQ(m_UI.LastText(), L"Unbekannter Scriptbefehl <#saveMM> in Zeile 2");
}

TEST_F(ScriptRunnerTest, LinesWithoutAWordAreSkippedNotReadAgain) {
  // "(" and a character followed by "*" stop the word reader before it has
  // taken anything: each such line must be passed over once.
  EXPECT_TRUE(Run("[MMD1]\r\n(x)\r\na*b\r\n  (*name*)\r\n#message ende\r\n(\x1A"));
  EXPECT_EQ(Messages(), std::vector<CString>{L"ende"});
  EXPECT_TRUE(Run("[MMD1]\r\n#message a\r\n(last line without break"));
}

TEST_F(ScriptRunnerTest, MessageShowsAQuotedTextWholeAndOtherwiseOneWord) {
  EXPECT_TRUE(Run("[MMD1]\r\n#message \"Zwei Worte\" rest\r\n#message Zwei Worte\r\n"));
  EXPECT_EQ(Messages(), (std::vector<CString>{L"Zwei Worte", L"Zwei"}));
}

TEST_F(ScriptRunnerTest, ManufacturerIdCheckAgainstTheActiveDataset) {
  Store().SetCurrent(NewDataset(Store()));
  wcsncpy(Current().m_szHerstellerID, L"ABCD", 5);
  EXPECT_TRUE(Run("[MMD1]\r\nHerstellerID=ABCD\r\n#message weiter\r\n"));
  EXPECT_EQ(Messages(), std::vector<CString>{L"weiter"});
  m_UI.Clear();
  EXPECT_FALSE(Run("[MMD1]\r\nHerstellerID=ABCX\r\n#message weiter\r\n"));
  EXPECT_EQ(Messages(), std::vector<CString>{L"Hersteller ID [ABCD] aus der Textdatei passt nicht "
                                             L"mit aktuellen Satz.\nDas Laden wird nicht "
                                             L"forgesetzt"});
  // A three-character ID matches the line that ends after three.
  wcsncpy(Current().m_szHerstellerID, L"XYZ", 5);
  EXPECT_TRUE(Run("[MMD1]\r\nHerstellerID=XYZ\r\n"));
  EXPECT_FALSE(Run("[MMD1]\r\nHerstellerID=XY"));
}

// A table block is read by the text table reader at the top level (whose
// tests check blocks that fill a table already there); the run goes on after
// it, and a block that fails stops the run.
TEST_F(ScriptRunnerTest, EmbeddedTablesAreReadAtTheTopLevel) {
  EXPECT_TRUE(
      Run("[MMD1]\r\n[MMTB]\r\n(*Farben*) (**) C,1\r\n(*rot*) (*Rot*)\r\n[Ende_MMTB]\r\n"
          "#message danach\r\n"));
  EXPECT_EQ(Text(L"Farben", L"rot"), L"Rot");
  EXPECT_EQ(Current().m_Tables.size(), 2u) << "Farben and StringTable";
  EXPECT_EQ(Messages(), std::vector<CString>{L"danach"});
  EXPECT_FALSE(Run("[MMD1]\r\n[MMTB]\r\n(*T*) (**) C,1\r\n(*x*) (*(*y*)\r\n[Ende_MMTB]\r\n"));
}

TEST_F(ScriptRunnerTest, EachCompletedRunWritesTheDateOfTheRun) {
  EXPECT_TRUE(Run("[MMD1]\r\n"));
  const CString date = Text(L"StringTable", L"LASTUPDATE_DATUM");
  ASSERT_EQ(date.size(), 8u) << ToUtf8(date);
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  EXPECT_EQ(std::stoi(date.substr(4)), local.tm_year + 1900) << "ddmmyyyy";
  EXPECT_EQ(std::stoi(date.substr(2, 2)), local.tm_mon + 1);
  // A failed run does not claim an update.
  Store().SetCellValue(Table(L"StringTable"), Current().FindHandle(L"LASTUPDATE_DATUM"), 0, 0,
                       CCellInput::Text(L"alt"));
  EXPECT_FALSE(Run("[MMD1]\r\n#importdn fehlt.001\r\n"));
  EXPECT_EQ(Text(L"StringTable", L"LASTUPDATE_DATUM"), L"alt");
}

TEST_F(ScriptRunnerTest, ADatasetLockedByAnotherStopsTheFirstChangingCommand) {
  CLockFile other;
  MakeDatasetLockedByAnother(other);
  EXPECT_FALSE(Run("[MMD1]\r\n#message nie\r\n"));
  EXPECT_EQ(Messages(), std::vector<CString>{L"Aktueller Datensatz ist schreibgeschützt"});
}

TEST_F(ScriptIfdef, BranchesFollowTheMacrosAndNest) {
  EXPECT_TRUE(
      Run("[MMD1]\r\n#define A 1\r\n"
          "#ifdef A\r\n  #message a\r\n"
          "  #ifdef B\r\n    #message ab\r\n  #else\r\n    #message a-nicht-b\r\n  #endif\r\n"
          "#else\r\n  #message nicht-a\r\n"
          "  #ifdef A\r\n    #message nie\r\n  #else\r\n    #message nie2\r\n  #endif\r\n"
          "#endif\r\n#undef A\r\n#ifdef A\r\n#message nie3\r\n#endif\r\n#message ende\r\n"));
  EXPECT_EQ(Messages(), (std::vector<CString>{L"a", L"a-nicht-b", L"ende"}));
}

TEST_F(ScriptIfdef, ASecondElseAMissingEndifAFailingCommandOrDeepNestingStopsTheRun) {
  EXPECT_FALSE(Run("[MMD1]\r\n#ifdef X\r\n#else\r\n#else\r\n#endif\r\n#message nie\r\n"));
  EXPECT_EQ(m_UI.LastText(), L"<#else> schon in Zeile 2 gefunden  in der Datei <" +
                                 (m_Folder / L"script.txt") + L">");
  for (const char* text : {"[MMD1]\r\n\r\n#ifdef X\r\n#message a\r\n",
                           "[MMD1]\r\n\r\n#ifdef X\r\n[Ende]\r\n#endif\r\n",
                           "[MMD1]\r\n\r\n#ifdef X\r\n\x1A#endif\r\n"}) {
    m_UI.Clear();
    EXPECT_FALSE(Run(text)) << text;
    EXPECT_EQ(Messages(), std::vector<CString>{L"Kein <#endif> gefunden für <#ifdef> aus Zeile 2 "
                                               L"in der Datei <" +
                                               (m_Folder / L"script.txt") + L">"});
  }
  // A command that fails in a branch, and branches nested without bound.
  m_UI.Clear();
  EXPECT_FALSE(
      Run("[MMD1]\r\n#define A\r\n#ifdef A\r\n#importdn fehlt.001\r\n#message nie\r\n"
          "#else\r\n#message nie2\r\n#endif\r\n#message nie3\r\n"));
  EXPECT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(m_UI.HasMessageContaining(L"nicht vorhanden"));
  std::string text = "[MMD1]\r\n";
  for (int i = 0; i < 5000; ++i) text += "#ifdef X\r\n";
  EXPECT_FALSE(Run(text));
  EXPECT_TRUE(m_UI.HasMessageContaining(L"verschachtelt"));
}

}  // namespace
