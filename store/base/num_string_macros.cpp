#include "store/base/num_string_macros.h"

namespace {

CNumStringMacros* g_pInstalled = nullptr;
// Generations are drawn from one counter, so two tables never share one.
std::uint64_t g_nLastGeneration = 0;

}  // namespace

CNumStringMacros::CNumStringMacros() : m_nGeneration(++g_nLastGeneration) {}

bool CNumStringMacros::Define(std::wstring_view name, std::wstring_view value) {
  if (name.empty()) return false;
  auto it = m_Macros.find(name);
  if (it == m_Macros.end())
    m_Macros.emplace(CString(name), CString(value));
  else
    it->second.assign(value);
  m_nGeneration = ++g_nLastGeneration;
  return true;
}

bool CNumStringMacros::Undefine(std::wstring_view name) {
  auto it = m_Macros.find(name);
  if (it == m_Macros.end()) return false;
  m_Macros.erase(it);
  m_nGeneration = ++g_nLastGeneration;
  return true;
}

bool CNumStringMacros::IsKnown(std::wstring_view name) const {
  return m_Macros.find(name) != m_Macros.end();
}

const CString* CNumStringMacros::Find(std::wstring_view name) const {
  auto it = m_Macros.find(name);
  return it == m_Macros.end() ? nullptr : &it->second;
}

void CNumStringMacros::Clear() {
  m_Macros.clear();
  m_nGeneration = ++g_nLastGeneration;
}

CNumStringMacros& CNumStringMacros::Current() {
  static CNumStringMacros s_Process;
  return g_pInstalled ? *g_pInstalled : s_Process;
}

CScopedNumStringMacros::CScopedNumStringMacros(CNumStringMacros& macros)
    : m_pPrevious(g_pInstalled) {
  g_pInstalled = &macros;
}

CScopedNumStringMacros::~CScopedNumStringMacros() { g_pInstalled = m_pPrevious; }
