// libFuzzer target: a BDH-2 catalogue of arbitrary bytes imported into a
// fresh dataset, then every model loaded with all its size variants, each
// with its order number and heat output, through the host's calls.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "OrvaMat/bdh.h"
#include "import/bdh_import.h"
#include "platform/recording_host_ui.h"
#include "store/base/translation.h"
#include "store/mat_store.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static CRecordingHostUI ui;
  static CTranslationManager translation(L"");
  CScopedHostUI scopedUI(ui);
  CScopedTranslationManager scopedTranslation(translation);
  CScopedMatStore scope;
  CMatDatenSatz* pDataset = scope.Get().AddDataset(std::make_unique<CMatDatenSatz>());
  scope.Get().SetCurrent(pDataset);
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  CBdhImporter importer(scope.Get());
  importer.ImportBytes(bytes, L"HK.DAT");
  CBdhModelList list;
  ListBdhModels(&list, pDataset->GetPrefix());
  // Everything computed is used, so that nothing is left out as unused.
  std::size_t nSum = 0;
  for (CBdhModel& model : list.m_Models) {
    LoadBdhModel(&model, model.m_pModelTable);
    for (int i = 0; const CBdhVariant* v = GetBdhVariant(&model, i); ++i) {
      nSum += static_cast<unsigned>(v->m_nHeatOutput) + GetBdhVariantTitle(v).size() +
              v->m_strOrderNumber.size();
    }
    for (POSITION pos = GetBdhElements(&model); pos != nullptr;) GetNextBdhElement(&model, pos);
  }
  ui.Clear();
  asm volatile("" : : "g"(nSum) : "memory");
  return 0;
}
