// The insulation import: the tree of groups, products, variants and
// articles, the keys, the order checks of the outer diameters and the logs.
#include <gtest/gtest.h>

#include <cwchar>
#include <fstream>
#include <map>

#include "import/dn_test_util.h"
#include "import/workbook_import.h"
#include "import/workbook_test_util.h"
#include "platform/temp_folder.h"
#include "store/base/hashing.h"

namespace {

// A row of sheet 1 from (column, cell) pairs; A = 0 marks a head row next.
std::vector<CTestCell> Row(const std::map<int, CTestCell>& cells) {
  std::vector<CTestCell> row(29);
  for (const auto& [c, cell] : cells) row[static_cast<std::size_t>(c)] = cell;
  return row;
}
enum { A = 0, B, C, D, E, F, G, H, I, J, K, L, M, N, O, P, Q, R, S, T, U, V, W, X, Y, Z, AA, AB };

// A head row: group D, product G, variant V, trades H..N, outer diameter X.
std::vector<CTestCell> Head(const char* group, const char* product, const char* variant,
                            CTestCell diameter, std::map<int, CTestCell> more = {}) {
  more[D] = group;
  more[G] = product;
  more[V] = variant;
  more[X] = diameter;
  more[Y] = 9.5;
  more[AB] = "N-1";
  return Row(more);
}
std::vector<CTestCell> Article(CTestCell diameter) { return Row({{A, 1}, {X, diameter}}); }

class InsulationTest : public ::testing::Test {
 protected:
  InsulationTest() { std::wcsncpy(m_Data.Dataset().m_szHerstellerID, L"ABCD", 4); }

  bool Import(const CTestSheet& range, const wchar_t* name = L"Daemm.xlsx",
              const CTestSheet& preTexts = {{"data", "Text"}, {"VT1", "Erster\nVortext"}}) {
    m_strPath = m_Folder / name;
    EXPECT_TRUE(WriteTestXlsx(m_strPath, {range, preTexts}));
    return ImportInsulationWorkbook(m_Data.Store(), m_strPath);
  }
  CMatTable* Tree(std::initializer_list<const wchar_t*> names) {
    CMatTable* p = m_Data.Table(L"Daemmsysteme");
    for (const wchar_t* name : names) p = m_Data.Child(p, name);
    return p;
  }
  std::string Log(const wchar_t* suffix) {
    return FileBytes(m_strPath.substr(0, m_strPath.rfind(L'.')) + suffix);
  }
  static CString Key(const char* cell) { return CHashing::md5(FromUtf8(cell)).substr(0, 7); }

