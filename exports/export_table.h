// The table of every exported entry point: ordinal, the name of those
// exported by name, and the address. One row per entry point; an ordinal
// appears once. OrvaMat/exports.h gives hosts OrvaMatProcByOrdinal.
#pragma once

#include <span>

struct CExportEntry {
  unsigned nOrdinal;
  const char* pName;  // null for entries exported by ordinal only
  void* pAddress;
};

// The rows, ordered by ordinal.
std::span<const CExportEntry> GetExportTable();
// The row of that ordinal, or null.
const CExportEntry* FindExport(unsigned nOrdinal);
