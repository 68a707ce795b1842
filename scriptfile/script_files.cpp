// The commands that read further files: the importers and "#include".
#include <memory>

#include "import/dn_loader.h"
#include "platform/file.h"
#include "platform/host_ui.h"
#include "scriptfile/script_commands.h"
#include "scriptfile/script_importers.h"
#include "scriptfile/script_messages.h"
#include "scriptfile/script_paths.h"
#include "scriptfile/script_runner.h"
#include "store/base/message.h"
#include "store/mat_store.h"
#include "store/mmtb/mat_text_messages.h"
#include "store/mmtb/mat_text_reader.h"

namespace {

// The file the command's path parameter names, when it exists; otherwise
// "Datei '%s' nicht vorhanden..." and an empty result.
CString ReadExistingFile(CMatTextReader& reader) {
  CString given;
  reader.ReadKeyword(given);
  const CString path = ResolveScriptPath(reader.GetPath(), given);
  if (!given.empty() && FileExists(path)) return path;
  ShowMessage(MB_OK | MB_ICONERROR, kMsgFileMissing, path);
  return CString();
}

// An import that did not read its file stops the run: the importer has said
// why, this says that the script goes no further.
bool RunImport(CMatStore& store, CMatTextReader& reader, const wchar_t* pCommand,
               CScriptImporter importer) {
  const CString path = ReadExistingFile(reader);
  if (path.empty()) return false;
  if (importer == nullptr) {
    ShowMessage(MB_OK | MB_ICONERROR, kMsgImportUnavailable, pCommand);
    return false;
  }
  if (importer(store, path)) return true;
  ShowMessage(MB_OK | MB_ICONERROR, kMsgImportFailed, pCommand, path);
  return false;
}

bool LoadDatanorm(CMatStore& store, const CString& path) {
  CDnLoader loader(&store);
  return loader.Load(path, true);
}

int IncludeDepth(const CMatTextReader& reader) {
  int nDepth = 0;
  for (const CMatTextReader* p = reader.GetPrev(); p != nullptr; p = p->GetPrev()) ++nDepth;
  return nDepth;
}

}  // namespace

bool ImportXls(CMatStore& store, CMatTextReader& reader) {
  return RunImport(store, reader, L"#importxls", FindScriptImporter(eScriptImporter::eXls));
}

bool ImportVdi(CMatStore& store, CMatTextReader& reader) {
  return RunImport(store, reader, L"#importvdi", FindScriptImporter(eScriptImporter::eVdi));
}

bool ImportDn(CMatStore& store, CMatTextReader& reader) {
  return RunImport(store, reader, L"#importdn", LoadDatanorm);
}

bool ImportDaemmung(CMatStore& store, CMatTextReader& reader) {
  return RunImport(store, reader, L"#importdaemmung",
                   FindScriptImporter(eScriptImporter::eDaemmung));
}

bool IncludeScript(CMatStore& store, CMatTextReader& reader) {
  const CString path = ReadExistingFile(reader);
  if (path.empty()) return false;
  // A script that includes itself, directly or through others, would
  // otherwise run until the stack ends.
  if (IncludeDepth(reader) >= CMatTextReader::kMaxIncludeDepth) {
    ShowMessage(MB_OK | MB_ICONERROR, kMsgIncludeTooDeep, reader.GetPath(), reader.GetZeile(),
                CMatTextReader::kMaxIncludeDepth, path);
    return false;
  }
  auto pIncluded = std::make_unique<CMatTextReader>(&store);
  if (!pIncluded->OpenText(path)) {
    ShowMessage(MB_OK | MB_ICONERROR, kMsgCannotOpen, path);
    return false;
  }
  pIncluded->SetPrev(&reader);
  bool bResult = false;
  {
    CScriptReaderScope readerScope(store, *pIncluded);
    CCurrentFolderScope folderScope(GetFolderOf(path));
    bResult = ScriptRunner(store);
  }
  pIncluded->CloseText();
  return bResult;
}
