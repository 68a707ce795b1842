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

// Reads the formula file at path (UTF-8, a byte-order mark skipped) and
// parses its sections into list. False, with the reason reported through the
// host UI and context.m_bError set, when the file can not be read, when it
// holds no "[declarations]" or "[bodies]" section, or when the parser
// reported an error. Nothing here throws.
bool LoadFormulaFile(CFormulaContext& context, CvdiFunctionList& list, const CString& path);
