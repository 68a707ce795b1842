// libFuzzer target: VDI 3805 text with accessory records (830, 900, 930 and
// its sub-records) read into a fresh dataset; the accessory tree of the
// first product built with fuzzed design values, tag and selection; clicks
// on fuzzed items; positions made from the tree's keys and from fuzzed keys.
// The last bytes of the input steer; the rest is the file.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "OrvaMat/vdi_accessories.h"
#include "platform/recording_host_ui.h"
#include "store/base/translation.h"
#include "store/mat_store.h"
#include "store/table_names.h"
#include "vdi/vdi_reader.h"

namespace {

// The first child of the table whose name begins with prefix.
CMatTable* FirstChild(const CTableList& list, std::wstring_view prefix) {
  for (const auto& pChild : list)
    if (TableNameText(*pChild).starts_with(prefix)) return pChild.get();
  return nullptr;
}

CString FuzzedKey(FuzzedDataProvider& fdp) {
  static constexpr wchar_t kChars[] = L"0123456789--?x+ ";
  CString key;
  const int n = fdp.ConsumeIntegralInRange(0, 14);
  for (int i = 0; i < n; ++i)
    key += kChars[fdp.ConsumeIntegralInRange<std::size_t>(0, std::size(kChars) - 2)];
  return key;
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

  FuzzedDataProvider fdp(data, size);
  const bool bAll = fdp.ConsumeBool();
  std::vector<double> quantities(fdp.ConsumeIntegralInRange(0, 3));
  for (double& d : quantities) d = fdp.ConsumeIntegralInRange(-20, 200);
  CString tag;
  const int nSlots = fdp.ConsumeIntegralInRange(0, 18);
  for (int i = 0; i < nSlots; ++i) {
    const int n = fdp.ConsumeIntegralInRange(-1, 3);
    tag += (i > 0 ? L"-" : L"") + (n < 0 ? CString(L"?") : std::to_wstring(n));
  }
  CStringList selection{FuzzedKey(fdp), FuzzedKey(fdp)};
  const int nClicks = fdp.ConsumeIntegralInRange(0, 6);
  std::vector<std::size_t> clicks;
  for (int i = 0; i < nClicks; ++i) clicks.push_back(fdp.ConsumeIntegral<std::uint16_t>());
  const CString extraKey = FuzzedKey(fdp);

  CVdiReader reader(&scope.Get());
  const std::string text = fdp.ConsumeRemainingBytesAsString();
  reader.ReadBytes(text);

  CMatTable* pSheet = nullptr;
  for (const auto& pTop : pDataset->m_Tables)
    if (FirstChild(pTop->m_Children, L"100-") != nullptr) pSheet = pTop.get();
  CMatTable* p100 = pSheet != nullptr ? FirstChild(pSheet->m_Children, L"100-") : nullptr;
  CMatTable* pProduct = p100 != nullptr ? FirstChild(p100->m_Children, L"110-") : nullptr;

  CRecordingTreeCtrl control;
  CVDIZubehoerbaum930 tree(&control, bAll, pProduct, tag, quantities, selection);
  tree.RebuildZubehoerbaum();
  const std::vector<HTREEITEM> items = control.GetItems();
  CStringList changes;
  for (std::size_t n : clicks) {
    // Beyond the items: a handle of no item.
    const HTREEITEM item = n < items.size() ? items[n] : reinterpret_cast<HTREEITEM>(n + 1);
    tree.setItemStates(item);
    control.ToggleCheck(item);
    tree.getAuswahlAenderungen(changes);
  }
  CVdiZubehoer930 positions;
  for (const CString& key : tree.GetItemKeys()) positions.setPosition(tree.GetSheet(), key);
  positions.setPosition(pSheet, extraKey);
  for (const CString& key : selection) positions.setPosition(pSheet, key);
  CVdiZubehoer930 copy;
  copy.copyFrom(&positions);
  copy.removePosition(extraKey);
  copy.removePosition(copy.getArtikelPosition(selection.front()));
  tree.RebuildZubehoerbaum();
  ui.Clear();
  return 0;
}
