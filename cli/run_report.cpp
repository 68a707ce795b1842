#include "run_report.h"

#include <nlohmann/json.hpp>

#include <cstdio>

#include "OrvaMat/console_host_ui.h"
#include "OrvaMat/database_file.h"
#include "OrvaMat/import.h"
#include "OrvaMat/text.h"

CRunReport& RunReport() {
  static CRunReport report;
  return report;
}

namespace {

const CConsoleHostUI* Console() { return dynamic_cast<const CConsoleHostUI*>(&GetHostUI()); }

}  // namespace

void AnswerShownErrors() {
  if (const CConsoleHostUI* pConsole = Console())
    RunReport().nErrorsAnswered = pConsole->GetErrors().size();
}

void ReportError(const std::string& text) {
  std::fprintf(stderr, "orvamat: %s\n", text.c_str());
  RunReport().listErrors.push_back(text);
}

void ReportSalvageHint() {
  std::fputs(
      "orvamat: --salvage saves what could be read and keeps the damaged file beside it "
      "(<name>.damaged.mmd)\n",
      stderr);
}

std::string JsonText(const nlohmann::ordered_json& document) {
  return document.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string JsonString(const std::string& utf8) {
  // A text from the command line need not be UTF-8: what is not becomes U+FFFD
  // instead of an exception.
  return JsonText(utf8);
}

std::string JsonString(const CString& text) { return JsonString(ToUtf8(text)); }

void PrintJsonDocument(const std::string& text) {
  // What was read after the library reported an error (a database that
  // loaded damaged) is no result: main prints the failure document instead.
  if (const CConsoleHostUI* pConsole = Console())
    if (pConsole->GetErrors().size() > RunReport().nErrorsAnswered) return;
  std::fputs(text.c_str(), stdout);
  RunReport().bDocumentPrinted = true;
}

std::string JsonFailure(const std::vector<std::string>& errors) {
  nlohmann::ordered_json document;
  document["ok"] = false;
  document["errors"] = errors;
  return JsonText(document) + "\n";
}

unsigned long OpenOnly(const std::string& file) {
  if (const CString why = WhyInputUnreadable(FromUtf8(file)); !why.empty()) {
    ReportError(ToUtf8(why));
    return 0;
  }
  if (const unsigned long prefix = OpenDatabaseFile(FromUtf8(file))) return prefix;
  ReportError(file + ": no database file could be read");
  return 0;
}
