#include "import/dn_import.h"

#include <gtest/gtest.h>

#include "import/dn_test_util.h"

namespace {

using DatanormImport = CFileTest;

TEST_F(DatanormImport, HeaderPreviewOfBothVersionsAndEncodings) {
  auto v4 = SniffDatanormHeader(Write(L"a.001", DnHeader4("240525", "Katalog")), 1252);
  EXPECT_EQ(v4.nVersion, 4);
  EXPECT_EQ(v4.strDate, L"24.05.25");
  EXPECT_EQ(v4.strText.substr(0, 7), L"Katalog");
  auto v5 = SniffDatanormHeader(Write(L"b.001", DnHeader5()), 1252);
  EXPECT_EQ(v5.strDate, L"15.03.2024");
  EXPECT_EQ(v5.strText, L"Zeile eins");
  // UTF-8 with its mark, and UTF-16.
  auto u8 = SniffDatanormHeader(
      Write(L"c.001", "\xEF\xBB\xBFV;050;A;20240315;EUR;Gr\xC3\xBC\xC3\x9F;;\r\n"), 1252);
  EXPECT_EQ(u8.strText, L"Grüß");
  std::string u16 = "\xFF\xFE";
  for (char c : std::string("V;050;A;20240102;EUR;Ab;")) u16 += std::string{c, '\0'};
  auto w = SniffDatanormHeader(Write(L"d.001", u16), 1252);
  EXPECT_EQ(w.strDate, L"02.01.2024");
  EXPECT_EQ(w.strText, L"Ab");
  for (const std::string& bad : {std::string("X"), std::string("V;030;"), std::string()}) {
    auto none = SniffDatanormHeader(Write(L"e.001", bad), 1252);
    EXPECT_EQ(none.nVersion, 0);
    EXPECT_EQ(none.strText, L"Keine DATANORM-Datei oder beschädigt");
    EXPECT_EQ(none.strDate, L"??.??.??");
  }
  EXPECT_EQ(SniffDatanormHeader(m_Folder / L"fehlt.001", 1252).nVersion, 0);
}

TEST_F(DatanormImport, FileSetTakesGroupsFirstAndSkipsFolders) {
  for (const wchar_t* name :
       {L"KAT.001", L"KAT.002", L"kat.WRG", L"KAT.0001", L"KATX001", L"K.001"}) {
    Write(name, "x");
  }
  std::filesystem::create_directory(ToUtf8(m_Folder / L"KAT.dir"));
  const auto files = CollectDatanormFileSet(m_Folder / L"KAT.001");
  EXPECT_EQ(files, (std::vector<CString>{m_Folder / L"kat.WRG", m_Folder / L"KAT.001",
                                         m_Folder / L"KAT.002"}));
  EXPECT_TRUE(CollectDatanormFileSet(m_Folder / L"FEHLT.001").empty());
}

TEST_F(DatanormImport, DialogImportsTheChosenSetIntoTheChosenDataset) {
  CDnTestDataset t;
  Write(L"KAT.WRG", DnHeader4() + "S;;HG1;Heizung;;;\r\n");
  const CString chosen = Write(L"KAT.001", DnHeader4() + "A;N;ART;00;Kurz;;1;0;ST;100;;HG1;;\r\n");
  Write(L"KAT.002", DnHeader4() + "B;N;ART;;;;0;0;0;;;WG1;0;0;;;\r\n");
  t.UI().PushChooserPath(chosen);
  ImportDatanormDlg(0, nullptr);
  ASSERT_EQ(t.UI().GetChoosers().size(), 1u);
  EXPECT_EQ(t.UI().GetChoosers()[0].request.strTitle, L"DATANORM Datensatz einlesen");
  EXPECT_EQ(t.UI().GetChoosers()[0].request.strDefaultExt, L".001");
  EXPECT_EQ(t.Text(L"StringTable", L"HWG_HG1"), L"Heizung");
  EXPECT_EQ(t.Text(L"KurzText", L"ART"), L"Kurz");
  CMatTable* pMain = t.Child(L"HauptWarenGruppen", L"HWG_HG1");
  EXPECT_EQ(t.Store().RowExists(t.Child(pMain, L"WG_1"), t.H(L"ART")), eMatNoTable);
  EXPECT_EQ(t.Store().RowExists(t.Child(pMain, L"WG_WG1"), t.H(L"ART")), eMatOk);
  // Cancelling the chooser imports nothing.
  ImportDatanormDlg(0, nullptr);
  EXPECT_EQ(t.UI().GetChoosers().size(), 2u);
  // The check the dialog makes of the chosen dataset.
  EXPECT_TRUE(CheckDnDatasetWritable());
  t.Dataset().SetBacking(std::make_unique<CLockedBacking>());
  EXPECT_FALSE(CheckDnDatasetWritable());
  EXPECT_EQ(t.UI().LastText(), L"Aktueller Datensatz ist schreibgeschützt");
}

}  // namespace
