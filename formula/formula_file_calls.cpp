// The formula file of a host (OrvaMat/formula_file.h): a formula context of
// its own for every file, messages kept for the host.
#include <algorithm>
#include <cstdio>

#include "OrvaMat/formula_file.h"
#include "formula/disassembler.h"
#include "formula/formula_context.h"
#include "formula/formula_file.h"
#include "formula/formula_runtime.h"
#include "platform/recording_host_ui.h"
#include "platform/text.h"
#include "store/base/guarded_call.h"

using CVdiVar = CvdiFunction::CVdiVar;

struct CFormulaFile::CState {
  CFormulaContext m_Context;
  CvdiFunctionList m_List;
  std::vector<CString> m_Messages;

  // Runs fn with the messages recorded, then keeps their texts.
  template <typename Fn>
  bool Recorded(Fn&& fn) {
    CRecordingHostUI ui;
    bool bOk = false;
    {
      CScopedHostUI scoped(ui);
      bOk = GuardedCall(false, fn);
    }
    for (const CRecordedMessage& m : ui.GetMessages()) m_Messages.push_back(m.strText);
    return bOk;
  }
};

CFormulaFile::CFormulaFile() : m_pState(std::make_unique<CState>()) {}
CFormulaFile::~CFormulaFile() = default;

bool CFormulaFile::Load(const CString& path) {
  return m_pState->Recorded(
      [&] { return LoadFormulaFile(m_pState->m_Context, m_pState->m_List, path); });
}

bool CFormulaFile::Run(CvdiFunction& f, std::vector<CString>& debugLines, bool bDebugger) {
  CFormulaContext& context = m_pState->m_Context;
  context.m_fnDebugOutput = [&](const CString& s) { debugLines.push_back(s); };
  // The file's own context steps through the debugger the library installed.
  context.m_bDebugMode = bDebugger;
  context.m_pDebugHook = bDebugger ? CFormulaContext::Process().m_pDebugHook : nullptr;
  const bool bOk = m_pState->Recorded([&] { return CFormulaRuntime(context).Run(&f, nullptr); });
  context.m_fnDebugOutput = nullptr;
  context.m_bDebugMode = false;
  context.m_pDebugHook = nullptr;
  return bOk;
}

CvdiFunctionList& CFormulaFile::GetFunctions() { return m_pState->m_List; }
bool CFormulaFile::HasError() const { return m_pState->m_Context.m_bError; }
const std::vector<CString>& CFormulaFile::GetMessages() const { return m_pState->m_Messages; }

CString DisassembleFormula(const CvdiFunction& f) {
  return GuardedCall(CString(), [&] { return DisassembleFunction(f); });
}

const wchar_t* FormulaTypeName(enPCode type) {
  switch (type) {
    case INTEGER:
      return L"INTEGER";
    case REAL:
      return L"REAL";
    case DOUBLE:
      return L"DOUBLE PRECISION";
    case LOGICAL:
      return L"LOGICAL";
    case CHARACTER:
      return L"CHARACTER";
    case FUNCTION:
      return L"PENDING";
    default:
      return L"NONE";
  }
}

std::size_t FormulaArrayLength(const CVdiVar& v) {
  if (v.m_nCount == 0) return 0;
  return std::min<std::size_t>(v.GetElementCount(), static_cast<std::size_t>(v.m_nCount));
}

CString FormatFormulaElement(const CVdiVar& v, std::size_t nOffset) {
  return GuardedCall(CString(), [&]() -> CString {
    const bool bArray = v.m_nCount != 0;
    // An element outside the storage has no value to show.
    if (bArray && nOffset >= v.GetElementCount()) return {};
    const void* p = v.GetData();
    char buf[64];
    switch (v.m_eType) {
      case CHARACTER:
        return CString(v.GetText(nOffset));
      case REAL:
        std::snprintf(buf, sizeof(buf), "%.9g",
                      bArray ? static_cast<const float*>(p)[nOffset] : v.m_fValue);
        return FromUtf8(buf);
      case DOUBLE:
        std::snprintf(buf, sizeof(buf), "%.17g",
                      bArray ? static_cast<const double*>(p)[nOffset] : v.m_dValue);
        return FromUtf8(buf);
      case LOGICAL: {
        const std::int32_t n = bArray ? static_cast<const std::int32_t*>(p)[nOffset] : v.m_nValue;
        return n != 0 ? L".TRUE." : L".FALSE.";
      }
      default: {
        const std::int32_t n = bArray ? static_cast<const std::int32_t*>(p)[nOffset] : v.m_nValue;
        return std::to_wstring(n);
      }
    }
  });
}

CString FormatFormulaValue(const CVdiVar& v) {
  return GuardedCall(CString(), [&] {
    if (v.m_nCount == 0) return FormatFormulaElement(v, 0);
    CString out = L"(/ ";
    const std::size_t n = FormulaArrayLength(v);
    for (std::size_t i = 0; i < n; ++i) out += (i ? L", " : L"") + FormatFormulaElement(v, i);
    return out + L" /)";
  });
}
