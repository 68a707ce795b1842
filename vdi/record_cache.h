// CFortranVdiCache: the record lists of product functions. For a parent
// record table it lists, per record type, the numbers of its child records
// in the children's stored order, so that VDIERSTER, VDILETZTER, VDIFOLGE,
// VDIVORHER and VDIINDEXEXIST answer by one hash look-up instead of walking
// the children at every step.
//
// A child's name splits at its first "-" into the type prefix ("710_01")
// and the record number (read as a decimal integer; "03" is 3). Children
// whose number is below 1 are left out; of several children with one
// number under one prefix the first counts (the look-up by name also finds
// the first), so that next and previous never lead in a circle.
//
// Lists are built on first use of a parent and built again when the
// parent's dataset reports a change of its table tree (its tree stamp, see
// store/child_name_index.h) or the parent's child count changed. The map is
// keyed by the parent's address, but an entry is trusted only with the
// stamp of the dataset the parent belongs to now: a table made where a
// destroyed one lay never finds the old lists. One thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string_view>
#include <unordered_map>

#include "OrvaMat/mat_table.h"

// The neighbours of one record number in stored order (0: none).
struct CFortranVdiCacheTableIndexInfo {
  std::int32_t m_nNext = 0;
  std::int32_t m_nPrevious = 0;
};

// The index map hashes a number as the Park-Miller minimal standard step
// (16807 n mod 2^31 - 1): record numbers are small and dense, and the step
// spreads them over the buckets.
struct CRecordNumberHash {
  std::size_t operator()(std::int32_t n) const {
    const std::uint64_t m = 2147483647u;
    return static_cast<std::size_t>(16807u * (static_cast<std::uint64_t>(n) & 0xFFFFFFFFu) % m);
  }
};

// The records of one type under one parent.
class CFortranVdiCacheTable {
 public:
  // Appends a number in stored order; false (nothing changed) when it is
  // below 1 or listed already.
  bool Add(std::int32_t n);

  std::int32_t GetFirst() const { return m_nFirst; }
  std::int32_t GetLast() const { return m_nLast; }
  // 0 for n = 0, a number not listed, and at the ends of the list.
  std::int32_t GetNext(std::int32_t n) const;
  std::int32_t GetPrevious(std::int32_t n) const;
  bool Exists(std::int32_t n) const { return n != 0 && m_Index.contains(n); }
  std::size_t GetCount() const { return m_Index.size(); }

 private:
  std::int32_t m_nFirst = 0;
  std::int32_t m_nLast = 0;
  std::unordered_map<std::int32_t, CFortranVdiCacheTableIndexInfo, CRecordNumberHash> m_Index;
};

class CFortranVdiCache {
 public:
  // The records of type prefix (a child name's part before its first "-",
  // such as "710_01") below parent; null when the parent has none.
  const CFortranVdiCacheTable* Find(const CMatTable& parent, std::wstring_view prefix);

  // Forgets every list.
  void Clear() { m_Parents.clear(); }
  // Parents whose lists are held (valid or waiting to be rebuilt).
  std::size_t GetParentCount() const { return m_Parents.size(); }
  // How often lists were built, for tests of when they are rebuilt.
  std::uint64_t GetBuildCount() const { return m_nBuilds; }

  // Held lists of parents are dropped all at once beyond this many: parents
  // of datasets long closed would otherwise be kept for the whole process.
  static constexpr std::size_t kMaxParents = 100000;

 private:
  struct CParentLists {
    std::uint64_t m_nTreeStamp = 0;
    std::size_t m_nChildCount = 0;
    std::map<CString, CFortranVdiCacheTable, std::less<>> m_Types;
  };
  void Build(const CMatTable& parent, CParentLists& lists);

  std::unordered_map<const CMatTable*, CParentLists> m_Parents;
  std::uint64_t m_nBuilds = 0;
};
