// The exported calls about names: handle keys, manufacturer names, the
// dataset's "StringTable" texts, cost type names and the calls that do
// nothing.
#include <array>

#include "OrvaMat/mat_manager.h"
#include "query/path_lookup.h"
#include "query/string_read.h"
#include "store/base/translation.h"
#include "store/mat_store.h"

namespace {

CMatStore& Store() { return CMatStore::Instance(); }
Handle ToHandle(unsigned long h) { return static_cast<Handle>(h); }

struct CKostenart {
  int nCode;
  const wchar_t* pText;
};
constexpr std::array<CKostenart, 8> kKostenarten{{
    {90, L"Material"},
    {91, L"Hilfsstoffe"},
    {92, L"Lohnkosten Werkstatt"},
    {93, L"Lohnkosten Montage"},
    {94, L"Lohnkosten allgemein"},
    {95, L"Gerätekosten"},
    {98, L"Rüstung, Schalung, Verbau, Baustelleneinrichtungen"},
    {99, L"sonstiges"},
}};

// Read by nothing; kept because hosts set it.
bool g_bReadFlag = false;

}  // namespace

void CMatManager::HdlToHKKey(CString& out, unsigned long handle) {
  CMatStore& store = Store();
  CMatDatenSatz* pDataset = store.GetDatasetOfHandle(ToHandle(handle));
  const CPoolText text = pDataset != nullptr ? pDataset->GetName(ToHandle(handle)) : CPoolText();
  if (!text) return;
  ActivateDatasetOf(store, *pDataset);
  out = CString(pDataset->m_szHerstellerID) + L"\\";
  text.AppendTo(out);
}

eMatManager CMatManager::HerstellerNameEx(CString& out, CMatTable* table, int translate) {
  if (table == nullptr) return eMatNoTable;
  CMatDatenSatz* pDataset = Store().GetDatasetOfHandle(table->m_hName);
  if (table->m_hName == 0 || pDataset == nullptr) {
    out.clear();
    return eMatNoHandle;
  }
  return ReadHerstellerName(Store(), out, *pDataset, translate != 0);
}

eMatManager CMatManager::HerstellerName(CString& out, CMatTable* table) {
  return HerstellerNameEx(out, table, 1);
}

eMatManager CMatManager::HerstellerNameOfHandle(CString& out, unsigned long handle) {
  CMatDatenSatz* pDataset = Store().GetDatasetOfHandle(ToHandle(handle));
  if (pDataset == nullptr) return eMatNoHandle;
  return ReadHerstellerName(Store(), out, *pDataset, true);
}

eMatManager CMatManager::GetStringTableText(CString& out, unsigned long handle) {
  CMatStore& store = Store();
  CMatDatenSatz* pDataset = store.GetCurrent();
  if (pDataset == nullptr) return eMatNoDataset;
  if (pDataset->m_pStringTable == nullptr)
    ::FindTable(store, pDataset->m_pStringTable, nullptr, L"StringTable");
  CMatTable* pStrings = pDataset->m_pStringTable;
  if (pStrings == nullptr) return eMatNoTable;
  const CString& language = CTranslationManager::GetInstance().GetActualLanguage();
  CMatTable* pChild = nullptr;
  if (!language.empty() && ::FindTable(store, pChild, pStrings, language) == eMatOk) {
    CString text;
    if (ReadStringValue(store, text, pChild, ToHandle(handle), 0, 0, true) == eMatOk) {
      out = std::move(text);
      return eMatOk;
    }
  }
  return ReadStringValue(store, out, pStrings, ToHandle(handle), 0, 0, true);
}

const wchar_t* CMatManager::GetKostenartText(int code) {
  for (const CKostenart& kostenart : kKostenarten)
    if (kostenart.nCode == code)
      return Store().KeepText(LibraryTranslation().TranslateText(kostenart.pText));
  return L"";
}

void CMatManager::ShowMatError(eMatManager /*code*/, int /*context*/) {}

void CMatManager::SetReadFlag() { g_bReadFlag = true; }
