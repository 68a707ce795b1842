// Short texts, ready complete texts, quantity units and table display texts.
#include "OrvaMat/article.h"
#include "OrvaMat/mat_manager.h"
#include "query/article/article_read.h"
#include "query/article/table_lookup.h"
#include "store/base/translation.h"
#include "store/mat_store.h"

eMatManager CMatArticleCalls::GetKurzText(CString& out, unsigned long article) {
  out.clear();
  CArticleContext context(CMatStore::Instance(), static_cast<Handle>(article));
  CMatTable* pKurz = context.Table(L"KurzText");
  if (pKurz == nullptr) return eMatNoTable;
  return ReadTextPreferLanguage(context.Store(), pKurz, static_cast<Handle>(article), 0, 0, true,
                                out);
}

bool CMatArticleCalls::HasKurzText(unsigned long article) {
  CString text;
  return CMatManager::GetKurzText(text, article) == eMatOk;
}

eMatManager CMatArticleCalls::SetKurzText(const wchar_t* text, unsigned long article) {
  CArticleContext context(CMatStore::Instance(), static_cast<Handle>(article));
  CMatTable* pKurz = context.Table(L"KurzText");
  if (pKurz == nullptr) return eMatNoTable;
  CMatTable* pChild = FindLanguageChild(pKurz);
  return context.Store().SetCellValue(pChild != nullptr ? pChild : pKurz,
                                      static_cast<Handle>(article), 0, 0, CCellInput::Text(text));
}

eMatManager CMatArticleCalls::SetGesammtText(const wchar_t* text, unsigned long article) {
  CArticleContext context(CMatStore::Instance(), static_cast<Handle>(article));
  CMatTable* pTable = context.Table(L"GesammtText");
  if (pTable == nullptr) return eMatNoTable;
  return context.Store().SetCellValue(pTable, static_cast<Handle>(article), 0, 0,
                                      CCellInput::Text(text));
}

eMatManager CMatArticleCalls::GetMengeneinheitText(CString& out, unsigned long article) {
  out.clear();
  CArticleContext context(CMatStore::Instance(), static_cast<Handle>(article));
  std::uint32_t hUnit = 0;
  const eMatManager rc = ReadCell(context.Store(), context.Table(L"ArtikelInfo1"),
                                  static_cast<Handle>(article), 0, 2, hUnit);
  if (rc == eMatOk) {
    if (const CPoolText text = context.Dataset()->GetName(hUnit)) text.AssignTo(out);
  }
  return rc;
}

eMatManager CMatArticleCalls::GetTableText(CString& out, CMatTable* table) {
  if (table == nullptr) return eMatNoRow;
  CMatStore& store = CMatStore::Instance();
  CMatDatenSatz* pDataset = table->m_pDatenSatz;
  store.SetCurrent(pDataset);
  // The nearest "Texte" above the table names it, up to the dataset's own.
  for (CMatTable* pAncestor = table->m_pParent;; pAncestor = pAncestor->m_pParent) {
    CMatTable* pTexte = pAncestor != nullptr ? FindChildNamed(*pAncestor, L"Texte")
                                             : FindTopTableNamed(*pDataset, L"Texte");
    if (pTexte != nullptr &&
        ReadTextPreferLanguage(store, pTexte, table->m_hName, 0, 0, true, out) == eMatOk &&
        !out.empty()) {
      return eMatOk;
    }
    if (pAncestor == nullptr) break;
  }
  const CPoolText name = pDataset->GetName(table->m_hName);
  out = name ? name.ToString() : table->m_strName;
  return eMatNoRow;
}
