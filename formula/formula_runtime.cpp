// The run entry, frames, statements, assignments and calls.
#include "formula/formula_runtime.h"

#include "formula/decoded_code.h"
#include "formula/pcode.h"
#include "formula/value_ops.h"
#include "platform/format.h"

using CVdiVar = CvdiFunction::CVdiVar;
using namespace formula;

std::int32_t CFormulaRuntime::FetchInt32(CCodeCursor& cur) {
  const std::uint32_t nLow = Fetch(cur);
  const std::uint32_t nHigh = Fetch(cur);
  return static_cast<std::int32_t>(nLow | (nHigh << 16));
}

CString CFormulaRuntime::FetchText(CCodeCursor& cur, std::size_t nUnits) {
  if (nUnits > cur.m_nSize - cur.m_nPos) Error(L"Syntax");
  CString text;
  text.reserve(nUnits);
  const std::uint16_t* p = cur.m_pCode + cur.m_nPos;
  for (std::size_t i = 0; i < nUnits; ++i) {
    const std::uint32_t u = p[i];
    if (u >= 0xD800 && u < 0xDC00 && i + 1 < nUnits && p[i + 1] >= 0xDC00 && p[i + 1] < 0xE000) {
      text += static_cast<wchar_t>(0x10000 + ((u - 0xD800) << 10) + (p[i + 1] - 0xDC00));
      ++i;
    } else {
      text += static_cast<wchar_t>(u);
    }
  }
  cur.m_nPos += nUnits;
  return text;
}

void CFormulaRuntime::Expect(CCodeCursor& cur, std::uint16_t word, const wchar_t* message) {
  if (Peek(cur) != word) Error(message);
  ++cur.m_nPos;
}

CCodeCursor CFormulaRuntime::CursorOf(std::size_t nFrame) const {
  const CFormulaFrame& frame = m_Context.m_listFrames[nFrame];
  const auto& code = frame.m_pFunction->m_code;
  return CCodeCursor{frame.m_pFunction, code.data(), code.size(), frame.m_nPos};
}

void CFormulaRuntime::Save(std::size_t nFrame, const CCodeCursor& cur) {
  if (nFrame < m_Context.m_listFrames.size()) m_Context.m_listFrames[nFrame].m_nPos = cur.m_nPos;
}

void CFormulaRuntime::SkipSourceLines(CCodeCursor& cur) {
  while (cur.m_nPos < cur.m_nSize && cur.m_pCode[cur.m_nPos] == SRCLINE) {
    ++cur.m_nPos;
    m_Context.m_scanner.SetLine(Fetch(cur));
    const std::uint16_t n = Fetch(cur);
    if (n > cur.m_nSize - cur.m_nPos) Error(L"Syntax");
    cur.m_nPos += n;
  }
}

void CFormulaRuntime::Jump(CCodeCursor& cur, std::uint16_t nTarget) {
  if ((nTarget & 1) != 0 || nTarget / 2u > cur.m_nSize) Error(L"Syntax");
  cur.m_nPos = nTarget / 2u;
}

bool CFormulaRuntime::Run(CvdiFunction* f, VdiRecordPosition* pos) {
  if (f == nullptr) return false;
  CFormulaContext& ctx = m_Context;
  if (f->m_pList != nullptr) ctx.SetReportSource(*f->m_pList);
  CDebugScope scope(ctx.m_debugStack, f->m_strName, -1);
  ctx.m_pRecordPosition = pos;
  ctx.m_bError = false;
  ctx.m_listFrames.clear();
  ctx.m_nSteps = 0;
  ctx.m_nStatements = 0;
  // Between runs the host may have retyped or reallocated cells: a decoded
  // form resolves its variables again at its first statement.
  ++ctx.m_nBindingEpoch;
  m_nDepth = 0;
  try {
    EnterFunction(f);
    if (ctx.m_bDebugMode && ctx.m_pDebugHook != nullptr) {
      ctx.m_pDebugHook->ShowDebugger(*this, f->m_pList, f);
    } else {
      RunToEnd();
    }
  } catch (const CFortranError&) {
  }
  ctx.m_listFrames.clear();
  return !ctx.m_bError;
}

void CFormulaRuntime::EnterFunction(CvdiFunction* f) {
  CFormulaContext& ctx = m_Context;
  if (!f->IsComplete() || f->m_code.empty()) {
    Error(Format(L"Function %s has no complete body", f->m_strName));
  }
  if (ctx.m_listFrames.size() >= ctx.m_nMaxCallDepth) Error(L"Function calls nested too deeply");
  ctx.m_listFrames.push_back(CFormulaFrame{f, 0, 0});
  CCodeCursor cur = CursorOf(ctx.m_listFrames.size() - 1);
  SkipSourceLines(cur);
  Save(ctx.m_listFrames.size() - 1, cur);
  for (auto& local : f->m_listLocals) local->clean();
  if (ctx.m_pRecordAccess != nullptr) {
    ctx.m_pRecordAccess->BindRecordPosition(*f, ctx.m_pRecordPosition);
  }
}

