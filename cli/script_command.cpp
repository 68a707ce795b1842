// orvamat script run FILE [--mmd FILE] [--id XXXX] [--salvage]: runs a script
//   file of commands (docs/script.md). With --mmd the database file is
//   opened, or made with the ID given when it does not exist, and is the
//   active dataset the script starts on; a relative path names the file from
//   the folder the tool was started in, not from the script's folder, which
//   is the current folder while the script runs. Afterwards the tool says
//   whether that file was saved. A damaged database file is saved over only
//   with --salvage. Messages go to stderr through the console host UI; the
//   exit code is 1 when the run failed.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include <CLI/CLI.hpp>

#include "OrvaMat/mat_manager.h"
#include "cli/commands.h"
#include "cli/run_report.h"
#include "platform/file.h"
#include "platform/text.h"
#include "scriptfile/read_script_file.h"
#include "store/mat_store.h"
#include "store/mmd/import_target.h"
#include "store/mmd/mmd_file.h"
#include "store/mmd/mmd_format.h"

namespace {

struct CScriptArgs {
  std::string strScript;
  std::string strMmd;
  std::string strID;
  bool bSalvage = false;
};

// When the file was last written, to nanoseconds; none when it does not exist.
std::optional<std::filesystem::file_time_type> WriteTime(const CString& path) {
  std::error_code error;
  const auto time = std::filesystem::last_write_time(ToUtf8(path), error);
  if (error) return std::nullopt;
  return time;
}

int RunScript(const CScriptArgs& a) {
  CMatStore& store = CMatStore::Instance();
  CString path;
  if (!a.strMmd.empty()) {
    // Absolute now: the script runs in its own folder.
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(a.strMmd, error);
    if (error) {
      ReportError(a.strMmd + ": " + error.message());
      return 1;
    }
    CImportTarget target;
    target.strPath = ResolveDatabasePath(FromUtf8(absolute.string()));
    target.strID = FromUtf8(a.strID);
    if (target.strID.empty() && !FileExists(target.strPath)) target.strID = L"SKRP";
    target.strName = target.strID;
    target.bSalvage = a.bSalvage;
    if (OpenImportTarget(store, target) == nullptr) {
      if (target.bRefusedDamaged) ReportSalvageHint();
      return 1;
    }
    path = target.strPath;
  }
  // A file's time comes from a clock that may lag the system clock by a
  // tick: what was written after this instant is what the run wrote.
  const auto start = std::filesystem::file_time_type::clock::now() - std::chrono::milliseconds(20);
  const auto before = path.empty() ? std::nullopt : WriteTime(path);
  const bool bDone = RunScriptFile(store, FromUtf8(a.strScript));
  // The tool ends here: every lock this process took goes back.
  for (std::size_t i = 0; i < store.GetDatasetCount(); ++i) {
    if (CMatDatenSatz* pDataset = store.GetDataset(i)) ReleaseWriteLock(*pDataset);
  }
  // Which database files the run saved: the one of --mmd, and any other the
  // script chose itself (a "#activateMMD" of another ID makes its file
  // beside the script).
  std::string saved;
  for (std::size_t i = 0; i < store.GetDatasetCount(); ++i) {
    const CMatDatenSatz* pDataset = store.GetDataset(i);
    if (pDataset == nullptr || pDataset->m_strPath.empty() || pDataset->m_strPath == path) continue;
    const auto time = WriteTime(pDataset->m_strPath);
    if (time && *time >= start) saved += ", saved " + ToUtf8(pDataset->m_strPath);
  }
  if (!path.empty()) {
    const auto after = WriteTime(path);
    saved = (after && after != before ? ", saved " + ToUtf8(path)
                                      : ", " + ToUtf8(path) + " not saved") +
            saved;
  }
  std::printf("%s: %s%s\n", a.strScript.c_str(), bDone ? "done" : "stopped", saved.c_str());
  return bDone ? 0 : 1;
}

}  // namespace

void AddScriptCommands(CLI::App& app) {
  auto* script = app.add_subcommand("script", "Script files of dataset commands");
  script->require_subcommand(1);
  auto* run = script->add_subcommand("run", "Run a script file");
  auto args = std::make_shared<CScriptArgs>();
  run->add_option("FILE", args->strScript, "script file (first line \"[MMD1]\")")->required();
  run->add_option("--mmd", args->strMmd,
                  "database file to start on (made when missing; relative to the current folder)");
  run->add_option("--id", args->strID,
                  "manufacturer ID, 4 characters: of a new database file (default SKRP), or "
                  "checked against an existing one");
  run->add_flag("--salvage", args->bSalvage,
                "a damaged database file may be saved over; the damaged file is kept beside it");
  run->callback([args] {
    if (int rc = RunScript(*args); rc != 0) throw CLI::RuntimeError(rc);
  });
}
