// How every command of the orvamat tool ends, in one place (main.cpp): the
// errors a command reports itself, whether it was asked for JSON and whether
// it printed its JSON document. main adds the error boxes the library showed
// and anything that escaped, prints the JSON failure document when the
// command printed none, and checks that stdout took everything.
#pragma once

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "OrvaMat/types.h"

struct CRunReport {
  bool bJson = false;             // --json was given
  bool bDocumentPrinted = false;  // the command printed its one JSON document
  std::vector<std::string> listErrors;
  // Error boxes shown that the command answered for (a damaged database the
  // user asked to salvage): they do not fail the run.
  std::size_t nErrorsAnswered = 0;
};

CRunReport& RunReport();

// The error boxes shown so far were expected and answered: they do not fail
// the run.
void AnswerShownErrors();

// An error of the command: "orvamat: <text>" on stderr, and one entry of the
// "errors" of the JSON failure document.
void ReportError(const std::string& text);

// After a refusal of a damaged database file: how the user saves what can
// still be read (--salvage).
void ReportSalvageHint();

// Opens the database file as a dataset of its own, not registered (looking
// at a dataset changes no settings); 0 when it can not be read (reported).
unsigned long OpenOnly(const std::string& file);

// The document on one line without blanks (a text that is not UTF-8 gets
// U+FFFD instead of an exception); no line end.
std::string JsonText(const nlohmann::ordered_json& document);

// The text as a JSON string, quotes included.
std::string JsonString(const std::string& utf8);
std::string JsonString(const CString& text);

// Prints the command's JSON document (text ends with a new line) and notes
// that it was printed, so that main prints no second one. Withheld when the
// console host UI showed an error: the run failed, and main prints the
// failure document.
void PrintJsonDocument(const std::string& text);

// {"ok": false, "errors": [...]} of the given texts, one line.
std::string JsonFailure(const std::vector<std::string>& errors);

// Runs a command body: an exception becomes a message, stdout is checked,
// and a failure ends the run with its status.
template <typename Fn>
void RunCommand(const char* name, Fn&& body) {
  int rc = 1;
  try {
    rc = body();
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) rc = 1;
  } catch (const std::exception& e) {
    ReportError(std::string(name) + ": " + e.what());
  }
  if (rc != 0) throw CLI::RuntimeError(rc);
}
