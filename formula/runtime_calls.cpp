// Assignments and calls of the runtime.
#include "formula/formula_runtime.h"
#include "formula/pcode.h"
#include "formula/value_ops.h"
#include "platform/format.h"

using CVdiVar = CvdiFunction::CVdiVar;
using namespace formula;

namespace {

CvdiFunctionList& ListOf(const CCodeCursor& cur) { return *cur.m_pFunction->m_pList; }

}  // namespace

// Converts value to the target's type and stores it: nOffset < 0 stores as a
// whole-cell assignment does (setValue with index 0), else into that element.
void CFormulaRuntime::StoreConverted(CVdiVar& target, CVdiVar& value, int nOffset) {
  const EConvert e = ConvertTo(value, target.m_eType);
  if (e == EConvert::kOutOfRange) Error(L"Value outside the INTEGER range");
  if (e != EConvert::kDone || value.m_eType != target.m_eType) Error(L"Different data types");
  const bool bOk = nOffset < 0 ? target.setValue(value, 0)
                               : target.SetElement(value, static_cast<std::size_t>(nOffset));
  if (!bOk) Error(L"Index outside the variable's storage");
}

std::int32_t CFormulaRuntime::IndexOperand(CCodeCursor& cur, const wchar_t* message) {
  CVdiVar index;
  Evaluate(index, cur);
  if (index.m_eType != INTEGER) Error(message);
  return index.m_nValue;
}

void CFormulaRuntime::Assign(CCodeCursor& cur, std::uint16_t word, std::size_t nFrame) {
  const std::uint32_t nId = pcode::OperandOf(word);
  CVdiVar* target = ListOf(cur).FindVar(nId);
  if (target == nullptr) Error(L"Syntax");
  m_Context.m_pLastAssigned = target;
  m_Context.m_nLastAssignedIndex = 0;
  switch (pcode::OpOf(word)) {
    case ASSIGNAT:
      AssignElement(*target, cur);
      return;
    case ASSIGNLIST:
      AssignList(*target, cur);
      return;
    default:
      break;
  }
  CVdiVar value;
  Evaluate(value, cur);
  if (value.m_eType == FUNCTION) {
    // The callee is still running: it assigns the target when it ends.
    if (nFrame + 1 < m_Context.m_listFrames.size()) {
      m_Context.m_listFrames[nFrame + 1].m_nResultTarget = nId;
    }
    return;
  }
  StoreConverted(*target, value, -1);
}

// Offset of index in target (a scalar: 0), reporting indexes outside it.
static std::size_t ElementOffset(CFormulaRuntime& rt, const CVdiVar& target, std::int32_t nIndex,
                                 const wchar_t* tooBig) {
  if (nIndex > target.m_nCount) rt.Error(tooBig);
  if (target.m_nCount == 0) return 0;
  if (nIndex < target.m_nLower) rt.Error(L"Index below the lower bound");
  const auto nOffset =
      static_cast<std::size_t>(static_cast<std::int64_t>(nIndex) - target.m_nLower);
  if (nOffset >= target.GetElementCount()) rt.Error(tooBig);
  return nOffset;
}

void CFormulaRuntime::AssignElement(CVdiVar& target, CCodeCursor& cur) {
  const std::int32_t nIndex = IndexOperand(cur, L"INTEGER Vaue missing");
  const std::size_t nOffset = ElementOffset(*this, target, nIndex, L"Index to big");
  m_Context.m_nLastAssignedIndex = nIndex;
  CVdiVar value;
  Evaluate(value, cur);
  StoreConverted(target, value, static_cast<int>(nOffset));
}

