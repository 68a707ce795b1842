// CFormulaRuntime: runs p-code (docs/pcode.md) on the frames of a
// CFormulaContext. Run() is the run entry (runFunction); EnterFunction and
// Step are what a debugger drives one statement at a time.
//
// Every run-time error goes through the context's error report and throws
// CFortranError; Run() catches it and returns false. The runtime never reads
// outside a function's code or a cell's storage: malformed code, indexes
// outside an array, too deep nesting and runs longer than the context's step
// limit are reported like any other error.
//
// Sections and their files:
//   Run entry, frames, statements, code access     formula_runtime.cpp
//   Assignments, calls and parameter binding       runtime_calls.cpp
//   Expressions                                    evaluator.cpp
//   Conditions, skipping, argument lists           condition.cpp
//   Intrinsics (SIN ... NINT, MOD, MIN, MAX)       intrinsics.cpp
//   String functions (VdiFormat, VDI...STRING)     vdi_string.cpp
//   The decoded form the run loop uses             decoded_code.h, decoded_run.cpp
#pragma once

#include <string_view>

#include "formula/formula_context.h"
#include "formula/value_ops.h"

// Reads the words of one function's code; every read is bounds-checked.
struct CCodeCursor {
  CvdiFunction* m_pFunction = nullptr;
  const std::uint16_t* m_pCode = nullptr;
  std::size_t m_nSize = 0;
  std::size_t m_nPos = 0;
};

class CFormulaArgs;

class CFormulaRuntime {
 public:
  using CVdiVar = CvdiFunction::CVdiVar;

  explicit CFormulaRuntime(CFormulaContext& context) : m_Context(context) {}

  // Runs f to its END (or through the debug hook in debug mode). True when
  // no error was reported. Never throws.
  bool Run(CvdiFunction* f, VdiRecordPosition* pos);
  // Pushes a frame for f and prepares the call (locals zeroed, records bound).
  void EnterFunction(CvdiFunction* f);
  // Executes one statement of the current frame.
  void Step();
  // Steps until no frame is left (the run without a debugger).
  void RunToEnd();
  // After a statement: skips source lines and follows jumps of the top frame.
  void Settle();

  // Expression evaluation at the cursor, advancing it.
  void Evaluate(CVdiVar& cell, CCodeCursor& cur);
  bool EvaluateCondition(CCodeCursor& cur);
  // Advances the cursor over one expression without evaluating it.
  void SkipExpression(CCodeCursor& cur);
  // Binds param to the cell of nRefId (0: to its own cell again). The one
  // place a variable comes to stand for another cell: it moves the context's
  // binding epoch, so that a decoded form resolves its variables again.
  void BindParameter(CVdiVar& param, std::uint32_t nRefId);

  [[noreturn]] void Error(const CString& message) { m_Context.ReportError(message); }
  CFormulaContext& GetContext() { return m_Context; }

  // Word access (reports "Syntax" past the end of the code).
  std::uint16_t Peek(const CCodeCursor& cur) {
    if (cur.m_nPos >= cur.m_nSize) Error(L"Syntax");
    return cur.m_pCode[cur.m_nPos];
  }
  std::uint16_t Fetch(CCodeCursor& cur) {
    if (cur.m_nPos >= cur.m_nSize) Error(L"Syntax");
    return cur.m_pCode[cur.m_nPos++];
  }
  std::int32_t FetchInt32(CCodeCursor& cur);
  CString FetchText(CCodeCursor& cur, std::size_t nUnits);
  void Expect(CCodeCursor& cur, std::uint16_t word, const wchar_t* message);

 private:
  // Frames and statements (formula_runtime.cpp).
  CCodeCursor CursorOf(std::size_t nFrame) const;
  void Save(std::size_t nFrame, const CCodeCursor& cur);
  void SkipSourceLines(CCodeCursor& cur);
  void Jump(CCodeCursor& cur, std::uint16_t nTarget);
  bool StepInstruction(std::size_t& nFrame, CCodeCursor& cur);
  void ExecuteEnd(std::size_t nFrame);

  // Assignments (runtime_calls.cpp).
  void Assign(CCodeCursor& cur, std::uint16_t word, std::size_t nFrame);
  void AssignElement(CVdiVar& target, CCodeCursor& cur);
  void AssignList(CVdiVar& target, CCodeCursor& cur);
  void StoreConverted(CVdiVar& target, CVdiVar& value, int nOffset);
  std::int32_t IndexOperand(CCodeCursor& cur, const wchar_t* message);

