// What one cell read gives and what one cell write takes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "OrvaMat/types.h"

// A cell read: the 32-bit cell, for a one-value text row the hint where its
// pool text lies (CMatDatenSatz::TextCellWord), and for text cells
// (StringArray, StrLine) the text, which lives in the dataset's arena.
struct CCell {
  std::uint32_t m_nValue = 0;
  std::uint32_t m_nTextHint = 0;
  const wchar_t* m_pText = nullptr;
};

// A cell write: a 32-bit value (a handle, an integer, a float's bits) or a
// text (String, UniString, StringArray, StrLine and String fields of Struct
// tables). A null text is allowed where the table's rules say what it means.
struct CCellInput {
  static constexpr std::size_t kUnknownLength = ~std::size_t{0};

  static CCellInput Value(std::uint32_t n) { return CCellInput{false, n, nullptr}; }
  static CCellInput Text(const wchar_t* p) { return CCellInput{true, 0, p}; }
  // A text whose length the writer knows: it is not counted again.
  static CCellInput Text(const CString& text) {
    return CCellInput{true, 0, text.c_str(), text.size()};
  }
  // The same for a view, which needs no end mark: every writer takes the
  // text through TextView. An empty view is an empty text, as an empty
  // CString is.
  static CCellInput Text(std::wstring_view text) {
    return CCellInput{true, 0, text.data() != nullptr ? text.data() : L"", text.size()};
  }

  std::wstring_view TextView() const {
    if (m_pText == nullptr) return {};
    return m_nLength == kUnknownLength ? std::wstring_view(m_pText)
                                       : std::wstring_view(m_pText, m_nLength);
  }

  bool m_bText;
  std::uint32_t m_nValue;
  const wchar_t* m_pText;
  std::size_t m_nLength = kUnknownLength;
};

// One field of a Struct row and its new value.
struct CFieldInput {
  int m_nField;
  CCellInput m_Value;
};

// A row word that holds the address of a cell array or a Struct block.
template <typename T>
T* WordToPointer(std::uint64_t word) {
  return reinterpret_cast<T*>(static_cast<std::uintptr_t>(word));
}
inline std::uint64_t PointerToWord(const void* p) { return reinterpret_cast<std::uintptr_t>(p); }

// Struct block: [0] sub-row count r, then r x n cells.
inline std::uint32_t BlockRowCount(const std::uint32_t* pBlock) { return pBlock ? pBlock[0] : 0; }
inline std::uint64_t BlockBytes(std::uint64_t nRows, std::uint64_t nFields) {
  return 4 + nRows * nFields * 4;
}
