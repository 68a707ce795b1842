#include "store/base/line_file.h"

#include <string>

#include "platform/code_page.h"
#include "platform/file.h"
#include "platform/text.h"

namespace qelStrUtil {

namespace {

void AddLine(CStringList& list, std::wstring_view line, int flag) {
  CString text = (flag & eLinesTrim) ? Trim(line) : CString(line);
  if ((flag & eLinesSkipEmpty) && text.empty()) return;
  list.push_back(std::move(text));
}

}  // namespace

CStringList SplitLines(std::wstring_view text, int flag) {
  CStringList list;
  for (const std::wstring_view line : SplitLineViews(text)) AddLine(list, line, flag);
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
