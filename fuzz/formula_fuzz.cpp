// Formula texts: parse arbitrary declarations and bodies texts and run every
// function that parsed, under the step limit. No input may crash, hang, leak
// or allocate without bound, and the general evaluator and the decoded form
// must end every run alike (the fuzzer stops on a difference). The input is
// UTF-8 in the file format of "orvamat formula" ("[declarations]" /
// "[bodies]" lines); without a marker the whole input is one bodies text.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "formula/disassembler.h"
#include "formula/formula_context.h"
#include "formula/formula_file.h"
#include "formula/formula_runtime.h"
#include "platform/silent_host_ui.h"
#include "platform/text.h"

namespace {

// What a run leaves that both evaluators must agree on.
struct COutcome {
  bool m_bOk = false;
  std::uint64_t m_nSteps = 0;
  std::uint64_t m_nBits = 0;
  CString m_strText;
  bool operator==(const COutcome&) const = default;
};

COutcome Outcome(bool bOk, const CvdiFunction::CVdiVar& result, const CFormulaContext& context) {
  COutcome o;
  o.m_bOk = bOk;
  o.m_nSteps = context.m_nSteps;
  if (result.m_eType == CHARACTER) {
    o.m_strText = result.GetText();
  } else if (result.m_nCount == 0) {
    std::memcpy(&o.m_nBits, &result.m_dValue, result.m_eType == DOUBLE ? 8 : 4);
  }
  return o;
}

}  // namespace

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
    // The general evaluator, then the decoded form twice (the second run on
    // what the first left behind): all three must end alike.
    COutcome outcomes[3];
    for (int n = 0; n < 3; ++n) {
      context.m_bDecodedRun = n != 0;
      for (auto& p : f->m_listParameters) p->clean();
      f->m_result.clean();
      outcomes[n] = Outcome(runtime.Run(f.get(), nullptr), f->m_result, context);
    }
    if (!(outcomes[0] == outcomes[1]) || !(outcomes[0] == outcomes[2])) __builtin_trap();
  }
  return 0;
}
