// The tool's BDH-2 commands as a user runs them: the built binary in a fresh
// folder that is also its settings folder, on the example catalogue and on
// files that are no catalogue or a damaged one.
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "tool_run_test_util.h"

namespace {

namespace fs = std::filesystem;

class BdhCommands : public ::testing::Test {
 protected:
  BdhCommands() {
    fs::copy_file(fs::path(ORVAMAT_TEST_SOURCE_DIR) / "examples/bdh/HK.DAT", m_Path / "HK.DAT");
  }
  CToolRun Run(const std::string& args, const std::string& setup = "true") {
    return m_Folder.Run(args, setup);
  }

  CToolFolder m_Folder;
  const fs::path& m_Path = m_Folder.Path();
};

TEST_F(BdhCommands, ImportListAndVariantsOfTheExample) {
  const CToolRun import = Run("import bdh HK.DAT --mmd hk.mmd");
  ASSERT_EQ(import.nExit, 0) << import.strErr;
  EXPECT_TRUE(Has(import.strOut, "saved"));
  EXPECT_TRUE(Has(import.strErr, "17 lines stored, 1 skipped (the first: line 18)"))
      << import.strErr;
  EXPECT_TRUE(Has(m_Folder.Contents("hk.mmd").substr(0, 8), "MMD")) << "made, ID BDH0";

  const CToolRun models = Run("bdh models --mmd hk.mmd --json");
  ASSERT_EQ(models.nExit, 0) << models.strErr;
  EXPECT_TRUE(Has(models.strOut,
                  "{\"ok\":true,\"series\":[{\"name\":\"Planheizkoerper\","
                  "\"models\":[{\"name\":\"Typ 22\""))
      << models.strOut;
  EXPECT_TRUE(Has(models.strOut, "\"name\":\"Bad 1\",\"key\":\"B\",\"kind\":\"E\""));

  const CToolRun variants = Run("bdh variants --mmd hk.mmd Planheizkoerper 'Typ 33'");
  ASSERT_EQ(variants.nExit, 0) << variants.strErr;
  EXPECT_TRUE(Has(variants.strOut,
                  "400\tBauhoehe 600\t1\t33\t150\t1600\t1.33\tHK33.600.0400\t343\t55\t19.674\n"))
      << variants.strOut;
  const CToolRun json = Run("bdh variants --mmd hk.mmd Badheizkoerper 'Bad 1' --json");
  ASSERT_EQ(json.nExit, 0) << json.strErr;
  EXPECT_TRUE(Has(json.strOut,
                  "\"order number\":\"BAD.1200.500\",\"article\":false,"
                  "\"return temperature\":0,\"heat output\":560,\"mass flow\":6.891"))
      << json.strOut;
}

TEST_F(BdhCommands, FailuresSayWhyAndSaveNothing) {
  m_Folder.Write("kein.DAT", "Dies ist\r\nkein Katalog\r\n");
  CToolRun run = Run("import bdh kein.DAT --mmd neu.mmd");
  EXPECT_EQ(run.nExit, 1);
  EXPECT_TRUE(Has(run.strErr, "keinen BDH-2-Satz")) << run.strErr;
  EXPECT_TRUE(Has(run.strErr, "2 Zeilen wurden übersprungen"));
  EXPECT_TRUE(Has(run.strErr, "0 lines stored, 2 skipped"));
  EXPECT_FALSE(fs::exists(m_Path / "neu.mmd"));
  EXPECT_FALSE(fs::exists(m_Path / "neu.$$mmd"));

  run = Run("import bdh fehlt.DAT --mmd neu.mmd");
  EXPECT_EQ(run.nExit, 1);
  EXPECT_TRUE(Has(run.strErr, "fehlt.DAT")) << run.strErr;
  EXPECT_FALSE(fs::exists(m_Path / "neu.mmd"));

  ASSERT_EQ(Run("import bdh HK.DAT --mmd hk.mmd --id HK01").nExit, 0);
  const std::string before = m_Folder.Contents("hk.mmd");
  // Another process holds the database file.
  run = Run("import bdh HK.DAT --mmd hk.mmd",
            "chmod a-w hk.mmd && { flock 'hk.$$mmd' sleep 2 & } && sleep 0.5");
  EXPECT_EQ(run.nExit, 1);
  EXPECT_TRUE(Has(run.strErr, "schreibgeschützt")) << run.strErr;
  EXPECT_EQ(m_Folder.Contents("hk.mmd"), before);

  m_Folder.ExpectRun("bdh variants --mmd hk.mmd Planheizkoerper 'Typ 99' --json", 1,
                     "{\"ok\":false,\"errors\":[\"hk.mmd: no model Typ 99 in series "
                     "Planheizkoerper\"]}\n");
  run = Run("bdh models --mmd fehlt.mmd --json");
  EXPECT_EQ(run.nExit, 1);
  EXPECT_TRUE(Has(run.strOut, "\"ok\":false")) << run.strOut;
}

// An order-number rule that points past the base text gives no number: the
// variant is listed without one, and the command fails.
TEST_F(BdhCommands, AVariantWithoutOrderNumberFailsTheCommand) {
  m_Folder.Write("regel.DAT",
                 "10|A|-|P|S|M\r\n25|1|400\r\n50|-|20|3|0|@BL@\r\n60|1|1|100|E|-|500|1,3|0|0|"
                 "0|0|0|0|0|KURZ\r\n");
  ASSERT_EQ(Run("import bdh regel.DAT --mmd r.mmd").nExit, 0);
  CToolRun run = Run("bdh variants --mmd r.mmd S A --json");
  EXPECT_EQ(run.nExit, 1);
  EXPECT_TRUE(Has(run.strOut, "\"ok\":false")) << run.strOut;
  EXPECT_TRUE(Has(run.strOut, "\"order number\":null"));
  EXPECT_TRUE(Has(run.strOut, "1 variants have no order number"));
  run = Run("bdh variants --mmd r.mmd S A");
  EXPECT_EQ(run.nExit, 1);
  EXPECT_TRUE(Has(run.strOut, "\t?\t")) << run.strOut;
}

}  // namespace
