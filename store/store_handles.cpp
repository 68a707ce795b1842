// Handles and their texts, as the exported calls see them: the handle's
// dataset is made current first, then the current dataset answers.
#include <string_view>

#include "store/mat_store.h"

Handle CMatStore::CreateHandle(const wchar_t* pText) {
  if (pText == nullptr || m_pCurrent == nullptr) return 0;
  return m_pCurrent->CreateHandle(pText);
}

Handle CMatStore::FindHandle(const wchar_t* pText) {
  if (pText == nullptr) return 0;
  std::wstring_view text(pText);
  const std::size_t nSlash = text.find(L'\\');
  if (nSlash != std::wstring_view::npos && nSlash >= 1) {
    // "ID\name": the name is looked up in the dataset of that manufacturer.
    CMatDatenSatz* pDataset = FindDatasetByID(text.substr(0, nSlash));
    if (pDataset == nullptr) return 0;
    SetCurrent(pDataset);
    text.remove_prefix(nSlash + 1);
  }
  if (m_pCurrent == nullptr) return 0;
  m_pCurrent->EnsureDatasetLoaded();
  return m_pCurrent->FindHandle(text);
}

Handle CMatStore::GetOrCreateHandle(const wchar_t* pText) {
  const Handle h = FindHandle(pText);
  return h != 0 ? h : CreateHandle(pText);
}

const wchar_t* CMatStore::HdlToString(Handle h) {
  ActivateDataset(h);
  return m_pCurrent != nullptr ? m_pCurrent->GetWideName(h) : nullptr;
}

void CMatStore::RenameHandle(Handle h, const wchar_t* pText) {
  CMatDatenSatz* pDataset = GetDatasetOfHandle(h);
  if (pDataset == nullptr || pText == nullptr) return;
  SetCurrent(pDataset);
  if (pDataset->CheckWriteLock(true)) return;
  pDataset->RenameHandle(h, pText);
}

eMatManager CMatStore::RemoveHandle(Handle h) {
  CMatDatenSatz* pDataset = GetDatasetOfHandle(h);
  if (pDataset == nullptr) return eMatNoHandle;
  SetCurrent(pDataset);
  if (pDataset->CheckWriteLock(true)) return eMatLocked;
  // A name may be a row of any top-level table or of one of their children.
  for (const auto& pTable : pDataset->m_Tables) {
    EnsureRowsLoaded(*pTable);
    RemoveRowOf(*pTable, h);
    for (const auto& pChild : pTable->m_Children) {
      EnsureRowsLoaded(*pChild);
      RemoveRowOf(*pChild, h);
    }
  }
  pDataset->RemoveNames(h, true);
  pDataset->SetModified();
  return eMatOk;
}
