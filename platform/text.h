// Text helpers: UTF-8 conversion (the one place where wide texts meet bytes),
// case folding and trimming as the store compares names.
#pragma once

#include <string>
#include <string_view>

#include "OrvaMat/types.h"

// UTF-8 to wide text; an invalid sequence becomes U+FFFD, never an error.
CString FromUtf8(std::string_view bytes);
// The same, appended to out (whose reserved room is used).
void AppendFromUtf8(std::string_view bytes, CString& out);
// Wide text to UTF-8; a lone surrogate or a value outside Unicode becomes U+FFFD.
std::string ToUtf8(std::wstring_view text);
// The same, appended to out.
void AppendToUtf8(std::wstring_view text, std::string& out);
// The number of bytes ToUtf8 makes of text, without making them.
std::size_t Utf8Length(std::wstring_view text);
// The longest start of text whose UTF-8 form has at most nMaxBytes bytes,
// cut between characters (a surrogate pair stays whole).
std::wstring_view CutToUtf8Length(std::wstring_view text, std::size_t nMaxBytes);
// True when the bytes are well-formed UTF-8.
bool IsValidUtf8(std::string_view bytes);

// Lower and upper case of one character and of a text (Latin-1 and Latin
// Extended-A letters fold as well as ASCII, so "Ä" and "ä" compare equal).
wchar_t ToLowerChar(wchar_t c);
wchar_t ToUpperChar(wchar_t c);
CString ToLower(std::wstring_view text);
CString ToUpper(std::wstring_view text);
bool EqualsNoCase(std::wstring_view a, std::wstring_view b);

CString TrimLeft(std::wstring_view text);
CString TrimRight(std::wstring_view text);
CString Trim(std::wstring_view text);
