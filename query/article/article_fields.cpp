// An article's fields (OrvaMat/article_fields.h), read cell by cell from the
// DATANORM article tables of its dataset.
#include "OrvaMat/article_fields.h"

#include <bit>
#include <cstdio>

#include "OrvaMat/mat_manager.h"
#include "platform/text.h"
#include "query/article/table_lookup.h"
#include "store/base/guarded_call.h"
#include "store/mat_daten_satz.h"
#include "store/mat_store.h"

namespace {

CString HandleText(const CMatDatenSatz& dataset, std::uint32_t h) {
  return dataset.GetName(h).ToString();
}

// The cell of the article's row in the top-level table of that name; 0 when
// the table, the row or the cell is missing.
std::uint32_t CellOf(CMatDatenSatz& dataset, const wchar_t* table, Handle row, int index,
                     int field) {
  CCell cell;
  CMatTable* pTable = FindTopTableNamed(dataset, table);
  if (pTable == nullptr) return 0;
  const eMatManager rc = CMatStore::Instance().GetCellValue(pTable, cell, row, index, field);
  return rc == eMatOk ? cell.m_nValue : 0;
}

CString TextOf(const CMatDatenSatz& dataset, std::uint32_t poolIndex) {
  return dataset.GetPoolText(poolIndex).ToString();
}

// The product group: the "WG_" table under the article's main group that
// holds the article.
CString ProductGroupOf(CMatDatenSatz& dataset, Handle hArticle, const CString& mainGroup) {
  CMatTable* pHwg = FindTopTableNamed(dataset, L"HauptWarenGruppen");
  CMatTable* pMain = pHwg != nullptr ? FindChildNamed(*pHwg, mainGroup) : nullptr;
  if (pMain == nullptr) return {};
  for (const auto& pGroup : pMain->m_Children) {
    if (CMatStore::Instance().RowExists(pGroup.get(), hArticle) == eMatOk)
      return HandleText(dataset, pGroup->m_hName);
  }
  return {};
}

CString Printed(const char* format, double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, value);
  return FromUtf8(buffer);
}

}  // namespace

unsigned long FindArticle(unsigned long prefix, const CString& number) {
  return GuardedCall(0ul, [&]() -> unsigned long {
    const CMatDatenSatz* pDataset = CMatStore::Instance().GetDatasetOfHandle(Handle(prefix));
    return pDataset != nullptr ? pDataset->FindHandle(number) : 0;
  });
}

eMatManager GetArticleFields(CArticleFields& out, unsigned long article) {
  return GuardedCall(eMatNoHandle, [&] {
    out = {};
    CMatStore& store = CMatStore::Instance();
    CMatDatenSatz* pDataset = article != 0 ? store.GetDatasetOfHandle(Handle(article)) : nullptr;
    if (pDataset == nullptr) return eMatNoHandle;
    if (store.GetCurrent() != pDataset) store.SetCurrent(pDataset);
    CMatDatenSatz& dataset = *pDataset;
    const Handle h = Handle(article);
    CMatManager::GetKurzText(out.strShortText, h);
    CMatManager::GetGesammtText(out.strCompleteText, h);
    out.fPrice = std::bit_cast<float>(CellOf(dataset, L"Preis", h, 0, 0));
    out.nPriceUnit = CellOf(dataset, L"ArtikelInfo1", h, 0, 1);
    CMatManager::GetMengeneinheitText(out.strQuantityUnit, h);
    const std::uint32_t hDiscount = CellOf(dataset, L"ArtikelInfo1", h, 0, 3);
    out.strDiscountGroup = HandleText(dataset, hDiscount);
    if (hDiscount != 0)
      out.fDiscountFactor =
          std::bit_cast<float>(CellOf(dataset, L"Rabattgruppen", hDiscount, 0, 1));
    out.strMainGroup = HandleText(dataset, CellOf(dataset, L"ArtikelInfo2", h, 0, 1));
    out.strProductGroup = ProductGroupOf(dataset, h, out.strMainGroup);
    out.strMatchCode = HandleText(dataset, CellOf(dataset, L"ArtikelInfo2", h, 0, 0));
    out.strEAN = TextOf(dataset, CellOf(dataset, L"ArtikelInfo2", h, 0, 2));
    CString picture, info;
    CMatManager::GetArtikelBildDatei(picture, info, h);
    CMatManager::ResolveLibraryFile(out.strPicture, picture);
    return eMatOk;
  });
}

CString FormatPrice(double price) {
  return GuardedCall(CString(), [&] { return Printed("%.2f", price); });
}

CString FormatFactor(double factor) {
  return GuardedCall(CString(), [&] { return Printed("%.4g", factor); });
}
