// CHandleNames: a dataset's map from handle to its name's pool entry
// (m_HandleToName, see CPoolText).
//
// A dataset makes its handles by counting, so that an import's hundreds of
// thousands of names are one run of consecutive handles. The run is kept as
// an array indexed by handle: eight bytes a name, and one memory read a
// look-up. Handles outside it (names of a database file after a wide gap,
// names of an earlier run) go to a row map beside it. The run starts with
// the first handle entered, or where Reserve says, and takes every later
// handle that continues it after a gap of at most kMaxGap handles whose
// slots stay empty, and any handle within the room reserved: a database
// file's names, which come in any order and with a few removed between
// them, still make one run, while names that lie far apart cost no more
// than a row map.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "OrvaMat/row_map.h"
#include "OrvaMat/types.h"

class CHandleNames {
 public:
  static constexpr std::size_t kMaxGap = 64;

  // Enters or replaces the handle's entry (not 0).
  void SetAt(Handle h, std::uintptr_t nEntry);
  // True and the handle's entry when the handle has a name.
  bool Lookup(Handle h, std::uint64_t& word) const {
    const std::uint32_t nAt = h - m_hFirst;
    if (nAt < m_Run.size()) {
      word = m_Run[nAt];
      return word != 0;
    }
    return m_Others.Lookup(h, word);
  }
  // True when the handle had a name and has none now.
  bool RemoveKey(Handle h);
  void RemoveAll();
  // Makes room for n more names in the run, and lets the run take any
  // handle up to n past its end. A map without names starts its run at
  // hFirst (the first handle the dataset counts out).
  void Reserve(Handle hFirst, std::size_t n);

  std::size_t GetCount() const { return m_nRunCount + m_Others.GetCount(); }
  bool IsEmpty() const { return GetCount() == 0; }
  std::size_t GetMemoryBytes() const {
    return m_Run.capacity() * sizeof(std::uintptr_t) + m_Others.GetMemoryBytes();
  }
  // Calls f(h, entry) for every name: the run in handle order, then the rest.
  template <typename F>
  void ForEachRow(F&& f) const {
    for (std::size_t i = 0; i < m_Run.size(); ++i)
      if (m_Run[i] != 0) f(static_cast<Handle>(m_hFirst + i), std::uint64_t{m_Run[i]});
    m_Others.ForEachRow(f);
  }

 private:
  Handle m_hFirst = 0;                // the run's first handle
  std::vector<std::uintptr_t> m_Run;  // entry of handle m_hFirst + i, 0: no name
  std::size_t m_nRunCount = 0;        // the run's names
  std::size_t m_nReach = 0;           // the run takes any handle below m_hFirst + m_nReach
  CRowMap m_Others;                   // names outside the run
};
