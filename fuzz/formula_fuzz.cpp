// Formula texts: parse arbitrary declarations and bodies texts and run every
// function that parsed, under the step limit. No input may crash, hang, leak
// or allocate without bound. The input is UTF-8 in the file format of
// "orvamat formula" ("[declarations]" / "[bodies]" lines); without a marker
// the whole input is one bodies text.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "formula/disassembler.h"
#include "formula/formula_context.h"
#include "formula/formula_file.h"
#include "formula/formula_runtime.h"
#include "platform/silent_host_ui.h"
#include "platform/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static CSilentHostUI s_UI;
  SetHostUI(&s_UI);
  if (size > 64 * 1024) return 0;
  const CString text = FromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
  std::vector<CFormulaFileSection> sections = SplitFormulaFile(text);
  if (sections.empty()) sections.push_back({false, text});

  CFormulaContext context;
  context.m_nMaxRunSteps = 20000;
  CvdiFunctionList list;
  ParseFormulaSections(context, list, sections);
  CFormulaRuntime runtime(context);
  for (const auto& f : list.m_listFunctions) {
    (void)DisassembleFunction(*f);
    runtime.Run(f.get(), nullptr);
    // Again, on the decoded form the first run left behind.
    runtime.Run(f.get(), nullptr);
  }
  return 0;
}
