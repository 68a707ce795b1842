// Texts between the library and a host: the library keeps wide texts, files
// and terminals see UTF-8. Names of tables, rows and functions compare
// without regard to case.
#pragma once

#include <string>
#include <string_view>

#include "OrvaMat/types.h"

// UTF-8 to wide text; an invalid sequence becomes U+FFFD, never an error.
ORVAMAT_API CString FromUtf8(std::string_view bytes);
// Wide text to UTF-8; a lone surrogate or a value outside Unicode becomes U+FFFD.
ORVAMAT_API std::string ToUtf8(std::wstring_view text);
// Upper case as the store compares names.
ORVAMAT_API CString ToUpper(std::wstring_view text);
// Equal without regard to case, as names are compared.
ORVAMAT_API bool EqualsNoCase(std::wstring_view a, std::wstring_view b);
