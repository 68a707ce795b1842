// orvamat demo: the tool at work on the bundled examples. Each step runs this
// same program with a subcommand, as a person would type it, so the demo also
// shows how to use the tool. Everything it writes goes to a fresh folder, and
// the settings file (registered datasets) lives there too, so the user's own
// registered datasets are never touched.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "commands.h"
#include "run_report.h"

extern char** environ;

namespace {

struct CDemoStep {
  const char* szWhat;
  std::vector<std::string> args;
  const char* szLanguage = nullptr;  // ORVAMAT_LANGUAGE for this step
  bool bMayFail = false;             // the step shows a refusal on purpose
};

std::string SelfPath() {
  std::error_code ec;
  auto p = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string("orvamat") : p.string();
}

// Runs one step as a child process; its exit status.
int RunStep(const std::string& self, const CDemoStep& step) {
  std::printf(
      "\n== %s\n$ %sorvamat", step.szWhat,
      step.szLanguage ? (std::string("ORVAMAT_LANGUAGE=") + step.szLanguage + " ").c_str() : "");
  for (const auto& a : step.args) {
    const bool bQuote = a.find_first_of(" \\") != std::string::npos;
    std::printf(bQuote ? " '%s'" : " %s", a.c_str());
  }
  std::printf("\n");
  std::fflush(stdout);

  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    if (std::string(*e).rfind("ORVAMAT_LANGUAGE=", 0) != 0) env.emplace_back(*e);
  }
  if (step.szLanguage) env.push_back(std::string("ORVAMAT_LANGUAGE=") + step.szLanguage);
  std::vector<char*> envp;
  for (auto& s : env) envp.push_back(s.data());
  envp.push_back(nullptr);

  std::vector<std::string> argStore{self};
  argStore.insert(argStore.end(), step.args.begin(), step.args.end());
  std::vector<char*> argv;
  for (auto& s : argStore) argv.push_back(s.data());
  argv.push_back(nullptr);

  // One output stream: a step's messages go where its results go, so that
  // the demo redirected to a file reads in order, refusals included.
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, self.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return 127;
  int status = 0;
  if (waitpid(pid, &status, 0) < 0) return 127;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}

int RunDemo(std::string examples, std::string folder) {
  namespace fs = std::filesystem;
  if (folder.empty()) {
    char tmpl[] = "/tmp/orvamat-demo-XXXXXX";
    if (!mkdtemp(tmpl)) {
      ReportError(std::string("no folder for the demo in /tmp: ") + std::strerror(errno));
      return 1;
    }
    folder = tmpl;
  }
  std::error_code error;
  fs::create_directories(folder, error);
  if (error || !fs::is_directory(folder, error)) {
    ReportError(folder + ": can not be used as the demo's folder" +
                (error ? ": " + error.message() : std::string(": not a folder")));
    return 1;
  }
  setenv("ORVAMAT_HOME", folder.c_str(), 1);
  const std::string muster = folder + "/muster.mmd";
  const std::string beispiel = folder + "/beispiel.mmd";
  const std::string ex = examples;

  std::printf("orvamat demo: examples from %s, files written to %s\n", ex.c_str(), folder.c_str());
  const std::vector<CDemoStep> steps = {
      {"A manufacturer's tables, written as MMTB text, become a database file",
       {"mmd", "import-mmtb", ex + "/mmtb/muster.mmtb", "--mmd", muster, "--id", "MUST", "--name",
        "Muster Armaturen GmbH"}},
      {"What the file holds, read without loading a table body", {"mmd", "info", muster}},
      {"The table tree with types and row counts", {"tables", "--mmd", muster}},
      {"A path with the manufacturer prefix, names compared without regard to case",
       {"find", "--mmd", muster, "MUST\\artikel.PREISE"}},
      {"An article's short text", {"get", "--mmd", muster, "Artikel.KurzText", "KH-15"}},
      {"The same text for an English user (language child table)",
       {"get", "--mmd", muster, "Artikel.KurzText", "KH-15"},
       "ENGLISH"},
      {"The net price: second value of the row",
       {"get", "--mmd", muster, "Artikel.Preise", "KH-20", "--index", "1"}},
      {"A Struct row with its sub-rows, as JSON for scripts",
       {"get", "--json", "--mmd", muster, "Artikel.Anschluss", "KH-15"}},
      {"A table that does not exist is refused with its result code",
       {"find", "--mmd", muster, "Artikel.Fehlt"},
       nullptr,
       true},
      {"A wholesaler's DATANORM catalogue (version 4 in the DOS character set, then version 5)",
       {"import", "datanorm", ex + "/datanorm/beispiel.wrg", ex + "/datanorm/beispiel.001",
        ex + "/datanorm/beispiel5.001", "--mmd", beispiel, "--id", "BSPL", "--dos"}},
      {"One article with texts, price, units and groups",
       {"article", "--mmd", beispiel, "UP-25-60"}},
      {"A VDI 3805 product function compiled to p-code and run",
       {"formula", "run", ex + "/formula/heizkoerper.txt", "ARTNR", "--arg", "TYP=HK22", "--arg",
        "LAENGE=1100", "--arg", "HOEHE=600"}},
  };
  const std::string self = SelfPath();
  for (const auto& step : steps) {
    const int rc = RunStep(self, step);
    if (rc != 0 && !step.bMayFail) {
      std::printf("demo step failed with exit status %d\n", rc);
      return rc;
    }
  }
  std::printf("\nDone. The database files stay in %s\n", folder.c_str());
  return 0;
}

}  // namespace

void AddDemoCommand(CLI::App& app) {
  auto* demo = app.add_subcommand("demo", "Show the library at work on the bundled examples");
  static std::string examples = ORVAMAT_EXAMPLES_DIR;
  static std::string folder;
  demo->add_option("--examples", examples, "Folder of the bundled examples")->capture_default_str();
  demo->add_option("--dir", folder,
                   "Folder for the files the demo writes (default: a new one in /tmp)");
  demo->callback([] {
    if (int rc = RunDemo(examples, folder); rc != 0) throw CLI::RuntimeError(rc);
  });
}
