// The table and article workbook importers: the layouts' edge cases, the
// messages, and a workbook that can not be read changing nothing.
#include <gtest/gtest.h>

#include <bit>
#include <cwchar>
#include <fstream>

#include "import/dn_test_util.h"
#include "import/workbook_import.h"
#include "import/workbook_test_util.h"
#include "platform/temp_folder.h"
#include "store/table_names.h"

namespace {

class WorkbookImportTest : public ::testing::Test {
 protected:
  WorkbookImportTest() { std::wcsncpy(m_Data.Dataset().m_szHerstellerID, L"ABCD", 4); }

  CString Xlsx(const std::vector<CTestSheet>& sheets) {
    const CString path = m_Folder / (L"w" + std::to_wstring(++m_nFiles) + L".xlsx");
    EXPECT_TRUE(WriteTestXlsx(path, sheets));
    return path;
  }
  bool Tables(const CTestSheet& sheet) { return ImportExcelTables(m_Data.Store(), Xlsx({sheet})); }
  bool Articles(const std::vector<CTestSheet>& sheets) {
    return ImportArticleWorkbook(m_Data.Store(), Xlsx(sheets));
  }
  std::vector<CString> Messages() {
    std::vector<CString> texts;
    for (const auto& m : m_Data.UI().GetMessages()) texts.push_back(m.strText);
    return texts;
  }

