// libFuzzer target of the MMTB text format: any bytes through the reader
// into a fresh dataset, every table read through the writer, and the
// writer's text through the reader again. Nothing may crash, hang, leak or
// grow without bound; messages go to a host UI that shows nothing.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "OrvaMat/mat_manager.h"
#include "platform/silent_host_ui.h"
#include "platform/text.h"
#include "store/base/num_string_macros.h"
#include "store/mat_store.h"
#include "store/mmtb/mat_text_file.h"
#include "store/mmtb/mat_text_writer.h"

namespace {

CMatDatenSatz* NewDataset(CMatStore& store) {
  CMatDatenSatz* pDataset = store.AddDataset(std::make_unique<CMatDatenSatz>());
  store.SetCurrent(pDataset);
  return pDataset;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
  static CSilentHostUI ui;
  SetHostUI(&ui);
  CNumStringMacros macros;
  CScopedNumStringMacros scopedMacros(macros);
  CMatStore store;
  CMatDatenSatz* pDataset = NewDataset(store);
  ReadMmtbBytes(store, std::string_view(reinterpret_cast<const char*>(pData), nSize), L"fuzz.mmtb");

  CStringList lines;
  for (const auto& pTable : pDataset->m_Tables) CMatManager::WriteTableText(pTable.get(), lines);
  std::string text = "\xEF\xBB\xBF";
  for (const CString& line : lines) text += ToUtf8(line) + "\r\n";
  // The file form of the writer must hold exactly the lines of the list form.
  std::string direct = "\xEF\xBB\xBF";
  for (const auto& pTable : pDataset->m_Tables) WriteTableUtf8(pTable.get(), direct);
  if (direct != text) __builtin_trap();
  NewDataset(store);
  ReadMmtbBytes(store, text, L"fuzz-written.mmtb");
  return 0;
}
