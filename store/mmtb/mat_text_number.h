// Number texts shared by the MMTB reader and writer, so that what one writes
// the other reads back bit for bit.
#pragma once

#include <cstdint>
#include <string_view>

#include "OrvaMat/types.h"

// A float as the writer puts it: the "%g" form when that reads back to the
// same value, else the shortest form that does ("1.2345678", "3.4028235e+38");
// "inf", "-inf" and "nan" for the values without digits.
void AppendFloatText(CString& out, float fValue);
// Converts a number text of ReadFloat ("-1.5", "2e-3", "inf", "nan"); an
// empty or invalid text gives 0, a magnitude beyond the float range infinity.
float ParseFloatText(std::wstring_view text);

// A signed 32-bit value as "%d" writes it.
void AppendIntText(CString& out, std::int32_t nValue);
// The Bit form: "%" and the 32 bits, most significant first.
void AppendBitText(CString& out, std::uint32_t nValue);
