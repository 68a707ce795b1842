// CNameMap: a dataset's map from name text to Handle (m_NameToHandle).
//
// The keys are compared exactly and case-sensitively. A short key (at most
// kInlineChars characters, each below 256, as most article numbers and table
// names are) is kept inside its slot, one byte a character, so that a hit
// costs one memory read instead of two; a longer key is kept as the pool
// entry (CPoolText, one byte a character when it can be) of the dataset's own
// arena copy, never copied. Open addressing with linear probing over any
// number of slots; a removed slot keeps probe chains intact until the next
// rehash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "OrvaMat/types.h"
#include "store/pool_text.h"

class CNameMap {
 public:
  // The handle entered for the text, 0 when none.
  Handle Lookup(std::wstring_view text) const;
  // Enters text for hName; copy is the dataset's arena copy of it, which
  // outlives the entry. An entry of an equal text is taken over: the later
  // handle wins and the entry then points to the new copy.
  void SetAt(std::wstring_view text, CPoolText copy, Handle hName);

  // Where an absent text would be entered, as a look-up found it: a name
  // made right after its look-up missed (an import's new article numbers)
  // then costs one hash and one probe run instead of two. Good only while
  // the map is unchanged, which the stamp tells.
  struct CMiss {
    const CNameMap* pMap = nullptr;
    std::uint64_t nStamp = 0;
    std::uint32_t nHash = 0;
    std::size_t nSlot = 0;  // the first removed or empty slot of the probe run
  };
  // Lookup, and on a miss where the text would go.
  Handle Lookup(std::wstring_view text, CMiss& miss) const;
  // SetAt of the very text whose look-up gave miss.
  void SetAtMiss(std::wstring_view text, CPoolText copy, Handle hName, const CMiss& miss);
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
  // characters in aKey[0..14]); 0 for a pool entry in aKey[0..7], where a
  // null entry marks an empty slot and Removed() a removed one.
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
  static std::uintptr_t Removed();
  static std::uintptr_t EntryOf(const CSlot& s);
  static bool IsEmpty(const CSlot& s) { return s.aKey[15] == 0 && EntryOf(s) == 0; }
  static bool IsRemoved(const CSlot& s) { return s.aKey[15] == 0 && EntryOf(s) == Removed(); }
  static bool IsUsed(const CSlot& s) { return !IsEmpty(s) && !IsRemoved(s); }
  static void SetKey(CSlot& s, std::wstring_view text, CPoolText copy);
  static bool KeyEquals(const CSlot& s, std::wstring_view text);
  std::size_t FindSlot(std::wstring_view text, std::uint32_t nHash) const;
  static std::unique_ptr<CSlot[]> NewSlots(std::size_t nCapacity);
  void Rehash(std::size_t nCapacity);

  std::unique_ptr<CSlot[]> m_pSlots;
  std::size_t m_nCapacity = 0;
  std::size_t m_nCount = 0;
  std::size_t m_nRemoved = 0;
  std::uint64_t m_nStamp = 0;  // counts the changes of the slots (CMiss)
};
