// A script run a user starts on a file (OrvaMat/script.h): the target
// dataset opened or made first, every lock given back afterwards, and which
// database files the run wrote.
#include <chrono>
#include <filesystem>
#include <optional>

#include "OrvaMat/script.h"
#include "platform/text.h"
#include "scriptfile/read_script_file.h"
#include "store/base/guarded_call.h"
#include "store/mat_daten_satz.h"
#include "store/mat_store.h"
#include "store/mmd/import_target.h"
#include "store/mmd/mmd_file.h"
#include "store/mmd/mmd_format.h"

namespace {

// When the file was last written, to nanoseconds; none when it does not exist.
std::optional<std::filesystem::file_time_type> WriteTime(const CString& path) {
  std::error_code error;
  const auto time = std::filesystem::last_write_time(ToUtf8(path), error);
  if (error) return std::nullopt;
  return time;
}

bool Run(const CString& scriptPath, CImportTarget& target, CScriptRunResult& result) {
  CMatStore& store = CMatStore::Instance();
  CString path;
  if (!target.strPath.empty()) {
    target.strPath = ResolveDatabasePath(target.strPath);
    const bool bOpened = OpenImportTarget(store, target) != nullptr;
    result.bRefusedDamaged = target.bRefusedDamaged;
    if (!bOpened) return false;
    path = target.strPath;
  }
  result.bOpened = true;
  result.strTargetPath = path;
  // A file's time comes from a clock that may lag the system clock by a
  // tick: what was written after this instant is what the run wrote.
  const auto start = std::filesystem::file_time_type::clock::now() - std::chrono::milliseconds(20);
  const auto before = path.empty() ? std::nullopt : WriteTime(path);
  result.bDone = RunScriptFile(store, scriptPath);
  // The run is over: every lock it took goes back.
  for (std::size_t i = 0; i < store.GetDatasetCount(); ++i) {
    if (CMatDatenSatz* pDataset = store.GetDataset(i)) ReleaseWriteLock(*pDataset);
  }
  // Which other database files the run saved: a "#activateMMD" of another ID
  // makes its file beside the script.
  for (std::size_t i = 0; i < store.GetDatasetCount(); ++i) {
    const CMatDatenSatz* pDataset = store.GetDataset(i);
    if (pDataset == nullptr || pDataset->m_strPath.empty() || pDataset->m_strPath == path) continue;
    const auto time = WriteTime(pDataset->m_strPath);
    if (time && *time >= start) result.listOtherSaved.push_back(pDataset->m_strPath);
  }
  if (!path.empty()) {
    const auto after = WriteTime(path);
    result.bTargetSaved = after && after != before;
  }
  return result.bDone;
}

}  // namespace

bool RunScriptIntoFile(const CString& scriptPath, CImportTarget target, CScriptRunResult& result) {
  result = {};
  return GuardedCall(false, [&] { return Run(scriptPath, target, result); });
}
