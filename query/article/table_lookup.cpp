#include "query/article/table_lookup.h"

#include "platform/text.h"
#include "store/base/translation.h"
#include "store/mat_daten_satz.h"

namespace {

CMatTable* FindIn(const CTableList& tables, const CMatDatenSatz& dataset, std::wstring_view name) {
  for (const auto& pTable : tables) {
    if ((pTable->m_nFlags & eFlagHidden) != 0 || pTable->m_hName == 0) continue;
    const wchar_t* pName = dataset.GetName(pTable->m_hName);
    if (pName != nullptr && EqualsNoCase(pName, name)) return pTable.get();
  }
  return nullptr;
}

}  // namespace

CMatTable* FindTopTableNamed(CMatDatenSatz& dataset, std::wstring_view name) {
  dataset.EnsureDatasetLoaded();
  return FindIn(dataset.m_Tables, dataset, name);
}

CMatTable* FindChildNamed(const CMatTable& parent, std::wstring_view name) {
  if (parent.m_pDatenSatz == nullptr) return nullptr;
  return FindIn(parent.m_Children, *parent.m_pDatenSatz, name);
}

const CString& GetCurrentLanguage() {
  return CTranslationManager::GetInstance().GetActualLanguage();
}

CMatTable* FindLanguageChild(const CMatTable* table) {
  const CString& language = GetCurrentLanguage();
  if (table == nullptr || language.empty()) return nullptr;
  return FindChildNamed(*table, language);
}
