// Small text helpers for separated lines and cutting texts at a character.
//
// Fields are counted from 1, as the record layouts count them ("field 3 of
// the sheet's text"): field 1 is the text before the first separator, field n
// the text after separator n-1 up to the next one or the end. A text with k
// separators has k+1 fields, empty ones included; an empty text has one empty
// field for GetSubStr but none for separatedStringToArray (an empty line holds
// no values). An index below 1 or beyond the last field names no field.
//
// No function keeps a reference to its arguments; none throws.
#pragma once

#include <string_view>

#include "OrvaMat/mat_text.h"
#include "OrvaMat/types.h"

namespace qelStrUtil {

// Field `index` of `text`; empty when there is no such field.
CString GetSubStr(std::wstring_view text, int index, wchar_t separator);
// The same, but tells whether the field exists; out is empty when it does not.
bool substr(std::wstring_view text, int index, wchar_t separator, CString& out);

// A text is cut at one occurrence of c into a left part and a right part
// (c belongs to neither). Without c the whole text is the left part and the
// right part is empty.
CString SubStrLeftFromLastOccurence(std::wstring_view text, wchar_t c);
CString SubStrRightFromLastOccurence(std::wstring_view text, wchar_t c);
CString SubStrRightFromFirstOccurence(std::wstring_view text, wchar_t c);

// Replaces every occurrence of `find` in `text`, scanning left to right and
// never re-reading replaced text. Returns the number of replacements; an empty
// `find` replaces nothing.
int FindAndReplace(CString& text, std::wstring_view find, std::wstring_view replace);

// All fields of `text` (see above), in order.
CStringList separatedStringToArray(std::wstring_view text, wchar_t separator);

}  // namespace qelStrUtil
