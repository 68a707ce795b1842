// The dataset page's decisions: the dataset list, the facts of the selected
// dataset and the switch between listed and excluded.
#include <algorithm>
#include <array>
#include <utility>

#include "OrvaMat/dialogs.h"
#include "platform/format.h"
#include "query/article/table_lookup.h"
#include "query/path_lookup.h"
#include "query/string_read.h"
#include "store/base/translation.h"
#include "store/mat_store.h"
#include "store/mmd/dataset_registry.h"

namespace {

// An open dataset of the store by its prefix; null when it was closed or
// never was.
CMatDatenSatz* OpenDataset(unsigned long prefix) {
  CMatDatenSatz* pDataset = CMatStore::Instance().GetDatasetOfHandle(Handle(prefix));
  return pDataset != nullptr && !pDataset->m_bClosed ? pDataset : nullptr;
}

// The text of row key in the dataset's "StringTable"; "" when there is none.
CString StringTableText(CMatStore& store, CMatDatenSatz& dataset, const wchar_t* key) {
  CMatTable* pStrings = FindTopTableNamed(dataset, L"StringTable");
  CString text;
  if (pStrings == nullptr ||
      ReadStringValue(store, text, pStrings, dataset.FindHandle(key), 0, 0, true) != eMatOk)
    return {};
  return text;
}

CString Translated(const wchar_t* text) { return LibraryTranslation().TranslateText(text); }

}  // namespace

std::vector<CKonfigPageItem> CKonfigPageModel::Fill() {
  CMatStore& store = CMatStore::Instance();
  std::vector<CKonfigPageItem> items;
  for (std::size_t i = 0; i < store.GetDatasetCount(); ++i) {
    CMatDatenSatz* pDataset = store.GetDataset(i);
    if (pDataset == nullptr || pDataset->m_bClosed) continue;
    CKonfigPageItem item;
    item.nPrefix = pDataset->GetPrefix();
    if (pDataset->m_bListed) {
      CString name;
      if (ReadHerstellerName(store, name, *pDataset, false) == eMatOk) pDataset->m_strName = name;
      // Only a look: the page never takes the lock.
      item.nImage = pDataset->CheckWriteLock(false) ? kKonfigLocked : kKonfigListed;
    }
    item.strName = pDataset->m_strName;
    items.push_back(std::move(item));
  }
  return items;
}

CString CKonfigPageModel::GetName(unsigned long prefix) {
  const CMatDatenSatz* pDataset = OpenDataset(prefix);
  return pDataset != nullptr ? pDataset->m_strName : CString();
}

CString CKonfigPageModel::FormatDatanormDate(CString date) {
  for (const std::size_t at : {std::size_t{2}, std::size_t{5}})
    date.insert(std::min(at, date.size()), 1, L'.');
  return date;
}

std::vector<CString> CKonfigPageModel::GetInfoLines(unsigned long prefix) {
  CMatDatenSatz* pDataset = OpenDataset(prefix);
  if (pDataset == nullptr || !pDataset->m_bListed) return {};
  CMatStore& store = CMatStore::Instance();
  ActivateDatasetOf(store, *pDataset);
  std::vector<CString> lines;
  const CString date = FormatDatanormDate(StringTableText(store, *pDataset, L"DATANORM_DATUM"));
  lines.push_back(Format(Translated(L"Datanorm: %s"), date));
  lines.push_back(
      Format(Translated(L"Währung: %s"), StringTableText(store, *pDataset, L"WAEHRUNG")));
  static constexpr std::array<std::pair<const wchar_t*, const wchar_t*>, 6> kModules = {{
      {L"FBHSystemGruppen", L"Fußbodenheizungssystemgruppen"},
      {L"FBHSysteme", L"Fußbodenheizungssysteme"},
      {L"Heizung", L"Daten für Heizungsrohrnetzberechnung"},
      {L"DIN1988", L"Daten für Trinkwasserrohrnetzberechnung"},
      {L"VDI-Waermeerzeuger", L"VDI-Waermeerzeugerdaten"},
      {L"VDI-Heizkoerper", L"VDI-Heizkörperdaten"},
  }};
  for (const auto& [table, text] : kModules)
    if (FindTopTableNamed(*pDataset, table) != nullptr) lines.push_back(Translated(text));
  return lines;
}

bool CKonfigPageModel::Toggle(unsigned long prefix) {
  CMatDatenSatz* pDataset = OpenDataset(prefix);
  if (pDataset == nullptr) return false;
  SetDatasetListed(*pDataset, !pDataset->m_bListed);
  return true;
}
