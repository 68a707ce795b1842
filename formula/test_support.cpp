#include "formula/test_support.h"

#include "formula/fortran_parser.h"
#include "formula/pcode.h"

CFormulaTest::CFormulaTest() {
  m_context.m_fnTicks = [this] { return m_nTicks; };
}

void CFormulaTest::Declare(const wchar_t* text) {
  CFortranParser(m_context, m_list).Declarations(text);
}

void CFormulaTest::Bodies(const wchar_t* text) { CFortranParser(m_context, m_list).Bodies(text); }

void CFormulaTest::RemoveFunction(const wchar_t* name) {
  auto& list = m_list.m_listFunctions;
  for (auto it = list.begin(); it != list.end(); ++it) {
    CvdiFunction& f = **it;
    if (f.m_strName != name) continue;
    m_list.UnregisterVar(f.m_result.m_nId);
    for (auto& p : f.m_listParameters) m_list.UnregisterVar(p->m_nId);
    for (auto& p : f.m_listLocals) m_list.UnregisterVar(p->m_nId);
    list.erase(it);
    return;
  }
}

CvdiFunction* CFormulaTest::Compile(const CString& header, const CString& body) {
  RemoveFunction(L"F");
  m_context.m_bError = false;
  m_nTicks += 1000;  // a new case: never suppressed as a repeat of the last report
  const CString text = header + L"\r\n" + body + L"END FUNCTION F\r\n";
  Bodies(text.c_str());
  return m_list.findFunction(L"F");
}

bool CFormulaTest::Run(CvdiFunction* f) { return m_runtime.Run(f, nullptr); }

CString CFormulaTest::LastMessage() const {
  const CString text = m_ui.LastText();
  const auto n = text.find(L"Message: ");
  if (n == CString::npos) return L"";
  const auto e = text.find(L"\r\n", n);
  return text.substr(n + 9, e - n - 9);
}

CvdiFunction::CVdiVar& CFormulaTest::Local(CvdiFunction* f, const wchar_t* name) {
  CvdiFunction::CVdiVar* var = f->FindLocal(name);
  if (var == nullptr) var = f->FindParameter(name);
  EXPECT_NE(var, nullptr) << "no variable named";
  static CvdiFunction::CVdiVar none;
  return var != nullptr ? *var : none;
}

std::vector<std::uint16_t> CFormulaTest::CodeWithoutSourceLines(const CvdiFunction& f) const {
  std::vector<std::uint16_t> words;
  const auto& code = f.m_code;
  for (std::size_t i = 0; i < code.size();) {
    if (code[i] == SRCLINE && i + 2 < code.size()) {
      i += 3u + code[i + 2];
      continue;
    }
    words.push_back(code[i++]);
  }
  return words;
}
