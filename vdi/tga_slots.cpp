#include "vdi/tga_slots.h"

#include <algorithm>
#include <string_view>

#include "store/table_names.h"
#include "vdi/record_layout.h"

using namespace vdirecord;

namespace {

// The 710.xx groups a sheet's tags name, from slot 17 on, by the exact name
// of the sheet table. A sheet not listed has none.
struct CSheetGroups {
  std::wstring_view m_strSheet;
  int m_nSheet;
  std::initializer_list<const wchar_t*> m_Groups;
};

const CSheetGroups kSheetGroups[] = {
    {L"VDI-Heizungsarmaturen", 2, {L"710_01"}},
    {L"VDI-Waermeerzeuger",
     3,
     {L"710_01", L"710_11", L"710_05", L"710_07", L"710_08", L"710_09", L"710_12"}},
    {L"VDI-Heizkoerper-2", 6, {L"710_01"}},
    {L"VDI-Luftdurchlaesse", 5, {L"710_01", L"710_02"}},
    {L"VDI-RLT-Schalldaempfer (passiv)", 14, {L"710_01", L"710_02", L"710_03", L"710_04"}},
    {L"VDI-Armaturen fuer die Trinkwasserinstallation", 17, {L"710_01"}},
    {L"VDI-Klappen Blenden und Volumenstromregler", 35, {L"710_01"}},
    {L"VDI-Sonnenkollektoren", 19, {L"710_01", L"710_05", L"710_06", L"710_07", L"710_08"}},
    {L"VDI-Wohnungslueftungsgeraete", 23, {L"710_01", L"710_03", L"710_06", L"710_13", L"710_17"}},
};

constexpr int kFirst710Slot = 17;

// One level: the table "<kind>-<slot>" below pParent, or, for an unknown
// slot, the first record of the kind; the slot takes the found record's
// number. Null when there is none (or no parent).
CMatTable* FindLevel(CMatTable* pParent, std::wstring_view kind, std::int32_t& nSlot) {
  if (pParent == nullptr) return nullptr;
  CMatTable* pFound = nullptr;
  if (nSlot >= 0) {
    std::wstring name(kind);
    AppendRecordNumber(name, nSlot);
    pFound = FindRecordTable(pParent, name);
  } else {
    for (const auto& pChild : pParent->m_Children) {
      if ((pChild->m_nFlags & eFlagHidden) != 0) continue;
      const std::wstring_view name = TableNameText(*pChild);
      if (name.size() > kind.size() && name.substr(0, kind.size()) == kind &&
          name[kind.size()] == L'-') {
        pFound = pChild.get();
        break;
      }
    }
  }
  if (pFound != nullptr) nSlot = ReadInteger(TableNameText(*pFound).substr(kind.size() + 1));
  return pFound;
}

// A variant group below the 110 (200 with 250 and 260, ...): the main
// record at nSlot, its two kinds of sub-records in the next two slots.
void FillGroup(CMatTable* p110, const wchar_t* pMain, const wchar_t* pFirst, const wchar_t* pSecond,
               CTgaSlots& slots, std::size_t nSlot) {
  CMatTable* pGroup = FindLevel(p110, pMain, slots[nSlot]);
  if (pGroup == nullptr) return;
  FindLevel(pGroup, pFirst, slots[nSlot + 1]);
  FindLevel(pGroup, pSecond, slots[nSlot + 2]);
}

}  // namespace

bool FillTgaSlots(CMatTable* pSheet, CTgaSlots& slots) {
  if (pSheet == nullptr) return false;
  CMatTable* p100 = FindLevel(pSheet, L"100", slots[0]);
  CMatTable* p110 = FindLevel(p100, L"110", slots[1]);
  if (p110 == nullptr) return false;
  FindLevel(p110, L"160", slots[2]);
  FillGroup(p110, L"200", L"250", L"260", slots, 3);
  FillGroup(p110, L"300", L"350", L"360", slots, 6);
  FillGroup(p110, L"400", L"450", L"460", slots, 9);
  FillGroup(p110, L"500", L"550", L"560", slots, 12);
  CMatTable* p700 = FindLevel(p110, L"700", slots[15]);
  if (p700 == nullptr) return true;
  FindLevel(p700, L"760", slots[16]);

  const std::wstring_view sheetName = TableNameText(*pSheet);
  const auto it = std::find_if(std::begin(kSheetGroups), std::end(kSheetGroups),
                               [&](const CSheetGroups& g) { return g.m_strSheet == sheetName; });
  if (it == std::end(kSheetGroups)) return true;
  const int nSheet = it->m_nSheet;
  // The groups found so far, by type, to find a group below another.
  RecordType types[kTgaSlotCount - kFirst710Slot] = {};
  CMatTable* tables[kTgaSlotCount - kFirst710Slot] = {};
  std::size_t nGroup = 0;
  for (const wchar_t* pGroup : it->m_Groups) {
    const RecordType nType = ParseRecordType(pGroup);
    const RecordType nParentType = ParentTypeOf(nType, nSheet);
    CMatTable* pParent = p700;
    for (std::size_t i = 0; i < nGroup; ++i)
      if (types[i] == nParentType) pParent = tables[i];
    types[nGroup] = nType;
    tables[nGroup] = FindLevel(pParent, pGroup, slots[kFirst710Slot + nGroup]);
    ++nGroup;
  }
  return true;
}

bool fillTGAslots(CMatTable* pSheet, std::int32_t* pSlots) {
  if (pSlots == nullptr) return false;
  CTgaSlots slots;
  std::copy(pSlots, pSlots + kTgaSlotCount, slots.begin());
  const bool bFilled = FillTgaSlots(pSheet, slots);
  std::copy(slots.begin(), slots.end(), pSlots);
  return bFilled;
}

bool fillMissingTGAtags(CMatTable* pSheet, CString& tag) {
  CTgaSlots slots = ParseTgaTag(tag);
  if (!FillTgaSlots(pSheet, slots)) return false;
  for (std::int32_t& n : slots)
    if (n < 0) n = 0;
  tag = FormatTgaTag(slots, kTgaSlotCount);
  return true;
}
