// The read side of BDH-2 catalogues as a host calls it (OrvaMat/bdh.h): on
// the process's datasets, no exception leaving.
#include "OrvaMat/bdh.h"
#include "import/bdh_model.h"
#include "query/article/table_lookup.h"
#include "store/base/guarded_call.h"
#include "store/mat_store.h"

namespace {

CMatDatenSatz* DatasetOf(unsigned long h) {
  CMatStore& store = CMatStore::Instance();
  CMatDatenSatz* pDataset = store.GetDatasetOfHandle(static_cast<Handle>(h));
  if (pDataset != nullptr) store.SetCurrent(pDataset);
  return pDataset;
}

}  // namespace

void ListBdhModels(CBdhModelList* list, unsigned long dataset) {
  if (list == nullptr) return;
  list->m_Models = ListBdhModelsOf(dataset);
}

std::vector<CBdhModel> ListBdhModelsOf(unsigned long prefix) {
  return GuardedCall(std::vector<CBdhModel>{}, [&] {
    CMatDatenSatz* pDataset = DatasetOf(prefix);
    return pDataset != nullptr ? ListBdhModels(CMatStore::Instance(), *pDataset)
                               : std::vector<CBdhModel>{};
  });
}

CBdhModel* LoadBdhModel(CBdhModel* model, CMatTable* modelTable) {
  if (model == nullptr) return nullptr;
  GuardedCall(false, [&] { return LoadBdhModel(CMatStore::Instance(), *model, modelTable); });
  return model;
}

bool LoadBdhModelOf(unsigned long prefix, const wchar_t* series, const wchar_t* model,
                    CBdhModel& out) {
  return GuardedCall(false, [&] {
    CMatDatenSatz* pDataset = DatasetOf(prefix);
    if (pDataset == nullptr || series == nullptr || model == nullptr) return false;
    CMatTable* pTop = FindTopTableNamed(*pDataset, L"BDH2");
    CMatTable* pSeries = pTop != nullptr ? FindChildNamed(*pTop, series) : nullptr;
    CMatTable* pModel = pSeries != nullptr ? FindChildNamed(*pSeries, model) : nullptr;
    return pModel != nullptr && LoadBdhModel(CMatStore::Instance(), out, pModel);
  });
}

CBdhModel* GetBdhModelObject() {
  // Made on first use and kept until the library is unloaded.
  static CBdhModel model;
  return &model;
}

const CBdhVariant* GetBdhVariant(const CBdhModel* model, int index) {
  if (model == nullptr || index < 0 || static_cast<std::size_t>(index) >= model->m_Variants.size())
    return nullptr;
  return &model->m_Variants[static_cast<std::size_t>(index)];
}

// A position is the element's index + 1, so that null ends the walk.
POSITION GetBdhElements(const CBdhModel* model) {
  if (model == nullptr || model->m_Elements.empty()) return nullptr;
  return reinterpret_cast<POSITION>(std::uintptr_t{1});
}

const CBdhElement* GetNextBdhElement(const CBdhModel* model, POSITION& pos) {
  const auto nIndex = reinterpret_cast<std::uintptr_t>(pos);
  if (model == nullptr || nIndex == 0 || nIndex > model->m_Elements.size()) {
    pos = nullptr;
    return nullptr;
  }
  pos = nIndex < model->m_Elements.size() ? reinterpret_cast<POSITION>(nIndex + 1) : nullptr;
  return &model->m_Elements[nIndex - 1];
}

int GetBdhNothing() { return 0; }

int GetBdhVariantLength(const CBdhVariant* variant) {
  return variant != nullptr ? variant->m_nLength : 0;
}

int GetBdhVariantCol0(const CBdhVariant* variant) {
  return variant != nullptr ? variant->m_nCol0 : 0;
}

int GetBdhVariantCol1(const CBdhVariant* variant) {
  return variant != nullptr ? variant->m_nCol1 : 0;
}

CString GetBdhVariantTitle(const CBdhVariant* variant) {
  return variant != nullptr ? variant->m_strModel + L", " + variant->m_strName : CString();
}
