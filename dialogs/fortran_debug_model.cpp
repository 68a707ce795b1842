// The formula debugger's decisions: which function is shown, its source
// lines, stepping the run with the view following the current line, the
// cell assigned last, and the watches.
#include <cwctype>

#include "OrvaMat/dialogs.h"
#include "formula/disassembler.h"
#include "formula/formula_runtime.h"
#include "platform/format.h"
#include "platform/text.h"

namespace {

using CVdiVar = CvdiFunction::CVdiVar;

// The text of one element (or the scalar); DOUBLE, which the watches of the
// system did not show, shows as REAL does.
CString ValueText(const CVdiVar& cell, std::size_t k) {
  const bool bArray = cell.m_nCount != 0;
  switch (cell.m_eType) {
    case INTEGER:
      return Format(L"%d",
                    bArray ? static_cast<const std::int32_t*>(cell.GetData())[k] : cell.m_nValue);
    case LOGICAL: {
      const std::int32_t n =
          bArray ? static_cast<const std::int32_t*>(cell.GetData())[k] : cell.m_nValue;
      return n != 0 ? L".TRUE." : L".FALSE.";
    }
    case REAL:
      return Format(L"%f", bArray ? static_cast<const float*>(cell.GetData())[k] : cell.m_fValue);
    case DOUBLE:
      return Format(L"%f", bArray ? static_cast<const double*>(cell.GetData())[k] : cell.m_dValue);
    case CHARACTER:
      return CString(cell.GetText(k));
    default:
      return {};
  }
}

bool IsNameChar(wchar_t c) { return std::iswalnum(static_cast<wint_t>(c)) != 0 || c == L'_'; }

}  // namespace

CFortranDebugModel::CFortranDebugModel(CFormulaRuntime& runtime, CvdiFunctionList* list,
                                       CvdiFunction* f)
    : m_Runtime(runtime), m_pList(list), m_pFunction(f) {
  if (m_pList != nullptr) {
    for (const auto& pFunction : m_pList->m_listFunctions) {
      m_Names.push_back(pFunction->m_strName);
      m_Functions.push_back(pFunction.get());
    }
  }
  Show(f);
}

CString CFortranDebugModel::GetTitle() const {
  return Format(L"%s [%s|%s]", m_pFunction != nullptr ? m_pFunction->m_strName : CString(),
                m_pList != nullptr ? m_pList->m_strParentTableName : CString(),
                m_pList != nullptr ? m_pList->m_strTableName : CString());
}

void CFortranDebugModel::Show(CvdiFunction* f) {
  m_pShown = f;
  m_nShown = -1;
  for (std::size_t i = 0; i < m_Functions.size(); ++i)
    if (m_Functions[i] == f) m_nShown = static_cast<int>(i);
  m_Lines = f != nullptr ? SourceLinesOf(*f, m_nFirstLine) : std::vector<CString>{};
  m_nTopLine = m_nFirstLine;
}

void CFortranDebugModel::ShowFunction(int i) {
  if (i < 0 || i >= static_cast<int>(m_Functions.size())) return;
  Show(m_Functions[std::size_t(i)]);
  // No run under way: stepping starts the function shown.
  if (m_Runtime.GetContext().m_listFrames.empty()) {
    try {
      m_Runtime.EnterFunction(m_pShown);
    } catch (const CFortranError&) {
      m_Runtime.GetContext().m_listFrames.clear();
    }
  }
}

CString CFortranDebugModel::GetSourceLine(int n) const {
  const long long k = static_cast<long long>(n) - m_nFirstLine;
  return k >= 0 && k < static_cast<long long>(m_Lines.size()) ? m_Lines[std::size_t(k)] : CString();
}

int CFortranDebugModel::GetCurrentLine() const {
  return m_Runtime.GetContext().m_listFrames.empty() ? 0
                                                     : m_Runtime.GetContext().m_scanner.GetLine();
}

