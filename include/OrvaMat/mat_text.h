// The MMTB text format seen from a host: the list of lines that
// CMatManager::WriteTableText (ordinal 113) fills. Grammar: docs/mmtb.md.
#pragma once

#include <vector>

#include "OrvaMat/types.h"

// Lines of text without their line ends, in order. A line may hold a CR LF
// inside a quoted multi-line text.
using CStringList = std::vector<CString>;
