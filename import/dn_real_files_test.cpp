// The catalogues other people wrote (ORVAMAT_TESTDATA/datanorm): every one
// imports without a crash or a hang, and the values checked here were read
// from the files by hand.
#include <gtest/gtest.h>

#include <filesystem>

#include "import/dn_test_util.h"

namespace {

class DatanormRealFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::is_directory(DnTestDataDir())) {
      GTEST_SKIP() << "third-party DATANORM files not found in " << DnTestDataDir()
                   << " (set ORVAMAT_TESTDATA)";
    }
  }
  bool Load(CDnTestDataset& t, const std::string& file, bool dos = true) {
    CDnLoader loader(&t.Store());
    return loader.Load(FromUtf8(DnTestDataDir() + "/" + file), dos);
  }
};

TEST_F(DatanormRealFiles, EveryFileImports) {
  int count = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(DnTestDataDir())) {
    const std::string ext = entry.path().extension().string();
    if (ext != ".001" && ext != ".WRG") continue;
    CDnTestDataset t;
    EXPECT_TRUE(Load(t, std::filesystem::relative(entry.path(), DnTestDataDir()).string()))
        << entry.path();
    EXPECT_EQ(t.UI().Count(), 0u) << entry.path();
    ++count;
  }
  EXPECT_GE(count, 17);
}

TEST_F(DatanormRealFiles, Version4ArticleWithAdditionInTheDosCharacterSet) {
  CDnTestDataset t;
  ASSERT_TRUE(Load(t, "FahrJo__datanorm-python/datanorm_test.001"));
  EXPECT_EQ(t.Text(L"KurzText", L"899977"),
            L"HAGER Leitungsschutzschalter AC C 16A 3p\r\nMCS316 415V 3TE 50Hz Zusatzeinr.mögl");
  EXPECT_TRUE(t.HasFields(L"899977", L"Preis=100;ME=Stk;RG=HB86;MC=MCS316;EAN=3250614315336"));
  CMatTable* pMain = t.Child(L"HauptWarenGruppen", L"HWG_01");
  EXPECT_EQ(t.Store().RowExists(t.Child(pMain, L"WG_12"), t.H(L"899977")), eMatOk);
  EXPECT_EQ(t.Text(L"StringTable", L"DATANORM_DATUM"), L"01011999");
}

TEST_F(DatanormRealFiles, GroupFileInTheWindowsCodePage) {
  CDnTestDataset t;
  ASSERT_TRUE(Load(t, "FahrJo__datanorm-python/datanorm_test.WRG", false));
  EXPECT_EQ(t.Text(L"StringTable", L"HWG_01"), L"Installationsgeräte & -systeme");
  EXPECT_EQ(t.Text(L"StringTable", L"WG_12"), L"Sicherungsautomaten & Hauptschalter");
  EXPECT_EQ(t.Text(L"StringTable", L"HWG_02"), L"Kabel & Leitung");
  EXPECT_EQ(t.Text(L"StringTable", L"WG_020101"), L"Fernmeldekabel (Aussen /Innen)");
}

TEST_F(DatanormRealFiles, Version4TextLinesAndBlocks) {
  CDnTestDataset t;
  ASSERT_TRUE(Load(t, "halo__datanorm/v4_products_before_texts.001"));
  EXPECT_EQ(t.Text(L"DATANORM_D", L"QBMK10208R", 0, 0).substr(0, 62),
            L"Installationskabel zur Nachrichten- und\r\nSignalübertragung auf");
  EXPECT_EQ(t.Name(L"LangText", L"QATA207569016"), L"00022923");
  EXPECT_EQ(t.Text(L"DATANORM_T", L"00022923").substr(0, 37),
            L"Verwendungszwecke\r\n- Für Geberit Twin");
  EXPECT_EQ(t.Text(L"DATANORM_T", L"00021057"), L"\r\nWilo Zubehör");
  EXPECT_FLOAT_EQ(t.Float(L"Preis", L"QATA207569016"), 3.0f);
  EXPECT_EQ(t.Text(L"KurzText", L"QATA207569016"),
            L"Tehalit ATA207569016 Endstück\r\nschnittkaschierend ABS halogenfreiz.LFW");
}