CFortranDebugModel::eStep CFortranDebugModel::Step() {
  CFormulaContext& ctx = m_Runtime.GetContext();
  if (ctx.m_listFrames.empty()) return eStep::kEnded;
  const CVdiVar* pAssigned = ctx.m_pLastAssigned;
  const int nAssignedIndex = ctx.m_nLastAssignedIndex;
  const std::size_t nFrames = ctx.m_listFrames.size();
  const CvdiFunction* pFrameFunction = ctx.m_listFrames.back().m_pFunction;
  try {
    m_Runtime.Step();
  } catch (const CFortranError&) {
    // Shown by the error report already; the run is over.
    ctx.m_listFrames.clear();
    return eStep::kError;
  }
  if (ctx.m_pLastAssigned != nullptr &&
      (ctx.m_pLastAssigned != pAssigned || ctx.m_nLastAssignedIndex != nAssignedIndex)) {
    const CVdiVar& cell = *ctx.m_pLastAssigned;
    if (ctx.m_nLastAssignedIndex != 0)
      m_strLastAssigned = Format(L"%s(%d)", cell.m_strName, ctx.m_nLastAssignedIndex);
    else if (!cell.m_strName.empty())
      m_strLastAssigned = cell.m_strName;
  }
  if (ctx.m_listFrames.empty()) return eStep::kEnded;
  if (ctx.m_listFrames.size() == nFrames && ctx.m_listFrames.back().m_pFunction == pFrameFunction) {
    const int nLine = GetCurrentLine();
    while (nLine + 2 >= m_nTopLine + m_nVisible) ++m_nTopLine;
    if (nLine < m_nTopLine) m_nTopLine = nLine;
  } else {
    // A call was entered or a function returned: its source is shown.
    Show(ctx.m_listFrames.back().m_pFunction);
  }
  return eStep::kGoesOn;
}

void CFortranDebugModel::Watch(const CString& typed, CString& name, CString& value) const {
  name.clear();
  value.clear();
  std::size_t i = typed.find_first_not_of(L' ');
  if (i == CString::npos || m_pShown == nullptr) return;
  const std::size_t nStart = i;
  while (i < typed.size() && IsNameChar(typed[i])) ++i;
  const CString wanted = ToUpper(std::wstring_view(typed).substr(nStart, i - nStart));
  if (wanted.empty()) return;
  bool bIndexed = false;
  long long nIndex = 0;
  if (i < typed.size() && typed[i] == L'(') {
    bIndexed = true;
    for (++i; i < typed.size() && typed[i] >= L'0' && typed[i] <= L'9' && nIndex < 1'000'000'000;
         ++i)
      nIndex = nIndex * 10 + (typed[i] - L'0');
  }
  // The function's own name (its result), its parameters, its locals.
  const CVdiVar* pCell = nullptr;
  CString shownName = wanted;
  if (ToUpper(m_pShown->m_strName) == wanted) {
    pCell = &m_pShown->m_result;
    shownName = m_pShown->m_strName;
  }
  for (const auto* pList : {&m_pShown->m_listParameters, &m_pShown->m_listLocals}) {
    for (const auto& pVar : *pList) {
      if (pCell == nullptr && ToUpper(pVar->m_strName) == wanted) {
        pCell = pVar.get();
        shownName = pVar->m_strName;
      }
    }
  }
  if (pCell == nullptr) return;
  // A parameter passed by reference shows the caller's cell.
  if (pCell->m_nRefId != 0 && m_pShown->m_pList != nullptr) {
    if (const CVdiVar* pTarget = m_pShown->m_pList->FindVarDirect(pCell->m_nRefId)) pCell = pTarget;
  }
  if (pCell->m_nCount != 0) {
    const long long k = nIndex - pCell->m_nLower;
    if (!bIndexed || k < 0 || k >= pCell->m_nCount || std::size_t(k) >= pCell->GetElementCount())
      return;
    name = Format(L"%s(%d)", shownName, static_cast<int>(nIndex));
    value = ValueText(*pCell, std::size_t(k));
    return;
  }
  name = shownName;
  value = ValueText(*pCell, 0);
}
