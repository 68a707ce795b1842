// The text file of the "orvamat formula" commands: a line that is exactly
// "[declarations]" starts a declarations text and a line that is exactly
// "[bodies]" starts a bodies text; each runs to the next such line. Text
// before the first marker is ignored. The sections are handed to the parser
// in file order, as a product's function records are.
#pragma once

#include <string_view>
#include <vector>

#include "OrvaMat/formula.h"

struct CFormulaFileSection {
  bool m_bDeclarations = false;
  CString m_strText;  // lines joined by "\r\n"
};

std::vector<CFormulaFileSection> SplitFormulaFile(std::wstring_view text);

// Feeds every section to the list in order; stops when the error flag is set.
// Returns false when an error was reported.
class CFormulaContext;
bool ParseFormulaSections(CFormulaContext& context, CvdiFunctionList& list,
                          const std::vector<CFormulaFileSection>& sections);
