#include "import/dn_loader.h"

#include <gtest/gtest.h>

#include "OrvaMat/OrvaMat.h"
#include "import/dn_tables.h"
#include "import/dn_test_util.h"

namespace {

const std::string kA4 = "A;N;ART-1;40;Pumpe;zweite Zeile;1;2;MTR;12345;RG7;HG1;LT1;\r\n";

TEST(DatanormHeader, Version4DateCenturyTextAndCurrency) {
  CDnTestDataset t;
  ASSERT_TRUE(t.Load(DnHeader4("150379", "Mein Katalog", "CHF")));
  EXPECT_EQ(t.Text(L"StringTable", L"DATANORM_DATUM"), L"15032079");
  EXPECT_EQ(t.Text(L"StringTable", L"DATANORM_INFO"), L"Mein Katalog");
  EXPECT_EQ(t.Text(L"StringTable", L"WAEHRUNG"), L"CHF");
  // 80 is the last year of the 1900s; a currency already there stays.
  ASSERT_TRUE(t.Load(DnHeader4("150380", "Mein Katalog", "EUR")));
  EXPECT_EQ(t.Text(L"StringTable", L"DATANORM_DATUM"), L"15031980");
  EXPECT_EQ(t.Text(L"StringTable", L"WAEHRUNG"), L"CHF");
  EXPECT_EQ(t.H(L"HERSTELLERKURZEL"), 0u);
}

TEST(DatanormHeader, Version5Fields) {
  CDnTestDataset t;
  CDnLoader loader(&t.Store());
  ASSERT_TRUE(loader.LoadBytes(DnHeader5(), L"x", true));
  EXPECT_EQ(loader.GetVersion(), 5);
  EXPECT_EQ(t.Text(L"StringTable", L"DATANORM_DATUM"), L"15032024");
  EXPECT_EQ(t.Text(L"StringTable", L"DATANORM_INFO"), L"Zeile eins\r\nZeile zwei\r\n");
  EXPECT_EQ(t.Text(L"StringTable", L"WAEHRUNG"), L"EUR");
  EXPECT_EQ(t.Text(L"StringTable", L"HERSTELLERKURZEL"), L"HSK");
}

// A catalogue larger than the dataset's names or text pool stops at the first
// article that does not fit, with one message naming its line, instead of
// skipping (and reporting) every article after it.
TEST(DatanormHeader, ACatalogueBeyondTheDatasetStopsAtItsFirstArticleThatDoesNotFit) {
  const struct {
    bool bNames;  // else the text pool
    const wchar_t* pMessage;
  } cases[] = {
      {true,
       L"Der Datensatz hat keine freien Namen mehr: Die Datei test.001 wurde bei Zeile 5 "
       L"abgebrochen, 3 Artikel wurden gelesen."},
      {false,
       L"Der Datensatz hat keinen Speicher mehr frei: Die Datei test.001 wurde bei Zeile 4 "
       L"abgebrochen, 2 Artikel wurden gelesen."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bNames ? "names" : "text pool");
    CDnTestDataset t;
    // The header's names and the main group's table first: then each article
    // takes one name and one text.
    ASSERT_TRUE(t.Load(DnHeader5() + "A;N;VORAB;Rohr;;PCE;1;1;100;;10;;\r\n"));
    std::string text = DnHeader5();
    for (int i = 0; i < 10; ++i)
      text +=
          "A;N;ART" + std::to_string(i) + ";Rohr " + std::to_string(i) + ";;PCE;1;1;100;;10;;\r\n";
    // Room for three names, or for the texts of two articles, more.
    if (c.bNames) {
      t.Dataset().m_nHandleCounter = CMatDatenSatz::kCounterMask - 3;
    } else {
      t.Dataset().m_nPoolLimit = static_cast<std::uint32_t>(t.Dataset().GetPoolCount() + 2);
    }
    t.UI().Clear();
    EXPECT_FALSE(t.Load(text));
    ASSERT_EQ(t.UI().Count(), 1u);
    EXPECT_EQ(t.UI().LastText(), c.pMessage);
  }
}

TEST(DatanormHeader, RefusalsEmptyOrUnreadableFileAndLockedDataset) {
  CDnTestDataset t;
  // A file that fails while it is read (EIO) is reported once.
  EXPECT_FALSE(CDnLoader(&t.Store()).Load(L"/proc/self/mem", true));
  ASSERT_EQ(t.UI().Count(), 1u);
  EXPECT_EQ(t.UI().LastText(),
            L"Die Datei kann nicht gelesen werden:\n/proc/self/mem: Input/output error");
  EXPECT_FALSE(t.Load("X;N;nothing\r\n"));
  EXPECT_EQ(t.UI().LastText(), L"Keine Datanorm Datei! test.001");
  EXPECT_FALSE(t.Load("V;030;A;20240101;\r\nA;N;X;\r\n"));
  EXPECT_EQ(t.UI().LastText(), L"DATANORM Version 3 ???. Datei <test.001> Laden abgebrochen");
  EXPECT_EQ(t.H(L"X"), 0u);  // nothing written
  t.UI().Clear();
  EXPECT_FALSE(t.Load(""));
  EXPECT_EQ(t.UI().Count(), 0u);
  // A version 4 header cut before its version digits is no crash either.
  EXPECT_FALSE(t.Load("V 0101\r\n"));
  // A dataset whose file another user holds takes nothing.
  t.Dataset().SetBacking(std::make_unique<CLockedBacking>());
  EXPECT_FALSE(t.Load(DnHeader4() + kA4));
  EXPECT_EQ(t.UI().LastText(), L"Aktueller Datensatz ist schreibgeschützt");
  EXPECT_EQ(t.H(L"ART-1"), 0u);
}

TEST(DatanormArticle, Version4FieldsAndTheCompleteTextMadeBeforeIsDropped) {
  CDnTestDataset t;
  CDnLoader loader(&t.Store());
  CMatTable* pGesammt = loader.GetTables().m_pGesammtText;
  const Handle hArticle = loader.GetDnHandle(L"ART-1");
  t.Store().SetCellValue(pGesammt, hArticle, 0, 0, CCellInput::Text(L"alt"));
  ASSERT_TRUE(loader.LoadBytes(DnHeader4() + kA4, L"test.001", true));
  EXPECT_EQ(t.Store().RowExists(pGesammt, hArticle), eMatNoRow);
  EXPECT_EQ(t.Text(L"KurzText", L"ART-1"), L"Pumpe\r\nzweite Zeile");
  EXPECT_TRUE(t.HasFields(L"ART-1", L"TK=40;PK=1;PE=100;ME=m;Preis=123.45;RG=RG7;HWG=HWG_HG1"));
  EXPECT_EQ(t.Name(L"LangText", L"ART-1"), L"LT1");
  CMatTable* pMain = t.Child(L"HauptWarenGruppen", L"HWG_HG1");
  ASSERT_NE(pMain, nullptr);
  EXPECT_EQ(t.Text(pMain, L"ART-1"), L"");
}

TEST(DatanormArticle, Version4EmptyFieldsUnknownUnitZeroPrice) {
  CDnTestDataset t;
  ASSERT_TRUE(t.Load(DnHeader4() + "A;N; ART-2 ;;Kurz;;0;7;Bund;00000000;RGX; ; ;\r\n"));
  EXPECT_EQ(t.Text(L"KurzText", L"ART-2"), L"Kurz");
  EXPECT_TRUE(t.HasFields(L"ART-2", L"PE=1;ME=Bund"));
  EXPECT_EQ(t.Cell(L"Preis", L"ART-2"), ~0u);  // no price row
  // No main group: the discount group names it.
  EXPECT_NE(t.Child(L"HauptWarenGruppen", L"HWG_RGX"), nullptr);
  EXPECT_EQ(t.Cell(L"LangText", L"ART-2"), ~0u);
}

TEST(DatanormArticle, Version5Fields) {
  CDnTestDataset t;
  ASSERT_TRUE(t.Load(DnHeader5() +
                     "A;N;A5;Kurz 1;Kurz 2;MTR;1;100;9999999999;R1;HG;WG9; MC-1 ;x;ALT-1;a;b;c;"
                     "4012345678901;ANB;0;S.12;2;LT5;90;;;;;\r\n"));
  EXPECT_EQ(t.Text(L"KurzText", L"A5"), L"Kurz 1\r\nKurz 2");
  // Ten digits hold more than 32 bits: the price is read whole.
  EXPECT_FLOAT_EQ(t.Float(L"Preis", L"A5"), 99999999.99f);
  EXPECT_TRUE(t.HasFields(L"A5",
                          L"ME=m;PE=100;RG=R1;MC=MC-1;SB=MC-1;EAN=4012345678901;AN=ANB;"
                          L"VPE=1;Seite=S.12;TK=2;KA=90"));
  EXPECT_EQ(t.Store().RowExists(t.Table(L"Matchcode"), t.H(L"MC-1")), eMatOk);
  EXPECT_EQ(t.Name(L"AlternativNr", L"ALT-1"), L"A5");
  EXPECT_EQ(t.Name(L"LangText", L"A5"), L"LT5");
  CMatTable* pMain = t.Child(L"HauptWarenGruppen", L"HWG_HG");
  ASSERT_NE(pMain, nullptr);
  EXPECT_EQ(t.Text(pMain, L"A5"), L"S.12");
  EXPECT_EQ(t.Store().RowExists(t.Child(pMain, L"WG_WG9"), t.H(L"A5")), eMatOk);
}

// A main group's texts are written after the records, a table at a time; a
// text beyond one-byte characters is written at once. Whatever the order,
// an article's last text wins.
TEST(DatanormArticle, MainGroupTextsKeepTheirOrderAroundWideTexts) {
  CDnTestDataset t;
  auto line = [](const std::string& number, const std::string& page) {
    return "A;N;" + number + ";Kurz;;PCE;1;1;100;R1;HG;;;;;;;;;;0;" + page + ";;;;;;;;\r\n";
  };
  const std::string euro = "S.\xE2\x82\xAC";  // U+20AC in UTF-8
  ASSERT_TRUE(t.Load(DnHeader5() + line("P0", "S.0") + line("P1", "S.1") + line("P1", euro + "1") +
                     line("P2", euro + "2") + line("P2", "S.2") + line("P3", "S.3") +
                     line("P3", "S.3")));
  CMatTable* pMain = t.Child(L"HauptWarenGruppen", L"HWG_HG");
  ASSERT_NE(pMain, nullptr);
  EXPECT_EQ(t.Text(pMain, L"P0"), L"S.0");
  EXPECT_EQ(t.Text(pMain, L"P1"), L"S.\u20AC1");
  EXPECT_EQ(t.Text(pMain, L"P2"), L"S.2");
  EXPECT_EQ(t.Text(pMain, L"P3"), L"S.3");
  EXPECT_EQ(t.Store().GetRowCount(pMain), 4);
}

TEST(DatanormArticle, AdditionRecordVersion4) {
  CDnTestDataset t;
  ASSERT_TRUE(t.Load(DnHeader4() + kA4 +
                     "B;N;ART-1;MATCH  ;ALT-9;K12;0;0;0;4000000000001;bild.tif;WG3;93;0;;;\r\n"
                     "B;N;UNBEKANNT;M2;ALT-2;;0;0;0;;;WG4;0;5;;;\r\n"));
  EXPECT_TRUE(t.HasFields(L"ART-1",
                          L"MC=MATCH;Seite=K12;EAN=4000000000001;AN=bild;WG=WG3;KA=93;"
                          L"VPE=1"));
  EXPECT_EQ(t.Name(L"AlternativNr", L"ALT-9"), L"ART-1");
  EXPECT_EQ(t.Name(L"AlternativNr", L"ART-1"), L"ALT-9");
  CMatTable* pMain = t.Child(L"HauptWarenGruppen", L"HWG_HG1");
  EXPECT_EQ(t.Store().RowExists(t.Child(pMain, L"WG_WG3"), t.H(L"ART-1")), eMatOk);
  // An addition to an unknown article writes nothing.
  EXPECT_EQ(t.H(L"UNBEKANNT"), 0u);
  EXPECT_EQ(t.H(L"ALT-2"), 0u);
}

TEST(DatanormArticle, ManyGroupsTakingTurnsKeepTheirArticles) {
  // Main groups and product groups take turns from article to article, and
  // product groups of the same name lie under every main group.
  std::string records;
  for (int i = 0; i < 60; ++i) {
    records += "A;N;ART" + std::to_string(i) + ";K;;PCE;1;1;100;R;M" + std::to_string(i % 5) +
               ";P" + std::to_string(i % 12) + ";;;;;;;;;;;0;;;0;\r\n";
  }
  CDnTestDataset t;
  ASSERT_TRUE(t.Load(DnHeader5() + records));
  CMatTable* pGroups = t.Table(L"HauptWarenGruppen");
  ASSERT_EQ(pGroups->m_Children.size(), 5u);
  for (int i = 0; i < 60; ++i) {
    SCOPED_TRACE(i);
    CMatTable* pMain = t.Child(pGroups, (L"HWG_M" + std::to_wstring(i % 5)).c_str());
    ASSERT_NE(pMain, nullptr);
    EXPECT_EQ(pMain->m_Children.size(), 12u);
    const Handle hArticle = t.H((L"ART" + std::to_wstring(i)).c_str());
    EXPECT_EQ(t.Store().RowExists(pMain, hArticle), eMatOk);
    CMatTable* pGroup = t.Child(pMain, (L"WG_P" + std::to_wstring(i % 12)).c_str());
    EXPECT_EQ(t.Store().RowExists(pGroup, hArticle), eMatOk);
    EXPECT_EQ(t.Store().GetRowCount(pGroup), 1);
  }
}

TEST(DatanormArticle, ProcessingFlagOtherThanNSkipsTheRecord) {
  CDnTestDataset t;
  ASSERT_TRUE(t.Load(DnHeader5() + "A;A;CHG;Kurz;;PCE;1;1;100;;;;;;;;;;;;;;;;;\r\n"
                                   "A;L;DEL;Kurz;;PCE;1;1;100;;;;;;;;;;;;;;;;;\r\n"
                                   "A;;NEW;Kurz;;PCE;1;1;100;;;;;;;;;;;;;;;;;\r\n"));
  EXPECT_EQ(t.H(L"CHG"), 0u);
  EXPECT_EQ(t.H(L"DEL"), 0u);
  EXPECT_EQ(t.Name(L"ArtikelInfo1", L"NEW", 0, eInfo1Mengeneinheit), L"Stck");
}

TEST(DatanormArticle, CatalogueTextFillsEmptyMainGroupRowsAfterTheLastRecord) {
  CDnTestDataset t;
  // Version 4 puts the article into its main group without text; a version 5
  // record of another article in the same group carries a catalogue page.
  ASSERT_TRUE(t.Load(DnHeader5() + "A;N;P1;K;;PCE;1;1;100;R;HG;;;;;;;;;;0;;;0;\r\n"));
  CMatTable* pMain = t.Child(L"HauptWarenGruppen", L"HWG_HG");
  ASSERT_NE(pMain, nullptr);
  EXPECT_EQ(t.Text(pMain, L"P1"), L"");
  CDnLoader loader(&t.Store());
  t.Store().SetCellValue(loader.GetTables().m_pArtikelInfo2, t.H(L"P1"), 0, eInfo2Katalogseite,
                         CCellInput::Text(L"Seite 7"));
  ASSERT_TRUE(loader.LoadBytes(DnHeader5(), L"x", true));
  EXPECT_EQ(t.Text(pMain, L"P1"), L"Seite 7");
}

TEST(DatanormGroups, DiscountGroupsVersion5AndVersion4) {
  CDnTestDataset t;
  ASSERT_TRUE(t.Load(DnHeader5() + "R;G1;1;2550;Text\r\nR;G2;2;850;\r\n"));
  CMatTable* pGroups = t.Table(L"Rabattgruppen");
  ASSERT_NE(pGroups, nullptr);
  EXPECT_TRUE(pGroups->m_bListMode);
  EXPECT_EQ(t.Cell(pGroups, L"G1", 0, 0), 1u);
  EXPECT_FLOAT_EQ(t.Float(L"Rabattgruppen", L"G1", 0, 1), 0.745f);
  EXPECT_EQ(t.Text(pGroups, L"G1", 0, 2), L"Text");
  EXPECT_FLOAT_EQ(t.Float(L"Rabattgruppen", L"G2", 0, 1), 0.85f);
  EXPECT_EQ(t.Text(pGroups, L"G2", 0, 2), L"");
  ASSERT_TRUE(t.Load(DnHeader4() + "R;N;G4;1;1000;Vier\r\n"));
  EXPECT_FLOAT_EQ(t.Float(L"Rabattgruppen", L"G4", 0, 1), 0.9f);
}

TEST(DatanormGroups, ProductGroupNamesOfBothVersions) {
  CDnTestDataset t;
  ASSERT_TRUE(t.Load(DnHeader4() + "S;;01;Installation;;;\r\n"
                                   "S;;01;;12;Automaten;\r\n"
                                   "S;;02;Kabel;0201;Fernmeldekabel;\r\n"));
  CMatTable* pHwg = t.Table(L"HauptWarenGruppen");
  CMatTable* pMain1 = t.Child(pHwg, L"HWG_01");
  ASSERT_NE(pMain1, nullptr);
  EXPECT_NE(t.Child(pMain1, L"WG_12"), nullptr);
  EXPECT_EQ(t.Text(L"StringTable", L"HWG_01"), L"Installation");
  EXPECT_EQ(t.Text(L"StringTable", L"WG_12"), L"Automaten");
  // A product group of a main group that has no table yet goes under a new
  // main group table, and the record's main group name is kept.
  CMatTable* pMain2 = t.Child(pHwg, L"HWG_02");
  ASSERT_NE(pMain2, nullptr);
  EXPECT_NE(t.Child(pMain2, L"WG_0201"), nullptr);
  EXPECT_EQ(t.Table(L"WG_0201"), nullptr);
  EXPECT_EQ(t.Text(L"StringTable", L"HWG_02"), L"Kabel");
  EXPECT_EQ(t.Text(L"StringTable", L"WG_0201"), L"Fernmeldekabel");
  // Version 5: main group and product group in fields of their own.
  ASSERT_TRUE(t.Load(DnHeader5() + "S;H1;;Heizung\r\nS;H1;W1;Ventile\r\n"));
  CMatTable* pMain5 = t.Child(pHwg, L"HWG_H1");
  ASSERT_NE(pMain5, nullptr);
  EXPECT_NE(t.Child(pMain5, L"WG_W1"), nullptr);
  EXPECT_EQ(t.Text(L"StringTable", L"HWG_H1"), L"Heizung");
  EXPECT_EQ(t.Text(L"StringTable", L"WG_W1"), L"Ventile");
}

TEST(DatanormGroups, GroupNamesWithDotsAreFoundAgain) {
  CDnTestDataset t;
  ASSERT_TRUE(t.Load(DnHeader4() + kA4 + "B;N;ART-1;;;;0;0;0;;;004.050;0;0;;;\r\n" +
                     "A;N;ART-2;00;K;;1;0;ST;100;;HG1;;\r\n" +
                     "B;N;ART-2;;;;0;0;0;;;004.050;0;0;;;\r\n"));
  CMatTable* pMain = t.Child(L"HauptWarenGruppen", L"HWG_HG1");
  ASSERT_NE(pMain, nullptr);
  ASSERT_EQ(pMain->m_Children.size(), 1u);
  EXPECT_EQ(t.Store().GetRowCount(pMain->m_Children[0].get()), 2);
}

TEST(DatanormRecords, AssemblyTimesAndPictures) {
  CDnTestDataset t;
  ASSERT_TRUE(t.Load(DnHeader5() + "C;N;ARBS;M1;2;1;150;Montage;\r\n"
                                   "C;N;ARBA;M3;2;3;500;;\r\n"
                                   "C;N;ARBS;M9;1;1;150;x;\r\n"
                                   "C;N;ARBEIT-1;M4;2;1;150;\r\n"
                                   "G;N;ART;1;;bild;jpg;Ansicht;\r\n"
                                   "G;N;ART2;1;2B;foto.png;png;;\r\n"));
  EXPECT_FLOAT_EQ(t.Float(L"MontageZeit", L"M1", 0, 0), 9.0f);
  EXPECT_EQ(t.Name(L"MontageZeit", L"M1", 0, 1), L"Montage");
  EXPECT_FLOAT_EQ(t.Float(L"MontageZeit", L"M3", 0, 0), 30.0f);
  EXPECT_EQ(t.Cell(L"MontageZeit", L"M3", 0, 1), 0u);
  EXPECT_EQ(t.Cell(L"MontageZeit", L"M9"), ~0u);  // time kind 1 is not read
  EXPECT_EQ(t.H(L"M4"), 0u);                      // version 4 kind in a version 5 file
  EXPECT_EQ(t.Text(L"GRAFIK1A", L"ART", 0, 0), L"bild.jpg");
  EXPECT_EQ(t.Text(L"GRAFIK1A", L"ART", 0, 1), L"Ansicht");
  EXPECT_EQ(t.Text(L"GRAFIK2B", L"ART2", 0, 0), L"foto.png");
  ASSERT_TRUE(t.Load(DnHeader4() + "C;N;ARBEIT-1;M4;2;0;150;\r\n"));
  EXPECT_FLOAT_EQ(t.Float(L"MontageZeit", L"M4", 0, 0), 15.0f);
}

TEST(DatanormTables, NewDatasetGetsTheStandardTables) {
  CDnTestDataset t;
  RegisterDatanormTableSetup();  // what loading the library does
  const int nNummer = CMatManager::CreateDataset(L"ABCDE", L"Hersteller", nullptr);
  CMatDatenSatz* pDataset = t.Store().GetDataset(static_cast<std::size_t>(nNummer));
  ASSERT_NE(pDataset, nullptr);
  EXPECT_EQ(std::wstring_view(pDataset->m_szHerstellerID), L"ABCD");
  // The hook made the tables every load prepares (the tests above use each).
  // (Their unit rows: "MTR" read as "m" in the version 4 article test.)
  EXPECT_NE(FindTopTableNamed(*pDataset, L"KurzText"), nullptr);
}

TEST(DatanormArticle, ArticleNumberWithBackslashStaysInItsDataset) {
  CDnTestDataset t;
  // "AB\12" looked up through the exported name look-up would be taken for
  // dataset "AB"; the second record must find the first one's article.
  ASSERT_TRUE(t.Load(DnHeader5() + "A;N;AB\\12;Erst;;PCE;1;1;100;;;;;;;;;;;;;;;;;\r\n"
                                   "A;N;AB\\12;Dann;;PCE;1;1;200;;;;;;;;;;;;;;;;;\r\n"));
  EXPECT_EQ(t.Text(L"KurzText", L"AB\\12"), L"Dann");
  EXPECT_EQ(t.Store().GetRowCount(t.Table(L"KurzText")), 1);
}

}  // namespace
