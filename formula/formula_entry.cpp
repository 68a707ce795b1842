// The exported entry points: they reach the one process-wide formula context.
#include "OrvaMat/formula.h"
#include "formula/formula_runtime.h"
#include "formula/fortran_parser.h"

void CvdiFunctionList::scanAndParseFunctionDeclarations(const wchar_t* text) {
  CFortranParser(CFormulaContext::Process(), *this).Declarations(text);
}

void CvdiFunctionList::scanAndParseFunctions(const wchar_t* text) {
  CFortranParser(CFormulaContext::Process(), *this).Bodies(text);
}

bool CvdiFortran::runFunction(CvdiFunction* f, VdiRecordPosition* pos) {
  return CFormulaRuntime(CFormulaContext::Process()).Run(f, pos);
}

void CvdiFortran::setDebugMode(bool on) { CFormulaContext::Process().m_bDebugMode = on; }

void CvdiFortran::showDebuger(CvdiFunctionList* list, CvdiFunction* f) {
  if (f == nullptr || (list != nullptr && f->m_pList != list)) return;
  CFormulaContext& ctx = CFormulaContext::Process();
  const bool bDebugMode = ctx.m_bDebugMode;
  ctx.m_bDebugMode = true;
  CFormulaRuntime(ctx).Run(f, nullptr);
  ctx.m_bDebugMode = bDebugMode;
}

bool FormulaErrorFlag() { return CFormulaContext::Process().m_bError; }

void ClearFormulaErrorFlag() { CFormulaContext::Process().m_bError = false; }
