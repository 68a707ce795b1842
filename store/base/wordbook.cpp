#include "store/base/wordbook.h"

#include "platform/text.h"

CString WordbookSuffix(std::wstring_view language) {
  CString suffix = L".";
  suffix.append(language);
  suffix.append(L".wordbook");
  return suffix;
}

bool UnescapeWordbookText(std::wstring_view text, CString& out) {
  out.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != L'\\') {
      out += text[i];
      continue;
    }
    if (++i == text.size()) return false;
    switch (text[i]) {
      case L't':
        out += L'\t';
        break;
      case L'n':
        out += L'\n';
        break;
      case L'r':
        out += L'\r';
        break;
      case L'\\':
        out += L'\\';
        break;
      default:
        return false;
    }
  }
  return true;
}

namespace {

bool ParseEntry(std::wstring_view line, CString& source, CString& translation) {
  std::size_t tab = line.find(L'\t');
  if (tab == std::wstring_view::npos || line.find(L'\t', tab + 1) != std::wstring_view::npos)
    return false;
  return UnescapeWordbookText(line.substr(0, tab), source) &&
         UnescapeWordbookText(line.substr(tab + 1), translation) && !source.empty() &&
         !translation.empty();
}

}  // namespace

int ParseWordbook(std::string_view bytes, CWordbookEntries& entries) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  CString text = FromUtf8(bytes);
  std::wstring_view rest = text;
  int count = 0;
  while (!rest.empty()) {
    std::size_t end = rest.find(L'\n');
    std::wstring_view line = rest.substr(0, end);
    rest = end == std::wstring_view::npos ? std::wstring_view() : rest.substr(end + 1);
    if (!line.empty() && line.back() == L'\r') line.remove_suffix(1);
    CString source;
    CString translation;
    if (!ParseEntry(line, source, translation)) continue;
    entries.emplace_back(std::move(source), std::move(translation));
    ++count;
  }
  return count;
}
