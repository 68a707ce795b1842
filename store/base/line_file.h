// Whole text files as lists of lines.
//
// Code pages are those of platform/code_page.h: 1252, 65001 (UTF-8), 3331
// (the DOS character set of DATANORM files), 3332 (detect from the
// byte-order mark, else UTF-8 when valid, else 1252), and the Windows code
// pages of the languages (CRegUtil::getLanguageCodepage).
#pragma once

#include <string_view>
#include <vector>

#include "OrvaMat/mat_text.h"
#include "OrvaMat/types.h"

namespace qelStrUtil {

// Flag bits of readStringlistFromFile. 0 keeps every line as it is.
enum : int {
  eLinesTrim = 1,       // blanks and tabs at both ends of each line are removed
  eLinesSkipEmpty = 2,  // empty lines (after trimming, with eLinesTrim) are left out
};

// Replaces `list` with the lines of the file at `path`, decoded with
// `codePage`. Lines end at CR LF, LF or a lone CR; the line end is not part
// of the line, and a line end at the very end of the file starts no further
// line. A DOS end-of-file mark (character 26) as the last character is
// dropped. False, with an empty list, when the file can not be read or the
// code page is unknown; an empty file gives true and no lines.
bool readStringlistFromFile(CStringList& list, const CString& path, unsigned codePage, int flag);

// Writes the lines, each followed by CR LF (the line end of the files this
// system exchanges, and the one brace blocks of table texts need), encoded
// with `codePage` (65001 without, 3332 with a UTF-8 byte-order mark). The file
// is replaced atomically: a failed write leaves the old file as it was.
// False when the code page is unknown or the file can not be written.
bool writeStringlistToFile(const CStringList& list, const CString& path, unsigned codePage);

// True when the file starts with a UTF-16 byte-order mark (FF FE or FE FF).
// With `flag` not 0 a UTF-8 byte-order mark (EF BB BF) counts too. False when
// the file can not be read.
bool isUnicodeFile(const CString& path, int flag = 0);

// Splits a text into lines by the rules of readStringlistFromFile.
CStringList SplitLines(std::wstring_view text, int flag);
// The same without flags, as views into text (valid while text is): large
// files are read without a copy of every line. Works on wide texts and on
// bytes of code pages in which CR and LF are single bytes (1252, UTF-8, ...).
template <typename Char>
std::vector<std::basic_string_view<Char>> SplitLineViews(std::basic_string_view<Char> text) {
  constexpr Char kCR = '\r', kLF = '\n', kDosEndOfFile = 26;
  if (!text.empty() && text.back() == kDosEndOfFile) text.remove_suffix(1);
  std::vector<std::basic_string_view<Char>> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = start;
    while (end < text.size() && text[end] != kCR && text[end] != kLF) ++end;
    lines.push_back(text.substr(start, end - start));
    if (end == text.size()) break;
    start = end + ((text[end] == kCR && end + 1 < text.size() && text[end + 1] == kLF) ? 2 : 1);
  }
  return lines;
}

}  // namespace qelStrUtil
