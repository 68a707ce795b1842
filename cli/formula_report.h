// How a run of a product function is shown, for every command that runs one
// (formula run, vdi run): the arguments written into its parameters, and
// the result, parameters, debug lines and messages afterwards, as text or
// as one JSON document.
#pragma once

#include <string>
#include <vector>

#include "OrvaMat/formula.h"
#include "OrvaMat/types.h"

// Writes "NAME=VALUE" into the parameter of that name (any case); false with
// a reason.
bool SetFormulaArgument(CvdiFunction& f, const std::string& arg, std::string& error);

// Writes each argument in turn; false with the reason of the first that
// could not be written.
bool SetFormulaArguments(CvdiFunction& f, const std::vector<std::string>& args, std::string& error);

// A run refused before it started: the messages so far and the reason, as
// the JSON document of a run that failed, or on stderr.
void PrintFormulaRefusal(const std::vector<CString>& messages, const std::string& reason,
                         bool bJson);

// The run's outcome: debug lines, messages ("error:" lines), the result and
// every parameter as text on stdout, or one JSON document with "ok",
// "result", "parameters", "debug" and "errors".
void PrintFormulaRun(const CvdiFunction& f, bool bOk, const std::vector<CString>& debugLines,
                     const std::vector<CString>& messages, bool bJson);

// Messages (and a reason of the tool's own, when not empty) as a JSON array,
// or one "error:" line each.
std::string FormulaMessages(std::vector<CString> texts, bool bJson, const std::string& extra);
