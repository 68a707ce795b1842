#include "scriptfile/read_script_file.h"

#include "OrvaMat/script.h"
#include "platform/file.h"
#include "platform/host_ui.h"
#include "scriptfile/script_commands.h"
#include "scriptfile/script_paths.h"
#include "scriptfile/script_runner.h"
#include "store/base/message.h"
#include "store/base/num_string.h"
#include "store/mat_store.h"
#include "store/mmd/dataset_registry.h"
#include "store/mmtb/mat_text_messages.h"
#include "store/mmtb/mat_text_reader.h"

namespace {

bool RunOpened(CMatStore& store, CMatTextReader& reader) {
  reader.SetPrev(nullptr);
  bool bResult = false;
  {
    CScriptReaderScope readerScope(store, reader);
    CCurrentFolderScope folderScope(GetFolderOf(reader.GetPath()));
    bResult = ScriptRunner(store);
  }
  if (bResult && store.GetCurrent() != nullptr) store.GetCurrent()->SetModified();
  reader.CloseText();
  CNumString::deleteContents();
  return bResult;
}

}  // namespace

bool RunScriptFile(CMatStore& store, const CString& path) {
  const CString file = MakeAbsolutePath(path);
  CMatTextReader reader(&store);
  if (!reader.OpenText(file)) {
    ShowMessage(MB_OK | MB_ICONERROR, kMsgCannotOpen, file);
    CNumString::deleteContents();
    return false;
  }
  return RunOpened(store, reader);
}

bool RunScriptBytes(CMatStore& store, std::string_view bytes, const CString& path) {
  CMatTextReader reader(&store);
  reader.OpenBytes(bytes, MakeAbsolutePath(path));
  return RunOpened(store, reader);
}

int CMatScriptCalls::ReadScriptFileDlg(unsigned long handle) {
  try {
    CFileChooser request;
    request.strFilter = L"ASCII MatManager Datei (*.txt)|*.txt|Alle Dateien (*.*)|*.*||";
    CString path;
    if (!GetHostUI().ChooseOpenFile(request, path)) return 0;
    CMatStore& store = CMatStore::Instance();
    ActivateDataset(store, static_cast<Handle>(handle));
    return RunScriptFile(store, path) ? 1 : 0;
  } catch (...) {
    // Nothing may leave an exported function; a run that threw did not
    // succeed (out of memory is the only way there).
    return 0;
  }
}
