// The tool's dialog commands on a real database file, laid out off screen
// and saved as pictures instead of waiting for a user.
#include <gtest/gtest.h>

#include "tool_run_test_util.h"

namespace {

class DialogCommands : public ::testing::Test {
 protected:
  DialogCommands() {
    const std::string examples = std::string(ORVAMAT_TEST_SOURCE_DIR) + "/examples/datanorm/";
    const CToolRun made =
        m_Folder.Run("import datanorm '" + examples + "beispiel5.001' --mmd a.mmd");
    EXPECT_EQ(made.nExit, 0) << made.strErr;
  }
  CToolFolder m_Folder;
};

TEST_F(DialogCommands, TheArticleChoiceIsLaidOutSavedAndClosedWithoutAChoice) {
  const CToolRun run = m_Folder.Run(
      "dialog choose --mmd a.mmd UP-25-60 KR-50 --json --screenshot c.png", "unset DISPLAY");
  EXPECT_EQ(run.nExit, 0) << run.strErr;
  EXPECT_EQ(run.strOut, "{\"ok\":true,\"chosen\":null}\n");
  EXPECT_TRUE(std::filesystem::file_size(m_Folder.Path() / "c.png") > 0);

  m_Folder.ExpectRun("dialog choose --mmd a.mmd NOPE --json", 1,
                     "{\"ok\":false,\"errors\":[\"NOPE: no such article in a.mmd\"]}\n");
  // A picture that can not be saved never leaves the dialog waiting.
  const CToolRun unsaved = m_Folder.Run("dialog choose --mmd a.mmd KR-50 --screenshot no/c.png");
  EXPECT_EQ(unsaved.nExit, 1);
  EXPECT_TRUE(Has(unsaved.strErr, "Das Bild des Dialogs konnte nicht gespeichert werden"));
}

TEST_F(DialogCommands, TheArticleSearchStartsAtTheArticleGiven) {
  const CToolRun run =
      m_Folder.Run("dialog search --mmd a.mmd KR-50 --json --screenshot s.png", "unset DISPLAY");
  EXPECT_EQ(run.nExit, 0) << run.strErr;
  EXPECT_EQ(run.strOut, "{\"ok\":true,\"accepted\":false,\"selected\":\"KR-50\"}\n");
  EXPECT_TRUE(std::filesystem::file_size(m_Folder.Path() / "s.png") > 0);
  m_Folder.ExpectRun("dialog search --mmd a.mmd --screenshot t.png", 0, " (cancelled)\n");
}

TEST_F(DialogCommands, TheDebuggerClosedAtOnceEndsTheRunWhereItStands) {
  m_Folder.Write("f.txt",
                 "[declarations]\r\nINTEGER FUNCTION F(A)\r\n[bodies]\r\nINTEGER FUNCTION F(A)\r\n"
                 "INTEGER A\r\nA = A + 1\r\nF = A * 2\r\nEND FUNCTION F\r\n");
  const CToolRun run =
      m_Folder.Run("formula run f.txt F --arg A=3 --debug --screenshot d.png --json");
  EXPECT_EQ(run.nExit, 0) << run.strErr;
  EXPECT_TRUE(
      Has(run.strOut, "\"parameters\": [{\"name\": \"A\", \"type\": \"INTEGER\", \"value\": 3}]"))
      << run.strOut;
  EXPECT_TRUE(std::filesystem::file_size(m_Folder.Path() / "d.png") > 0);
  m_Folder.ExpectRun("formula run f.txt F --arg A=3", 0,
                     "result F = 8 (INTEGER)\nparameter A = 4 (INTEGER)\n");
}

TEST_F(DialogCommands, TheVariantsDialogOfAProductWithAccessories) {
  const std::string file =
      std::string(ORVAMAT_TEST_SOURCE_DIR) + "/vdi/testdata/accessories_sheet4.vdi";
  ASSERT_EQ(m_Folder.Run("import vdi '" + file + "' --mmd p.mmd").nExit, 0);
  const CToolRun run = m_Folder.Run(
      "dialog variants --mmd p.mmd --sheet VDI-Pumpen 1-1-0-0-0-0-0-0-0-0-0-0-0-0-0-1 "
      "--select 1-5-2-7-1-1-3 --json --screenshot v.png");
  EXPECT_EQ(run.nExit, 0) << run.strErr;
  EXPECT_EQ(run.strOut, "{\"ok\":true,\"accepted\":false,\"selection\":[\"1-5-2-7-1-1-3\"]}\n");
  EXPECT_TRUE(std::filesystem::file_size(m_Folder.Path() / "v.png") > 0);
  EXPECT_EQ(m_Folder.Run("dialog variants --mmd p.mmd --sheet VDI-Pumpen 9-9").nExit, 1);
}

TEST_F(DialogCommands, TheDatasetPageReportsTheDatasetsAsTheUserLeftThem) {
  const CToolRun run = m_Folder.Run("dialog datasets --mmd a.mmd --json --screenshot d.png");
  EXPECT_EQ(run.nExit, 0) << run.strErr;
  EXPECT_TRUE(Has(run.strOut, "\"state\":\"listed\"")) << run.strOut;
  EXPECT_TRUE(std::filesystem::file_size(m_Folder.Path() / "d.png") > 0);
}

}  // namespace
