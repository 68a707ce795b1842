// The p-code listing of a function: one instruction per line, "offset: NAME
// operands" (offsets in bytes, as jump targets count them). The format is
// stable and documented in docs/pcode.md; tests and "orvamat formula disasm"
// print it. Malformed code ends the listing with a "?" line, never a crash.
#pragma once

#include <vector>

#include "OrvaMat/formula.h"

CString DisassembleFunction(const CvdiFunction& f);

// The words of the instruction at nPos (at least 1; it may reach past the end
// of malformed code, which the caller checks).
std::size_t InstructionWords(const std::vector<std::uint16_t>& code, std::size_t nPos);

// The source lines of a function, in the order of its SRCLINE instructions
// up to its first END, and the line number of the first (0 when none).
std::vector<CString> SourceLinesOf(const CvdiFunction& f, int& nFirstLine);
