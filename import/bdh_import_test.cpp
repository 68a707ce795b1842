// The import of HK.DAT records into the table tree under "BDH2".
#include <gtest/gtest.h>

#include <bit>

#include "import/bdh_test_util.h"

namespace {

class BdhImport : public ::testing::Test {
 protected:
  CBdhTestDataset m_Data;
};

TEST_F(BdhImport, RecordsBecomeTheTableTreeWithItsStructures) {
  m_Data.Import(Lines({
      "5|Muster GmbH|15.03.24|2.0|Kommentar",
      "10|Typ 22|-|P|Plan.|M|1,5|2|3|4|t1|t2|t3|t4|t5|t6|t7|t8",
      "20|1|Text 20",
      "25|3|400|600",
      "30|400|1000|200",
      "33|2|Text 33",
      "40|1|Text 40",
      "43|1|2|HK",
      "46|wird gelesen, nicht gespeichert",
      "50|-|10|4|0|@BL@",
      "60|1|22|100|Hoehe 300|s2|625|1,3|3|4|5|6|7|8|9|PK22|frei",
      "75|2|Daten 75",
      "78|Daten 78",
      "97|1|Daten 97",
  }));
  EXPECT_EQ(m_Data.m_Counts.nLines, 14u);
  EXPECT_EQ(m_Data.m_Counts.nStored, 13u);
  EXPECT_EQ(m_Data.m_Counts.nSkipped, 0u);

  CMatTable* pTop = m_Data.Top();
  ASSERT_NE(pTop, nullptr);
  EXPECT_EQ(pTop->m_nType, std::uint32_t{eTypeString});
  EXPECT_EQ(m_Data.Text(pTop, L"Herstellername"), L"Muster GmbH");
  EXPECT_EQ(m_Data.Text(pTop, L"Erstellungsdatum"), L"15.03.24");
  EXPECT_EQ(m_Data.Text(pTop, L"Versionsnummer"), L"2.0");
  EXPECT_EQ(m_Data.Text(pTop, L"Kommentar"), L"Kommentar");

  // The series is named without its final full stop.
  CMatTable* pSeries = m_Data.At({L"Plan"});
  ASSERT_NE(pSeries, nullptr);
  EXPECT_EQ(pSeries->GetFieldCount(), 1u);
  EXPECT_EQ(m_Data.Text(pSeries, L"DA-HK-20"), L"Text 20");
  // Sequence number 3: entry 2.
  EXPECT_EQ(m_Data.Text(pSeries, L"DA-HK-25", 2), L"400|600");
  EXPECT_EQ(m_Data.Text(pSeries, L"DA-HK-25", 0), L"");
  EXPECT_EQ(m_Data.Text(pSeries, L"DA-HK-30"), L"400|1000|200");
  EXPECT_EQ(m_Data.Text(pSeries, L"DA-HK-33", 1), L"Text 33");
  EXPECT_EQ(m_Data.Text(pSeries, L"DA-HK-40"), L"Text 40");
  EXPECT_EQ(m_Data.Text(pSeries, L"Bestellg1t1"), L"1|2|HK");
  EXPECT_EQ(m_Data.Text(pSeries, L"Bestellg2"), L"-|10|4|0|@BL@");
  EXPECT_EQ(m_Data.Dataset().FindHandle(L"DA-HK-46"), 0u);

  CMatTable* pData = m_Data.At({L"Plan", L"Typ 22", L"DA-HK-10"});
  ASSERT_NE(pData, nullptr);
  ASSERT_EQ(pData->GetFieldCount(), 14u);
  EXPECT_EQ(m_Data.Cell(pData, L"DA-HK-10", 0, 0), std::uint32_t{'P'});
  EXPECT_EQ(m_Data.Cell(pData, L"DA-HK-10", 0, 1), std::uint32_t{'M'});
  EXPECT_EQ(std::bit_cast<float>(m_Data.Cell(pData, L"DA-HK-10", 0, 2)), 1.5f);
  EXPECT_EQ(std::bit_cast<float>(m_Data.Cell(pData, L"DA-HK-10", 0, 5)), 4.0f);
  EXPECT_EQ(m_Data.Text(pData, L"DA-HK-10", 0, 6), L"t1");
  EXPECT_EQ(m_Data.Text(pData, L"DA-HK-10", 0, 13), L"t8");

  CMatTable* pElement = m_Data.At({L"Plan", L"Typ 22", L"DA-HK-10", L"ELD1"});
  ASSERT_NE(pElement, nullptr);
  ASSERT_EQ(pElement->GetFieldCount(), 15u);
  // s2 is read and passed: t1 and t2 follow the six decimals and e1 to e3.
  EXPECT_EQ(m_Data.Cell(pElement, L"ELD1", 0, 2), 100u);
  EXPECT_EQ(m_Data.Text(pElement, L"ELD1", 0, 3), L"Hoehe 300");
  EXPECT_EQ(std::bit_cast<float>(m_Data.Cell(pElement, L"ELD1", 0, 4)), 625.0f);
  EXPECT_EQ(std::bit_cast<float>(m_Data.Cell(pElement, L"ELD1", 0, 9)), 6.0f);
  EXPECT_EQ(m_Data.Cell(pElement, L"ELD1", 0, 12), 9u);
  EXPECT_EQ(m_Data.Text(pElement, L"ELD1", 0, 13), L"PK22");
  EXPECT_EQ(m_Data.Text(pElement, L"ELD1", 0, 14), L"frei");
  CMatTable* pElementData = FindChildNamed(*pElement, L"Elementdaten");
  ASSERT_NE(pElementData, nullptr);
  EXPECT_EQ(m_Data.Text(pElementData, L"DA-HK-75", 1), L"Daten 75");
  EXPECT_EQ(m_Data.Text(pElementData, L"DA-HK-78"), L"Daten 78");
  EXPECT_EQ(m_Data.Text(pElementData, L"DA-HK-97"), L"Daten 97");
}

TEST_F(BdhImport, ModelsShareTheirSeriesAndElementsAreNumberedAcrossModels) {
  m_Data.Import(Lines({
      "10|A|-|P|Serie|M",
      "60|1|1|100|a1",
      "60|2|1|100|a2",
      "10|B|-|P|Serie.|M",
      "60|1|1|100|b1",
  }));
  CMatTable* pSeries = m_Data.At({L"Serie"});
  ASSERT_NE(pSeries, nullptr);
  EXPECT_EQ(m_Data.Top()->m_Children.size(), 1u);
  EXPECT_EQ(pSeries->m_Children.size(), 2u);
  EXPECT_NE(m_Data.At({L"Serie", L"A", L"DA-HK-10", L"ELD2"}), nullptr);
  EXPECT_EQ(m_Data.At({L"Serie", L"B", L"DA-HK-10", L"ELD1"}), nullptr);
  CMatTable* pB = m_Data.At({L"Serie", L"B", L"DA-HK-10", L"ELD3"});
  ASSERT_NE(pB, nullptr);
  EXPECT_EQ(m_Data.Text(pB, L"ELD3", 0, 3), L"b1");
}

// Records that come before the record they need have no table to go to:
// they are skipped and counted, and nothing lands in another model.
TEST_F(BdhImport, RecordsBeforeTheirRecordAreSkipped) {
  struct {
    const char* pName;
    std::string text;
    std::size_t nSkipped;
    int nFirst;
  } const cases[] = {
      {"series record before any 10", Lines({"20|1|x", "25|1|400", "43|1|2|HK", "50|x"}), 4, 1},
      {"element before any 10", Lines({"60|1|1|100|e"}), 1, 1},
      {"element data before any 60", Lines({"10|A|-|P|S|M", "75|1|x", "78|x"}), 2, 2},
      {"element data after the next 10",
       Lines({"10|A|-|P|S|M", "60|1|1|100|e", "10|B|-|P|S|M", "81|x"}), 1, 4},
      {"sequence number 0 or negative", Lines({"10|A|-|P|S|M", "25|0|400", "20|-3|x"}), 2, 2},
      {"sequence number beyond the bound", Lines({"10|A|-|P|S|M", "25|1001|400"}), 1, 2},
      {"record 10 without names", Lines({"10||-|P||M", "25|1|400", "60|1|1|100|e"}), 3, 1},
  };
  for (const auto& c : cases) {
    CBdhTestDataset data;
    const CBdhImportCounts& counts = data.Import(c.text);
    EXPECT_EQ(counts.nSkipped, c.nSkipped) << c.pName;
    EXPECT_EQ(counts.nFirstSkipped, c.nFirst) << c.pName;
    EXPECT_NE(data.Top(), nullptr) << c.pName;
  }
  // The element data after the second record 10 did not go to model A.
  CBdhTestDataset data;
  data.Import(cases[3].text);
  CMatTable* pA = data.At({L"S", L"A", L"DA-HK-10", L"ELD1", L"Elementdaten"});
  ASSERT_NE(pA, nullptr);
  EXPECT_EQ(data.Store().GetRowCount(pA), 0);
}

TEST_F(BdhImport, AFileOfAnotherKindGivesSkippedLinesOnly) {
  const CBdhImportCounts& counts =
      m_Data.Import("[MMTB]\r\nV;050;A;Datanorm\r\n\r\n\x01\x02|||\r\n123456789012345");
  EXPECT_EQ(counts.nLines, 5u);
  EXPECT_EQ(counts.nSkipped, 5u);
  EXPECT_EQ(counts.nStored, 0u);
  ASSERT_NE(m_Data.Top(), nullptr);
  EXPECT_TRUE(m_Data.Top()->m_Children.empty());
  EXPECT_EQ(m_Data.Store().GetRowCount(m_Data.Top()), 0);
}

// Catalogues come in the Windows code page; a mark selects UTF-8 or UTF-16.
TEST_F(BdhImport, UmlautsInEachEncoding) {
  struct {
    const char* pName;
    std::string bytes;
  } const cases[] = {
      {"CP1252", "10|Typ 22|-|P|Heizk\xF6rper|M\r\n"},
      {"UTF-8 mark",
       "\xEF\xBB\xBF"
       "10|Typ 22|-|P|Heizk\xC3\xB6rper|M\r\n"},
      {"UTF-16 mark", std::string("\xFF\xFE"
                                  "1\0"
                                  "0\0|\0T\0|\0-\0|\0P\0|\0H\0\xF6\0|\0M\0",
                                  28)},
  };
  for (const auto& c : cases) {
    CBdhTestDataset data;
    data.Import(c.bytes);
    EXPECT_EQ(data.m_Counts.nStored, 1u) << c.pName;
    ASSERT_FALSE(data.Top()->m_Children.empty()) << c.pName;
    const std::wstring_view name = TableNameText(*data.Top()->m_Children.front());
    EXPECT_NE(name.find(L'\xF6'), std::wstring_view::npos) << c.pName;
  }
}

TEST_F(BdhImport, ReadingAFileTwiceChangesNothing) {
  const std::string text = Lines({"10|A|-|P|S|M", "25|1|400|600", "60|1|1|100|e"});
  m_Data.Import(text);
  m_Data.Import(text);
  EXPECT_EQ(m_Data.At({L"S"})->m_Children.size(), 1u);
  EXPECT_EQ(m_Data.At({L"S", L"A", L"DA-HK-10"})->m_Children.size(), 1u);
  EXPECT_EQ(m_Data.Load(L"S", L"A").m_Variants.size(), 2u);
}

TEST_F(BdhImport, ALockedDatasetStoresNothing) {
  m_Data.Import(Lines({"10|A|-|P|S|M"}));
  m_Data.Dataset().SetBacking(std::make_unique<CLockedBacking>());
  const CBdhImportCounts& counts = m_Data.Import(Lines({"5|Name", "10|B|-|P|S|M"}));
  EXPECT_EQ(counts.nStored, 0u);
  EXPECT_EQ(counts.nSkipped, 2u);
  EXPECT_EQ(m_Data.At({L"S", L"B"}), nullptr);
}

}  // namespace
