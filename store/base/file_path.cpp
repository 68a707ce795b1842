#include "store/base/file_path.h"

#include <vector>

namespace {

bool IsSeparator(wchar_t c) { return c == L'/' || c == L'\\'; }

bool HasDrive(std::wstring_view path) {
  return path.size() >= 2 && path[1] == L':' &&
         ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'));
}

}  // namespace

CFilePath::CFilePath(std::wstring_view path) {
  m_strPath.reserve(path.size());
  for (wchar_t c : path) {
    if (!IsSeparator(c))
      m_strPath += c;
    else if (m_strPath.empty() || m_strPath.back() != L'/')
      m_strPath += L'/';
  }
  if (m_strPath.size() > 1 && m_strPath.back() == L'/') m_strPath.pop_back();
}

bool CFilePath::IsAbsolute() const {
  return (!m_strPath.empty() && m_strPath[0] == L'/') || HasDrive(m_strPath);
}

CString CFilePath::GetFolder() const {
  std::size_t slash = m_strPath.rfind(L'/');
  if (slash == CString::npos) return CString();
  return slash == 0 ? CString(L"/") : m_strPath.substr(0, slash);
}

CString CFilePath::GetFileName() const {
  std::size_t slash = m_strPath.rfind(L'/');
  return slash == CString::npos ? m_strPath : m_strPath.substr(slash + 1);
}

CFilePath CFilePath::Normalized() const {
  const bool rooted = !m_strPath.empty() && m_strPath[0] == L'/';
  std::vector<std::wstring_view> parts;
  std::wstring_view rest = m_strPath;
  while (!rest.empty()) {
    std::size_t slash = rest.find(L'/');
    std::wstring_view part = rest.substr(0, slash);
    rest = slash == std::wstring_view::npos ? std::wstring_view() : rest.substr(slash + 1);
    if (part.empty() || part == L".") continue;
    if (part != L"..")
      parts.push_back(part);
    else if (!parts.empty() && parts.back() != L"..")
      parts.pop_back();
    else if (!rooted)
      parts.push_back(part);
  }
  CString result = rooted ? L"/" : L"";
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) result += L'/';
    result.append(parts[i]);
  }
  if (result.empty() && !m_strPath.empty()) result = L".";
  return CFilePath(result);
}

CFilePath operator^(const CFilePath& left, const CFilePath& right) {
  if (left.IsEmpty()) return right;
  if (right.IsEmpty()) return left;
  CString joined = left.GetPath();
  joined += L'/';
  joined += right.GetPath();
  return CFilePath(joined);  // collapses the doubled separator after a root "/"
}
