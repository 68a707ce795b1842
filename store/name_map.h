// CNameMap: a dataset's map from name text to Handle (m_NameToHandle).
//
// The keys are the dataset's own arena copies of the texts, compared exactly
// and case-sensitively; the map stores the key's address and hash, never a
// copy. Open addressing with linear probing; a removed slot keeps probe
// chains intact until the next rehash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "OrvaMat/types.h"

class CNameMap {
 public:
  // The handle entered for the text, 0 when none.
  Handle Lookup(std::wstring_view text) const;
  // Enters the text (an arena copy that outlives the entry) for hName. An
  // entry of an equal text is taken over: the later handle wins and the entry
  // then points to the new copy.
  void SetAt(const wchar_t* pText, Handle hName);
  // Removes the text's entry only when it names hName, so that removing an
  // older handle of the same text leaves the newer one findable.
  bool RemoveIf(std::wstring_view text, Handle hName);
  void RemoveAll();
  // Makes room for n entries without growing again (a database file says how
  // many names it holds before they are read). Never shrinks.
  void InitHashTable(std::size_t n);

  std::size_t GetCount() const { return m_nCount; }
  std::size_t GetMemoryBytes() const { return m_nCapacity * sizeof(CSlot); }

  static std::uint32_t Hash(std::wstring_view text);

 private:
  struct CSlot {
    const wchar_t* pText;  // null: empty; Removed(): removed
    std::uint32_t nHash;
    Handle hName;
  };
  static const wchar_t* Removed();
  static bool IsUsed(const CSlot& s) { return s.pText != nullptr && s.pText != Removed(); }
  std::size_t FindSlot(std::wstring_view text, std::uint32_t nHash) const;
  static std::unique_ptr<CSlot[]> NewSlots(std::size_t nCapacity);
  void Rehash(std::size_t nCapacity);

  std::unique_ptr<CSlot[]> m_pSlots;
  std::size_t m_nCapacity = 0;
  std::size_t m_nCount = 0;
  std::size_t m_nRemoved = 0;
};
