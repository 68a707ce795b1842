#include "vdi/vdi3805_man.h"

#include <algorithm>

#include "store/base/guarded_call.h"
#include "store/mat_store.h"
#include "store/table_names.h"
#include "vdi/record_layout.h"
#include "vdi/tga_slots.h"
#include "vdi/tga_tables.h"
#include "vdi/vdi_record.h"

using vdirecord::RecordPiece;
using vdirecord::Trimmed;

namespace {

constexpr const wchar_t* kTgaFunction = L"TGA_810";
// The older name of sheet 3's table; the reader names it "-2".
constexpr std::wstring_view kOldSheet3 = L"VDI-Waermeerzeuger";
// The sheets a number is looked up for (the reader's names, vdi_record.h).
constexpr int kNumberedSheets[] = {3,  4,  5,  6,  7,  10, 11, 14, 16, 17,
                                   18, 19, 23, 24, 29, 32, 35, 98, 99};

// The record "<kind>-<n>" below pParent, also where the file wrote the
// number with leading zeros; null for an unknown slot.
CMatTable* FindRecord(CMatTable* pParent, std::wstring_view kind, std::int32_t nSlot) {
  if (pParent == nullptr || nSlot < 0) return nullptr;
  std::wstring name(kind);
  vdirecord::AppendRecordNumber(name, nSlot);
  return vdirecord::FindRecordTable(pParent, name);
}

// The 710.xx records of the 700 that getRecordTable knows by name, with the
// slot of their number.
struct C710Slot {
  std::wstring_view name;
  int nSlot;
};
constexpr C710Slot k710Slots[] = {
    {L"710_07", 20}, {L"710_05", 19}, {L"710_08", 21}, {L"710_12", 23}, {L"710_01", 17}};

}  // namespace

CVdiSheetManager& CVdiSheetManager::Process() {
  static CVdiSheetManager manager(CTgaArticles::Process());
  return manager;
}

CMatStore& CVdiSheetManager::Store() const {
  return m_pStore != nullptr ? *m_pStore : CMatStore::Instance();
}

int CVdiSheetManager::GetBlattNr(std::wstring_view name) {
  return name == kOldSheet3 ? 3 : VdiSheetOfTableName(name);
}

CMatTable* CVdiSheetManager::FindSheetTable(int nSheet) const {
  if (std::find(std::begin(kNumberedSheets), std::end(kNumberedSheets), nSheet) ==
      std::end(kNumberedSheets))
    return nullptr;
  CMatDatenSatz* pDataset = Store().GetCurrent();
  if (pDataset == nullptr) return nullptr;
  pDataset->EnsureDatasetLoaded();
  CMatTable* pSheet = FindTopLevelTable(*pDataset, VdiSheetTableName(nSheet), eHiddenTables::kSkip);
  if (pSheet == nullptr && nSheet == 3)
    pSheet = FindTopLevelTable(*pDataset, kOldSheet3, eHiddenTables::kSkip);
  return pSheet;
}

int CVdiSheetManager::GetNumber(CString& out, std::wstring_view tag, CMatTable* pProduct,
                                int nSheet, bool bDatanorm) {
  if (pProduct == nullptr) return 0;
  const CTgaSlots slots = ParseTgaTag(tag);
  // The function answers with an 810 line: "810;" index ";" article ";"
  // DATANORM number ";" ...
  std::vector<std::wstring_view> lines;
  if (m_Articles.RunTgaFunction(pProduct, kTgaFunction, slots, TgaSheetLayout(nSheet), lines) ==
          eTgaRun::eRan &&
      !lines.empty()) {
    const std::wstring_view article = Trimmed(RecordPiece(lines.front(), 2));
    const std::wstring_view datanorm = Trimmed(RecordPiece(lines.front(), 3));
    if (!article.empty() || !datanorm.empty()) {
      out = bDatanorm ? datanorm : article;
      return 1;
    }
  }
  // The cross references keep the 810 body: article, DATANORM number, ...
  CMatTable* pSeries = pProduct->m_pParent;
  CTgaReference reference;
  if (pSeries == nullptr || !m_Articles.FindReference(pSeries->m_pParent, slots, true, reference))
    return 0;
  out = Trimmed(RecordPiece(reference.m_strRecord, bDatanorm ? 1 : 0));
  return 1;
}

bool CVdiSheetManager::GetTGANummer(CString& out, int nSheet, const wchar_t* pArticle) {
  if (pArticle == nullptr) return false;
  CMatStore& store = Store();
  CMatTable* pSheet = FindSheetTable(nSheet);
  if (pSheet == nullptr) return false;
  const Handle hArticle = store.FindHandle(pArticle);
  CMatTable* pTable = FindChildTable(*pSheet, vditga::kNummer.pName, eHiddenTables::kSkip);
  if (hArticle == 0 || pTable == nullptr || pTable->m_nType != eTypeStruct) return false;
  CCell cell;
  if (store.GetCellValue(pTable, cell, hArticle, 0, 0) != eMatOk) return false;
  const wchar_t* pTag = store.HdlToString(cell.m_nValue);
  if (pTag == nullptr) return false;
  out = pTag;
  return true;
}