TEST_F(DatanormRealFiles, Version4InUtf8AndWithEmptyLines) {
  CDnTestDataset t;
  ASSERT_TRUE(Load(t, "halo__datanorm/v4_with_empty_lines_and_invalid_tags.001"));
  // The article after the empty lines is read; the "X" record is not.
  EXPECT_TRUE(t.HasFields(L"Z-0159", L"Preis=199;TK=30"));
  const CString text = t.Text(L"DATANORM_T", L"TZ-0159");
  EXPECT_EQ(text.substr(0, 50), L"Aufbewahrungspult\r\nPultgehäuse mit Klappdeckel aus");
  EXPECT_NE(text.find(L"lieferbar. Lieferung inkl."), CString::npos);
  EXPECT_EQ(text.find(L"Montagematerial"), CString::npos);
}

TEST_F(DatanormRealFiles, Version4SupplierExportWithEndMark) {
  CDnTestDataset t;
  ASSERT_TRUE(Load(t, "halo__datanorm/v4_with_texts.001"));
  EXPECT_EQ(t.Text(L"KurzText", L"100033152"), L"DIS-AM 20 BUS\r\nInfrarot-Bewegungsmelder");
  EXPECT_TRUE(t.HasFields(L"100033152", L"Preis=280;ME=St."));
  EXPECT_EQ(t.Name(L"LangText", L"100033152"), L"TNT6841");
  const CString text = t.Text(L"DATANORM_T", L"TNT6841");
  EXPECT_NE(text.find(L"geschlossenen Räumen"), CString::npos);
  EXPECT_NE(text.find(L"(z.\u00A0B."), CString::npos);
  EXPECT_EQ(text.substr(text.size() - 25), L"BUS-1-Technik vorgesehen.");
  CMatTable* pMain = t.Child(L"HauptWarenGruppen", L"HWG_004");
  ASSERT_NE(pMain, nullptr);
  EXPECT_EQ(t.Store().GetRowCount(t.Child(pMain, L"WG_004.050")), 2);
}

TEST_F(DatanormRealFiles, Version5ArticlesAndTexts) {
  CDnTestDataset t;
  ASSERT_TRUE(Load(t, "halo__datanorm/v5_first_texts_then_products.001"));
  EXPECT_EQ(t.Text(L"KurzText", L"020-568-Z"),
            L"Basisplatine für NF300\r\nbis NF5000 (nicht CPD-Version)");
  EXPECT_TRUE(t.HasFields(L"020-568-Z", L"ME=Stck;Preis=1081.1;RG=NBM;HWG=HWG_HLS;TK=3"));
  EXPECT_EQ(t.Text(L"DATANORM_T", L"TWPW").substr(0, 26), L"aP-Sockel IP 65 reinweiß\r\n");
  EXPECT_EQ(t.Text(L"StringTable", L"DATANORM_DATUM"), L"06042020");
  EXPECT_EQ(t.Text(L"StringTable", L"DATANORM_INFO"), L"Example GmbH\r\nProduktdaten\r\n");
}

TEST_F(DatanormRealFiles, Version5LargeCatalogue) {
  CDnTestDataset t;
  ASSERT_TRUE(Load(t, "halo__datanorm/v5_only_texts_and_products.001"));
  EXPECT_EQ(t.Store().GetRowCount(t.Table(L"KurzText")), 771);
  EXPECT_FLOAT_EQ(t.Float(L"Preis", L"764732"), 123.5f);
  EXPECT_EQ(t.Name(L"DATANORM_D", L"VLF-500", 0, 1), L"TVLF-500B");
  EXPECT_EQ(t.Text(L"DATANORM_T", L"TVLF-500B").substr(0, 23), L"VdS- Anerkennung: G2050");
}

TEST_F(DatanormRealFiles, Version5ChangeRecordsAreSkipped) {
  CDnTestDataset t;
  // Every record of this file carries the processing flag "A" (change).
  ASSERT_TRUE(Load(t, "halo__datanorm/v5_many_texts_few_products.001"));
  EXPECT_EQ(t.H(L"122000"), 0u);
  EXPECT_EQ(t.Text(L"StringTable", L"DATANORM_DATUM"), L"10122020");
}

TEST_F(DatanormRealFiles, VendorDemoWithLetterDiscountGroups) {
  CDnTestDataset t;
  ASSERT_TRUE(Load(t, "muhkuh__simpleCSV2DATANORMV5/DATANORM.001"));
  EXPECT_EQ(t.Store().GetRowCount(t.Table(L"KurzText")), 19);
  EXPECT_TRUE(t.HasFields(L"BR-150009", L"Preis=592;RG=A;HWG=HWG_A"));
  EXPECT_EQ(t.Text(L"KurzText", L"BS-13009"), L"Rinnenblech für Überlaufstein (D)");
  EXPECT_EQ(t.Text(L"KurzText", L"BWT-00427"), L"Becken 6,00m Ø x 1,35m sand 0,8mm Funkti");
}

}  // namespace
