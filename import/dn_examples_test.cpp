// The bundled examples (examples/datanorm) read back through the article
// calls: the import and the complete-text assembly meet here.
#include <gtest/gtest.h>

#include <filesystem>

#include "OrvaMat/article.h"
#include "OrvaMat/mat_manager.h"
#include "import/dn_test_util.h"

namespace {

std::string ExampleDir() { return DnSourceDir() + "/examples/datanorm"; }

class DatanormExamples : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::is_directory(ExampleDir())) GTEST_SKIP() << "no " << ExampleDir();
    CDnLoader loader(&m_Data.Store());
    for (const char* file : {"beispiel.wrg", "beispiel.001", "beispiel5.001"}) {
      ASSERT_TRUE(loader.Load(FromUtf8(ExampleDir() + "/" + file), true)) << file;
    }
  }
  CDnTestDataset m_Data;
};

TEST_F(DatanormExamples, CompleteTextsOfBothVersions) {
  CString text;
  ASSERT_EQ(CMatManager::GetGesammtText(text, m_Data.H(L"TV-15-E")), eMatOk);
  EXPECT_EQ(text,
            L"Thermostatventil DN 15 Eckform\r\nvernickelt, Voreinstellung 1-6\r\n"
            L"Thermostatventil aus Messing, vernickelt,\r\nmit stufenloser Voreinstellung.\r\n"
            L"Passend für alle Thermostatköpfe mit\r\nAnschluss M30 x 1,5.");
  ASSERT_EQ(CMatManager::GetGesammtText(text, m_Data.H(L"UP-25-60")), eMatOk);
  EXPECT_EQ(text,
            L"Umwälzpumpe 25-60\r\nBaulänge 180 mm\r\n"
            L"Hocheffizienz-Umwälzpumpe für Heizungsanlagen,\r\n"
            L"elektronisch geregelt, Energieeffizienzindex ≤ 0,20.\r\n"
            L"Förderhöhe 6   m, Anschluss 25 mm");
  ASSERT_EQ(CMatManager::GetGesammtText(text, m_Data.H(L"RL-15")), eMatOk);
  EXPECT_EQ(text,
            L"Rücklaufverschraubung DN 15\r\nabsperrbar\r\n"
            L"Rücklaufverschraubung mit Entleerung\r\nund Absperrung, Messing vernickelt.");
}

}  // namespace
