#include "store/base/line_file.h"

#include <string>

#include "platform/code_page.h"
#include "platform/file.h"
#include "platform/text.h"

namespace qelStrUtil {

namespace {

constexpr wchar_t kDosEndOfFile = 26;

void AddLine(CStringList& list, std::wstring_view line, int flag) {
  CString text = (flag & eLinesTrim) ? Trim(line) : CString(line);
  if ((flag & eLinesSkipEmpty) && text.empty()) return;
  list.push_back(std::move(text));
}

}  // namespace

CStringList SplitLines(std::wstring_view text, int flag) {
  if (!text.empty() && text.back() == kDosEndOfFile) text.remove_suffix(1);
  CStringList list;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of(L"\r\n", start);
    if (end == std::wstring_view::npos) {
      AddLine(list, text.substr(start), flag);
      break;
    }
    AddLine(list, text.substr(start, end - start), flag);
    start = end + ((text[end] == L'\r' && end + 1 < text.size() && text[end + 1] == L'\n') ? 2 : 1);
  }
  return list;
}

bool readStringlistFromFile(CStringList& list, const CString& path, unsigned codePage, int flag) {
  list.clear();
  std::string bytes;
  CString text;
  if (!ReadWholeFile(path, bytes) || !DecodeText(bytes, codePage, text)) return false;
  list = SplitLines(text, flag);
  return true;
}

bool writeStringlistToFile(const CStringList& list, const CString& path, unsigned codePage) {
  CString text;
  for (const CString& line : list) {
    text += line;
    text += L"\r\n";
  }
  std::string bytes;
  return EncodeText(text, codePage, bytes) && WriteFileAtomically(path, bytes);
}

bool isUnicodeFile(const CString& path, int flag) {
  CFile file;
  unsigned char head[3] = {0, 0, 0};
  if (!file.Open(path, CFile::eRead) || file.Read(head, sizeof head) < 2) return false;
  if ((head[0] == 0xFF && head[1] == 0xFE) || (head[0] == 0xFE && head[1] == 0xFF)) return true;
  return flag != 0 && head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF;
}

}  // namespace qelStrUtil
