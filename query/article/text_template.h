// Pieces of an article's complete text that need no store: the text mode of
// a Textkennzeichen and the filling of "$" placeholders from a D-line template.
#pragma once

#include <cstdint>
#include <string_view>

#include "OrvaMat/types.h"

// The text mode of a Textkennzeichen (field 6 of "ArtikelInfo2"):
// 10, 40 -> 4; 20, 50 -> 5; 30, 60 -> 6; any other value above 10 -> value / 10;
// values up to 10 stay as they are.
int GetTextMode(std::int32_t textMark);

// Fills the "$" placeholders of text from templ: each "$" of the text takes
// the next character of the template. A "$" in the template ends the current
// value: the rest of the current run of "$" in the text becomes blanks and the
// next value starts at the next run. A value that ends exactly with its run
// consumes the template's "$" there; a value longer than its run continues in
// the next run. When the template is used up, every remaining "$" is a blank.
CString FillTextTemplate(std::wstring_view text, std::wstring_view templ);
