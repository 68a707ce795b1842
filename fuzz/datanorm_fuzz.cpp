// libFuzzer target: CDnLoader::LoadBytes on arbitrary bytes, into a fresh
// dataset each run, with a host UI that answers silently.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "import/dn_loader.h"
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
  CDnLoader loader(&scope.Get());
  loader.LoadBytes(bytes, L"fuzz.001", size > 0 && (data[0] & 1) != 0);
  ui.Clear();
  return 0;
}
