// Number expressions with macros: no input may crash, hang or recurse without
// bound. The input is UTF-8 text; every line but the last is "NAME value"
// and defines a macro, the last line is the expression.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/silent_host_ui.h"
#include "platform/text.h"
#include "store/base/num_string.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static CSilentHostUI s_UI;
  SetHostUI(&s_UI);
  CNumStringMacros macros;
  CString text = FromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
  std::wstring_view rest = text;
  for (std::size_t end = rest.find(L'\n'); end != std::wstring_view::npos; end = rest.find(L'\n')) {
    std::wstring_view line = rest.substr(0, end);
    std::size_t blank = line.find(L' ');
    if (blank != std::wstring_view::npos)
      macros.Define(line.substr(0, blank), line.substr(blank + 1));
    rest.remove_prefix(end + 1);
  }
  CNumString number(&macros);
  number.SetCurZeile(1);
  number = rest;
  (void)number.Value();
  (void)number.Int();
  (void)number.Float();
  (void)number.SubStr(2, L';');
  return 0;
}
