// CNameMap: a dataset's map from name text to Handle (m_NameToHandle).
//
// The keys are compared exactly and case-sensitively. A short key (at most
// kInlineChars characters, each below 256, as most article numbers and table
// names are) is kept inside its slot, one byte a character, so that a hit
// costs one memory read instead of two; a longer key is kept as the address
// of the dataset's own arena copy, never copied. Open addressing with linear
// probing; a removed slot keeps probe chains intact until the next rehash.
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
  // Asks for the slot where a look-up of text starts, ahead of the look-up.
  void Prefetch(std::wstring_view text) const {
    if (m_nCapacity != 0) __builtin_prefetch(&m_pSlots[Home(Hash(text))]);
  }

 private:
  static constexpr std::size_t kInlineChars = 15;
  // aKey[15] tells the form: 0x80 | length for a key inside the slot (its
  // characters in aKey[0..14]); 0 for an address in aKey[0..7], where a null
  // address marks an empty slot and Removed() a removed one.
  struct CSlot {
    std::uint32_t nHash;
    Handle hName;
    unsigned char aKey[16];
  };
  // The hash's slot: the hash taken as a fraction of 2^32 times the capacity,
  // so that any capacity serves and every bit of the hash counts.
  std::size_t Home(std::uint32_t nHash) const {
    return static_cast<std::size_t>((std::uint64_t{nHash} * m_nCapacity) >> 32);
  }
  std::size_t Next(std::size_t i) const { return i + 1 == m_nCapacity ? 0 : i + 1; }
  static const wchar_t* Removed();
  static const wchar_t* AddressOf(const CSlot& s);
  static bool IsEmpty(const CSlot& s) { return s.aKey[15] == 0 && AddressOf(s) == nullptr; }
  static bool IsRemoved(const CSlot& s) { return s.aKey[15] == 0 && AddressOf(s) == Removed(); }
  static bool IsUsed(const CSlot& s) { return !IsEmpty(s) && !IsRemoved(s); }
  static void SetKey(CSlot& s, const wchar_t* pText, std::size_t nLength);
  static bool KeyEquals(const CSlot& s, std::wstring_view text);
  std::size_t FindSlot(std::wstring_view text, std::uint32_t nHash) const;
  static std::unique_ptr<CSlot[]> NewSlots(std::size_t nCapacity);
  void Rehash(std::size_t nCapacity);

  std::unique_ptr<CSlot[]> m_pSlots;
  std::size_t m_nCapacity = 0;
  std::size_t m_nCount = 0;
  std::size_t m_nRemoved = 0;
};
