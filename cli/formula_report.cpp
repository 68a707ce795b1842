#include "formula_report.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "run_report.h"

#include "OrvaMat/formula_file.h"
#include "OrvaMat/text.h"

namespace {

using CVdiVar = CvdiFunction::CVdiVar;

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

bool SetArgumentOf(CvdiFunction& f, const std::string& arg, std::string& error) {
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

}  // namespace

bool SetFormulaArgument(CvdiFunction& f, const std::string& arg, std::string& error) {
  return SetArgumentOf(f, arg, error);
}

bool SetFormulaArguments(CvdiFunction& f, const std::vector<std::string>& args,
                         std::string& error) {
  for (const std::string& arg : args)
    if (!SetArgumentOf(f, arg, error)) return false;
  return true;
}

std::string FormulaMessages(std::vector<CString> texts, bool bJson, const std::string& extra) {
  std::string out;
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

void PrintFormulaRefusal(const std::vector<CString>& messages, const std::string& reason,
                         bool bJson) {
  if (bJson) {
    PrintJsonDocument(
        "{\"ok\": false, \"result\": null, \"parameters\": [], \"debug\": [], \"errors\": " +
        FormulaMessages(messages, true, reason) + "}\n");
  } else {
    std::fputs(FormulaMessages(messages, false, {}).c_str(), stderr);
    std::fprintf(stderr, "orvamat: %s\n", reason.c_str());
  }
}

void PrintFormulaRun(const CvdiFunction& f, bool bOk, const std::vector<CString>& debugLines,
                     const std::vector<CString>& messages, bool bJson) {
  if (bJson) {
    std::string params;
    for (const auto& p : f.m_listParameters) {
      params += (params.empty() ? "" : ", ") + Cell(p->m_strName, *p, true);
    }
    std::string debug;
    for (const CString& s : debugLines) debug += (debug.empty() ? "" : ", ") + JsonString(s);
    PrintJsonDocument("{\"ok\": " + std::string(bOk ? "true" : "false") +
                      ", \"result\": " + Cell(f.m_strName, f.m_result, true) +
                      ", \"parameters\": [" + params + "], \"debug\": [" + debug +
                      "], \"errors\": " + FormulaMessages(messages, true, {}) + "}\n");
  } else {
    for (const CString& s : debugLines) std::printf("debug: %s\n", ToUtf8(s).c_str());
    std::fputs(FormulaMessages(messages, false, {}).c_str(), stdout);
    std::printf("result %s\n", Cell(f.m_strName, f.m_result, false).c_str());
    for (const auto& p : f.m_listParameters) {
      std::printf("parameter %s\n", Cell(p->m_strName, *p, false).c_str());
    }
  }
}
