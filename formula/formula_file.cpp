#include "formula/formula_file.h"

#include "formula/formula_context.h"
#include "formula/fortran_parser.h"
#include "platform/file.h"
#include "platform/text.h"
#include "store/base/message.h"

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

bool LoadFormulaFile(CFormulaContext& context, CvdiFunctionList& list, const CString& path) {
  std::string bytes;
  CString error;
  // Read through the platform's file calls: a folder, a device or a read
  // error is a reported failure, never an exception out of a stream.
  if (!ReadWholeFile(path, bytes, &error)) {
    ShowMessage(MB_OK | MB_ICONERROR, L"Die Formeldatei kann nicht gelesen werden: %s", error);
    context.m_bError = true;
    return false;
  }
  CString text = FromUtf8(bytes);
  if (!text.empty() && text[0] == 0xFEFF) text.erase(0, 1);
  const std::vector<CFormulaFileSection> sections = SplitFormulaFile(text);
  if (sections.empty()) {
    ShowMessage(MB_OK | MB_ICONERROR,
                L"%s enthält keinen Funktionstext (keine Zeile [declarations] oder [bodies]).",
                path);
    context.m_bError = true;
    return false;
  }
  list.m_strLocation = path;
  return ParseFormulaSections(context, list, sections);
}