CMatTable* CVdiSheetManager::GetRecordTable(std::wstring_view tag, int nSheet,
                                            std::wstring_view name) {
  const CTgaSlots slots = ParseTgaTag(tag);
  CMatTable* pTable = FindRecord(FindSheetTable(nSheet), L"100", slots[0]);
  if (pTable == nullptr || name == L"100") return pTable;
  pTable = FindRecord(pTable, L"110", slots[1]);
  if (pTable == nullptr || name == L"110") return pTable;
  pTable = FindRecord(pTable, L"700", slots[15]);
  if (pTable == nullptr || name.starts_with(L"700")) return pTable;
  if (!name.starts_with(L"710")) return nullptr;
  // "710.05" and "710_05" name the same record.
  std::wstring kind(name);
  if (kind.size() > 3 && kind[3] == L'.') kind[3] = L'_';
  if (kind == L"710_11") {
    // The 710.11 records lie below their 710.01 record.
    return FindRecord(FindRecord(pTable, L"710_01", slots[17]), L"710_11", slots[18]);
  }
  for (const C710Slot& known : k710Slots)
    if (kind == known.name) return FindRecord(pTable, kind, slots[known.nSlot]);
  return FindRecord(pTable, kind, 1);
}

void CVdiSheetManager::GetSlotChoices(std::wstring_view tag, CTgaSlotChoices& lists,
                                      CMatTable* pProduct) {
  const CTgaSlots slots = ParseTgaTag(tag);
  CMatTable* p700 = FindRecord(pProduct, L"700", slots[15]);
  CMatTable* pList =
      p700 != nullptr ? FindChildTable(*p700, L"Artikelliste", eHiddenTables::kSkip) : nullptr;
  if (pList == nullptr) return;
  CMatStore& store = Store();
  std::uint64_t word = 0;
  for (POSITION pos = store.GetFirstRowPosition(pList); pos != nullptr;) {
    const wchar_t* pRowTag = store.HdlToString(pList->GetNextRow(pos, word));
    if (pRowTag == nullptr) continue;
    const CTgaSlots row = ParseTgaTag(pRowTag);
    bool bFits = true;
    for (std::size_t i = 0; i < slots.size() && bFits; ++i)
      bFits = slots[i] < 1 || slots[i] == row[i];
    if (!bFits) continue;
    for (std::size_t i = 2; i < slots.size(); ++i) {
      if (row[i] < 0 || (slots[i] >= 1 && slots[i] != row[i])) continue;
      std::vector<std::int32_t>& list = lists[i - 2];
      if (std::find(list.begin(), list.end(), row[i]) == list.end()) list.push_back(row[i]);
    }
  }
}

// ---- the exported service class

int Cvdi3805Man::getBlattNr(CString name) { return CVdiSheetManager::GetBlattNr(name); }

int Cvdi3805Man::getDatanormNummer(CString& out, const wchar_t* tag, CMatTable* product,
                                   int sheetNr) {
  return GuardedCall(0, [&] {
    return CVdiSheetManager::Process().GetNumber(out, tag != nullptr ? tag : L"", product, sheetNr,
                                                 true);
  });
}

int Cvdi3805Man::getArtikelNummer(CString& out, const wchar_t* tag, CMatTable* product,
                                  int sheetNr) {
  return GuardedCall(0, [&] {
    return CVdiSheetManager::Process().GetNumber(out, tag != nullptr ? tag : L"", product, sheetNr,
                                                 false);
  });
}

bool Cvdi3805Man::fillMissingTGAtags(CMatTable* sheetTable, CString& tag) {
  return GuardedCall(false, [&] { return ::fillMissingTGAtags(sheetTable, tag); });
}

int Cvdi3805Man::getTGAslot(const wchar_t* tag, int n) {
  if (tag == nullptr || n < 0 || n >= kTgaSlotCount) return 0;
  std::size_t nGroups = 0;
  const CTgaSlots slots = ParseTgaTag(tag, &nGroups);
  return static_cast<std::size_t>(n) < nGroups ? slots[n] : 0;
}

void Cvdi3805Man::setTGAslot(CString& tag, int n, int value, int mode) {
  if (n < 0 || n >= kTgaSlotCount) return;
  GuardedCall(0, [&] {
    CTgaSlots slots = ParseTgaTag(tag);
    slots[n] = value;
    tag = FormatTgaTag(slots, mode == 3 ? kTgaSlotCount : 18);
    return 0;
  });
}

bool Cvdi3805Man::getTGANummer(CString& out, int sheetNr, const wchar_t* article) {
  return GuardedCall(
      false, [&] { return CVdiSheetManager::Process().GetTGANummer(out, sheetNr, article); });
}

CMatTable* Cvdi3805Man::getRecordTable(const wchar_t* tag, int sheetNr, const wchar_t* name) {
  if (tag == nullptr || name == nullptr) return nullptr;
  return GuardedCall<CMatTable*>(
      nullptr, [&] { return CVdiSheetManager::Process().GetRecordTable(tag, sheetNr, name); });
}

void Cvdi3805Man::getSlotChoices(const wchar_t* tag, CTgaSlotChoices* lists, CMatTable* product) {
  if (tag == nullptr || lists == nullptr || product == nullptr) return;
  GuardedCall(0, [&] {
    CVdiSheetManager::Process().GetSlotChoices(tag, *lists, product);
    return 0;
  });
}

Cvdi3805Tag* Cvdi3805Man::createVariantTree(Cvdi3805Tag* parent, CMatTable* table) {
  return GuardedCall<Cvdi3805Tag*>(
      nullptr, [&] { return CreateVariantTree(CVdiTagRoots::Process(), parent, table); });
}

void Cvdi3805Man::completeTGAtag(CString& tag, Cvdi3805Tag* root, bool reset) {
  GuardedCall(0, [&] {
    CompleteTgaTag(CVdiTagRoots::Process(), tag, root, reset);
    return 0;
  });
}

Cvdi3805Tag* Cvdi3805Man::createTag(VdiRecordId recordId) {
  return GuardedCall<Cvdi3805Tag*>(nullptr,
                                   [&] { return CreateTag(CVdiTagRoots::Process(), recordId); });
}

void Cvdi3805Man::deleteTag(Cvdi3805Tag* tag) { DeleteTag(CVdiTagRoots::Process(), tag); }
