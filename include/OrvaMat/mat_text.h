// The MMTB text format seen from a host: the list of lines that
// CMatManager::WriteTableText (ordinal 113) fills. Grammar: docs/mmtb.md.
#pragma once

#include <vector>

#include "OrvaMat/types.h"

// Lines of text without their line ends, in order (the table writer's
// output, and what line files and the readers pass around). A line may hold a
// CR LF inside a quoted multi-line text. A vector: callers walk it by index
// and look ahead one line; nobody needs stable positions.
using CStringList = std::vector<CString>;
