#include "exports/export_table.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "OrvaMat/article.h"
#include "OrvaMat/exports.h"
#include "OrvaMat/formula.h"
#include "OrvaMat/mat_manager.h"
#include "import/dn_import.h"

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
  EXPECT_EQ(OrvaMatProcByOrdinal(17), nullptr) << "not built yet";
  EXPECT_EQ(OrvaMatProcByOrdinal(100000), nullptr);
  auto* pTablePointer = reinterpret_cast<void* (*)(void*)>(OrvaMatProcByOrdinal(1));
  int n = 0;
  ASSERT_NE(pTablePointer, nullptr);
  EXPECT_EQ(pTablePointer(&n), &n);
  auto* pGetTableType = reinterpret_cast<int (*)(CMatTable*)>(OrvaMatProcByOrdinal(41));
  EXPECT_EQ(pGetTableType(nullptr), 2);
  EXPECT_STREQ(FindExport(91)->pName, "CMatManager::GetStringValueEx");
}

TEST(ExportsTable, ObjectEntriesBuildUseAndDestroyTheirObjects) {
  alignas(CvdiFunctionList) unsigned char memory[sizeof(CvdiFunctionList)];
  auto* pNew = reinterpret_cast<CvdiFunctionList* (*)(void*)>(OrvaMatProcByOrdinal(24));
  auto* pFind = reinterpret_cast<CvdiFunction* (*)(CvdiFunctionList*, const wchar_t*)>(
      OrvaMatProcByOrdinal(218));
  auto* pDestroy = reinterpret_cast<void (*)(CvdiFunctionList*)>(OrvaMatProcByOrdinal(57));
  CvdiFunctionList* pList = pNew(memory);
  EXPECT_EQ(pFind(pList, L"NONE"), nullptr);
  pDestroy(pList);
}

}  // namespace
