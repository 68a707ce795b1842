// The list of text lines that line files, the table writer and the VDI
// reader pass around. A vector: callers walk it by index and look ahead one
// line, nobody needs stable positions.
#pragma once

#include <vector>

#include "OrvaMat/types.h"

using CStringList = std::vector<CString>;