  // Calls (runtime_calls.cpp).
  void EvaluateCall(CVdiVar& cell, CCodeCursor& cur, std::size_t nUnits);
  void PassArguments(CvdiFunction& callee, CCodeCursor& cur);
  void RunCallee(CvdiFunction& callee, std::size_t nCalleeFrame, CVdiVar& cell);
  void CopyResult(const CvdiFunction& callee, CVdiVar& cell);

  // Expressions (evaluator.cpp; intrinsics in intrinsics.cpp, the relation
  // of a condition in condition.cpp).
  void EvaluateVariable(CVdiVar& cell, std::uint32_t nId, const CCodeCursor& cur);
  void EvaluateElement(CVdiVar& cell, std::uint32_t nId, CCodeCursor& cur);
  void EvaluateBinary(std::uint16_t op, CVdiVar& cell, CCodeCursor& cur);
  void EvaluateLogical(std::uint16_t op, CVdiVar& cell, CCodeCursor& cur);
  void EvaluateIntrinsic(std::uint16_t op, CVdiVar& cell, CCodeCursor& cur);
  void EvaluateMod(CVdiVar& cell, CCodeCursor& cur);
  void EvaluateMinMax(std::uint16_t op, CVdiVar& cell, CCodeCursor& cur);
  bool CompareInCondition(std::uint16_t op, CCodeCursor& cur);

  CFormulaContext& m_Context;
  int m_nDepth = 0;  // nesting of Evaluate, bounded by kMaxDepth
  friend class CFormulaArgs;
  friend class CDepthGuard;

 public:
  static constexpr int kMaxDepth = 1000;
};

// Bounds the recursion of evaluation (deep operator chains, nested calls).
class CDepthGuard {
 public:
  explicit CDepthGuard(CFormulaRuntime& rt) : m_Runtime(rt) {
    if (++m_Runtime.m_nDepth > CFormulaRuntime::kMaxDepth) {
      --m_Runtime.m_nDepth;
      m_Runtime.Error(L"Expression or calls nested too deeply");
    }
  }
  ~CDepthGuard() { --m_Runtime.m_nDepth; }
  CDepthGuard(const CDepthGuard&) = delete;
  CDepthGuard& operator=(const CDepthGuard&) = delete;

 private:
  CFormulaRuntime& m_Runtime;
};

// The argument list of a function at the cursor: KLAMMAUF, expressions,
// KLAMMZU. Used by the string functions and by record access.
class CFormulaArgs {
 public:
  CFormulaArgs(CFormulaRuntime& runtime, CCodeCursor& cur);
  // True when no argument is left.
  bool AtEnd();
  // Evaluates the next argument ("Missing function parameter" when none).
  void Next(CvdiFunction::CVdiVar& cell);
  // The id of the next argument when it is a plain variable (not evaluated
  // then), else 0 (nothing consumed).
  std::uint32_t NextVariableId();
  // Skips the remaining arguments and the KLAMMZU.
  void Finish();
  CFormulaRuntime& GetRuntime() { return m_Runtime; }

 private:
  CFormulaRuntime& m_Runtime;
  CCodeCursor& m_Cursor;
};

// Record access of the data functions VDICWERT ... VDIINDEXEXIST (the VDI
// reader implements it). Without one, those functions report an error.
class CFormulaRecordAccess {
 public:
  virtual ~CFormulaRecordAccess() = default;
  // At every function entry: binds the host's record position (may be null).
  virtual void BindRecordPosition(const CvdiFunction& f, const VdiRecordPosition* pos) = 0;
  // Evaluates one data function into result, reading its arguments. It may
  // store values into the function's variables but never retypes, resizes or
  // rebinds them (a decoded form keeps their addresses within a run).
  virtual void Evaluate(enPCode eOp, CFormulaArgs& args, CvdiFunction::CVdiVar& result) = 0;
};

// The debugger seam: in debug mode the run entry hands the function to the
// hook, which steps it (EnterFunction was called already).
class CFormulaDebugHook {
 public:
  virtual ~CFormulaDebugHook() = default;
  virtual void ShowDebugger(CFormulaRuntime& runtime, CvdiFunctionList* list, CvdiFunction* f) = 0;
};

// The string functions (vdi_string.cpp). VdiFormat is VDISTRING's and
// QEL_DEBUG's formatting of an argument list.
CString VdiFormat(CFormulaArgs& args);
void EvaluateVdiString(enPCode eOp, CFormulaArgs& args, CvdiFunction::CVdiVar& result);
