#include "query/article/table_lookup.h"

#include "platform/text.h"
#include "store/base/translation.h"
#include "store/mat_daten_satz.h"

CMatTable* FindTopTableNamed(CMatDatenSatz& dataset, std::wstring_view name) {
  dataset.EnsureDatasetLoaded();
  return FindTopLevelTable(dataset, name, eHiddenTables::kSkip);
}

CMatTable* FindChildNamed(const CMatTable& parent, std::wstring_view name) {
  return FindChildTable(parent, name, eHiddenTables::kSkip);
}

const CString& GetCurrentLanguage() {
  return CTranslationManager::GetInstance().GetActualLanguage();
}

CMatTable* FindLanguageChild(const CMatTable* table) {
  const CString& language = GetCurrentLanguage();
  if (table == nullptr || language.empty()) return nullptr;
  return FindChildNamed(*table, language);
}
