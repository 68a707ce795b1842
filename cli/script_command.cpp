// orvamat script run FILE [--mmd FILE] [--id XXXX]: runs a script file of
//   commands (docs/script.md). With --mmd the database file is opened, or
//   made with the ID given when it does not exist, and is the active dataset
//   the script starts on. Messages go to stderr through the console host UI;
//   the exit code is 1 when the run failed.
#include <cstdio>
#include <memory>
#include <string>

#include <CLI/CLI.hpp>

#include "OrvaMat/mat_manager.h"
#include "cli/commands.h"
#include "platform/file.h"
#include "platform/text.h"
#include "script/read_script_file.h"
#include "store/mat_store.h"
#include "store/mmd/mmd_file.h"

namespace {

// The dataset of the database file, opened or made; false when it could not
// be opened (reported).
bool OpenDatabase(const CString& path, const CString& id) {
  if (FileExists(path)) {
    if (CMatManager::OpenDataset(path.c_str()) == 1) return true;
    std::fprintf(stderr, "%s: can not be opened\n", ToUtf8(path).c_str());
    return false;
  }
  return CMatManager::CreateDataset(id.c_str(), id.c_str(), path.c_str()) >= 0;
}

int RunScript(const std::string& script, const std::string& mmd, const std::string& id) {
  CMatStore& store = CMatStore::Instance();
  if (!mmd.empty() && !OpenDatabase(FromUtf8(mmd), FromUtf8(id))) return 1;
  const bool bDone = RunScriptFile(store, FromUtf8(script));
  // The tool ends here: every lock this process took goes back.
  for (std::size_t i = 0; i < store.GetDatasetCount(); ++i) {
    if (CMatDatenSatz* pDataset = store.GetDataset(i)) ReleaseWriteLock(*pDataset);
  }
  std::printf("%s: %s\n", script.c_str(), bDone ? "done" : "stopped");
  return bDone ? 0 : 1;
}

}  // namespace

void AddScriptCommands(CLI::App& app) {
  auto* script = app.add_subcommand("script", "Script files of dataset commands");
  script->require_subcommand(1);
  auto* run = script->add_subcommand("run", "Run a script file");
  auto file = std::make_shared<std::string>();
  auto mmd = std::make_shared<std::string>();
  auto id = std::make_shared<std::string>("SKRP");
  run->add_option("FILE", *file, "script file (first line \"[MMD1]\")")->required();
  run->add_option("--mmd", *mmd, "database file to start on (made when missing)");
  run->add_option("--id", *id, "manufacturer ID of a new database file (4 characters)");
  run->callback([=] {
    if (int rc = RunScript(*file, *mmd, *id); rc != 0) throw CLI::RuntimeError(rc);
  });
}
