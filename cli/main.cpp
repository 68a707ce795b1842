// orvamat: the library from a terminal.
//
// Every command ends here, the same way: an exception that escaped a command
// becomes one message and exit status 1; an error box the library showed
// makes the exit status non-zero even when the command itself succeeded
// (CConsoleHostUI counts them); with --json exactly one JSON document is
// printed, the failure document {"ok": false, "errors": [...]} when the
// command printed none; stdout is flushed and checked, so that a full disk or
// a closed stdout is an error and not a silent success.
#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "OrvaMat/console_host_ui.h"
#include "OrvaMat/text.h"
#include "commands.h"
#include "run_report.h"

namespace {

// The command group that was given without a subcommand or with an unknown
// one: the innermost group the parse reached.
CLI::App* InnermostGroup(CLI::App& app) {
  CLI::App* pGroup = &app;
  for (;;) {
    const auto parsed = pGroup->get_subcommands();
    if (parsed.empty()) return pGroup;
    pGroup = parsed.front();
  }
}

std::string SubcommandNames(const CLI::App& group) {
  std::string names;
  for (const CLI::App* pSub : group.get_subcommands({}))
    names += (names.empty() ? "" : ", ") + pSub->get_name();
  return names;
}

// "mmd", "import": the words that name the group after the tool's name.
std::string GroupName(const CLI::App& group) {
  std::string name;
  for (const CLI::App* p = &group; p->get_parent() != nullptr; p = p->get_parent())
    name = p->get_name() + (name.empty() ? "" : " ") + name;
  return name;
}

// Every command group needs one of its subcommands.
void RequireSubcommands(CLI::App& group) {
  const auto subs = group.get_subcommands({});
  if (subs.empty()) return;
  group.require_subcommand(1);
  for (CLI::App* pSub : subs) RequireSubcommands(*pSub);
}

// The parse error as the user should see it; the exit status.
int ReportParseError(CLI::App& app, const CLI::ParseError& e) {
  CLI::App& group = *InnermostGroup(app);
  const bool bGroup = !group.get_subcommands({}).empty();
  const bool bMissing = dynamic_cast<const CLI::RequiredError*>(&e) != nullptr ||
                        dynamic_cast<const CLI::ExtrasError*>(&e) != nullptr;
  if (bGroup && bMissing && group.get_subcommands().empty()) {
    const auto extras = group.remaining();
    // The tool's own name leads every message already.
    const std::string where = group.get_parent() == nullptr ? "" : GroupName(group) + ": ";
    if (extras.empty())
      ReportError(where + "a subcommand is required: " + SubcommandNames(group));
    else
      ReportError(where + "unknown subcommand " + extras.front() +
                  "; subcommands: " + SubcommandNames(group));
    return e.get_exit_code();
  }
  // A command's own exit status: it reported why already.
  if (dynamic_cast<const CLI::RuntimeError*>(&e) != nullptr) return e.get_exit_code();
  if (RunReport().bJson && e.get_exit_code() != 0) {
    ReportError(e.what());
    return e.get_exit_code();
  }
  return app.exit(e);
}

int Run(int argc, char** argv) {
  CLI::App app{"orvamat - manufacturers' material data: tables, datasets, imports and formulas",
               "orvamat"};
  app.set_version_flag("--version", std::string("orvamat ") + ORVAMAT_VERSION);
  app.require_subcommand(1);
  AddDemoCommand(app);
  AddQueryCommands(app);
  AddMmtbCommands(app);
  AddMmdCommands(app);
  AddDatanormCommands(app);
  AddVdiCommands(app);
  AddFormulaCommands(app);
  AddScriptCommands(app);
  AddSetCommands(app);
  AddBdhCommands(app);
  AddWorkbookCommands(app);
  AddDialogCommands(app);
  RequireSubcommands(app);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return ReportParseError(app, e);
  }
  return 0;
}

// Flushes stdout; false (reported) when not everything could be written.
bool FlushStdout() {
  errno = 0;
  if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0) return true;
  const int error = errno;
  std::fprintf(stderr, "orvamat: standard output could not be written%s%s\n",
               error != 0 ? ": " : "", error != 0 ? std::strerror(error) : "");
  return false;
}

// Messages of one kind written before the rest are only counted.
constexpr std::size_t kRepeatedMessagesShown = 5;

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "C.UTF-8");
  CConsoleHostUI ui;
  // A file with thousands of faulty lines prints a few of each and a count.
  ui.SetRepeatLimit(kRepeatedMessagesShown);
  SetHostUI(&ui);
  for (int i = 1; i < argc; ++i) RunReport().bJson |= std::strcmp(argv[i], "--json") == 0;
  int rc = 1;
  try {
    rc = Run(argc, argv);
  } catch (const std::exception& e) {
    ReportError(e.what());
  } catch (...) {
    ReportError("the command ended with an unknown error");
  }
  const CRunReport& report = RunReport();
  if (rc == 0 && ui.GetErrors().size() > report.nErrorsAnswered) rc = 1;
  if (rc == 0 && !report.listErrors.empty()) rc = 1;
  if (rc != 0 && report.bJson && !report.bDocumentPrinted) {
    std::vector<std::string> errors = report.listErrors;
    for (const CString& text : ui.GetErrors()) errors.push_back(ToUtf8(text));
    if (errors.empty())
      errors.push_back("the command failed (exit status " + std::to_string(rc) + ")");
    std::fputs(JsonFailure(errors).c_str(), stdout);
  }
  ui.FlushRepeats();
  if (!FlushStdout() && rc == 0) rc = 1;
  SetHostUI(nullptr);
  return rc;
}