  CDnTestDataset m_Data;
  CTempFolder m_Folder;
  int m_nFiles = 0;
};

// ---- table workbooks

TEST_F(WorkbookImportTest, TablesOfEachTypeWithoutManufacturerCheck) {
  EXPECT_TRUE(Tables({
      {"Tabellen"},
      {"kein Marker"},
      {"MMTB", "Farben", "String", 2},
      {"Comment", "Farbnamen"},
      {"; Kommentar", "x", "y"},
      {"", "rot", "Rot", "Red"},
      {},
      {"", "blau", "Blau"},
      {"Ende_MMTB"},
      {"mmtb", "klein geschrieben ist kein Marker"},
      {"MMTB", "Zahlen", "int", 1},
      {"", "a", "(2*21)"},
      {"MMTB", "Werte", "Float", 1},
      {"", "w", 2.5},
      {"Ende_MMTB"},
      {"ende_mmtb"},
      {"MMTB", "Verweise", "Hdl", 2},
      {"", "v", "rot", ""},
      {"Ende_MMTB"},
      {"Ende"},
      {"MMTB", "NachDemEnde", "Void", 1},
  }));
  EXPECT_EQ(m_Data.Text(L"Farben", L"rot", 0), L"Rot");
  EXPECT_EQ(m_Data.Text(L"Farben", L"rot", 1), L"Red");
  EXPECT_EQ(m_Data.Text(L"Farben", L"blau", 1), L"");
  EXPECT_EQ(m_Data.Table(L"Farben")->m_strBeschreibung, L"Farbnamen");
  EXPECT_EQ(m_Data.Table(L"Farben")->GetRowCount(), 2u);
  EXPECT_EQ(m_Data.Cell(L"Zahlen", L"a"), 42u);
  CMatTable* pWerte = m_Data.Child(L"Zahlen", L"Werte");
  ASSERT_NE(pWerte, nullptr);
  EXPECT_EQ(std::bit_cast<float>(m_Data.Cell(pWerte, L"w")), 2.5F);
  EXPECT_EQ(m_Data.Name(L"Verweise", L"v", 0), L"rot");
  EXPECT_EQ(m_Data.Cell(L"Verweise", L"v", 1), 0u);
  EXPECT_EQ(m_Data.Table(L"NachDemEnde"), nullptr);
  EXPECT_EQ(m_Data.UI().Count(), 0u) << ToUtf8(m_Data.UI().LastText());
}

TEST_F(WorkbookImportTest, ManufacturerIdFollowsTheScriptRule) {
  // The dataset's ID is ABCD: any other, also one it begins with, is refused.
  for (const char* pGiven : {"ABCX", "XBCD", "ABC", "ABCD"}) {
    SCOPED_TRACE(pGiven);
    const bool bSame = std::string_view(pGiven) == "ABCD";
    EXPECT_EQ(Tables({{"x"}, {"herstellerid", pGiven}, {"MMTB", "T", "Void", 1}, {"", "k"}}),
              bSame);
    EXPECT_EQ(m_Data.Table(L"T") != nullptr, bSame);
    if (!bSame) {
      EXPECT_EQ(m_Data.UI().LastText(),
                L"Hersteller ID passt nicht mit aktuellen Satz.\nMMD=ABCD, Excel=" +
                    FromUtf8(pGiven) + L"\nDas Laden wird nicht forgesetzt");
    }
  }
}

TEST_F(WorkbookImportTest, StructRecordsDuplicatesAndUnclosedTables) {
  EXPECT_TRUE(Tables({
      {},
      {},
      {"MMTB", "Maße", "Struct", 1},
      {"StrucDef", "", "Int", "String", "Hdl"},
      {"x", "DN15", 15, "halb", "rot"},
      {"", "", 18, "dreiviertel", ""},
      {"", "", 22, "", "blau"},
      {"x", "DN20", 20, "eins"},
      {"x", "DN15", 99, "doppelt"},
      {"StrucDef", "", "Int", "Float", "Hdl", "Int"},
      {"MMTB", "Ohne", "Struct", 1},
      {"x", "k", 1},
      {"Ende_MMTB"},
      {"Ende"},
  }));
  CMatTable* pTable = m_Data.Table(L"Maße");
  ASSERT_NE(pTable, nullptr);
  EXPECT_EQ(m_Data.Cell(pTable, L"DN15", 0, 0), 15u);
  EXPECT_EQ(m_Data.Cell(pTable, L"DN15", 2, 0), 22u);
  EXPECT_EQ(m_Data.Text(pTable, L"DN15", 1, 1), L"dreiviertel");
  EXPECT_EQ(m_Data.Cell(pTable, L"DN15", 1, 2), 0u);
  EXPECT_EQ(m_Data.Name(L"Maße", L"DN15", 2, 2), L"blau");
  EXPECT_EQ(m_Data.Cell(pTable, L"DN15", 3, 0), ~0u);  // three elements only
  EXPECT_EQ(m_Data.Cell(pTable, L"DN20", 0, 0), 20u);
  EXPECT_EQ(m_Data.Child(pTable, L"Ohne")->GetRowCount(), 0u);
  EXPECT_EQ(Messages(),
            (std::vector<CString>{
                L"In der Tabelle (*Maße*) wird der Handle:(*DN15*) mehrfach eingelesen (Zeile #9)",
                L"Maße: Zeile:10 Tabelle mit dem Typ Strukt. Unterschiedliche strukturdefinition",
                L"Maße: Zeile:10 Tabelle mit dem Typ Strukt. Unterschiedliche strukturdefinition",
                L"Zeile:12 Tabelle (Ohne) mit dem Typ Strukt. <StrucDef...> ist aber nicht "
                L"angegeben.",
                L"Tabelle <Maße> ist nicht mit Ende_MMTB abgeschlossen",
            }));
}

TEST_F(WorkbookImportTest, ASheetEndingInsideATableEndsIt) {
  EXPECT_TRUE(Tables({{}, {}, {"MMTB", "Offen", "Void", 1}, {"", "k"}}));
  EXPECT_EQ(m_Data.Cell(L"Offen", L"k"), 0u);
  EXPECT_EQ(Messages(),
            std::vector<CString>{L"Tabelle <Offen> ist nicht mit Ende_MMTB abgeschlossen"});
}

// Names are matched without regard to case; an unknown one is Void.
TEST_F(WorkbookImportTest, TypeNamesIgnoreCaseAndDefaultToVoid) {
  const std::pair<const wchar_t*, int> names[] = {
      {L"HANDLE", 0}, {L"char", 1}, {L"INTEGER", 2}, {L"uniSTRING", 10}, {L"Double", 6}, {L"", 6}};
  for (const auto& [name, type] : names) EXPECT_EQ(ImportTypeFromName(name), type) << ToUtf8(name);
}

TEST_F(WorkbookImportTest, AnUnreadableWorkbookChangesNothing) {
  const CString text = m_Folder / L"liste.xlsx";
  std::ofstream(ToUtf8(text)) << "MMTB;T;Void;1\n";
  const std::size_t nTables = m_Data.Dataset().m_Tables.size();
  EXPECT_FALSE(ImportExcelTables(m_Data.Store(), text));
  EXPECT_FALSE(ImportArticleWorkbook(m_Data.Store(), text));
  EXPECT_FALSE(ImportArticleWorkbook(m_Data.Store(), m_Folder / L"fehlt.xlsx"));
  EXPECT_EQ(m_Data.Dataset().m_Tables.size(), nTables);
  const auto messages = Messages();
  ASSERT_EQ(messages.size(), 3u);
  for (const CString& m : messages) EXPECT_EQ(m.rfind(L"Kann die Datei nicht öffnen\n", 0), 0u);
}

// ---- article workbooks

CTestSheet ArticleSheet() {
  return {
      {"Artikelliste"},
      {"data", "", "", "", "", "EUR", "", "", "", "", "", "", "", "DEFAULT", "", "", "EN"},
      {"A-1", "ALT-1", 0, 100, "Stk", "12,5", "R1", "H1", "W1", "AN1", "10", "S. 7", "", "Rohr", "",
       "a<br>b", "Pipe", "long", "x\ny"},
      {"A-2", "", 2, 1, "", 3, "", "", "W9", "", "", "", "", "  Bogen \t", "90°"},
  };
}

TEST_F(WorkbookImportTest, ArticleRowByTheCellRule) {
  EXPECT_TRUE(Articles({ArticleSheet(),
                        {{"data", "DEFAULT"}, {"H1", "Hauptgruppe"}},
                        {{"Schlüssel"}, {"data", "DEFAULT", "en"}, {"W1", "Gruppe", "Group"}},
                        {{1, "ignored"}}}));
  EXPECT_TRUE(m_Data.HasFields(L"A-1",
                               L"PK=1;PE=100;ME=Stk;Preis=12.5;RG=R1;HWG=HWG_H1;WG=WG_W1;"
                               L"AN=AN1;VPE=10;Seite=S. 7"));
  EXPECT_TRUE(m_Data.HasFields(L"A-2", L"PK=2;Preis=3"));
  EXPECT_EQ(m_Data.Name(L"AlternativNr", L"A-1"), L"ALT-1");
  EXPECT_EQ(m_Data.Text(L"StringTable", L"WAEHRUNG"), L"EUR");
  // Texts: a short text without second line has no break; <br> and lone
  // line feeds become CR LF.
  EXPECT_EQ(m_Data.Text(L"KurzText", L"A-1"), L"Rohr");
  EXPECT_EQ(m_Data.Text(L"GesammtText", L"A-1"), L"a\r\nb");
  EXPECT_EQ(m_Data.Text(L"KurzText", L"A-2"), L"Bogen\r\n90°");
  EXPECT_EQ(m_Data.Text(m_Data.Child(L"KurzText", L"EN"), L"A-1"), L"Pipe\r\nlong");
  EXPECT_EQ(m_Data.Text(m_Data.Child(L"GesammtText", L"EN"), L"A-1"), L"x\r\ny");
  // Groups: the article is in HWG_H1 and its WG_W1; A-2 has a product group
  // but no main group, so no group table is made for it.
  CMatTable* pMain = m_Data.Child(L"HauptWarenGruppen", L"HWG_H1");
  ASSERT_NE(pMain, nullptr);
  EXPECT_EQ(m_Data.Store().RowExists(pMain, m_Data.H(L"A-1")), eMatOk);
  CMatTable* pGroup = m_Data.Child(pMain, L"WG_W1");
  ASSERT_NE(pGroup, nullptr);
  EXPECT_EQ(m_Data.Store().RowExists(pGroup, m_Data.H(L"A-1")), eMatOk);
  EXPECT_EQ(m_Data.Child(pMain, L"WG_W9"), nullptr);
  // Names: main groups into StringTable, "en" upper-cased into its EN child.
  EXPECT_EQ(m_Data.Text(L"StringTable", L"HWG_H1"), L"Hauptgruppe");
  EXPECT_EQ(m_Data.Text(m_Data.Child(L"StringTable", L"EN"), L"WG_W1"), L"Group");
  EXPECT_EQ(m_Data.UI().LastText(),
            L"Import abgeschlossen.\r\n\r\nWarnung: 1 / 2 Artikel ohne Hauptwarengruppe.\r\n");
}

TEST_F(WorkbookImportTest, ArticleReportCollectsEveryWarning) {
  CTestSheet articles = {{"data", "", "", "", "", "", "", "", "", "", "", "", "", "EN"},
                         {"A-1", "", "", "", "", "", "", "H1", "W1", "", "", "", "", "kurz"},
                         {"A-2", "", "", "", "", "", "", "H2", "W1"},
                         {"A-3"}};
  EXPECT_TRUE(Articles({articles,
                        {{"data", "DEFAULT"}},
                        {{"keine Kopfzeile"}},
                        {{"data", "DEFAULT"}, {"R1", "Rabatt Eins"}}}));
  EXPECT_EQ(m_Data.Cell(L"Rabattgruppen", L"R1", 0, 0), 2u);
  EXPECT_EQ(m_Data.Float(L"Rabattgruppen", L"R1", 0, 1), 1.0F);
  EXPECT_EQ(m_Data.Text(L"Rabattgruppen", L"R1", 0, 2), L"Rabatt Eins");
  EXPECT_EQ(m_Data.Text(L"StringTable", L"R1"), L"Rabatt Eins");
  EXPECT_EQ(Messages(),
            (std::vector<CString>{
                L"Eine Zeile mit Spalte(0) = 'data' wurde nicht gefunden in der Tabelle: "
                L"'Tabelle3'!",
                L"Import abgeschlossen.\r\n\r\n"
                L"Warnung: Hauptwarengruppe-Tabelle ist leer.\r\n"
                L"Warnung: 1 / 3 Artikel ohne Hauptwarengruppe.\r\n"
                L"Warnung: Folgende Hauptwarengruppen unbekannt: HWG_H1, HWG_H2.\r\n"
                L"Warnung: Folgende Warengruppen unbekannt: WG_W1.\r\n"
                L"Warnung: Es wurde keine Default-Sprache angegeben.\r\n"
                L"Warnung: Leere Tabellen gelöscht: GesammtText>EN\r\n",
            }));
}

TEST_F(WorkbookImportTest, ElevenEmptyRowsEndTheArticles) {
  for (int nGap : {10, 11}) {
    SCOPED_TRACE(nGap);
    CDnTestDataset data;
    CTestSheet sheet = {{"Schlüssel"}, {"Kopf"}, {"A-1"}};
    sheet.resize(sheet.size() + static_cast<std::size_t>(nGap));
    sheet.push_back({"A-2"});
    ASSERT_TRUE(ImportArticleWorkbook(data.Store(), Xlsx({sheet})));
    EXPECT_NE(data.H(L"A-1"), 0u);
    EXPECT_EQ(data.Cell(L"ArtikelInfo1", L"A-2") != ~0u, nGap == 10);
  }
}

TEST_F(WorkbookImportTest, HeaderRowBeforeTheFirstNumber) {
  // Row 2 holds a positive number first: row 1 is the header, row 2 the
  // first article; a sheet with a number in row 1 reads from row 1.
  EXPECT_TRUE(Articles({{{"Titel"}, {"Nr", "", "", "", "", "CHF"}, {4711}, {4712}}}));
  EXPECT_EQ(m_Data.Text(L"StringTable", L"WAEHRUNG"), L"CHF");
  EXPECT_NE(m_Data.Cell(L"ArtikelInfo1", L"4711"), ~0u);
  EXPECT_NE(m_Data.Cell(L"ArtikelInfo1", L"4712"), ~0u);
  EXPECT_EQ(m_Data.H(L"Nr"), 0u);
  CDnTestDataset data;
  EXPECT_TRUE(ImportArticleWorkbook(data.Store(), Xlsx({{{17}, {18}}})));
  EXPECT_NE(data.Cell(L"ArtikelInfo1", L"17"), ~0u);
}

TEST_F(WorkbookImportTest, ReadOnlyDatasetIsRefusedBeforeTheWorkbookIsRead) {
  m_Data.Dataset().SetBacking(std::make_unique<CLockedBacking>());
  EXPECT_FALSE(Articles({ArticleSheet()}));
  EXPECT_EQ(Messages(),
            std::vector<CString>{L"Importieren fehlgeschlagen.\r\n\r\nMMD ist schreibgeschützt."});
  EXPECT_EQ(m_Data.H(L"A-1"), 0u);
}

// ---- progress

// Each layout reports the rows of its first sheet: (0, rows) first, rising
// steps, (rows, rows) last; also when its reading stops early (the tables'
// "Ende", the articles' gap, the insulation sheet's empty kind), so that a
// bar on a terminal is always finished.
TEST_F(WorkbookImportTest, ProgressFollowsTheRowsOfEachLayout) {
  constexpr int kRows = 10000;
  CTestSheet tables = {{"Tabellen"}, {}, {"MMTB", "Viele", "Int", 1}};
  CTestSheet articles = {{"data"}};
  CTestSheet insulation = {{"data"}, {0}, {}};
  insulation.back().resize(24);
  insulation.back()[3] = "Gruppe";
  insulation.back()[23] = 1;
  for (int r = 0; r < kRows; ++r) {
    tables.push_back({"", ("R" + std::to_string(r)).c_str(), r});
    articles.push_back({("A-" + std::to_string(r)).c_str()});
    std::vector<CTestCell> article(24);
    article[0] = 1;
    article[23] = r + 2;
    insulation.push_back(article);
  }
  tables.push_back({"Ende_MMTB"});
  tables.push_back({"Ende"});
  // Eleven empty rows end the articles long before the sheet does.
  CTestSheet early = {{"data"}, {"A-1"}};
  early.resize(14);
  early.push_back({"zu spät"});
  early.resize(kRows);
  early.push_back({"weit hinten"});
  struct CCase {
    const char* szName;
    const CTestSheet* pSheet;
    bool (*pImport)(CMatStore&, const CString&, std::size_t*, const CWorkbookProgress*);
  } const cases[] = {
      {"tables", &tables, ImportExcelTables},
      {"articles", &articles, ImportArticleWorkbook},
      {"insulation", &insulation, ImportInsulationWorkbook},
      {"articles ending early", &early, ImportArticleWorkbook},
  };
  for (const CCase& c : cases) {
    SCOPED_TRACE(c.szName);
    CDnTestDataset data;
    std::vector<std::pair<std::size_t, std::size_t>> reports;
    const CWorkbookProgress progress = [&](std::size_t n, std::size_t total) {
      reports.emplace_back(n, total);
    };
    std::size_t nRows = 0;
    ASSERT_TRUE(c.pImport(data.Store(), Xlsx({*c.pSheet}), &nRows, &progress));
    ASSERT_EQ(nRows, c.pSheet->size());
    ASSERT_GE(reports.size(), 2u);
    EXPECT_EQ(reports.front(), std::make_pair(std::size_t{0}, nRows));
    EXPECT_EQ(reports.back(), std::make_pair(nRows, nRows));
    for (std::size_t i = 1; i < reports.size(); ++i) {
      EXPECT_LT(reports[i - 1].first, reports[i].first) << i;
      EXPECT_EQ(reports[i].second, nRows);
    }
    // Every few thousand rows between, unless the reading stopped early.
    if (c.pSheet != &early) {
      EXPECT_GE(reports.size(), 4u);
    }
  }
}

// ---- workbooks saved by LibreOffice

// The fixtures of scripts/make-workbook-fixtures.sh, each saved by LibreOffice
// as .xls and as .ods: texts with umlauts and two paragraphs, numbers stored
// as text, text stored as numbers, merged and empty cells, and 5,000 empty
// formatted rows after the data, which hold no cell.
class SavedWorkbookTest : public ::testing::TestWithParam<const char*> {
 protected:
  SavedWorkbookTest() { std::wcsncpy(m_Data.Dataset().m_szHerstellerID, L"XLS0", 4); }
  static CString Fixture(const char* name) {
    return FromUtf8(std::string(ORVAMAT_TEST_SOURCE_DIR) + "/import/testdata/workbooks/" + name +
                    "." + GetParam());
  }
  CDnTestDataset m_Data;
};

TEST_P(SavedWorkbookTest, Articles) {
  std::size_t nRows = 0;
  ASSERT_TRUE(ImportArticleWorkbook(m_Data.Store(), Fixture("articles"), &nRows));
  EXPECT_EQ(nRows, 6u);
  // 4711 is a number cell, 0815 a text: both article numbers as written.
  EXPECT_TRUE(m_Data.HasFields(L"4711",
                               L"PK=1;PE=100;ME=Stück;Preis=12.5;HWG=HWG_10;WG=WG_100;"
                               L"VPE=5;Seite=42"));
  EXPECT_EQ(m_Data.Text(L"KurzText", L"4711"), L"Kupferrohr\r\nDN 15 hart");
  EXPECT_EQ(m_Data.Text(L"GesammtText", L"4711"), L"Kupferrohr\r\nhart, geglüht");
  EXPECT_EQ(m_Data.Text(m_Data.Child(L"KurzText", L"EN"), L"4711"), L"Copper pipe\r\nDN 15");
  EXPECT_EQ(m_Data.Name(L"AlternativNr", L"0815"), L"4711");
  EXPECT_TRUE(m_Data.HasFields(L"0815", L"Preis=3.75;HWG=HWG_10"));
  // A cell of two paragraphs is two lines.
  EXPECT_EQ(m_Data.Text(L"KurzText", L"0815"), L"Muffe äöüß\r\nzweite Zeile");
  // A text merged over N and O: N holds it, O is empty.
  EXPECT_EQ(m_Data.Text(L"KurzText", L"M-1"), L"Übergangsstück");
  EXPECT_TRUE(m_Data.HasFields(L"M-1", L"Preis=0.1"));
  EXPECT_TRUE(m_Data.HasFields(L"A-6", L"Preis=1e+06"));
  EXPECT_EQ(m_Data.Text(L"StringTable", L"WAEHRUNG"), L"EUR");
  EXPECT_EQ(m_Data.Text(L"StringTable", L"HWG_10"), L"Rohre");
  EXPECT_EQ(m_Data.Text(m_Data.Child(L"StringTable", L"EN"), L"HWG_10"), L"Pipes");
  EXPECT_EQ(m_Data.Text(L"StringTable", L"HWG_20"), L"Formstücke");
  EXPECT_EQ(m_Data.Text(L"StringTable", L"WG_100"), L"Kupferrohre");
  EXPECT_EQ(m_Data.Text(L"Rabattgruppen", L"R1", 0, 2), L"Rabatt Eins");
  EXPECT_EQ(m_Data.UI().LastText(),
            L"Import abgeschlossen.\r\n\r\nWarnung: 1 / 4 Artikel ohne Hauptwarengruppe.\r\n"
            L"Warnung: Folgende Warengruppen unbekannt: WG_200.\r\n");
}

TEST_P(SavedWorkbookTest, Tables) {
  std::size_t nRows = 0;
  ASSERT_TRUE(ImportExcelTables(m_Data.Store(), Fixture("tables"), &nRows));
  EXPECT_EQ(nRows, 21u);
  EXPECT_EQ(m_Data.Text(L"Farben", L"rot", 0), L"Rot");
  EXPECT_EQ(m_Data.Text(L"Farben", L"rot", 1), L"Red");
  EXPECT_EQ(m_Data.Text(L"Farben", L"4711", 0), L"Grün");
  EXPECT_EQ(m_Data.Table(L"Farben")->m_strBeschreibung, L"Farbnamen über drei Spalten");
  EXPECT_EQ(m_Data.Cell(L"Zahlen", L"a"), 42u);
  EXPECT_EQ(m_Data.Cell(L"Zahlen", L"b"), 7u);
  EXPECT_EQ(m_Data.Float(L"Werte", L"w"), 2.5F);
  EXPECT_EQ(m_Data.Float(L"Werte", L"x"), 1e6F);
  CMatTable* pSizes = m_Data.Table(L"Maße");
  ASSERT_NE(pSizes, nullptr);
  EXPECT_EQ(m_Data.Cell(pSizes, L"DN15", 0, 0), 15u);
  EXPECT_EQ(m_Data.Text(pSizes, L"DN15", 0, 1), L"halb");
  EXPECT_EQ(m_Data.Cell(pSizes, L"DN15", 1, 0), 18u);
  EXPECT_EQ(m_Data.Text(pSizes, L"DN15", 1, 1), L"dreiviertel");
  EXPECT_TRUE(m_Data.UI().GetMessages().empty()) << ToUtf8(m_Data.UI().LastText());
}

INSTANTIATE_TEST_SUITE_P(LibreOffice, SavedWorkbookTest, ::testing::Values("xls", "ods"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
