#include "formula/formula_file.h"

#include "formula/fortran_parser.h"

std::vector<CFormulaFileSection> SplitFormulaFile(std::wstring_view text) {
  std::vector<CFormulaFileSection> sections;
  std::size_t nPos = 0;
  while (nPos <= text.size()) {
    std::size_t nEnd = text.find(L'\n', nPos);
    if (nEnd == std::wstring_view::npos) nEnd = text.size();
    std::wstring_view line = text.substr(nPos, nEnd - nPos);
    if (!line.empty() && line.back() == L'\r') line.remove_suffix(1);
    if (line == L"[declarations]" || line == L"[bodies]") {
      sections.push_back({line == L"[declarations]", {}});
    } else if (!sections.empty()) {
      CString& body = sections.back().m_strText;
      if (!body.empty()) body += L"\r\n";
      body += line;
    }
    nPos = nEnd + 1;
  }
  return sections;
}

bool ParseFormulaSections(CFormulaContext& context, CvdiFunctionList& list,
                          const std::vector<CFormulaFileSection>& sections) {
  context.m_bError = false;
  for (const CFormulaFileSection& section : sections) {
    CFortranParser parser(context, list);
    if (section.m_bDeclarations) {
      parser.Declarations(section.m_strText.c_str());
    } else {
      parser.Bodies(section.m_strText.c_str());
    }
    if (context.m_bError) return false;
  }
  return true;
}
