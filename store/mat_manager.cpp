// The exported store calls: each reaches the process-wide store and hands
// over to the operation of the same name there.
#include "OrvaMat/mat_manager.h"

#include <bit>

#include "store/base/translation.h"
#include "store/mat_store.h"

namespace {
CMatStore& Store() { return CMatStore::Instance(); }
Handle ToHandle(unsigned long h) { return static_cast<Handle>(h); }

eMatManager SetCell(CMatTable* table, unsigned long row, int index, int field,
                    const CCellInput& value) {
  return Store().SetCellValue(table, ToHandle(row), index, field, value);
}
}  // namespace

unsigned long CMatManager::CreateHandle(const wchar_t* text) { return Store().CreateHandle(text); }
unsigned long CMatManager::FindHandle(const wchar_t* text) { return Store().FindHandle(text); }
unsigned long CMatManager::GetOrCreateHandle(const wchar_t* text) {
  return Store().GetOrCreateHandle(text);
}
const wchar_t* CMatManager::HdlToString(unsigned long handle) {
  return Store().HdlToString(ToHandle(handle));
}
void CMatManager::RenameHandle(unsigned long handle, const wchar_t* text) {
  Store().RenameHandle(ToHandle(handle), text);
}
eMatManager CMatManager::RemoveHandle(unsigned long handle) {
  return Store().RemoveHandle(ToHandle(handle));
}

CMatTable* CMatManager::CreateTable(CMatTable* parent, const wchar_t* name, int type,
                                    int valuesPerRow) {
  return Store().CreateTable(parent, name, type, valuesPerRow);
}
eMatManager CMatManager::RemoveTable(CMatTable* table) { return Store().RemoveTable(table); }
eMatManager CMatManager::RenameTable(CMatTable* table, const wchar_t* name) {
  return Store().RenameTable(table, name);
}
eMatManager CMatManager::SetStrucDef(CMatTable* table, const std::uint32_t* def) {
  return Store().SetStrucDef(table, def);
}
void CMatManager::AddAlias(const wchar_t* alias, const wchar_t* path) {
  Store().AddAlias(alias, path);
}
void CMatManager::SetBeschreibung(CMatTable* table, const wchar_t* text) {
  Store().SetBeschreibung(table, text);
}

eMatManager CMatManager::AddRow(CMatTable* table, unsigned long row) {
  return Store().AddRow(table, ToHandle(row));
}
eMatManager CMatManager::RemoveRow(CMatTable* table, unsigned long row) {
  return Store().RemoveRow(table, ToHandle(row));
}

eMatManager CMatManager::GetValue(unsigned long& out, CMatTable* table, unsigned long row,
                                  int index, int field) {
  out = 0;
  CCell cell;
  const eMatManager nResult = Store().GetCellValue(table, cell, ToHandle(row), index, field);
  if (table != nullptr && nResult == eMatOk &&
      (table->m_nType == eTypeStringArray || table->m_nType == eTypeStrLine))
    return eMatWrongType;
  out = cell.m_nValue;
  return nResult;
}

eMatManager CMatManager::GetFloatValue(float& out, CMatTable* table, unsigned long row, int index,
                                       int field) {
  unsigned long cell = 0;
  const eMatManager nResult = GetValue(cell, table, row, index, field);
  out = std::bit_cast<float>(static_cast<std::uint32_t>(cell));
  return nResult;
}

eMatManager CMatManager::GetStringPtr(const wchar_t*& out, CMatTable* table, unsigned long row,
                                      int index, int field) {
  out = L"";
  if (table == nullptr) return eMatNoTable;
  const std::uint32_t nType = table->m_nType;
  if (nType != eTypeStrLine && nType != eTypeString && nType != eTypeStringArray)
    return eMatWrongType;
  CCell cell;
  const eMatManager nResult = Store().GetCellValue(table, cell, ToHandle(row), index, field);
  if (nResult != eMatOk) return nResult;
  CString pooled;
  const wchar_t* pText = cell.m_pText;
  if (nType == eTypeString && table->m_pDatenSatz != nullptr) {
    const CPoolText text = table->m_pDatenSatz->GetPoolText(cell.m_nValue);
    text.AssignTo(pooled);
    pText = text ? pooled.c_str() : nullptr;
  }
  if (pText == nullptr) return eMatOk;
  out = Store().KeepText(nType == eTypeStrLine ? CString(pText)
                                               : LibraryTranslation().TranslateText(pText));
  return eMatOk;
}

eMatManager CMatManager::SetHandleValue(unsigned long value, CMatTable* table, unsigned long row,
                                        int index, int field) {
  return SetCell(table, row, index, field, CCellInput::Value(static_cast<std::uint32_t>(value)));
}
eMatManager CMatManager::SetIntValue(int value, CMatTable* table, unsigned long row, int index,
                                     int field) {
  return SetCell(table, row, index, field, CCellInput::Value(static_cast<std::uint32_t>(value)));
}
eMatManager CMatManager::SetFloatValueF(float value, CMatTable* table, unsigned long row, int index,
                                        int field) {
  return SetCell(table, row, index, field, CCellInput::Value(std::bit_cast<std::uint32_t>(value)));
}
eMatManager CMatManager::SetFloatValue(double value, CMatTable* table, unsigned long row, int index,
                                       int field) {
  return SetFloatValueF(static_cast<float>(value), table, row, index, field);
}
eMatManager CMatManager::SetStringValueW(const wchar_t* text, CMatTable* table, unsigned long row,
                                         int index, int field) {
  return SetCell(table, row, index, field, CCellInput::Text(text));
}
bool CMatManager::SetStringValue(CMatTable* table, unsigned long row, int index, int field,
                                 const wchar_t* text) {
  return SetStringValueW(text, table, row, index, field) == eMatOk;
}
