// libFuzzer target of script files: any bytes run as a script in a fresh
// store, from a folder of their own that is emptied before every input (so
// that files one input saves can not change how the next one runs), with a
// host UI that shows nothing and answers every chooser with cancel.
//
// Separators are taken out of the input ("/" and "\" become "_"): every
// path a script names then lies in the fuzz folder, so "#activateMMD" and
// "#saveMMD" can never write a database file elsewhere on the machine, and
// "#include" and the importers find only what the fuzz folder holds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/silent_host_ui.h"
#include "platform/temp_folder.h"
#include "platform/text.h"
#include "scriptfile/read_script_file.h"
#include "store/base/num_string_macros.h"
#include "store/mat_store.h"

namespace {

const CTempFolder& FuzzFolder() {
  static const CTempFolder folder;
  return folder;
}

void EmptyFolder(const CString& folder) {
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(ToUtf8(folder), error))
    std::filesystem::remove_all(entry.path(), error);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
  static CSilentHostUI ui;
  SetHostUI(&ui);
  const CString& folder = FuzzFolder().GetPath();
  if (folder.empty()) return 0;
  setenv("ORVAMAT_HOME", ToUtf8(folder).c_str(), 1);
  EmptyFolder(folder);

  std::string script(reinterpret_cast<const char*>(pData), nSize);
  for (char& c : script) {
    if (c == '/' || c == '\\') c = '_';
  }
  CNumStringMacros macros;
  CScopedNumStringMacros scopedMacros(macros);
  CScopedMatStore store;
  RunScriptBytes(store.Get(), script, folder + L"/fuzz.txt");
  return 0;
}
