#include "vdi/vdi3805_man.h"

#include "vdi/tga_tables.h"
#include "vdi/tga_test_support.h"

namespace {

class Vdi3805Man : public CTgaTest {
 protected:
  CMatTable* Table800to810() {
    return FindChildTable(*m_pSheet, vditga::k800to810.pName, eHiddenTables::kSkip);
  }
  // "result out" of getDatanormNummer and getArtikelNummer for the tag.
  std::string Numbers(const wchar_t* pTag, int nSheet = 6) {
    CString datanorm = L"-", article = L"-";
    const int nDatanorm = m_manager.GetNumber(datanorm, pTag, m_pProduct, nSheet, true);
    const int nArticle = m_manager.GetNumber(article, pTag, m_pProduct, nSheet, false);
    return std::to_string(nDatanorm) + " " + ToUtf8(datanorm) + " " + std::to_string(nArticle) +
           " " + ToUtf8(article);
  }

  CVdiSheetManager m_manager{m_articles, &Store()};
};

TEST(Vdi3805ManNames, SheetNumbersOfNames) {
  const std::pair<const wchar_t*, int> cases[] = {
      {L"VDI-Waermeerzeuger", 3},
      {L"VDI-Waermeerzeuger-2", 3},
      {L"vdi-pumpen", 0},
      {L"VDI-Pumpen", 4},
      {L"VDI-Heizungsarmaturen", 2},
      {L"VDI_Blatt21", 0},
      {L"VDI-Wärmepumpen", 22},
      {L"", 0},
  };
  for (const auto& [pName, nSheet] : cases) EXPECT_EQ(Cvdi3805Man::getBlattNr(pName), nSheet);
}

// A slot of a tag reads 0 beyond its groups and outside the 32 slots; a
// written tag has 32 groups in mode 3, else 18.
TEST(Vdi3805ManNames, ReadingAndWritingOneSlot) {
  const int expected[] = {1, -1, 7, 0};
  for (int n = 0; n < 4; ++n) EXPECT_EQ(Cvdi3805Man::getTGAslot(L"1-?-7", n), expected[n]) << n;
  EXPECT_EQ(Cvdi3805Man::getTGAslot(L"1-?-7", -1), 0);
  EXPECT_EQ(Cvdi3805Man::getTGAslot(L"", 0), 0);
  EXPECT_EQ(Cvdi3805Man::getTGAslot(nullptr, 0), 0);
  CString tag = L"1-2";
  Cvdi3805Man::setTGAslot(tag, 2, 5, 3);
  std::wstring written = L"1-2-5";
  for (int n = 3; n < 32; ++n) written += L"-?";
  EXPECT_EQ(tag, written);
  tag = L"1-2";
  Cvdi3805Man::setTGAslot(tag, 2, 5, 0);
  EXPECT_EQ(tag, L"1-2-5-?-?-?-?-?-?-?-?-?-?-?-?-?-?-?");
  for (const int n : {-1, 32}) {
    tag = L"1-2";
    Cvdi3805Man::setTGAslot(tag, n, 5, 3);
    EXPECT_EQ(tag, L"1-2") << n;
  }
}

// Only the numbers of the look-up list find their sheet table, even where
// a table of that sheet's name is there; sheet 3 falls back to its older
// name.
TEST_F(Vdi3805Man, SheetTablesByNumber) {
  for (const int nSheet : {2, 8, 9, 20, 22}) {
    CMatTable* pSheet = Record(nullptr, VdiSheetTableName(nSheet).c_str(), L"");
    ASSERT_NE(pSheet, nullptr);
    Record(Record(pSheet, L"100-1", L"R"), L"110-1", L"P");
    EXPECT_EQ(m_manager.FindSheetTable(nSheet), nullptr) << nSheet;
    EXPECT_EQ(m_manager.GetRecordTable(L"1-1", nSheet, L"110"), nullptr) << nSheet;
  }
  EXPECT_EQ(m_manager.FindSheetTable(6), m_pSheet);
  EXPECT_EQ(m_manager.FindSheetTable(3), nullptr);
  CMatTable* pOld = Record(nullptr, L"VDI-Waermeerzeuger", L"");
  EXPECT_EQ(m_manager.FindSheetTable(3), pOld);
  CMatTable* pNew = Record(nullptr, L"VDI-Waermeerzeuger-2", L"");
  EXPECT_EQ(m_manager.FindSheetTable(3), pNew);
}

// The record tables a tag selects in a boiler sheet, the 710.11 record
// below its 710.01 record; a 710 kind without a slot takes record 1.
TEST_F(Vdi3805Man, RecordTablesOfATag) {
  CMatTable* pSheet = Record(nullptr, L"VDI-Waermeerzeuger-2", L"3;x");
  CMatTable* p100 = Record(pSheet, L"100-1", L"R");
  CMatTable* p110 = Record(p100, L"110-01", L"Kessel");
  CMatTable* p700 = Record(p110, L"700-2", L"V");
  CMatTable* p710 = Record(p700, L"710_01-3", L"");
  CMatTable* p711 = Record(p710, L"710_11-4", L"");
  Record(p700, L"710_11-4", L"beside, not below 710.01");
  CMatTable* p705 = Record(p700, L"710_05-5", L"");
  CMatTable* p707 = Record(p700, L"710_07-6", L"");
  CMatTable* p708 = Record(p700, L"710_08-7", L"");
  CMatTable* p712 = Record(p700, L"710_12-8", L"");
  CMatTable* p709 = Record(p700, L"710_09-1", L"");
  const wchar_t* const kTag = L"1-1-0-0-0-0-0-0-0-0-0-0-0-0-0-2-0-3-4-5-6-7-0-8";
  const std::pair<const wchar_t*, CMatTable*> cases[] = {
      {L"100", p100},    {L"110", p110},    {L"700", p700},    {L"710_01", p710}, {L"710_11", p711},
      {L"710_05", p705}, {L"710.05", p705}, {L"710_07", p707}, {L"710_08", p708}, {L"710_12", p712},
      {L"710_09", p709}, {L"200", nullptr}, {L"", nullptr},
  };
  for (const auto& [pName, pTable] : cases)
    EXPECT_EQ(m_manager.GetRecordTable(kTag, 3, pName), pTable) << ToUtf8(pName);
  EXPECT_EQ(m_manager.GetRecordTable(L"1-1-0-0-0-0-0-0-0-0-0-0-0-0-0-2-0-9-4", 3, L"710_11"),
            nullptr);
  EXPECT_EQ(m_manager.GetRecordTable(L"1-?", 3, L"110"), nullptr);
  EXPECT_EQ(m_manager.GetRecordTable(kTag, 4, L"100"), nullptr);
}

TEST_F(Vdi3805Man, TagOfAnArticle) {
  Reference(L"A", L"1-2-0-3", L"A;DN-1");
  CString tag = L"unchanged";
  EXPECT_TRUE(m_manager.GetTGANummer(tag, 6, L"A"));
  EXPECT_EQ(tag, L"1-2-0-3");
  tag = L"unchanged";
  EXPECT_FALSE(m_manager.GetTGANummer(tag, 6, L"B"));
  EXPECT_FALSE(m_manager.GetTGANummer(tag, 4, L"A"));
  EXPECT_FALSE(m_manager.GetTGANummer(tag, 6, L"1-2-0-3")) << "a tag is no row of the table";
  EXPECT_EQ(tag, L"unchanged");
}

// The function's 810 line answers with its third and fourth field; a line
// naming neither leaves the answer to the cross references.
TEST_F(Vdi3805Man, NumbersFromTheFunction) {
  TgaFunction(L"R(1) = '810;1;;;x;'\r\nTGA_810 = 1\r\n");
  EXPECT_EQ(Numbers(L"5-2"), "0 - 0 -");
  Reference(L"B", L"5-2", L"B;DN-B");
  ASSERT_EQ(Store().RemoveTable(Table800to810()), eMatOk);
  EXPECT_EQ(Numbers(L"5-2"), "1 DN-B 1 B");
  ASSERT_EQ(RemoveTgaFunction(), eMatOk);
  TgaFunction(L"R(1) = '810;1; ART ; DN-7 ;x;'\r\nTGA_810 = 1\r\n");
  EXPECT_EQ(Numbers(L"5-2"), "1 DN-7 1 ART");
  CString out;
  EXPECT_EQ(m_manager.GetNumber(out, L"1-2", nullptr, 6, true), 0);
}

// The sheet's layout decides the digits after the 700 slot: sheet 6 hands
// the 760 and 710.01 slots on, sheet 4 none.
TEST_F(Vdi3805Man, TheFunctionReadsTheSheetsLayout) {
  TgaFunction(L"R(1) = VDISTRING('810;1;A;&;', T)\r\nTGA_810 = 1\r\n");
  const std::wstring kFixed = L"001002000003" + std::wstring(33, L'0') + L"00004";
  CString out;
  ASSERT_EQ(m_manager.GetNumber(out, L"1-2-0-3-0-0-0-0-0-0-0-0-0-0-0-4-5-6", m_pProduct, 6, true),
            1);
  EXPECT_EQ(out, kFixed + L"00500006");
  ASSERT_EQ(m_manager.GetNumber(out, L"1-2-0-3-0-0-0-0-0-0-0-0-0-0-0-4-5-6", m_pProduct, 4, true),
            1);
  EXPECT_EQ(out, kFixed);
}

// Without a function: "TGA-800to810" answers where the sheet has it, also
// when it is empty and "TGA-Nummer" holds the tag; a slot either side
// leaves open matches.
TEST_F(Vdi3805Man, NumbersFromTheCrossReferences) {
  Reference(L"A", L"1-2-0-3", L"A;DN-A;Text");
  EXPECT_EQ(Numbers(L"1-2-0-3"), "0 - 0 -");
  CMatTable* p800 = Table800to810();
  const Handle hTag = Store().GetOrCreateHandle(L"1-2-?-3");
  ASSERT_EQ(Store().SetCellValue(p800, hTag, 0, 0, CCellInput::Text(L" X ; DN-X ;Text")), eMatOk);
  ASSERT_EQ(Store().SetCellValue(p800, hTag, 1, 0, CCellInput::Text(L"Y;DN-Y")), eMatOk);
  EXPECT_EQ(Numbers(L"1-2-0-3"), "1 DN-X 1 X");
  EXPECT_EQ(Numbers(L"1-2-5-3-1"), "1 DN-X 1 X");
  EXPECT_EQ(Numbers(L"1-2-0-4"), "0 - 0 -");
  ASSERT_EQ(Store().RemoveTable(p800), eMatOk);
  EXPECT_EQ(Numbers(L"1-2-0-3"), "1 DN-A 1 A");
  Reference(L"C", L"1-2-0-7", L"C");
  ASSERT_EQ(Store().RemoveTable(Table800to810()), eMatOk);
  EXPECT_EQ(Numbers(L"1-2-0-7"), "1  1 C") << "a body of one field has no DATANORM number";
}

// Rows of the article list that agree with the tag's known slots offer
// their values for the slots the tag leaves open or has alike.
TEST_F(Vdi3805Man, SlotChoicesFromTheArticleList) {
  CMatTable* pList =
      Store().CreateTable(Record(m_pProduct, L"700-1", L""), L"Artikelliste", eTypeVoid, 1);
  ASSERT_NE(pList, nullptr);
  const std::wstring k700 = L"-0-0-0-0-0-0-0-0-1";
  for (const std::wstring& row :
       {L"1-2-0-1-0-0-1" + k700, L"1-2-0-2-0-0-1" + k700, L"1-2-0-2-0-0-1" + k700 + L"-3",
        L"1-2-0-2-0-0-2" + k700, L"1-3-0-9-0-0-1" + k700})
    ASSERT_EQ(Store().AddRow(pList, Store().GetOrCreateHandle(row.c_str())), eMatOk);
  CTgaSlotChoices lists;
  m_manager.GetSlotChoices(L"1-2-0-?-0-0-1" + k700, lists, m_pProduct);
  for (auto& list : lists) std::sort(list.begin(), list.end());  // rows come in no set order
  EXPECT_EQ(lists[0], std::vector<std::int32_t>{0});
  EXPECT_EQ(lists[1], (std::vector<std::int32_t>{1, 2}));
  EXPECT_EQ(lists[4], std::vector<std::int32_t>{1});
  EXPECT_EQ(lists[14], std::vector<std::int32_t>{3}) << "slot 16: only the row that has it";
  EXPECT_TRUE(lists[15].empty()) << "no row knows slot 17";
  CTgaSlotChoices none;
  m_manager.GetSlotChoices(L"1-2-0-?-0-0-1" + k700.substr(0, k700.size() - 1) + L"2", none,
                           m_pProduct);
  EXPECT_TRUE(none[1].empty()) << "no 700-2";
}

}  // namespace
