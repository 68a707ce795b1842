// libFuzzer target: CVdiReader::ReadBytes on arbitrary bytes as a VDI 3805
// file, into a fresh dataset each run, then the walk of "vdi products" over
// what was read and a read of every table's text below each product.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/recording_host_ui.h"
#include "store/base/translation.h"
#include "store/mat_store.h"
#include "vdi/vdi_import.h"
#include "vdi/vdi_reader.h"

namespace {

// Every text of the subtree, as a manager of the sheets would read them.
std::size_t WalkTexts(const CMatTable& table, int depth) {
  std::size_t n = 0;
  if (table.m_nType == eTypeStrLine && table.m_pData != nullptr)
    n += std::wstring_view(static_cast<const wchar_t*>(table.m_pData)).size();
  if (depth < 64) {
    for (const auto& pChild : table.m_Children) n += WalkTexts(*pChild, depth + 1);
  }
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static CRecordingHostUI ui;
  static CTranslationManager translation(L"");
  CScopedHostUI scopedUI(ui);
  CScopedTranslationManager scopedTranslation(translation);
  CScopedMatStore scope;
  CMatDatenSatz* pDataset = scope.Get().AddDataset(std::make_unique<CMatDatenSatz>());
  scope.Get().SetCurrent(pDataset);
  CVdiReader reader(&scope.Get());
  reader.ReadBytes(std::string_view(reinterpret_cast<const char*>(data), size));
  std::size_t nChars = 0;
  for (const CVdiSheet& sheet : ListVdiSheets(*pDataset)) {
    for (const CVdiProduct& product : sheet.products) nChars += product.strTitle.size();
  }
  for (const auto& pTop : pDataset->m_Tables) nChars += WalkTexts(*pTop, 0);
  ui.Clear();
  return nChars == static_cast<std::size_t>(-1) ? 1 : 0;
}
