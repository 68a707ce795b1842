#include "exports/export_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>

#include "OrvaMat/article.h"
#include "OrvaMat/exports.h"
#include "OrvaMat/formula.h"
#include "OrvaMat/mat_manager.h"
#include "import/dn_import.h"

namespace {

using M = CMatManager;

template <typename F>
void* Address(F* p) {
  return reinterpret_cast<void*>(p);
}

// The frozen ordinals of the static entry points, written down apart from
// the table: a row that names the wrong function fails here.
const std::map<unsigned, void*>& Expected() {
  static const std::map<unsigned, void*> expected = {
      {1, Address(&M::TablePointer)},
      {3, Address(&M::FindTable)},
      {4, Address(&M::SelectDatasetOfHandle)},
      {5, Address(&CMatManager::SetKurzText)},
      {6, Address(&CMatManager::FindDatasetFile)},
      {7, Address(&M::GetListedDatasetPrefix)},
      {8, Address(&M::GetNextRow)},
      {9, Address(&M::GetFirstRowPosition)},
      {10, Address(&M::GetStringValue)},
      {11, Address(&M::GetValue)},
      {12, Address(&M::GetRoundedValue)},
      {13, Address(&M::GetFloatValue)},
      {14, Address(&CMatManager::GetKurzText)},
      {15, Address(&M::GetDatasetPrefix)},
      {16, Address(&M::GetDatabaseFormat)},
      {19, Address(&M::GetStrucFieldType)},
      {23, Address(&ImportDatanormDlg)},
      {25, Address(&M::AddAlias)},
      {27, Address(&CMatManager::SetGesammtText)},
      {29, Address(&M::GetGivenTableName)},
      {30, Address(&M::GetValue)},
      {31, Address(&M::AddRow)},
      {34, Address(&M::IsStructTable)},
      {35, Address(&M::SetFloatValueF)},
      {36, Address(&M::SetStringValueW)},
      {37, Address(&M::SetIntValue)},
      {38, Address(&M::SetStringValue)},
      {40, Address(&M::GetStrucDef)},
      {41, Address(&M::GetTableType)},
      {42, Address(&M::GetValuesPerRow)},
      {43, Address(&M::SetStrucDef)},
      {44, Address(&M::CreateTable)},
      {45, Address(&M::GetNextTable)},
      {46, Address(&M::GetFirstTablePositionEx)},
      {47, Address(&CMatManager::GetGesammtText)},
      {48, Address(&M::RemoveTable)},
      {49, Address(&M::CreateDataset)},
      {50, Address(&M::SaveModified)},
      {51, Address(&M::RemoveRow)},
      {52, Address(&M::GetFirstTablePosition)},
      {53, Address(&M::GetNextTable)},
      {54, Address(&CMatManager::GetArtikelGrafik)},
      {55, Address(&CMatManager::GetArtikelBildDatei)},
      {56, Address(&M::GetKostenartText)},
      {58, Address(&M::SetHandleValue)},
      {59, Address(&M::SetFloatValue)},
      {60, Address(&M::HdlToString)},
      {61, Address(&M::FindHandle)},
      {62, Address(&M::CreateHandle)},
      {63, Address(&M::RenameHandle)},
      {65, Address(&M::RemoveHandle)},
      {66, Address(&M::ReadScriptFileDlg)},
      {67, Address(&M::GetTablePath)},
      {68, Address(&M::SelectDatasetByID)},
      {73, Address(&M::GetRegStr)},
      {74, Address(&M::GetItemCount)},
      {77, Address(&M::GetOrCreateHandle)},
      {80, Address(&M::GetStringPtr)},
      {81, Address(&M::GetDatasetPath)},
      {82, Address(&M::OpenDataset)},
      {83, Address(&M::CloseDataset)},
      {84, Address(&M::GetDefaultItem)},
      {86, Address(&M::DeleteDataset)},
      {87, Address(&M::ActivateDatasetByID)},
      {89, Address(&M::GetTableName)},
      {90, Address(&M::GetDatasetPrefixOfTable)},
      {91, Address(&M::GetStringValueEx)},
      {92, Address(&M::SelectDatasetOfTable)},
      {93, Address(&M::GetTableHandle)},
      {94, Address(&M::GetParentTable)},
      {95, Address(&M::GetSubString)},
      {96, Address(&M::HdlToHKKey)},
      {98, Address(&M::GetStructRowCount)},
      {100, Address(&M::HerstellerNameEx)},
      {101, Address(&M::HerstellerName)},
      {102, Address(&M::HerstellerNameOfHandle)},
      {106, Address(&M::GetDefaultChild)},
      {107, Address(&M::RowExistsEx)},
      {108, Address(&M::SetBeschreibung)},
      {109, Address(&M::ShowMatError)},
      {113, Address(&M::WriteTableText)},
      {120, Address(&M::GetDatasetID)},
      {121, Address(&M::GetDatasetIDOfTable)},
      {122, Address(&M::GetStringTableText)},
      {123, Address(&M::GetStructRowCountEx)},
      {124, Address(&CMatManager::GetTableText)},
      {139, Address(&CMatManager::setEnableOnlineUsage)},
      {152, Address(&M::GetSubStringText)},
      {154, Address(&M::GetCellType)},
      {159, Address(&M::RenameTable)},
      {164, Address(&M::IsFlag2Clear)},
      {165, Address(&M::GetTableHandle)},
      {176, Address(&M::SetReadFlag)},
      {178, Address(&M::CloseAllDatasets)},
      {180, Address(&M::IsDatasetReadOnly)},
      {185, Address(&CMatManager::GetMengeneinheitText)},
      {188, Address(&M::GetSubStringInt)},
      {190, Address(&CMatManager::HasKurzText)},
      {192, Address(&M::AddDatasetFile)},
      {195, Address(&M::SelectDatasetByIDEx)},
      {196, Address(&M::SelectDatasetByPrefix)},
      {197, Address(&M::GetDatasetIDOfFile)},
      {198, Address(&M::AddDatasetFileEx)},
      {208, Address(&M::IsDatasetLocked)},
      {209, Address(&CvdiFortran::runFunction)},
      {215, Address(&CMatManager::ResolveLibraryFile)},
      {224, Address(&CvdiFortran::setDebugMode)},
  };
  return expected;
}

// Entries reached through a function that takes the object first, and the
// one nameless entry that does nothing.
const std::set<unsigned> kThroughObject = {2, 20, 24, 32, 57, 64, 125, 137, 138, 156, 162, 218};

// The entries exported under a name.
const std::set<unsigned> kByName = {20, 24,  32,  57,  64,  74,  77,  91,  95,
                                    96, 100, 108, 109, 125, 137, 138, 156, 162};

TEST(ExportsTable, EveryOrdinalOnceInOrderWithAnAddress) {
  unsigned nPrevious = 0;
  for (const CExportEntry& entry : GetExportTable()) {
    EXPECT_GT(entry.nOrdinal, nPrevious) << "ordinals ascend and appear once";
    nPrevious = entry.nOrdinal;
    EXPECT_NE(entry.pAddress, nullptr) << entry.nOrdinal;
    EXPECT_EQ(entry.pName != nullptr, kByName.count(entry.nOrdinal) == 1) << entry.nOrdinal;
  }
}

TEST(ExportsTable, OrdinalsNameTheFunctionsTheyStandFor) {
  std::set<unsigned> seen;
  for (const CExportEntry& entry : GetExportTable()) {
    seen.insert(entry.nOrdinal);
    const auto it = Expected().find(entry.nOrdinal);
    if (it != Expected().end())
      EXPECT_EQ(entry.pAddress, it->second) << "ordinal " << entry.nOrdinal;
    else
      EXPECT_EQ(kThroughObject.count(entry.nOrdinal), 1u) << "unexpected " << entry.nOrdinal;
  }
  for (const auto& [nOrdinal, pAddress] : Expected())
    EXPECT_EQ(seen.count(nOrdinal), 1u) << nOrdinal;
  for (unsigned nOrdinal : kThroughObject) EXPECT_EQ(seen.count(nOrdinal), 1u) << nOrdinal;
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
