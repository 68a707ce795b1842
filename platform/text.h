// Text helpers: UTF-8 conversion (the one place where wide texts meet bytes),
// case folding and trimming as the store compares names.
#pragma once

#include <string>
#include <string_view>

#include "OrvaMat/text.h"
#include "OrvaMat/types.h"

// FromUtf8 (OrvaMat/text.h), appended to out (whose reserved room is used).
void AppendFromUtf8(std::string_view bytes, CString& out);
// ToUtf8, appended to out.
void AppendToUtf8(std::wstring_view text, std::string& out);
// Appends one code point (at most U+10FFFF) in UTF-8.
void AppendUtf8(std::string& out, char32_t cp);
// The number of bytes ToUtf8 makes of text, without making them.
std::size_t Utf8Length(std::wstring_view text);
// True when the bytes are well-formed UTF-8.
bool IsValidUtf8(std::string_view bytes);

// Lower and upper case of one character and of a text (Latin-1 and Latin
// Extended-A letters fold as well as ASCII, so "Ä" and "ä" compare equal;
// ToUpper and EqualsNoCase are in OrvaMat/text.h).
wchar_t ToLowerChar(wchar_t c);
wchar_t ToUpperChar(wchar_t c);
CString ToLower(std::wstring_view text);

CString TrimLeft(std::wstring_view text);
CString TrimRight(std::wstring_view text);
CString Trim(std::wstring_view text);
