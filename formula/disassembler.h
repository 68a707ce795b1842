// The p-code listing of a function: one instruction per line, "offset: NAME
// operands" (offsets in bytes, as jump targets count them). The format is
// stable and documented in docs/pcode.md; tests and "orvamat formula disasm"
// print it. Malformed code ends the listing with a "?" line, never a crash.
#pragma once

#include "OrvaMat/formula.h"

CString DisassembleFunction(const CvdiFunction& f);
