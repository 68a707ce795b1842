// libFuzzer target: article sets on set tables made from the input. The
// bytes are read as lines of 12 bytes each, each entered into one of three
// tables by its first byte: a size table (rows are articles), a table of set
// rows, and the dataset's set group table. Rows, articles and alternative
// keys come from a handful of names, so groups contain each other and
// themselves, and alternatives collide. Then sets are filled by size and by
// row, exploded, merged, compared, recalculated and moved along their
// alternatives, with sizes from the input. No input may crash, hang or grow
// without bound.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "OrvaMat/article_set.h"
#include "OrvaMat/mat_manager.h"
#include "platform/recording_host_ui.h"
#include "store/base/translation.h"
#include "store/mat_daten_satz.h"
#include "store/mat_store.h"

namespace {

constexpr std::size_t kLineBytes = 12;
constexpr std::size_t kMaxLines = 400;

struct CReader {
  const std::uint8_t* p;
  std::size_t n;
  std::uint8_t Byte(std::size_t i) const { return i < n ? p[i] : 0; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CRecordingHostUI ui;
  CScopedHostUI scopedUI(ui);
  CTranslationManager translation(L"");
  CScopedTranslationManager scopedTranslation(translation);
  CScopedMatStore scope;
  CMatStore& store = scope.Get();
  CMatDatenSatz* pDataset = store.AddDataset(std::make_unique<CMatDatenSatz>());
  store.SetCurrent(pDataset);

  const std::uint32_t kSizeFields[] = {
      6, eTypeFloat, eTypeHandle, eTypeInteger, eTypeInteger, eTypeInteger, eTypeInteger};
  const std::uint32_t kFloatSizeFields[] = {5,          eTypeFloat,  eTypeHandle, eTypeInteger,
                                            eTypeFloat, eTypeInteger};
  const std::uint32_t kGroupFields[] = {3, eTypeFloat, eTypeHandle, eTypeInteger};
  const CReader in{data, size};
  CMatTable* tables[3] = {store.CreateTable(nullptr, L"Sizes", eTypeStruct, 1),
                          store.CreateTable(nullptr, L"Rows", eTypeStruct, 1),
                          store.CreateTable(nullptr, L"ArtikelSetGruppen", eTypeStruct, 1)};
  store.SetStrucDef(tables[0], (in.Byte(0) & 1) != 0 ? kFloatSizeFields : kSizeFields);
  store.SetStrucDef(tables[1], kSizeFields);
  store.SetStrucDef(tables[2], kGroupFields);
  pDataset->m_pSetGruppen = tables[2];
  Handle names[8];
  for (int i = 0; i < 8; ++i) names[i] = store.GetOrCreateHandle(std::to_wstring(i).c_str());

  std::size_t nLines = 0;
  for (std::size_t at = 1; at + kLineBytes <= size && nLines < kMaxLines; at += kLineBytes) {
    ++nLines;
    const std::uint8_t* p = data + at;
    CMatTable* pTable = tables[p[0] % 3];
    const Handle hRow = names[p[1] % 8];
    const int nLine = p[2] % 4;
    float fMenge = 0;
    std::memcpy(&fMenge, p + 3, sizeof fMenge);
    const int nFields = static_cast<int>(pTable->GetFieldCount());
    store.SetCellValue(pTable, hRow, nLine, 0,
                       CCellInput::Value(std::bit_cast<std::uint32_t>(fMenge)));
    for (int f = 1; f < nFields; ++f) {
      std::uint32_t value = p[6 + f];
      if (f == 1) value = names[p[6 + f] % 8];
      if (f == 2)
        value = (p[6 + f] & 1 ? 0x1000u : 0) | (p[6 + f] & 2 ? 0x100000u : 0) | (p[6 + f] >> 2);
      if (pTable->m_pStrucDef[1 + f] == eTypeFloat)
        value =
            std::bit_cast<std::uint32_t>(static_cast<float>(static_cast<std::int8_t>(p[6 + f])));
      store.SetCellValue(pTable, hRow, nLine, f, CCellInput::Value(value));
    }
  }

  const std::size_t tail = size > 4 ? size - 4 : 0;
  const unsigned long nSize = in.Byte(tail), nSize2 = in.Byte(tail + 1) * 3u;
  CArtikelSet bySize;
  bySize.m_pSetTabelle = tables[0];
  bySize.SetGroesse(nSize, nSize2);
  bySize.SetGroesse(nSize2, nSize);
  bySize.CheckStandard();
  std::vector<unsigned long> combo;
  CMatManager::getComboArtikel(combo, bySize, names[in.Byte(tail + 2) % 8]);
  bySize.SetAlternativeSize(nSize);
  bySize.RecalcSet(static_cast<float>(nSize2));
  bySize.SetSetLength(static_cast<float>(nSize));
  (void)bySize.GetMinGroesse();
  (void)bySize.GetMaxGroesse();

  CArtikelSet byRow;
  byRow.m_pSetTabelle = tables[1];
  byRow.AddItem(1, names[in.Byte(tail + 3) % 8], 0);
  byRow.SetSet(names[in.Byte(tail + 2) % 8]);
  byRow.Merge(bySize);
  byRow.Merge(byRow);
  CMatManager::ExplodeSet(byRow);
  byRow.CheckStandard();
  byRow.CleanSet();
  byRow.RecalcSet(static_cast<float>(nSize));
  CString text;
  for (POSITION pos = byRow.GetHeadPosition(); pos != nullptr;)
    CMatManager::GetItemKurzText(text, byRow.GetNextItem(pos));
  return 0;
}
