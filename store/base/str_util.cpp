#include "store/base/str_util.h"

namespace qelStrUtil {

bool substr(std::wstring_view text, int index, wchar_t separator, CString& out) {
  out.clear();
  if (index < 1) return false;
  std::size_t start = 0;
  for (int field = 1; field < index; ++field) {
    std::size_t next = text.find(separator, start);
    if (next == std::wstring_view::npos) return false;
    start = next + 1;
  }
  std::size_t end = text.find(separator, start);
  out.assign(
      text.substr(start, end == std::wstring_view::npos ? std::wstring_view::npos : end - start));
  return true;
}

CString GetSubStr(std::wstring_view text, int index, wchar_t separator) {
  CString field;
  substr(text, index, separator, field);
  return field;
}

CString SubStrLeftFromLastOccurence(std::wstring_view text, wchar_t c) {
  std::size_t at = text.rfind(c);
  return CString(at == std::wstring_view::npos ? text : text.substr(0, at));
}

CString SubStrRightFromLastOccurence(std::wstring_view text, wchar_t c) {
  std::size_t at = text.rfind(c);
  return at == std::wstring_view::npos ? CString() : CString(text.substr(at + 1));
}

CString SubStrRightFromFirstOccurence(std::wstring_view text, wchar_t c) {
  std::size_t at = text.find(c);
  return at == std::wstring_view::npos ? CString() : CString(text.substr(at + 1));
}

int FindAndReplace(CString& text, std::wstring_view find, std::wstring_view replace) {
  if (find.empty()) return 0;
  int count = 0;
  CString result;
  std::size_t start = 0;
  for (std::size_t at = text.find(find); at != CString::npos; at = text.find(find, start)) {
    result.append(text, start, at - start);
    result.append(replace);
    start = at + find.size();
    ++count;
  }
  if (count == 0) return 0;
  result.append(text, start, CString::npos);
  text = std::move(result);
  return count;
}

CStringList separatedStringToArray(std::wstring_view text, wchar_t separator) {
  CStringList fields;
  if (text.empty()) return fields;
  std::size_t start = 0;
  for (;;) {
    std::size_t next = text.find(separator, start);
    if (next == std::wstring_view::npos) break;
    fields.emplace_back(text.substr(start, next - start));
    start = next + 1;
  }
  fields.emplace_back(text.substr(start));
  return fields;
}

}  // namespace qelStrUtil
