#include "exports/export_table.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "OrvaMat/article.h"
#include "OrvaMat/article_set.h"
#include "OrvaMat/exports.h"
#include "OrvaMat/formula.h"
#include "OrvaMat/mat_manager.h"
#include "OrvaMat/text.h"
#include "OrvaMat/vdi_accessories.h"
#include "exports/library_attach.h"
#include "import/dn_import.h"
#include "store/store_test_util.h"
#include "store/table_names.h"
#include "vdi/vdi3805_tag.h"

namespace {

// The frozen ordinals and the names of those exported by name, one
// "ordinal name" line each ("-" for an entry reached by ordinal only). Hosts
// bind to these; a row that is dropped, renumbered or renamed fails here, and
// a deliberate addition is written into the file.
const std::string kGolden = std::string(ORVAMAT_TEST_SOURCE_DIR) + "/exports/export_table.golden";

std::vector<std::string> GoldenRows() {
  std::ifstream file(kGolden);
  std::vector<std::string> rows;
  for (std::string line; std::getline(file, line);)
    if (!line.empty()) rows.push_back(line);
  return rows;
}

// The entry of an ordinal as the call a host makes through it.
template <typename F>
F* Entry(unsigned nOrdinal) {
  return reinterpret_cast<F*>(OrvaMatProcByOrdinal(nOrdinal));
}

TEST(ExportsTable, OrdinalsAndNamesMatchTheFrozenList) {
  std::vector<std::string> rows;
  unsigned nPrevious = 0;
  for (const CExportEntry& entry : GetExportTable()) {
    EXPECT_GT(entry.nOrdinal, nPrevious) << "ordinals ascend and appear once";
    nPrevious = entry.nOrdinal;
    EXPECT_NE(entry.pAddress, nullptr) << entry.nOrdinal;
    EXPECT_EQ(FindExport(entry.nOrdinal), &entry);
    rows.push_back(std::to_string(entry.nOrdinal) + " " + (entry.pName ? entry.pName : "-"));
  }
  const std::vector<std::string> golden = GoldenRows();
  ASSERT_FALSE(golden.empty()) << kGolden;
  EXPECT_EQ(rows, golden);
}

TEST(ExportsTable, ProcByOrdinalAnswersAndCalls) {
  EXPECT_EQ(OrvaMatProcByOrdinal(0), nullptr);
  EXPECT_EQ(OrvaMatProcByOrdinal(22), nullptr) << "not built yet";
  EXPECT_EQ(OrvaMatProcByOrdinal(100000), nullptr);
  int n = 0;
  ASSERT_NE(Entry<void*(void*)>(1), nullptr);
  EXPECT_EQ(Entry<void*(void*)>(1)(&n), &n);
  EXPECT_EQ(Entry<int(CMatTable*)>(41)(nullptr), 2);
}

TEST(ExportsTable, ObjectEntriesBuildUseAndDestroyTheirObjects) {
  alignas(CvdiFunctionList) unsigned char memory[sizeof(CvdiFunctionList)];
  CvdiFunctionList* pList = Entry<CvdiFunctionList*(void*)>(24)(memory);
  EXPECT_EQ(Entry<CvdiFunction*(CvdiFunctionList*, const wchar_t*)>(218)(pList, L"NONE"), nullptr);
  Entry<void(CvdiFunctionList*)>(57)(pList);
}

// An article set as a host holds it: made, filled, read and destroyed through
// the ordinals alone.
TEST(ExportsTable, ArticleSetEntriesBuildUseAndDestroyASet) {
  alignas(CArtikelSet) unsigned char memory[sizeof(CArtikelSet)];
  CArtikelSet* pSet = Entry<CArtikelSet*(void*)>(70)(memory);
  auto* pAdd = Entry<CArtikelSetItem*(CArtikelSet*, float, unsigned long, unsigned long)>(97);
  pAdd(pSet, 2, 7, 0);
  pAdd(pSet, 3, 7, 0);
  Entry<CArtikelSetItem*(CArtikelSet*, unsigned long, float, int)>(99)(pSet, 8, 1, 1);
  EXPECT_EQ(Entry<float(CArtikelSet*)>(118)(pSet), 6.0f);
  auto* pHead = Entry<POSITION(CArtikelSet*)>(75);
  auto* pNext = Entry<CArtikelSetItem*(CArtikelSet*, POSITION&)>(76);
  POSITION pos = pHead(pSet);
  EXPECT_EQ(pNext(pSet, pos)->m_fMenge, 5.0f);
  EXPECT_EQ(pNext(pSet, pos)->m_nFlags, 1u);
  EXPECT_EQ(pos, nullptr);
  EXPECT_EQ(Entry<CArtikelSetItem*(CArtikelSet*, unsigned long)>(103)(pSet, 9), nullptr);
  EXPECT_EQ(Entry<int(CArtikelSet*)>(158)(pSet), 0x7FFFFFFF);
  Entry<void(CArtikelSet*)>(79)(pSet);
  EXPECT_EQ(pHead(pSet), nullptr);
  Entry<void(CArtikelSet*)>(71)(pSet);
}

// The accessory positions through their ordinals: the two setPosition
// entries and the two removePosition entries each reach their own overload.
TEST(ExportsTable, AccessoryPositionEntriesReachTheirOverloads) {
  using Z = CVdiZubehoer930;
  auto* pSetValues =
      Entry<void(Z*, const double&, const bool&, const CString&, const CString&, const CString&,
                 const int&, const CString&, const bool&, const CString&)>(151);
  Z list;
  for (const wchar_t* pKey : {L"a", L"b", L"c"})
    pSetValues(&list, 1.0, true, L"", L"", L"", 0, pKey, false, L"");
  Entry<void(Z*, CMatTable*, const CString&)>(153)(&list, nullptr, L"1-7-2-4-12");
  EXPECT_EQ(Entry<int(Z*, const CString&)>(129)(&list, L"c"), 2);
  Entry<void(Z*, const int&)>(135)(&list, 0);
  Entry<void(Z*, const CString&)>(136)(&list, L"c");
  ASSERT_EQ(list.m_Positions.size(), 1u);
  EXPECT_EQ(list.m_Positions[0].m_strKey, L"b");
}

// The TGA entries as a host reaches them: on the process-wide store, with
// the process-wide function lists and record access.
class ExportsTga : public ::testing::Test, public CTestSurroundings {
 protected:
  CMatTable* Record(CMatTable* pParent, const wchar_t* pName, const wchar_t* pText) {
    CMatTable* pTable = Store().CreateTable(pParent, pName, eTypeStrLine, 1);
    EXPECT_NE(pTable, nullptr);
    if (pTable != nullptr)
      Store().SetCellValue(pTable, pTable->m_hName, 0, 0, CCellInput::Text(pText));
    return pTable;
  }
};

TEST_F(ExportsTga, ArticleNumbersAndTagsThroughTheOrdinals) {
  OrvaMatAttach();
  Store().SetCurrent(Store().AddDataset(std::make_unique<CMatDatenSatz>()));
  CMatTable* pSheet = Record(nullptr, L"VDI-Heizkoerper-2", L"6;2;Hersteller");
  CMatTable* pProduct = Record(Record(pSheet, L"100-1", L"Reihe"), L"110-1", L"Typ");
  for (const wchar_t* pName : {L"300-1", L"400-1", L"500-1"}) Record(pProduct, pName, L"");
  CMatTable* p700 = Record(pProduct, L"700-1", L"H600;X");
  Record(p700, L"710_01-4", L"L1000");
  const wchar_t* pHead = L"INTEGER FUNCTION TGA_810(T, R)\r\n";
  const CString decl = L"CHARACTER (58) T\r\nCHARACTER (100) R(2)\r\n";
  Record(Record(pProduct, L"600-1", (decl + pHead).c_str()), L"610",
         (CString(pHead) + decl +
          L"R(1) = VDISTRING('810;1;&;DN;;;;;1;', VDICWERT('700', 0, 3))\r\n"
          L"R(2) = '810;2;Y;DN;;;;;3;'\r\nTGA_810 = 2\r\nEND FUNCTION TGA_810\r\n")
             .c_str());

  CString text;
  Entry<void(CString&, const wchar_t*, CMatTable*)>(174)(text, L"1-1-?-?-?-?-?-?-?-?-?-?-?-?-?-1",
                                                         pProduct);
  EXPECT_EQ(text, L"X;3|Y") << ToUtf8(UI().LastText());
  ASSERT_NE(Entry<CvdiFunction*(CMatTable*, const wchar_t*)>(210)(pProduct, L"TGA_810"), nullptr);
  CvdiFunctionList* pList = Entry<CvdiFunctionList*(CMatTable*)>(219)(pProduct);
  ASSERT_NE(pList, nullptr);
  EXPECT_NE(pList->findFunction(L"TGA_810"), nullptr);
  delete pList;

  Entry<void(CMatTable*)>(189)(pProduct);
  CString tag;
  EXPECT_EQ(Store().GetRowCount(FindChildTable(*pSheet, L"TGA-Nummer", eHiddenTables::kSkip)), 1);
  std::int32_t slots[32];
  Entry<void(std::int32_t*, const wchar_t*)>(204)(slots, L"1-?");
  ASSERT_TRUE(Entry<bool(CMatTable*, std::int32_t*)>(181)(pSheet, slots));
  Entry<void(const std::int32_t*, CString&, int)>(173)(slots, tag, 18);
  EXPECT_EQ(tag, L"1-1-?-?-?-?-1-?-?-1-?-?-1-?-?-1-?-4");
  tag = L"1-?";
  ASSERT_TRUE(Entry<bool(CMatTable*, CString&)>(128)(pSheet, tag));
  EXPECT_EQ(tag.substr(0, 36), L"1-1-0-0-0-0-1-0-0-1-0-0-1-0-0-1-0-4-");
  EXPECT_EQ(UI().Count(), 0u) << ToUtf8(UI().LastText());
}

// The sheet manager's entries answer as their ordinals promise: a swapped
// address would hand a host another call.
TEST_F(ExportsTga, SheetManagerThroughTheOrdinals) {
  OrvaMatAttach();
  Store().SetCurrent(Store().AddDataset(std::make_unique<CMatDatenSatz>()));
  CMatTable* pSheet = Record(nullptr, L"VDI-Pumpen", L"4;x");
  CMatTable* pProduct = Record(Record(pSheet, L"100-1", L"Reihe"), L"110-2", L"Pumpe");
  Store().SetFlags(Record(pProduct, L"200-1", L"links"), eFlagDefaultChild, 0);

  EXPECT_EQ(Entry<int(CString)>(131)(L"VDI-Waermeerzeuger"), 3);
  EXPECT_EQ(Entry<int(const wchar_t*, int)>(168)(L"1-?-7", 2), 7);
  CString tag = L"1";
  Entry<void(CString&, int, int, int)>(169)(tag, 1, 2, 0);
  EXPECT_EQ(tag, L"1-2-?-?-?-?-?-?-?-?-?-?-?-?-?-?-?-?");
  using FindRecord = CMatTable*(const wchar_t*, int, const wchar_t*);
  EXPECT_EQ(Entry<FindRecord>(161)(L"1-2", 4, L"110"), pProduct);
  EXPECT_EQ(Entry<FindRecord>(161)(L"1-2", 2, L"110"), nullptr);
  auto* pRoot = Entry<Cvdi3805Tag*(Cvdi3805Tag*, CMatTable*)>(172)(nullptr, pProduct);
  ASSERT_NE(pRoot, nullptr);
  tag = L"";
  Entry<void(CString&, Cvdi3805Tag*, bool)>(202)(tag, pRoot, false);
  EXPECT_EQ(tag, L"1-2-?-1-0-0-?-?-?-?-?-?-?-?-?-?-?-?");
  Entry<void(Cvdi3805Tag*)>(200)(pRoot);
  Cvdi3805Tag* pMade = Entry<Cvdi3805Tag*(VdiRecordId)>(203)(0x02000000);
  ASSERT_NE(pMade, nullptr);
  EXPECT_EQ(pMade->m_nRecordId, 0x02000000u);
  Entry<void(Cvdi3805Tag*)>(200)(pMade);
}

}  // namespace
