#include "exports/export_table.h"

#include <algorithm>
#include <array>
#include <new>

#include "OrvaMat/article.h"
#include "OrvaMat/article_set.h"
#include "OrvaMat/bdh.h"
#include "OrvaMat/dialogs.h"
#include "OrvaMat/exports.h"
#include "OrvaMat/formula.h"
#include "OrvaMat/mat_manager.h"
#include "OrvaMat/vdi.h"
#include "OrvaMat/vdi_accessories.h"
#include "import/dn_import.h"
#include "import/workbook_import.h"
#include "vdi/tga_articles.h"
#include "vdi/tga_slots.h"
#include "vdi/vdi3805_man.h"

namespace {

using M = CMatManager;
using CVdiVar = CvdiFunction::CVdiVar;

template <typename F>
void* Address(F* pFunction) {
  return reinterpret_cast<void*>(pFunction);
}

// Members, constructors and destructors take their object first.
void DeleteContents(CMatTable* self) { self->DeleteContents(); }
CvdiFunctionList* NewFunctionList(void* self) { return new (self) CvdiFunctionList(); }
void DestroyFunctionList(CvdiFunctionList* self) { self->~CvdiFunctionList(); }
void ScanDeclarations(CvdiFunctionList* self, const wchar_t* text) {
  self->scanAndParseFunctionDeclarations(text);
}
void ScanFunctions(CvdiFunctionList* self, const wchar_t* text) {
  self->scanAndParseFunctions(text);
}
CvdiFunction* FindFunction(CvdiFunctionList* self, const wchar_t* name) {
  return self->findFunction(name);
}
CVdiVar* NewVdiVar(void* self) { return new (self) CVdiVar(); }
void DestroyVdiVar(CVdiVar* self) { self->~CVdiVar(); }
bool SetVdiVarType(CVdiVar* self, enPCode type, int length, int count, int lower) {
  return self->setType(type, length, count, lower);
}
bool SetVdiVarValue(CVdiVar* self, CVdiVar& src, int index) { return self->setValue(src, index); }
void CleanVdiVar(CVdiVar* self) { self->clean(); }

CArtikelSet* NewArtikelSet(void* self) { return new (self) CArtikelSet(); }
void DestroyArtikelSet(CArtikelSet* self) { self->~CArtikelSet(); }
CArtikelSet* AssignArtikelSet(CArtikelSet* self, const CArtikelSet& other) {
  return &(*self = other);
}
void RemoveAllSetItems(CArtikelSet* self) { self->RemoveAllItems(); }
void ResetSet(CArtikelSet* self) { self->Reset(); }
POSITION GetSetHeadPosition(CArtikelSet* self) { return self->GetHeadPosition(); }
CArtikelSetItem* GetNextSetItem(CArtikelSet* self, POSITION& pos) { return self->GetNextItem(pos); }
CArtikelSetItem* AddSetItem(CArtikelSet* self, float quantity, unsigned long article,
                            unsigned long flags) {
  return self->AddItem(quantity, article, flags);
}
CArtikelSetItem* AddSetArtikel(CArtikelSet* self, unsigned long article, float quantity, int flag) {
  return self->AddArtikel(article, quantity, flag);
}
void MergeSet(CArtikelSet* self, const CArtikelSet& other) { self->Merge(other); }
float GetSetGesamtMenge(CArtikelSet* self) { return self->GetGesamtMenge(); }
CArtikelSetItem* IstInSet(CArtikelSet* self, unsigned long article) {
  return self->IstInSet(article);
}
void SetSetRow(CArtikelSet* self, unsigned long set) { self->SetSet(set); }
void CleanSet(CArtikelSet* self) { self->CleanSet(); }
int GetSetMaxGroesse(CArtikelSet* self) { return self->GetMaxGroesse(); }
int GetSetMinGroesse(CArtikelSet* self) { return self->GetMinGroesse(); }
void SetSetLength(CArtikelSet* self, float length) { self->SetSetLength(length); }
int SetSetGroesse(CArtikelSet* self, unsigned long size, unsigned long size2) {
  return self->SetGroesse(size, size2);
}
int RecalcSet(CArtikelSet* self, float value) { return self->RecalcSet(value); }
void CheckSetStandard(CArtikelSet* self) { self->CheckStandard(); }
void SetAlternativeSize(CArtikelSet* self, unsigned long size) { self->SetAlternativeSize(size); }
using Z = CVdiZubehoer930;
using B = CVDIZubehoerbaum930;
void SetPositionOfValues(Z* self, const double& quantity, const bool& flag1, const CString& text1,
                         const CString& text2, const CString& text3, const int& number,
                         const CString& key, const bool& flag2, const CString& text4) {
  self->setPosition(quantity, flag1, text1, text2, text3, number, key, flag2, text4);
}
void SetPositionOfKey(Z* self, CMatTable* sheet, const CString& key) {
  self->setPosition(sheet, key);
}
void CopyPositions(Z* self, Z* other) { self->copyFrom(other); }
void CopyPosition(Z* self, const Z::stlPosition& from, Z::stlPosition& to) {
  self->copyPosition(from, to);
}
int GetArtikelPosition(Z* self, const CString& key) { return self->getArtikelPosition(key); }
void RemovePositionAt(Z* self, const int& index) { self->removePosition(index); }
void RemovePositionOfKey(Z* self, const CString& key) { self->removePosition(key); }
void RemoveAllPositions(Z* self) { self->removeAll(); }
B* NewAccessoryTree(void* self, CTreeCtrl* tree, const bool& all, CMatTable* product,
                    CString tgaTag, std::vector<double>& quantities, CStringList& selection) {
  return new (self) B(tree, all, product, std::move(tgaTag), quantities, selection);
}
void RebuildAccessoryTree(B* self) { self->RebuildZubehoerbaum(); }
bool SetAccessoryItemStates(B* self, HTREEITEM item) { return self->setItemStates(item); }
void GetAccessoryChanges(B* self, CStringList& out) { self->getAuswahlAenderungen(out); }

// Ordinal 2: a second entry that does nothing, without a name.
void DoNothing() {}

// One row per entry point, by ordinal.
const std::array kExports = {
    CExportEntry{1, nullptr, Address(&M::TablePointer)},
    CExportEntry{2, nullptr, Address(&DoNothing)},
    CExportEntry{3, nullptr, Address(&M::FindTable)},
    CExportEntry{4, nullptr, Address(&M::SelectDatasetOfHandle)},
    CExportEntry{5, nullptr, Address(&CMatManager::SetKurzText)},
    CExportEntry{6, nullptr, Address(&CMatManager::FindDatasetFile)},
    CExportEntry{7, nullptr, Address(&M::GetListedDatasetPrefix)},
    CExportEntry{8, nullptr, Address(&M::GetNextRow)},
    CExportEntry{9, nullptr, Address(&M::GetFirstRowPosition)},
    CExportEntry{10, nullptr, Address(&M::GetStringValue)},
    CExportEntry{11, nullptr, Address(&M::GetValue)},
    CExportEntry{12, nullptr, Address(&M::GetRoundedValue)},
    CExportEntry{13, nullptr, Address(&M::GetFloatValue)},
    CExportEntry{14, nullptr, Address(&CMatManager::GetKurzText)},
    CExportEntry{15, nullptr, Address(&M::GetDatasetPrefix)},
    CExportEntry{16, nullptr, Address(&M::GetDatabaseFormat)},
    CExportEntry{17, "CVDIZubehoerbaum930::CVDIZubehoerbaum930", Address(&NewAccessoryTree)},
    CExportEntry{18, nullptr, Address(&M::IsInSetTabelle)},
    CExportEntry{19, nullptr, Address(&M::GetStrucFieldType)},
    CExportEntry{20, "CvdiFunction::CVdiVar::CVdiVar", Address(&NewVdiVar)},
    CExportEntry{21, nullptr, Address(&M::SearchArtikelDlg)},
    CExportEntry{23, nullptr, Address(&ImportDatanormDlg)},
    CExportEntry{24, "CvdiFunctionList::CvdiFunctionList", Address(&NewFunctionList)},
    CExportEntry{25, nullptr, Address(&M::AddAlias)},
    CExportEntry{26, nullptr, Address(&SetAlternativeSize)},
    CExportEntry{27, nullptr, Address(&CMatManager::SetGesammtText)},
    CExportEntry{28, nullptr, Address(&SetSetRow)},
    CExportEntry{29, nullptr, Address(&M::GetGivenTableName)},
    CExportEntry{30, nullptr, Address(&M::GetValue)},
    CExportEntry{31, nullptr, Address(&M::AddRow)},
    CExportEntry{32, "CvdiFunction::CVdiVar::~CVdiVar", Address(&DestroyVdiVar)},
    CExportEntry{33, nullptr, Address(&ResetSet)},
    CExportEntry{34, nullptr, Address(&M::IsStructTable)},
    CExportEntry{35, nullptr, Address(&M::SetFloatValueF)},
    CExportEntry{36, nullptr, Address(&M::SetStringValueW)},
    CExportEntry{37, nullptr, Address(&M::SetIntValue)},
    CExportEntry{38, nullptr, Address(&M::SetStringValue)},
    CExportEntry{39, nullptr, Address(&M::IsSetGruppe)},
    CExportEntry{40, nullptr, Address(&M::GetStrucDef)},
    CExportEntry{41, nullptr, Address(&M::GetTableType)},
    CExportEntry{42, nullptr, Address(&M::GetValuesPerRow)},
    CExportEntry{43, nullptr, Address(&M::SetStrucDef)},
    CExportEntry{44, nullptr, Address(&M::CreateTable)},
    CExportEntry{45, nullptr, Address(&M::GetNextTable)},
    CExportEntry{46, nullptr, Address(&M::GetFirstTablePositionEx)},
    CExportEntry{47, nullptr, Address(&CMatManager::GetGesammtText)},
    CExportEntry{48, nullptr, Address(&M::RemoveTable)},
    CExportEntry{49, nullptr, Address(&M::CreateDataset)},
    CExportEntry{50, nullptr, Address(&M::SaveModified)},
    CExportEntry{51, nullptr, Address(&M::RemoveRow)},
    CExportEntry{52, nullptr, Address(&M::GetFirstTablePosition)},
    CExportEntry{53, nullptr, Address(&M::GetNextTable)},
    CExportEntry{54, nullptr, Address(&CMatManager::GetArtikelGrafik)},
    CExportEntry{55, nullptr, Address(&CMatManager::GetArtikelBildDatei)},
    CExportEntry{56, nullptr, Address(&M::GetKostenartText)},
    CExportEntry{57, "CvdiFunctionList::~CvdiFunctionList", Address(&DestroyFunctionList)},
    CExportEntry{58, nullptr, Address(&M::SetHandleValue)},
    CExportEntry{59, nullptr, Address(&M::SetFloatValue)},
    CExportEntry{60, nullptr, Address(&M::HdlToString)},
    CExportEntry{61, nullptr, Address(&M::FindHandle)},
    CExportEntry{62, nullptr, Address(&M::CreateHandle)},
    CExportEntry{63, nullptr, Address(&M::RenameHandle)},
    CExportEntry{64, "CMatTable::DeleteContents", Address(&DeleteContents)},
    CExportEntry{65, nullptr, Address(&M::RemoveHandle)},
    CExportEntry{66, nullptr, Address(&M::ReadScriptFileDlg)},
    CExportEntry{67, nullptr, Address(&M::GetTablePath)},
    CExportEntry{68, nullptr, Address(&M::SelectDatasetByID)},
    CExportEntry{69, "CMatManager::ExplodeSet", Address(&M::ExplodeSet)},
    CExportEntry{70, nullptr, Address(&NewArtikelSet)},
    CExportEntry{71, nullptr, Address(&DestroyArtikelSet)},
    CExportEntry{72, nullptr, Address(&AssignArtikelSet)},
    CExportEntry{73, nullptr, Address(&M::GetRegStr)},
    CExportEntry{74, "CMatManager::GetItemCount", Address(&M::GetItemCount)},
    CExportEntry{75, nullptr, Address(&GetSetHeadPosition)},
    CExportEntry{76, nullptr, Address(&GetNextSetItem)},
    CExportEntry{77, "CMatManager::GetOrCreateHandle", Address(&M::GetOrCreateHandle)},
    CExportEntry{78, nullptr, Address(&RecalcSet)},
    CExportEntry{79, nullptr, Address(&RemoveAllSetItems)},
    CExportEntry{80, nullptr, Address(&M::GetStringPtr)},
    CExportEntry{81, nullptr, Address(&M::GetDatasetPath)},
    CExportEntry{82, nullptr, Address(&M::OpenDataset)},
    CExportEntry{83, nullptr, Address(&M::CloseDataset)},
    CExportEntry{84, nullptr, Address(&M::GetDefaultItem)},
    CExportEntry{85, nullptr, Address(&SetSetLength)},
    CExportEntry{86, nullptr, Address(&M::DeleteDataset)},
    CExportEntry{87, nullptr, Address(&M::ActivateDatasetByID)},
    CExportEntry{88, nullptr, Address(&MergeSet)},
    CExportEntry{89, nullptr, Address(&M::GetTableName)},
    CExportEntry{90, nullptr, Address(&M::GetDatasetPrefixOfTable)},
    CExportEntry{91, "CMatManager::GetStringValueEx", Address(&M::GetStringValueEx)},
    CExportEntry{92, nullptr, Address(&M::SelectDatasetOfTable)},
    CExportEntry{93, nullptr, Address(&M::GetTableHandle)},
    CExportEntry{94, nullptr, Address(&M::GetParentTable)},
    CExportEntry{95, "CMatManager::GetSubString", Address(&M::GetSubString)},
    CExportEntry{96, "CMatManager::HdlToHKKey", Address(&M::HdlToHKKey)},
    CExportEntry{97, nullptr, Address(&AddSetItem)},
    CExportEntry{98, nullptr, Address(&M::GetStructRowCount)},
    CExportEntry{99, nullptr, Address(&AddSetArtikel)},
    CExportEntry{100, "CMatManager::HerstellerNameEx", Address(&M::HerstellerNameEx)},
    CExportEntry{101, nullptr, Address(&M::HerstellerName)},
    CExportEntry{102, nullptr, Address(&M::HerstellerNameOfHandle)},
    CExportEntry{103, "CArtikelSet::IstInSet", Address(&IstInSet)},
    CExportEntry{104, "CVDIZubehoerbaum930::RebuildZubehoerbaum", Address(&RebuildAccessoryTree)},
    CExportEntry{105, nullptr, Address(&CleanSet)},
    CExportEntry{106, nullptr, Address(&M::GetDefaultChild)},
    CExportEntry{107, nullptr, Address(&M::RowExistsEx)},
    CExportEntry{108, "CMatManager::SetBeschreibung", Address(&M::SetBeschreibung)},
    CExportEntry{109, "CMatManager::ShowMatError", Address(&M::ShowMatError)},
    CExportEntry{110, nullptr, Address(static_cast<void (*)()>(&ImportBdhDlg))},
    CExportEntry{111, nullptr, Address(&SetSetGroesse)},
    CExportEntry{112, nullptr, Address(&M::ExplodeSetWith)},
    CExportEntry{113, nullptr, Address(&M::WriteTableText)},
    CExportEntry{117, "CMatManager::chooseArtikelDlg", Address(&M::chooseArtikelDlg)},
    CExportEntry{118, nullptr, Address(&GetSetGesamtMenge)},
    CExportEntry{119, nullptr, Address(&CheckSetStandard)},
    CExportEntry{120, nullptr, Address(&M::GetDatasetID)},
    CExportEntry{121, nullptr, Address(&M::GetDatasetIDOfTable)},
    CExportEntry{122, nullptr, Address(&M::GetStringTableText)},
    CExportEntry{123, nullptr, Address(&M::GetStructRowCountEx)},
    CExportEntry{124, nullptr, Address(&CMatManager::GetTableText)},
    CExportEntry{125, "CvdiFunction::CVdiVar::clean", Address(&CleanVdiVar)},
    CExportEntry{126, "CVdiZubehoer930::copyFrom", Address(&CopyPositions)},
    CExportEntry{127, "CVdiZubehoer930::copyPosition", Address(&CopyPosition)},
    CExportEntry{128, "Cvdi3805Man::fillMissingTGAtags", Address(&Cvdi3805Man::fillMissingTGAtags)},
    CExportEntry{129, "CVdiZubehoer930::getArtikelPosition", Address(&GetArtikelPosition)},
    CExportEntry{130, "CVDIZubehoerbaum930::getAuswahlAenderungen", Address(&GetAccessoryChanges)},
    CExportEntry{131, "Cvdi3805Man::getBlattNr", Address(&Cvdi3805Man::getBlattNr)},
    CExportEntry{132, "CMatManager::getComboArtikel", Address(&M::getComboArtikel)},
    CExportEntry{133, "Cvdi3805Man::getDatanormNummer", Address(&Cvdi3805Man::getDatanormNummer)},
    CExportEntry{134, "CVdiZubehoer930::removeAll", Address(&RemoveAllPositions)},
    CExportEntry{135, "CVdiZubehoer930::removePosition", Address(&RemovePositionAt)},
    CExportEntry{136, "CVdiZubehoer930::removePosition", Address(&RemovePositionOfKey)},
    CExportEntry{137, "CvdiFunctionList::scanAndParseFunctionDeclarations",
                 Address(&ScanDeclarations)},
    CExportEntry{138, "CvdiFunctionList::scanAndParseFunctions", Address(&ScanFunctions)},
    CExportEntry{139, nullptr, Address(&CMatManager::setEnableOnlineUsage)},
    CExportEntry{140, nullptr,
                 Address(static_cast<void (*)(CBdhModelList*, unsigned long)>(&ListBdhModels))},
    CExportEntry{141, nullptr,
                 Address(static_cast<CBdhModel* (*)(CBdhModel*, CMatTable*)>(&LoadBdhModel))},
    CExportEntry{142, nullptr, Address(&GetBdhModelObject)},
    CExportEntry{143, nullptr, Address(&GetBdhVariantTitle)},
    CExportEntry{144, nullptr, Address(&GetBdhVariant)},
    CExportEntry{145, nullptr, Address(&GetBdhVariantCol1)},
    CExportEntry{146, nullptr, Address(&GetBdhVariantLength)},
    CExportEntry{147, nullptr, Address(&GetBdhVariantCol0)},
    CExportEntry{148, nullptr, Address(&GetBdhNothing)},
    CExportEntry{149, nullptr, Address(&GetBdhElements)},
    CExportEntry{150, "CVDIZubehoerbaum930::setItemStates", Address(&SetAccessoryItemStates)},
    CExportEntry{151, "CVdiZubehoer930::setPosition", Address(&SetPositionOfValues)},
    CExportEntry{152, nullptr, Address(&M::GetSubStringText)},
    CExportEntry{153, "CVdiZubehoer930::setPosition", Address(&SetPositionOfKey)},
    CExportEntry{154, nullptr, Address(&M::GetCellType)},
    CExportEntry{155, nullptr, Address(static_cast<void (*)(const wchar_t*)>(&ImportVdiFile))},
    CExportEntry{156, "CvdiFunction::CVdiVar::setType", Address(&SetVdiVarType)},
    CExportEntry{157, nullptr, Address(&GetSetMaxGroesse)},
    CExportEntry{158, nullptr, Address(&GetSetMinGroesse)},
    CExportEntry{159, nullptr, Address(&M::RenameTable)},
    CExportEntry{160, nullptr, Address(&Cvdi3805Man::getTGANummer)},
    CExportEntry{161, nullptr, Address(&Cvdi3805Man::getRecordTable)},
    CExportEntry{162, "CvdiFunction::CVdiVar::setValue", Address(&SetVdiVarValue)},
    CExportEntry{163, nullptr, Address(&Cvdi3805Man::getSlotChoices)},
    CExportEntry{164, nullptr, Address(&M::IsFlag2Clear)},
    CExportEntry{165, nullptr, Address(&M::GetTableHandle)},
    CExportEntry{166, "CvdiFortran::showDebuger", Address(&CvdiFortran::showDebuger)},
    CExportEntry{168, nullptr, Address(&Cvdi3805Man::getTGAslot)},
    CExportEntry{169, nullptr, Address(&Cvdi3805Man::setTGAslot)},
    CExportEntry{172, nullptr, Address(&Cvdi3805Man::createVariantTree)},
    CExportEntry{173, nullptr, Address(&formatTGAtag)},
    CExportEntry{174, nullptr, Address(&getArtikelnummern)},
    CExportEntry{176, nullptr, Address(&M::SetReadFlag)},
    CExportEntry{178, nullptr, Address(&M::CloseAllDatasets)},
    CExportEntry{179, nullptr, Address(&M::GetItemKurzText)},
    CExportEntry{180, nullptr, Address(&M::IsDatasetReadOnly)},
    CExportEntry{181, nullptr, Address(&fillTGAslots)},
    CExportEntry{184, nullptr, Address(&M::GetKonfigPageClass)},
    CExportEntry{185, nullptr, Address(&CMatManager::GetMengeneinheitText)},
    CExportEntry{187, nullptr, Address(&M::showProdVarianten)},
    CExportEntry{188, nullptr, Address(&M::GetSubStringInt)},
    CExportEntry{189, nullptr, Address(&createTGAreferences)},
    CExportEntry{190, nullptr, Address(&CMatManager::HasKurzText)},
    CExportEntry{192, nullptr, Address(&M::AddDatasetFile)},
    CExportEntry{194, nullptr, Address(static_cast<void (*)(const wchar_t*)>(&ImportExcelTables))},
    CExportEntry{195, nullptr, Address(&M::SelectDatasetByIDEx)},
    CExportEntry{196, nullptr, Address(&M::SelectDatasetByPrefix)},
    CExportEntry{197, nullptr, Address(&M::GetDatasetIDOfFile)},
    CExportEntry{198, nullptr, Address(&M::AddDatasetFileEx)},
    CExportEntry{200, nullptr, Address(&Cvdi3805Man::deleteTag)},
    CExportEntry{202, nullptr, Address(&Cvdi3805Man::completeTGAtag)},
    CExportEntry{203, nullptr, Address(&Cvdi3805Man::createTag)},
    CExportEntry{204, nullptr, Address(&parseTGAtag)},
    CExportEntry{208, nullptr, Address(&M::IsDatasetLocked)},
    CExportEntry{209, nullptr, Address(&CvdiFortran::runFunction)},
    CExportEntry{210, nullptr, Address(&getTGAfunction)},
    CExportEntry{215, nullptr, Address(&CMatManager::ResolveLibraryFile)},
    CExportEntry{216, nullptr, Address(&Cvdi3805Man::getArtikelNummer)},
    CExportEntry{218, nullptr, Address(&FindFunction)},
    CExportEntry{219, nullptr, Address(&createFunctionList)},
    CExportEntry{224, nullptr, Address(&CvdiFortran::setDebugMode)},
};

}  // namespace

std::span<const CExportEntry> GetExportTable() { return kExports; }

const CExportEntry* FindExport(unsigned nOrdinal) {
  const auto it =
      std::lower_bound(kExports.begin(), kExports.end(), nOrdinal,
                       [](const CExportEntry& entry, unsigned n) { return entry.nOrdinal < n; });
  return it != kExports.end() && it->nOrdinal == nOrdinal ? &*it : nullptr;
}

void* OrvaMatProcByOrdinal(unsigned ordinal) {
  const CExportEntry* pEntry = FindExport(ordinal);
  return pEntry != nullptr ? pEntry->pAddress : nullptr;
}
