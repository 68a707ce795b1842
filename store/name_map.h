// CNameMap: a dataset's map from name text to Handle (m_NameToHandle).
//
// The keys are compared exactly and case-sensitively. A slot holds the
// text's hash and its handle, no more: the text itself is the handle's name
// in the dataset's handle map (handle -> pool entry, CPoolText), which every
// handle entered here has. A catalogue's few hundred thousand names then
// cost eight bytes a slot instead of a second copy of each text; a look-up
// reads the text only when a slot's hash matches. Open addressing with
// linear probing over any number of slots; a removed slot keeps probe
// chains intact until the next rehash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "OrvaMat/types.h"
#include "store/handle_names.h"

class CNameMap {
 public:
  // names: the handle map the slots' handles are read through; it outlives
  // the name map, and every handle entered here has its text there first.
  explicit CNameMap(const CHandleNames& names) : m_Names(names) {}
  CNameMap(const CNameMap&) = delete;
  CNameMap& operator=(const CNameMap&) = delete;

  // The handle entered for the text, 0 when none.
  Handle Lookup(std::wstring_view text) const;
  // Enters text for hName (not 0), whose name in the handle map is text up
  // to a NUL inside it. An entry of an equal text is taken over: the later
  // handle wins.
  void SetAt(std::wstring_view text, Handle hName);

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
  void SetAtMiss(std::wstring_view text, Handle hName, const CMiss& miss);
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
  // An empty slot has handle 0 and hash 0, a removed one handle 0 and hash 1.
  struct CSlot {
    std::uint32_t nHash;
    Handle hName;
  };
  // The hash's slot: the hash taken as a fraction of 2^32 times the capacity,
  // so that any capacity serves and every bit of the hash counts.
  std::size_t Home(std::uint32_t nHash) const {
    return static_cast<std::size_t>((std::uint64_t{nHash} * m_nCapacity) >> 32);
  }
  std::size_t Next(std::size_t i) const { return i + 1 == m_nCapacity ? 0 : i + 1; }
  static bool IsEmpty(const CSlot& s) { return s.hName == 0 && s.nHash == 0; }
  static bool IsRemoved(const CSlot& s) { return s.hName == 0 && s.nHash == 1; }
  static bool IsUsed(const CSlot& s) { return s.hName != 0; }
  // Whether the slot's handle is named text.
  bool KeyEquals(const CSlot& s, std::wstring_view text) const;
  std::size_t FindSlot(std::wstring_view text, std::uint32_t nHash) const;
  // The first removed or empty slot from the hash's home.
  std::size_t FreeSlot(std::uint32_t nHash) const;
  static std::unique_ptr<CSlot[]> NewSlots(std::size_t nCapacity);
  void Rehash(std::size_t nCapacity);

  const CHandleNames& m_Names;
  std::unique_ptr<CSlot[]> m_pSlots;
  std::size_t m_nCapacity = 0;
  std::size_t m_nCount = 0;
  std::size_t m_nRemoved = 0;
  std::uint64_t m_nStamp = 0;  // counts the changes of the slots (CMiss)
};
