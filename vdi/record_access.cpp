// Binding the host's record position to the current records, and the
// look-ups the record functions share.
#include "vdi/record_access.h"

#include <algorithm>

#include "query/string_read.h"
#include "store/mat_store.h"
#include "store/table_names.h"

using namespace vdirecord;

namespace {

constexpr int kSlot100 = 0;
constexpr int kSlot110 = 1;
constexpr int kPosition700 = 15;  // the 700 record's field of the position

}  // namespace

CVdiRecordAccess& CVdiRecordAccess::Process() {
  static CVdiRecordAccess access;
  return access;
}

CMatStore& CVdiRecordAccess::Store() const {
  return m_pStore != nullptr ? *m_pStore : CMatStore::Instance();
}

// An entry pushes its frame before it binds, so the frame count names the
// entry; bindings above it belong to calls that have returned.
CVdiRecordAccess::CBinding& CVdiRecordAccess::Bound() {
  const CFormulaContext& context = m_pContext != nullptr ? *m_pContext : CFormulaContext::Process();
  const std::size_t nDepth = std::max<std::size_t>(context.m_listFrames.size(), 1);
  if (m_Bindings.size() < nDepth) m_Bindings.resize(nDepth);
  return m_Bindings[nDepth - 1];
}

void CVdiRecordAccess::BindRecordPosition(const CvdiFunction& f, const VdiRecordPosition* pos) {
  CMatTable* pProduct = f.m_pList != nullptr ? f.m_pList->m_pTable : nullptr;
  CMatTable* pParent = pProduct != nullptr ? pProduct->m_pParent : nullptr;
  m_pPosition = pos;
  CBinding& bound = Bound();
  m_Bindings.resize(&bound - m_Bindings.data() + 1);
  bound = CBinding{};
  bound.m_pFunctionTable = pProduct;
  bound.m_nSheet = SheetOf(pParent != nullptr ? pParent->m_pParent : nullptr);
  BindByName(pProduct);
  BindByName(pParent);
  if (pProduct == nullptr || pos == nullptr) return;
  m_strName = L"700";
  AppendRecordNumber(m_strName, pos->m_nRecord[kPosition700]);
  BindByName(FindChild(pProduct, m_strName));
  BindPositionRecords(*pos);
}

int CVdiRecordAccess::SheetOf(CMatTable* pSheetTable) {
  if (pSheetTable == nullptr) return 0;
  // The reader names a sheet table after the sheet number of its file:
  // where the name is a sheet's, it is the number the records were placed
  // by, whatever the second field of the text holds.
  if (const int nSheet = SheetOfName(TableNameText(*pSheetTable)); nSheet != 0) return nSheet;
  const std::wstring_view text = RecordText(pSheetTable);
  const std::int32_t nSheet = ReadInteger(RecordPiece(text, 1));
  return nSheet != 0 ? nSheet : SheetOfName(text);
}

void CVdiRecordAccess::BindByName(CMatTable* pTable) {
  if (pTable == nullptr) return;
  if (const int nSlot = SlotOfRecordName(TableNameText(*pTable)); nSlot >= 0)
    Bound().m_Slots[static_cast<std::size_t>(nSlot)] = pTable;
}

void CVdiRecordAccess::BindPositionRecords(const VdiRecordPosition& pos) {
  const int nSheet = Bound().m_nSheet;
  for (const CPositionRecord& record : PositionRecordsOf(nSheet)) {
    m_strName = RecordTypeText(record.m_nType);
    AppendRecordNumber(m_strName, pos.m_nRecord[static_cast<std::size_t>(record.m_nField)]);
    CMatTable* pFound = FindChild(GetCurrentRecord(record.m_nBelow), m_strName);
    // Where the sheet hangs the record below another 710.xx record (the
    // 710.11 records of sheet 3 below their 710.01 record), it is found
    // there once the 700 record has none of that name.
    const RecordType nParent = ParentTypeOf(record.m_nType, nSheet);
    if (pFound == nullptr && nParent != record.m_nBelow && SlotOf(nParent) >= 0)
      pFound = FindChild(GetCurrentRecord(nParent), m_strName);
    BindByName(pFound);
  }
}

CMatTable* CVdiRecordAccess::GetCurrentRecord(RecordType t) {
  const auto& slots = Bound().m_Slots;
  if (const int nSlot = SlotOf(t); nSlot >= 0) return slots[static_cast<std::size_t>(nSlot)];
  // A type without a slot: none for the 1xx and 7xx records, whose current
  // record would have to be bound; the product itself for the others (the
  // 600 and 800 records hang below it). A text that is no type has none.
  if (t == 0) return nullptr;
  const std::uint32_t nFirstDigit = t >> 24;
  if (nFirstDigit == 1 || nFirstDigit == 7) return nullptr;
  return slots[kSlot110];
}

CMatTable* CVdiRecordAccess::ParentRecord(RecordType t) {
  const CBinding& bound = Bound();
  const RecordType nParent = ParentTypeOf(t, bound.m_nSheet);
  if (nParent == kSheetRecord) {
    CMatTable* p100 = bound.m_Slots[kSlot100];
    return p100 != nullptr ? p100->m_pParent : nullptr;
  }
  if (const int nSlot = SlotOf(nParent); nSlot >= 0)
    return bound.m_Slots[static_cast<std::size_t>(nSlot)];
  return bound.m_Slots[kSlot110];
}

CMatTable* CVdiRecordAccess::FindChild(CMatTable* pParent, std::wstring_view name) const {
  return FindRecordTable(pParent, name);
}

std::wstring_view CVdiRecordAccess::RecordText(CMatTable* pTable) {
  m_strText.clear();
  // A record is a StrLine table holding its text; a String table (the
  // 760.01 records) holds it in the row of its own name.
  if (pTable != nullptr &&
      ReadStringValue(Store(), m_strText, pTable, pTable->m_hName, 0, 0, false) != eMatOk)
    m_strText.clear();
  return m_strText;
}
