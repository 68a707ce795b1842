#include "query/article/article_read.h"

#include "query/article/table_lookup.h"
#include "store/base/translation.h"
#include "store/mat_store.h"
#include "store/mmd/dataset_registry.h"

CArticleContext::CArticleContext(CMatStore& store, Handle hArticle) : m_Store(store) {
  ActivateDataset(store, hArticle);
  m_pDataset = store.GetCurrent();
}

CMatTable* CArticleContext::Table(std::wstring_view name) const {
  return m_pDataset != nullptr ? FindTopTableNamed(*m_pDataset, name) : nullptr;
}

eMatManager ReadCell(CMatStore& store, CMatTable* pTable, Handle hRow, int index, int field,
                     std::uint32_t& out) {
  out = 0;
  if (pTable == nullptr) return eMatNoTable;
  CCell cell;
  const eMatManager rc = store.GetCellValue(pTable, cell, hRow, index, field);
  out = cell.m_nValue;
  return rc;
}

eMatManager ReadTextCell(CMatStore& store, CMatTable* pTable, Handle hRow, int index, int field,
                         bool translate, CString& out) {
  if (pTable == nullptr) return eMatNoTable;
  const std::uint32_t type = pTable->m_nType == eTypeStruct
                                 ? (static_cast<std::uint32_t>(field) < pTable->GetFieldCount()
                                        ? pTable->m_pStrucDef[1 + field]
                                        : eTypeVoid)
                                 : pTable->m_nType;
  if (type != eTypeString && type != eTypeUniString) return eMatWrongType;
  std::uint32_t nIndex = 0;
  const eMatManager rc = ReadCell(store, pTable, hRow, index, field, nIndex);
  if (rc != eMatOk || nIndex == 0) return rc;
  if (const CPoolText text = pTable->m_pDatenSatz->GetPoolText(nIndex)) {
    text.AssignTo(out);
    if (translate) out = LibraryTranslation().TranslateText(out);
  }
  return rc;
}

eMatManager ReadTextPreferLanguage(CMatStore& store, CMatTable* pTable, Handle hRow, int index,
                                   int field, bool translate, CString& out) {
  if (CMatTable* pChild = FindLanguageChild(pTable)) {
    std::uint32_t nIndex = 0;
    if (ReadCell(store, pChild, hRow, index, field, nIndex) == eMatOk && nIndex != 0 &&
        ReadTextCell(store, pChild, hRow, index, field, false, out) == eMatOk) {
      return eMatOk;
    }
  }
  return ReadTextCell(store, pTable, hRow, index, field, translate, out);
}
