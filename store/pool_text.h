// CPoolText: a text of a dataset's string pool as it lies in the arena.
//
// Most catalogue texts hold no character above U+00FF: the pool keeps those
// one byte a character (Latin-1, whose bytes are those code points), and the
// others in wide characters. A pool entry is the text's address with its
// lowest bit set for a one-byte text; every pool text starts on a 4-byte
// boundary, so that bit is free. Readers copy the text out (AssignTo,
// AppendTo); the text lives until its dataset is destroyed.
#pragma once

#include <cstdint>
#include <cstring>
#include <cwchar>
#include <string_view>

#include "OrvaMat/types.h"

class CPoolText {
 public:
  CPoolText() = default;
  explicit CPoolText(std::uintptr_t nEntry) : m_nEntry(nEntry) {}

  static std::uintptr_t NarrowEntry(const char* p) {
    return p == nullptr ? 0 : reinterpret_cast<std::uintptr_t>(p) | 1u;
  }
  static std::uintptr_t WideEntry(const wchar_t* p) { return reinterpret_cast<std::uintptr_t>(p); }
  // Whether every character of the text has a one-byte form.
  static bool FitsNarrow(std::wstring_view text) {
    // One pass without a branch per character: it runs as vector code.
    std::uint32_t nBits = 0;
    for (const wchar_t c : text) nBits |= static_cast<std::uint32_t>(c);
    return nBits <= 0xFF;
  }

  // The one-byte form of a text that FitsNarrow, into dst (no end mark).
  // Neither side is read through the other: the loop runs as vector code.
  static void CopyNarrow(const wchar_t* __restrict src, std::size_t n, char* __restrict dst) {
    for (std::size_t i = 0; i < n; ++i) dst[i] = static_cast<char>(src[i]);
  }
  static void CopyWide(const unsigned char* __restrict src, std::size_t n,
                       wchar_t* __restrict dst) {
    for (std::size_t i = 0; i < n; ++i) dst[i] = static_cast<wchar_t>(src[i]);
  }

  // False for no text (an index outside the pool, or 0).
  explicit operator bool() const { return m_nEntry != 0; }
  std::uintptr_t Entry() const { return m_nEntry; }
  bool IsNarrow() const { return (m_nEntry & 1u) != 0; }
  // Where the text lies (also to ask for it ahead of reading).
  const void* Address() const {
    return reinterpret_cast<const void*>(m_nEntry & ~std::uintptr_t{1});
  }
  const char* Narrow() const { return static_cast<const char*>(Address()); }
  const wchar_t* Wide() const { return static_cast<const wchar_t*>(Address()); }

  // Whether the text has exactly these characters (a null entry is the empty
  // text); a character NUL inside text matches nothing.
  bool Equals(std::wstring_view text) const {
    if (m_nEntry == 0) return text.empty();
    if (!IsNarrow()) return Same(text, Wide());
    return Same(text, reinterpret_cast<const unsigned char*>(Narrow()));
  }
  bool empty() const { return m_nEntry == 0 || (IsNarrow() ? *Narrow() == 0 : *Wide() == 0); }
  std::size_t size() const {
    if (m_nEntry == 0) return 0;
    return IsNarrow() ? std::strlen(Narrow()) : std::wcslen(Wide());
  }

  void AppendTo(CString& out) const {
    if (m_nEntry == 0) return;
    if (!IsNarrow()) {
      out.append(Wide());
      return;
    }
    const std::size_t n = std::strlen(Narrow());
    const std::size_t nAt = out.size();
    out.resize(nAt + n);
    CopyWide(reinterpret_cast<const unsigned char*>(Narrow()), n, out.data() + nAt);
  }
  // The text into out, which keeps its room (empty for no text).
  void AssignTo(CString& out) const {
    out.clear();
    AppendTo(out);
  }
  CString ToString() const {
    CString text;
    AppendTo(text);
    return text;
  }

 private:
  // Stops at the first difference or at the stored terminator, so that a
  // shorter stored text is never read past its end.
  template <class C>
  static bool Same(std::wstring_view text, const C* pStored) {
    for (std::size_t i = 0; i < text.size(); ++i) {
      const auto c = static_cast<std::uint32_t>(pStored[i]);
      if (c != static_cast<std::uint32_t>(text[i]) || c == 0) return false;
    }
    return pStored[text.size()] == 0;
  }
  std::uintptr_t m_nEntry = 0;
};