void CFormulaRuntime::Step() {
  CFormulaContext& ctx = m_Context;
  if (ctx.m_listFrames.empty()) return;
  std::size_t nFrame = ctx.m_listFrames.size() - 1;
  CCodeCursor cur = CursorOf(nFrame);
  while (!StepInstruction(nFrame, cur)) {
  }
  ++ctx.m_nStatements;
  Settle();
}

// The run loop without a debugger: the same statements as repeated Step()
// calls, but the cursor of the top frame stays in hand while that frame
// stays on top, and the statements the function's decoded form covers run
// there (decoded_code.h); each statement it leaves runs here.
void CFormulaRuntime::RunToEnd() {
  auto& frames = m_Context.m_listFrames;
  while (!frames.empty() && !m_Context.m_bError) {
    std::size_t nFrame = frames.size() - 1;
    CCodeCursor cur = CursorOf(nFrame);
    for (;;) {
      if (m_Context.m_bDecodedRun) RunDecodedStatements(m_Context, cur);
      const std::size_t nFrames = frames.size();
      while (!StepInstruction(nFrame, cur)) {
      }
      ++m_Context.m_nStatements;
      if (frames.size() != nFrames || nFrame + 1 != frames.size()) break;
    }
    if (nFrame < frames.size()) Save(nFrame, cur);
    Settle();
  }
}

void CFormulaRuntime::Settle() {
  CFormulaContext& ctx = m_Context;
  for (int nJumps = 0; !ctx.m_listFrames.empty(); ++nJumps) {
    const std::size_t nFrame = ctx.m_listFrames.size() - 1;
    CCodeCursor cur = CursorOf(nFrame);
    SkipSourceLines(cur);
    if (cur.m_nPos < cur.m_nSize && cur.m_pCode[cur.m_nPos] == GOTO && nJumps < 16) {
      ++cur.m_nPos;
      Jump(cur, Fetch(cur));
      Save(nFrame, cur);
      continue;
    }
    Save(nFrame, cur);
    return;
  }
}

// One instruction of a statement; true when the statement is done. nFrame
// and cur follow the frame whose code runs (a call left pending puts its
// callee on top, and the statement goes on there).
bool CFormulaRuntime::StepInstruction(std::size_t& nFrame, CCodeCursor& cur) {
  CFormulaContext& ctx = m_Context;
  if (++ctx.m_nSteps > ctx.m_nMaxRunSteps) {
    Save(nFrame, cur);
    Error(
        Format(L"Function did not end within %u steps", static_cast<unsigned>(ctx.m_nMaxRunSteps)));
  }
  const std::uint16_t word = Peek(cur);
  const std::uint16_t op = pcode::OpOf(word);
  switch (op) {
    case SRCLINE:
      SkipSourceLines(cur);
      return false;
    case CALL: {
      CVdiVar temp;
      Evaluate(temp, cur);
      Save(nFrame, cur);
      const std::size_t nCaller = nFrame;
      nFrame = ctx.m_listFrames.size() - 1;
      if (ctx.m_listFrames.empty()) return true;
      // Under the debugger, entering the callee is a step of its own.
      if (ctx.m_bDebugMode && nFrame > nCaller) return true;
      cur = CursorOf(nFrame);
      return false;
    }
    case ASSIGN:
    case ASSIGNAT:
    case ASSIGNLIST:
      ++cur.m_nPos;
      Assign(cur, word, nFrame);
      Save(nFrame, cur);
      return true;
    case IF: {
      ++cur.m_nPos;
      const std::uint16_t nTarget = Fetch(cur);
      if (!EvaluateCondition(cur)) Jump(cur, nTarget);
      Save(nFrame, cur);
      return true;
    }
    case GOTO:
      ++cur.m_nPos;
      Jump(cur, Fetch(cur));
      return false;
    case END:
      ++cur.m_nPos;
      Save(nFrame, cur);
      ExecuteEnd(nFrame);
      return true;
    case QELDEBUG: {
      ++cur.m_nPos;
      CFormulaArgs args(*this, cur);
      const CString text = VdiFormat(args);
      Save(nFrame, cur);
      if (ctx.m_fnDebugOutput) ctx.m_fnDebugOutput(text);
      return true;
    }
    case VARVAL:
      Error(L"Syntax error: Function might not be defined yet");
    default:
      ++cur.m_nPos;
      Error(L"Syntax");
  }
}

void CFormulaRuntime::ExecuteEnd(std::size_t nFrame) {
  CFormulaContext& ctx = m_Context;
  const CFormulaFrame frame = ctx.m_listFrames[nFrame];
  for (auto& param : frame.m_pFunction->m_listParameters) BindParameter(*param, 0);
  ctx.m_listFrames.erase(ctx.m_listFrames.begin() + static_cast<std::ptrdiff_t>(nFrame));
  if (frame.m_nResultTarget != 0) {
    CVdiVar* target = frame.m_pFunction->m_pList->FindVar(frame.m_nResultTarget);
    if (target == nullptr) Error(L"Syntax");
    CVdiVar& result = frame.m_pFunction->m_result;
    if (result.m_nCount != 0) Error(L"Array results can not be returned");
    CVdiVar value;
    CopyResult(*frame.m_pFunction, value);
    StoreConverted(*target, value, -1);
    ctx.m_pLastAssigned = target;
    ctx.m_nLastAssignedIndex = 0;
  }
}
