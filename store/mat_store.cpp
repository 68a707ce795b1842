#include "store/mat_store.h"

#include <utility>

#include "platform/text.h"
#include "store/base/translation.h"
#include "store/table_names.h"

CMatStore& CMatStore::Process() {
  static CMatStore store;
  s_pInstalled = &store;  // from now on Instance() finds it without a call
  return store;
}

CScopedMatStore::CScopedMatStore() : m_pPrevious(CMatStore::s_pInstalled) {
  CMatStore::s_pInstalled = &m_Store;
}
CScopedMatStore::~CScopedMatStore() { CMatStore::s_pInstalled = m_pPrevious; }

CMatStore::~CMatStore() { RemoveAllDatasets(); }

CMatDatenSatz* CMatStore::AddDataset(std::unique_ptr<CMatDatenSatz> pDataset) {
  if (pDataset == nullptr || m_Datasets.size() >= kMaxDatasets) return nullptr;
  pDataset->m_nNummer = static_cast<std::uint32_t>(m_Datasets.size());
  pDataset->m_nHandleCounter |= pDataset->GetPrefix();
  m_Datasets.push_back(std::move(pDataset));
  return m_Datasets.back().get();
}

void CMatStore::RemoveAllDatasets() {
  m_pCurrent = nullptr;
  while (!m_Datasets.empty()) m_Datasets.pop_back();
}

void CMatStore::RemoveDataset(std::size_t nNummer) {
  if (nNummer >= m_Datasets.size()) return;
  if (m_pCurrent == m_Datasets[nNummer].get()) m_pCurrent = nullptr;
  m_Datasets[nNummer].reset();
}

CMatDatenSatz* CMatStore::FindDatasetByID(std::wstring_view id) const {
  for (const auto& pDataset : m_Datasets)
    if (pDataset != nullptr && id == pDataset->m_szHerstellerID) return pDataset.get();
  return nullptr;
}

void CMatStore::SetCurrent(CMatDatenSatz* pDataset) {
  if (pDataset == m_pCurrent) return;
  m_pCurrent = pDataset;
  if (pDataset == nullptr || pDataset->m_pStringTable != nullptr) return;
  const CString language = CTranslationManager::GetInstance().GetActualLanguage();
  pDataset->EnsureDatasetLoaded();
  // The dataset's own texts: a hidden "StringTable" or language child counts.
  CMatTable* pStrings = FindTopLevelTable(*pDataset, L"StringTable", eHiddenTables::kFind);
  pDataset->m_pStringTable = pStrings;
  if (pStrings == nullptr || language.empty()) return;
  if (CMatTable* pChild = FindChildTable(*pStrings, language, eHiddenTables::kFind))
    pDataset->m_pStringTable = pChild;
}

const wchar_t* CMatStore::KeepText(CString text) {
  // Set nodes never move: the address of a kept text is stable.
  return m_KeptTexts.insert(std::move(text)).first->c_str();
}

void CMatStore::EnsureRowsLoaded(CMatTable& table) {
  if (table.m_pDatenSatz != nullptr) table.m_pDatenSatz->EnsureRowsLoaded(table);
}
