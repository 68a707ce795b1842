// A table and its subtree as a host sees them (OrvaMat/database_file.h):
// names, types, values per row, row counts and flags, no rows read.
#pragma once

#include "OrvaMat/database_file.h"

class CMatTable;

CTableSummary SummarizeTable(const CMatTable& table);
