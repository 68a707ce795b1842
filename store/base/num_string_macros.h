// The macro table of the number evaluator: "#define NAME value" in table
// texts and scripts puts a macro here, number expressions expand it (grammar:
// docs/numstring.md).
//
// The exported CNumString statics work on one process-wide table, reached
// through CNumStringMacros::Current(). It is an ordinary object so that tests
// and tools can install a fresh one for a scope (CScopedNumStringMacros).
#pragma once

#include <cstdint>
#include <map>
#include <string_view>

#include "OrvaMat/types.h"

class CNumStringMacros {
 public:
  CNumStringMacros();

  // Defines or redefines a macro; any non-empty name is kept ("#ifdef" asks
  // for words that are not identifiers), but only identifiers can be used in
  // an expression. Returns false, and changes nothing, for an empty name.
  bool Define(std::wstring_view name, std::wstring_view value);
  // Removes a macro; false when it was not defined.
  bool Undefine(std::wstring_view name);
  bool IsKnown(std::wstring_view name) const;
  // The macro's text, or null. Valid until the table next changes.
  const CString* Find(std::wstring_view name) const;
  void Clear();
  std::size_t GetCount() const { return m_Macros.size(); }
  // Changes on every change of the table and differs between tables, so an
  // evaluated result can tell that it is stale.
  std::uint64_t GetGeneration() const { return m_nGeneration; }

  // The process-wide table (the one installed last, else a static one).
  static CNumStringMacros& Current();

 private:
  friend class CScopedNumStringMacros;
  std::map<CString, CString, std::less<>> m_Macros;
  std::uint64_t m_nGeneration;
};

// Makes `macros` the process-wide table for its lifetime and restores the
// previous one afterwards. The caller keeps ownership of `macros`.
class CScopedNumStringMacros {
 public:
  explicit CScopedNumStringMacros(CNumStringMacros& macros);
  ~CScopedNumStringMacros();
  CScopedNumStringMacros(const CScopedNumStringMacros&) = delete;
  CScopedNumStringMacros& operator=(const CScopedNumStringMacros&) = delete;

 private:
  CNumStringMacros* m_pPrevious;
};
