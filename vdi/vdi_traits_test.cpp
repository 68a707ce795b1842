// The reader over small files of our own with what manufacturers' files are
// known to do (vdi/testdata): what was read survives each trait.
#include <gtest/gtest.h>

#include "OrvaMat/formula.h"
#include "vdi/vdi_test_util.h"

namespace {

class VdiTraits : public ::testing::Test {
 protected:
  CVdiTestDataset t;
};

constexpr const wchar_t* kWp = L"VDI-Wärmepumpen/100-1/110-1";

// Windows-1252 with CR LF, every line ending in ';', an end-of-file line.
TEST_F(VdiTraits, Sheet22AsShipped) {
  ASSERT_TRUE(t.ReadTestFile("sheet22_cp1252_crlf.vdi"));
  EXPECT_EQ(t.Messages(), L"");
  EXPECT_TRUE(t.UI().GetConsoleTexts().empty());
  // Record 010 with 19 fields, kept whole but its record number and last ';'.
  const CString sheet = t.Text(L"VDI-Wärmepumpen");
  EXPECT_EQ(sheet.substr(0, 30), L"22;VDI 3805 Blatt 22;Musterwär");
  EXPECT_EQ(std::count(sheet.begin(), sheet.end(), L';'), 17);
  EXPECT_EQ(sheet.substr(sheet.size() - 5), L"A;B;C");
  // Umlauts, ©, ®, ¶ as a line break inside a field, an exponent and an
  // unbalanced quote: all kept as written.
  EXPECT_EQ(t.Text(L"VDI-Wärmepumpen/100-1"), L"Wärmepumpen Luft/Wasser;Reihe WP-L©");
  EXPECT_EQ(t.Text(kWp),
            L"WP-L 8 kW®;Luft/Wasser-Wärmepumpe¶für Innenaufstellung;5.098039E-02;"
            L"Anschluss 1 1/4\"");
  // Indexes as written: 02 and 1, unordered; 1 is the default variant.
  EXPECT_EQ(t.Children(kWp), L"200-02 200-1 300-1 400-1 500-1 700-05 700-14 600-1");
  EXPECT_EQ(t.Table(CString(kWp) + L"/200-1")->m_nFlags & eFlagDefaultChild, eFlagDefaultChild);
  EXPECT_EQ(t.Text(CString(kWp) + L"/200-1/250-3"), L"Option Kühlung");
  // The empty running-number field; the sub-records under the last 700.
  EXPECT_EQ(t.Text(CString(kWp) + L"/700-14"), L";Name ohne laufende Nummer");
  EXPECT_EQ(t.Children(CString(kWp) + L"/700-14"), L"710_01-3 710_01-1 710_09-2 760-1");
  EXPECT_EQ(t.Children(CString(kWp) + L"/700-14/710_09-2"), L"710_91-1 710_91-2");
  EXPECT_EQ(t.Text(CString(kWp) + L"/700-14/710_09-2/710_91-2"), L"2;35;1.35E+01");
  // The product after the 800/810 block lies under the same 100.
  EXPECT_EQ(t.Children(L"VDI-Wärmepumpen/100-1"), L"110-1 110-2");
  EXPECT_EQ(t.Text(L"VDI-Wärmepumpen/100-1/110-2/700-1/710_01-1"), L"12,0");
  // The records at the end; 970.11 and 970.41 are skipped.
  EXPECT_EQ(t.Children(L"VDI-Wärmepumpen"), L"TGA-Nummer TGA-800to810 100-1 900-1 960-1 970-1");
  EXPECT_EQ(t.Children(L"VDI-Wärmepumpen/900-1"), L"920-1");
  EXPECT_EQ(t.Children(L"VDI-Wärmepumpen/970-1"), L"970_01-1");
}

// The function records, repeated per product with the helper first, compile
// with the formula language as the reader stored them and run.
TEST_F(VdiTraits, FunctionTextsCompileAndRun) {
  ASSERT_TRUE(t.ReadTestFile("sheet22_cp1252_crlf.vdi"));
  for (const wchar_t* product : {L"110-1", L"110-2"}) {
    const CString path = CString(L"VDI-Wärmepumpen/100-1/") + product + L"/600-1";
    CvdiFunctionList list;
    ClearFormulaErrorFlag();
    list.scanAndParseFunctionDeclarations(t.Text(path).c_str());
    list.scanAndParseFunctions(t.Text(path + L"/610").c_str());
    ASSERT_FALSE(FormulaErrorFlag()) << t.Messages();
    CvdiFunction* f = list.findFunction(L"TGA_810");
    ASSERT_NE(f, nullptr);
    VdiRecordPosition pos;
    ASSERT_TRUE(CvdiFortran::runFunction(f, &pos));
    EXPECT_EQ(f->m_result.m_nValue, 42);
    EXPECT_EQ(f->m_listParameters[1]->GetText(), L"WPL8");
  }
}

// LF only and no line end after the last line; 010 with fourteen fields;
// records shorter than the standard; indexes restarting under each parent.
TEST_F(VdiTraits, Sheet6WithLfOnly) {
  ASSERT_TRUE(t.ReadTestFile("sheet6_lf_no_final_end.vdi"));
  EXPECT_EQ(t.Messages(), L"");
  EXPECT_EQ(t.Children(L"VDI-Heizkoerper-2"), L"TGA-Nummer TGA-800to810 100-2 100-1");
  EXPECT_EQ(t.Children(L"VDI-Heizkoerper-2/100-2"), L"110-003 110-1");
  EXPECT_EQ(t.Text(L"VDI-Heizkoerper-2/100-2/110-003/700-7"), L"");
  EXPECT_EQ(t.Children(L"VDI-Heizkoerper-2/100-2/110-003/700-7"), L"710_01-9 710_01-2");
  EXPECT_EQ(t.Text(L"VDI-Heizkoerper-2/100-2/110-1/700-1/710_01-1"), L"300");
  EXPECT_EQ(t.Text(L"VDI-Heizkoerper-2/100-1/110-1/700-3/710_01-2"), L"600");
}

// Fragments without record 010: kept at the top level of the dataset.
TEST_F(VdiTraits, FragmentsWithoutSheet) {
  ASSERT_TRUE(t.ReadTestFile("fragment_from_100.vdi"));
  EXPECT_EQ(t.Text(L"100-1/110-1/700-1/710_01-1"), L"x");
  ASSERT_TRUE(t.ReadTestFile("fragment_from_700.vdi"));
  EXPECT_EQ(t.Text(L"700-4/710_01-1"), L"x");
  EXPECT_EQ(t.Messages(), L"");
}

}  // namespace