  CDnTestDataset m_Data;
  CTempFolder m_Folder;
  CString m_strPath;
};

TEST_F(InsulationTest, TreeTradesAndOuterDiameterOrder) {
  ASSERT_TRUE(Import({
      {"data"},
      Row({{A, "Kopf"}}),
      Head("Rohre", "Schlauch", "9 mm", 15,
           {{B, 1}, {H, 1}, {I, 0}, {J, 1}, {K, 0}, {L, 0}, {M, 0}, {N, 0}, {O, 255}, {W, "VT1"}}),
      Article(18),
      Article(18),
      Article(22),
      Article("MAX"),
      Article(12),
  }));
  CMatTable* pGroup = Tree({L"Produktgruppe 1"});
  ASSERT_NE(pGroup, nullptr);
  const CString groupKey = Key("Rohre");
  EXPECT_EQ(m_Data.Text(pGroup, groupKey.c_str(), 0, 0), L"Rohre");
  EXPECT_EQ(m_Data.Cell(pGroup, groupKey.c_str(), 0, 1), 1u);
  EXPECT_EQ(m_Data.Text(Tree({L"Vortexte"}), L"VT1", 0, 0), L"Erster\r\nVortext");
  EXPECT_EQ(m_Data.Cell(pGroup, groupKey.c_str(), 0, 3), m_Data.H(L"VT1"));
  CMatTable* pProduct = Tree({L"Produktgruppe 1", L"Produkt 1"});
  ASSERT_NE(pProduct, nullptr);
  const CString productKey = Key("Rohre");
  EXPECT_EQ(m_Data.Cell(pProduct, productKey.c_str(), 0, 6), 3u);    // trades H and J
  EXPECT_EQ(m_Data.Cell(pProduct, productKey.c_str(), 0, 3), 255u);  // colour
  CMatTable* pArticles = Tree({L"Produktgruppe 1", L"Produkt 1", L"Variante 1", L"Artikel"});
  ASSERT_NE(pArticles, nullptr);
  EXPECT_TRUE(pArticles->m_bListMode);
  const std::uint32_t stored[] = {15, 18, 22, 2147483647u};
  for (int n = 1; n <= 4; ++n) {
    const CString key = L"ABCD ART_0.0.0." + std::to_wstring(n);
    EXPECT_EQ(m_Data.Cell(pArticles, key.c_str(), 0, 1), stored[n - 1]) << n;
  }
  EXPECT_EQ(m_Data.Text(pArticles, L"ABCD ART_0.0.0.1", 0, 5), L"N-1");
  EXPECT_EQ(pArticles->GetRowCount(), 4u);
  EXPECT_EQ(Log(L"_WarningLog.txt"),
            "WARNUNG: Doppelte Werte für Außendurchmesser. Gefunden in Spalte 'X' Zeile 5.\r\n"
            "\tHINWEIS: Zeile 5 wurde nicht importiert.\r\n"
            "WARNUNG: Reihenfolge der Werte für Außendurchmesser ist nicht aufsteigend. Gefunden "
            "in Spalte 'X' Zeile 8.\r\n"
            "\tHINWEIS: Zeile 8 wurde nicht importiert.\r\n");
  EXPECT_EQ(Log(L"_TranslateLog.txt"),
            "Erster\\nVortext\\n\r\nRohre\\n\r\nSchlauch\\n\r\n9 mm\\n\r\n");
  EXPECT_EQ(m_Data.UI().LastText(), L"Import abgeschlossen.");
}

TEST_F(InsulationTest, OneGroupTwoProductsAndNeutralKeys) {
  ASSERT_TRUE(Import(
      {
          {"data"},
          Row({{A, 0}}),
          Head("Rohre", "Schlauch", "9 mm", 10, {{C, "G1"}, {F, "P1"}, {U, "V1"}}),
          Row({{A, 0}}),
          Head("Rohre", "Platte", "13 mm", 10, {{F, "P2"}}),
          Row({{A, 0}}),
          Head("Rohre", "Platte", "13 mm", 99),  // the same head again: skipped
          Row({{A, 1}}),                         // an empty outer diameter ends the sheet
          Article(50),
      },
      L"Neutrale Liste.xlsx"));
  EXPECT_EQ(Tree({L"Vortexte"}), nullptr);
  EXPECT_NE(Tree({L"Produktgruppe 1", L"Produkt 2", L"Variante 1"}), nullptr);
  EXPECT_EQ(Tree({L"Produktgruppe 2"}), nullptr);
  EXPECT_EQ(m_Data.Text(Tree({L"Produktgruppe 1"}), L"G1", 0, 0), L"Rohre");
  EXPECT_EQ(m_Data.Text(Tree({L"Produktgruppe 1", L"Produkt 2"}), L"P2", 0, 0), L"Platte");
  // Variant 1 of product 2 kept the key of the variant before (neutral).
  EXPECT_EQ(m_Data.Text(Tree({L"Produktgruppe 1", L"Produkt 2", L"Variante 1"}), L"V1", 0, 0),
            L"13 mm");
  EXPECT_EQ(Log(L"_WarningLog.txt"),
            "\tWARNUNG: Zeile 8 hat keinen Inhalt.\r\n"
            "ERROR: Das Ende des Tabellenblatts ist noch nicht erreicht. Fehler in Zeile 8.\r\n");
  EXPECT_EQ(m_Data.Cell(Tree({L"Produktgruppe 1", L"Produkt 2", L"Variante 1", L"Artikel"}),
                        L"ABCD ART_0.1.0.2"),
            ~0u);
}

TEST_F(InsulationTest, AnUnreadableWorkbookKeepsTheTree) {
  ASSERT_TRUE(Import({{"data"}, Row({{A, 0}}), Head("Rohre", "Schlauch", "9 mm", 10)}));
  const std::size_t nGroups = m_Data.Table(L"Daemmsysteme")->m_Children.size();
  const CString text = m_Folder / L"kaputt.xlsx";
  std::ofstream(ToUtf8(text)) << "keine Arbeitsmappe";
  EXPECT_FALSE(ImportInsulationWorkbook(m_Data.Store(), text));
  EXPECT_EQ(m_Data.Table(L"Daemmsysteme")->m_Children.size(), nGroups);
  EXPECT_EQ(m_Data.UI().LastText().rfind(L"Kann die Datei nicht öffnen\n", 0), 0u);
}

}  // namespace
