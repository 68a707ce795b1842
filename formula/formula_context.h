// CFormulaContext: every piece of state the formula language keeps between
// calls, in one object: the scanner (with the line number), the debug call
// stack, the error flag, the error report's fields and suppression map, and
// the runtime's frames and hooks. Tests build their own; the exported entry
// points use the one process-wide instance (Process()).
//
// Errors are raised in one place, ReportError (the error report), which shows
// the report, sets the error flag and throws CFortranError; the parse and run
// entries catch it. One thread at a time.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "OrvaMat/formula.h"
#include "formula/fortran_scanner.h"

class CFormulaRecordAccess;
class CFormulaDebugHook;

// The exception of the error report: unwinds to the parse or run entry.
struct CFortranError {
  CString m_strText = L"Error parsing fortran function.";
};

// One entry of the debug call stack: a function and its line (-1: run entry).
struct DebugInfo {
  CString m_strName;
  int m_nLine = 0;
};

class CFortranDebugStack {
 public:
  void Push(const CString& name, int nLine) { m_list.push_back({name, nLine}); }
  void Pop() {
    if (!m_list.empty()) m_list.pop_back();
  }
  const std::vector<DebugInfo>& GetEntries() const { return m_list; }
  // "F (3) -> G (-1)": each entry from the oldest, the trailing arrow trimmed.
  CString Describe() const;

 private:
  std::vector<DebugInfo> m_list;
};

// Pushes an entry for a scope; pops it also when an exception passes.
class CDebugScope {
 public:
  CDebugScope(CFortranDebugStack& stack, const CString& name, int nLine) : m_Stack(stack) {
    m_Stack.Push(name, nLine);
  }
  ~CDebugScope() { m_Stack.Pop(); }
  CDebugScope(const CDebugScope&) = delete;
  CDebugScope& operator=(const CDebugScope&) = delete;

 private:
  CFortranDebugStack& m_Stack;
};

// One active call of the runtime.
struct CFormulaFrame {
  CvdiFunction* m_pFunction = nullptr;
  std::size_t m_nPos = 0;             // word index of the next instruction
  std::uint32_t m_nResultTarget = 0;  // id that receives the result at END
};

class CFormulaContext {
 public:
  CFormulaContext();
  ~CFormulaContext();
  CFormulaContext(const CFormulaContext&) = delete;
  CFormulaContext& operator=(const CFormulaContext&) = delete;

  // The one instance behind the exported entry points.
  static CFormulaContext& Process();

  // The error report (reportFortranError): builds the seven-line report,
  // shows it unless the same text was closed less than 750 ms ago, sets the
  // error flag and throws CFortranError.
  [[noreturn]] void ReportError(const CString& message);
  // The report text alone (with the blanks collapsed), for the current state.
  CString BuildReport(const CString& message) const;

  // Fields of the report, set by the parse and run entries.
  void SetReportSource(const CvdiFunctionList& list);

  CFortranScanner m_scanner;
  CFortranDebugStack m_debugStack;
  bool m_bError = false;

  CString m_strReportDataset;
  CString m_strReportIndex100;
  CString m_strReportIndex110;
  // Milliseconds of a monotonic clock; tests install their own.
  std::function<std::uint64_t()> m_fnTicks;
  std::map<CString, std::uint64_t> m_mapShownReports;

  // Runtime state.
  std::vector<CFormulaFrame> m_listFrames;
  VdiRecordPosition* m_pRecordPosition = nullptr;
  CvdiFunction::CVdiVar* m_pLastAssigned = nullptr;  // for the debugger's display
  int m_nLastAssignedIndex = 0;
  std::uint64_t m_nSteps = 0;       // instructions run by the current run (bounded)
  std::uint64_t m_nStatements = 0;  // statements completed by the current run
  bool m_bDebugMode = false;
  // The run loop runs statements in each function's decoded form where it
  // can (decoded_code.h); off: every statement through the general
  // evaluator (the two agree; tests compare them).
  bool m_bDecodedRun = true;
  // Changes whenever a variable may stand for another cell than before: at
  // every binding (CFormulaRuntime::BindParameter) and at the run entry (the
  // host may have retyped cells between runs). A decoded form resolves its
  // variables again then.
  std::uint64_t m_nBindingEpoch = 0;

  // Limits that keep a product function from hanging or exhausting the host:
  // statements per run (a DO WHILE that never ends at the outermost level)
  // and nested calls (a function that calls itself).
  std::uint64_t m_nMaxRunSteps = 50'000'000;
  std::size_t m_nMaxCallDepth = 200;
  static constexpr int kCallStepBound = 100000;

  // Hooks (not owned; null: none). The record functions report an error
  // while no record access is installed.
  CFormulaRecordAccess* m_pRecordAccess = nullptr;
  CFormulaDebugHook* m_pDebugHook = nullptr;
  // Receives QEL_DEBUG texts (the debugger output of the system); null: dropped.
  std::function<void(const CString&)> m_fnDebugOutput;
};
