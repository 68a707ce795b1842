// CvdiFunction and CvdiFunctionList: ownership, lookups and the per-list
// variable registry. Ids are handed out per list, so the 12-bit ids of the
// p-code stay valid however many lists a process builds over its life.
#include "OrvaMat/formula.h"
#include "formula/decoded_code.h"
#include "formula/fortran_scanner.h"
#include "platform/text.h"

using CVdiVar = CvdiFunction::CVdiVar;

CvdiFunction::CvdiFunction() = default;
CvdiFunction::~CvdiFunction() = default;

namespace {

CVdiVar* FindByName(const std::vector<std::unique_ptr<CVdiVar>>& list, std::wstring_view name) {
  for (const auto& p : list) {
    if (p->m_strName == name) return p.get();
  }
  return nullptr;
}

}  // namespace

CVdiVar* CvdiFunction::FindParameter(std::wstring_view name) const {
  return FindByName(m_listParameters, name);
}

CVdiVar* CvdiFunction::FindLocal(std::wstring_view name) const {
  return FindByName(m_listLocals, name);
}

CvdiFunctionList::CvdiFunctionList() { CFortranScanner::InitKeywordTable(); }

CvdiFunctionList::~CvdiFunctionList() = default;

CvdiFunction* CvdiFunctionList::findFunction(const wchar_t* name) {
  if (name == nullptr) return nullptr;
  for (const auto& f : m_listFunctions) {
    if (EqualsNoCase(f->m_strName, name)) return f.get();
  }
  return nullptr;
}

std::uint32_t CvdiFunctionList::RegisterVar(CVdiVar* pVar) {
  if (m_listVars.empty()) m_listVars.push_back(nullptr);  // id 0: temporaries
  if (m_listVars.size() > kMaxVarId) return 0;
  const auto nId = static_cast<std::uint32_t>(m_listVars.size());
  m_listVars.push_back(pVar);
  pVar->m_nId = nId;
  return nId;
}

void CvdiFunctionList::UnregisterVar(std::uint32_t nId) {
  if (nId != 0 && nId < m_listVars.size()) m_listVars[nId] = nullptr;
}
