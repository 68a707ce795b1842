// orvamat formula check FILE: parses the declarations and bodies texts of
// FILE ("[declarations]" / "[bodies]" lines start them) and lists the
// functions; exit code 1 when an error was reported.
// orvamat formula disasm FILE [FUNCTION]: the p-code listing (docs/pcode.md).
// orvamat formula run FILE FUNCTION [--arg NAME=VALUE ...]: writes the
// arguments into the parameter cells, runs the function and prints the
// result and every parameter afterwards.
// With --json each command prints one JSON object; error reports are listed
// in its "errors" array instead of as "error:" lines.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "commands.h"
#include "run_report.h"

#include "OrvaMat/formula.h"
#include "OrvaMat/formula_file.h"
#include "OrvaMat/text.h"

namespace {

using CVdiVar = CvdiFunction::CVdiVar;

struct COptions {
  std::string strFile;
  std::string strFunction;
  std::vector<std::string> listArgs;
  bool bJson = false;
};

std::string TypeName(enPCode eType) { return ToUtf8(FormulaTypeName(eType)); }

// One element (nOffset) or the scalar as a JSON value.
std::string JsonElement(const CVdiVar& v, std::size_t nOffset) {
  const CString text = FormatFormulaElement(v, nOffset);
  switch (v.m_eType) {
    case CHARACTER:
      return JsonString(text);
    case LOGICAL:
      return text == L".TRUE." ? "true" : "false";
    case REAL:
    case DOUBLE: {
      // JSON has no number for infinity or NaN (SQRT(-1.0)): null stands for
      // them, so that the document still parses.
      const std::string number = ToUtf8(text);
      return std::isfinite(std::strtod(number.c_str(), nullptr)) ? number : "null";
    }
    default:
      return ToUtf8(text);
  }
}

std::string Value(const CVdiVar& v, bool bJson) {
  if (!bJson) return ToUtf8(FormatFormulaValue(v));
  if (v.m_nCount == 0) return JsonElement(v, 0);
  std::string out = "[";
  const std::size_t n = FormulaArrayLength(v);
  for (std::size_t i = 0; i < n; ++i) out += (i ? ", " : "") + JsonElement(v, i);
  return out + "]";
}

std::string Cell(const CString& name, const CVdiVar& v, bool bJson) {
  if (!bJson) return ToUtf8(name) + " = " + Value(v, false) + " (" + TypeName(v.m_eType) + ")";
  return "{\"name\": " + JsonString(name) + ", \"type\": \"" + TypeName(v.m_eType) +
         "\", \"value\": " + Value(v, true) + "}";
}

// Writes "NAME=VALUE" into the parameter of that name; false with a reason.
bool SetArgument(CvdiFunction& f, const std::string& arg, std::string& error) {
  const auto n = arg.find('=');
  if (n == std::string::npos) return error = "argument without '=': " + arg, false;
  const CString name = ToUpper(FromUtf8(arg.substr(0, n)));
  const std::string value = arg.substr(n + 1);
  CVdiVar* p = f.FindParameter(name);
  if (p == nullptr) return error = "no parameter named " + arg.substr(0, n), false;
  if (p->m_nCount != 0) return error = "array parameters take no value: " + arg, false;
  char* end = nullptr;
  switch (p->m_eType) {
    case CHARACTER:
      return p->SetText(FromUtf8(value)) || (error = "text too long", false);
    case INTEGER: {
      const long long v = std::strtoll(value.c_str(), &end, 10);
      if (*end != 0 || v < -2147483648LL || v > 2147483647LL) break;
      p->m_nValue = static_cast<std::int32_t>(v);
      return true;
    }
    case REAL:
    case DOUBLE: {
      const double v = std::strtod(value.c_str(), &end);
      if (*end != 0 || value.empty()) break;
      if (p->m_eType == REAL)
        p->m_fValue = static_cast<float>(v);
      else
        p->m_dValue = v;
      return true;
    }
    case LOGICAL: {
      const CString v = ToUpper(FromUtf8(value));
      if (v != L".TRUE." && v != L".FALSE." && v != L"TRUE" && v != L"FALSE") break;
      p->m_nValue = v.find(L"TRUE") != CString::npos ? 1 : 0;
      return true;
    }
    default:
      return error = "parameter has no type: " + arg, false;
  }
  return error = "not a value of type " + TypeName(p->m_eType) + ": " + arg, false;
}

// The messages the file gave (and a reason of the tool's own): a JSON array,
// or one "error:" line each.
std::string Errors(const CFormulaFile& file, bool bJson, const std::string& extra = {}) {
  std::string out;
  std::vector<CString> texts = file.GetMessages();
  if (!extra.empty()) texts.push_back(FromUtf8(extra));
  for (const CString& text : texts) {
    if (bJson) {
      out += (out.empty() ? "" : ", ") + JsonString(text);
    } else {
      out += "error: " + ToUtf8(text) + "\n";
    }
  }
  return bJson ? "[" + out + "]" : out;
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
  std::vector<CString> debugLines;
  // Before the run: the reports so far and the reason, as the JSON document
  // of a run that failed, or on stderr.
  const auto refuse = [&](const std::string& reason, int rc) {
    if (o.bJson) {
      PrintJsonDocument(
          "{\"ok\": false, \"result\": null, \"parameters\": [], \"debug\": [], \"errors\": " +
          Errors(file, true, reason) + "}\n");
    } else {
      std::fputs(Errors(file, false).c_str(), stderr);
      std::fprintf(stderr, "orvamat: %s\n", reason.c_str());
    }
    return rc;
  };
  file.Load(FromUtf8(o.strFile));
  CvdiFunction* f = file.GetFunctions().findFunction(FromUtf8(o.strFunction).c_str());
  if (f == nullptr) return refuse("no function " + o.strFunction, 1);
  for (const std::string& arg : o.listArgs) {
    std::string error;
    if (!SetArgument(*f, arg, error)) return refuse(error, 2);
  }
  const bool bOk = !file.HasError() && file.Run(*f, debugLines);
  if (o.bJson) {
    std::string params;
    for (const auto& p : f->m_listParameters) {
      params += (params.empty() ? "" : ", ") + Cell(p->m_strName, *p, true);
    }
    std::string debug;
    for (const CString& s : debugLines) debug += (debug.empty() ? "" : ", ") + JsonString(s);
    PrintJsonDocument("{\"ok\": " + std::string(bOk ? "true" : "false") + ", \"result\": " +
                      Cell(f->m_strName, f->m_result, true) + ", \"parameters\": [" + params +
                      "], \"debug\": [" + debug + "], \"errors\": " + Errors(file, true) + "}\n");
  } else {
    for (const CString& s : debugLines) std::printf("debug: %s\n", ToUtf8(s).c_str());
    std::fputs(Errors(file, false).c_str(), stdout);
    std::printf("result %s\n", Cell(f->m_strName, f->m_result, false).c_str());
    for (const auto& p : f->m_listParameters) {
      std::printf("parameter %s\n", Cell(p->m_strName, *p, false).c_str());
    }
  }
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
  run->callback([options] {
    if (int rc = RunCommand(*options); rc != 0) throw CLI::RuntimeError(rc);
  });
}
