// orvamat formula check FILE: parses the declarations and bodies texts of
// FILE ("[declarations]" / "[bodies]" lines start them) and lists the
// functions; exit code 1 when an error was reported.
// orvamat formula disasm FILE [FUNCTION]: the p-code listing (docs/pcode.md).
// orvamat formula run FILE FUNCTION [--arg NAME=VALUE ...] [--debug
// [--screenshot PNG]]: writes the arguments into the parameter cells, runs
// the function (with --debug step by step in the debugger of
// libOrvaMatDialogs.so) and prints the result and every parameter
// afterwards. Closing the debugger ends the run where it stands.
// With --json each command prints one JSON object; error reports are listed
// in its "errors" array instead of as "error:" lines.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "commands.h"
#include "dialogs_loader.h"
#include "formula_report.h"
#include "run_report.h"

#include "OrvaMat/formula.h"
#include "OrvaMat/formula_file.h"
#include "OrvaMat/text.h"

namespace {

struct COptions {
  std::string strFile;
  std::string strFunction;
  std::vector<std::string> listArgs;
  bool bJson = false;
  bool bDebug = false;
  std::string strScreenshot;
};

// The messages the file gave: a JSON array, or one "error:" line each.
std::string Errors(const CFormulaFile& file, bool bJson) {
  return FormulaMessages(file.GetMessages(), bJson, {});
}

int Check(const COptions& o) {
  CFormulaFile file;
  file.Load(FromUtf8(o.strFile));
  const bool bOk = !file.HasError();
  std::string functions;
  for (const auto& f : file.GetFunctions().m_listFunctions) {
    const char* state = f->IsComplete() ? "compiled" : "declared";
    if (o.bJson) {
      functions += (functions.empty() ? "" : ", ") + std::string("{\"name\": ") +
                   JsonString(f->m_strName) + ", \"state\": \"" + state +
                   "\", \"words\": " + std::to_string(f->m_code.size()) + "}";
    } else {
      std::printf("%s: %s, %zu words\n", ToUtf8(f->m_strName).c_str(), state, f->m_code.size());
    }
  }
  if (o.bJson) {
    PrintJsonDocument("{\"ok\": " + std::string(bOk ? "true" : "false") + ", \"functions\": [" +
                      functions + "], \"errors\": " + Errors(file, true) + "}\n");
  } else {
    std::fputs(Errors(file, false).c_str(), stdout);
  }
  return bOk ? 0 : 1;
}

int Disasm(const COptions& o) {
  CFormulaFile file;
  file.Load(FromUtf8(o.strFile));
  std::fputs(Errors(file, false).c_str(), stderr);
  bool bFound = false;
  for (const auto& f : file.GetFunctions().m_listFunctions) {
    if (!o.strFunction.empty() && !EqualsNoCase(f->m_strName, FromUtf8(o.strFunction))) continue;
    bFound = true;
    std::fputs(ToUtf8(DisassembleFormula(*f)).c_str(), stdout);
  }
  if (!bFound && !o.strFunction.empty()) {
    std::fprintf(stderr, "orvamat: no function %s\n", o.strFunction.c_str());
    return 1;
  }
  return file.HasError() ? 1 : 0;
}

int RunCommand(const COptions& o) {
  CFormulaFile file;
  file.Load(FromUtf8(o.strFile));
  CvdiFunction* f = file.GetFunctions().findFunction(FromUtf8(o.strFunction).c_str());
  if (f == nullptr) {
    PrintFormulaRefusal(file.GetMessages(), "no function " + o.strFunction, o.bJson);
    return 1;
  }
  if (std::string error; !SetFormulaArguments(*f, o.listArgs, error)) {
    PrintFormulaRefusal(file.GetMessages(), error, o.bJson);
    return 2;
  }
  CDialogsLibrary dialogs;
  if (o.bDebug && !LoadDialogs(o.strScreenshot, dialogs)) return 1;
  std::vector<CString> debugLines;
  const bool bOk = !file.HasError() && file.Run(*f, debugLines, o.bDebug);
  PrintFormulaRun(*f, bOk, debugLines, file.GetMessages(), o.bJson);
  return bOk ? 0 : 1;
}

}  // namespace

void AddFormulaCommands(CLI::App& app) {
  auto* formula = app.add_subcommand("formula", "Compile and run VDI 3805 product functions");
  formula->require_subcommand(1);
  auto options = std::make_shared<COptions>();

  auto* check = formula->add_subcommand("check", "Parse a formula file and list its functions");
  check->add_option("FILE", options->strFile, "declarations and bodies texts")->required();
  check->add_flag("--json", options->bJson, "print one JSON object");
  check->callback([options] {
    if (int rc = Check(*options); rc != 0) throw CLI::RuntimeError(rc);
  });

  auto* disasm = formula->add_subcommand("disasm", "Print the p-code of the functions");
  disasm->add_option("FILE", options->strFile, "declarations and bodies texts")->required();
  disasm->add_option("FUNCTION", options->strFunction, "only this function");
  disasm->callback([options] {
    if (int rc = Disasm(*options); rc != 0) throw CLI::RuntimeError(rc);
  });

  auto* run = formula->add_subcommand("run", "Run a function and print its result and parameters");
  run->add_option("FILE", options->strFile, "declarations and bodies texts")->required();
  run->add_option("FUNCTION", options->strFunction, "the function to run")->required();
  run->add_option("--arg", options->listArgs, "NAME=VALUE written into a parameter");
  run->add_flag("--json", options->bJson, "print one JSON object");
  run->add_flag("--debug", options->bDebug, "step the run in the debugger (libOrvaMatDialogs.so)");
  run->add_option("--screenshot", options->strScreenshot,
                  "with --debug: save the laid-out debugger as PNG and close it");
  run->callback([options] {
    if (int rc = RunCommand(*options); rc != 0) throw CLI::RuntimeError(rc);
  });
}
