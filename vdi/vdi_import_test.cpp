#include "vdi/vdi_import.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/temp_folder.h"
#include "platform/text.h"
#include "vdi/vdi_test_util.h"

namespace {

class VdiImportFile : public ::testing::Test {
 protected:
  CString WriteFile(const std::string& name, const std::string& bytes) {
    const std::string path = ToUtf8(m_Folder.GetPath()) + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return FromUtf8(path);
  }

  CTempFolder m_Folder;
  CVdiTestDataset t;
};

TEST_F(VdiImportFile, ChooserAsksForTheFileAndCancelReadsNothing) {
  ImportVdiFile(t.Store(), nullptr);
  ASSERT_EQ(t.UI().GetChoosers().size(), 1u);
  EXPECT_FALSE(t.UI().GetChoosers()[0].bSave);
  EXPECT_EQ(t.UI().GetChoosers()[0].request.strFilter, L"VDI Datensatz (*.vdi)|*.VDI||");
  EXPECT_EQ(t.Children(L""), L"");

  t.UI().PushChooserPath(WriteFile("a.vdi", "010;4;x\r\n100;1;r"));
  ImportVdiFile(t.Store(), nullptr);
  EXPECT_EQ(t.Text(L"VDI-Pumpen/100-1"), L"r");
  EXPECT_EQ(t.Messages(), L"");
}

TEST_F(VdiImportFile, MissingFileAndScriptImporter) {
  EXPECT_FALSE(ImportVdiForScript(t.Store(), WriteFile("leer.vdi", "") + L"x"));
  ASSERT_EQ(t.UI().GetMessages().size(), 1u);
  EXPECT_EQ(t.UI().GetMessages()[0].nStyle & MB_ICONMASK, MB_ICONERROR);
  EXPECT_TRUE(ImportVdiForScript(t.Store(), WriteFile("b.vdi", "010;3;x\r\n")));
  EXPECT_EQ(t.Children(L""), L"VDI-Waermeerzeuger-2");
}

}  // namespace