void CFormulaRuntime::AssignList(CVdiVar& target, CCodeCursor& cur) {
  const std::int32_t nFirst = IndexOperand(cur, L"INTEGER Vaue missing");
  const std::int32_t nLast = IndexOperand(cur, L"INTEGER Vaue missing");
  ElementOffset(*this, target, nFirst, L"Index #1 too big");
  if (nLast >= nFirst) ElementOffset(*this, target, nLast, L"Index #2 too big");
  Expect(cur, ARRAYSTART, L"Init. list missing");
  for (std::int64_t i = nFirst; i <= nLast; ++i) {
    if (Peek(cur) == ARRAYEND) Error(L"Init. list to short");
    CVdiVar value;
    Evaluate(value, cur);
    const auto nIndex = static_cast<std::int32_t>(i);
    m_Context.m_nLastAssignedIndex = nIndex;
    StoreConverted(target, value,
                   static_cast<int>(ElementOffset(*this, target, nIndex, L"Index #2 too big")));
  }
  Expect(cur, ARRAYEND, L"Init. list to long");
}

void CFormulaRuntime::BindParameter(CVdiVar& param, std::uint32_t nRefId) {
  param.m_nRefId = nRefId;
  ++m_Context.m_nBindingEpoch;
}

void CFormulaRuntime::EvaluateCall(CVdiVar& cell, CCodeCursor& cur, std::size_t nUnits) {
  Reset(cell);
  cell.m_eType = FUNCTION;
  const CString name = FetchText(cur, nUnits);
  CvdiFunction* callee = ListOf(cur).findFunction(name.c_str());
  if (callee == nullptr) Error(Format(L"Function %s not found", name));
  Expect(cur, KLAMMAUF, L"Missing '('");
  PassArguments(*callee, cur);
  EnterFunction(callee);
  RunCallee(*callee, m_Context.m_listFrames.size() - 1, cell);
}

void CFormulaRuntime::PassArguments(CvdiFunction& callee, CCodeCursor& cur) {
  CvdiFunctionList& list = ListOf(cur);
  for (auto& param : callee.m_listParameters) {
    const std::uint16_t word = Peek(cur);
    if (word == KLAMMZU) Error(L"Missing function parameter");
    if (pcode::OpOf(word) == VARVAL) {
      // A plain variable is passed by reference, to its final cell.
      ++cur.m_nPos;
      const std::uint32_t nId = pcode::OperandOf(word);
      const CVdiVar* var = list.FindVarDirect(nId);
      if (var == nullptr) Error(L"Syntax");
      BindParameter(*param, var->m_nRefId != 0 ? var->m_nRefId : nId);
      continue;
    }
    CVdiVar value;
    Evaluate(value, cur);
    const EConvert e = ConvertTo(value, param->m_eType);
    if (e == EConvert::kOutOfRange) Error(L"Value outside the INTEGER range");
    if (e != EConvert::kDone || value.m_eType != param->m_eType) Error(L"Different data types");
    BindParameter(*param, 0);
    param->setValue(value, -1);
  }
  Expect(cur, KLAMMZU, L"Missing ')'");
}

// Runs the callee's statements until its frame ends, at most the call step
// bound; a callee that needs more stays on the stack with cell pending.
void CFormulaRuntime::RunCallee(CvdiFunction& callee, std::size_t nCalleeFrame, CVdiVar& cell) {
  // Under the debugger every call stays pending at once, so that the next
  // steps go through the callee's statements.
  const int nBound = m_Context.m_bDebugMode ? 0 : CFormulaContext::kCallStepBound;
  for (int i = 0; i < nBound; ++i) {
    Step();
    if (m_Context.m_listFrames.size() <= nCalleeFrame) {
      CopyResult(callee, cell);
      return;
    }
  }
}

void CFormulaRuntime::CopyResult(const CvdiFunction& callee, CVdiVar& cell) {
  const CVdiVar& result = callee.m_result;
  if (result.m_nCount != 0) Error(L"Array results can not be returned");
  if (result.m_eType == CHARACTER) {
    cell.setType(CHARACTER, result.m_nLength, 0, 0);
    cell.SetText(result.GetText());
    return;
  }
  Reset(cell);
  cell.m_eType = result.m_eType;
  cell.m_dValue = result.m_dValue;
}
