// orvamat script run FILE [--mmd FILE] [--id XXXX] [--salvage]: runs a script
//   file of commands (docs/script.md). With --mmd the database file is
//   opened, or made with the ID given when it does not exist, and is the
//   active dataset the script starts on; a relative path names the file from
//   the folder the tool was started in, not from the script's folder, which
//   is the current folder while the script runs. Afterwards the tool says
//   whether that file was saved. A damaged database file is saved over only
//   with --salvage. Messages go to stderr through the console host UI; the
//   exit code is 1 when the run failed.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include <CLI/CLI.hpp>

#include "commands.h"
#include "run_report.h"

#include "OrvaMat/import.h"
#include "OrvaMat/script.h"
#include "OrvaMat/text.h"

namespace {

struct CScriptArgs {
  std::string strScript;
  std::string strMmd;
  std::string strID;
  bool bSalvage = false;
};

int RunScript(const CScriptArgs& a) {
  CImportTarget target;
  if (!a.strMmd.empty()) {
    // Absolute now: the script runs in its own folder.
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(a.strMmd, error);
    if (error) {
      ReportError(a.strMmd + ": " + error.message());
      return 1;
    }
    target.strPath = FromUtf8(absolute.string());
    target.strID = FromUtf8(a.strID);
    target.strNewID = L"SKRP";
    target.bSalvage = a.bSalvage;
  }
  CScriptRunResult result;
  RunScriptIntoFile(FromUtf8(a.strScript), target, result);
  if (!result.bOpened) {
    if (result.bRefusedDamaged) ReportSalvageHint();
    return 1;
  }
  // Which database files the run saved: the one of --mmd, and any other the
  // script chose itself.
  std::string saved;
  if (!result.strTargetPath.empty()) {
    const std::string path = ToUtf8(result.strTargetPath);
    saved = result.bTargetSaved ? ", saved " + path : ", " + path + " not saved";
  }
  for (const CString& other : result.listOtherSaved) saved += ", saved " + ToUtf8(other);
  std::printf("%s: %s%s\n", a.strScript.c_str(), result.bDone ? "done" : "stopped", saved.c_str());
  return result.bDone ? 0 : 1;
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
