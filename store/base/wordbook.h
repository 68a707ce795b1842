// Word books: the translations of the German source texts into one language.
//
// A word book is a UTF-8 file named "<name>.<LANGUAGE>.wordbook" (for example
// "heizung.ENGLISH.wordbook"); a UTF-8 byte-order mark at its start is
// allowed. Each line holds one entry:
//
//   source<TAB>translation
//
// Lines end with LF or CR LF. Both columns use the escapes "\t" (tab), "\n"
// (line feed), "\r" (carriage return) and "\\" (backslash), so that message
// texts of several lines, such as "In der Datei %s\r\nfehlt ...", fit on one
// line. Skipped without notice: lines without a TAB (so free text can serve
// as a comment), lines with more than one unescaped TAB, lines with an
// unknown escape or a lone backslash at the end, and lines whose source or
// translation is empty.
#pragma once

#include <string_view>
#include <utility>
#include <vector>

#include "OrvaMat/types.h"

using CWordbookEntries = std::vector<std::pair<CString, CString>>;

// The file-name suffix of word books for `language`: ".<language>.wordbook".
CString WordbookSuffix(std::wstring_view language);

// Parses the bytes of one word book and appends its entries in file order.
// Returns the number of entries appended.
int ParseWordbook(std::string_view bytes, CWordbookEntries& entries);

// Undoes the escapes of one column; false for an unknown escape.
bool UnescapeWordbookText(std::wstring_view text, CString& out);
