// The companion files of a database file. A path too short for the rule
// (or a folder name holding the last ".") still gets a name beside the file,
// never one that replaces part of a folder.
#include "store/mmd/mmd_format.h"

namespace {

std::size_t NameStart(const CString& path) {
  const std::size_t slash = path.find_last_of(L'/');
  return slash == CString::npos ? 0 : slash + 1;
}

}  // namespace

CString MmdTempPath(const CString& path) {
  if (path.size() <= NameStart(path)) return path + L"$";
  return path.substr(0, path.size() - 1) + L"$";
}

CString MmdBackupPath(const CString& path) {
  if (path.size() < NameStart(path) + 4) return path + L".bak";
  return path.substr(0, path.size() - 3) + L"bak";
}

CString MmdLockPath(const CString& path) {
  const std::size_t dot = path.find_last_of(L'.');
  if (dot == CString::npos || dot < NameStart(path)) return path + L".$$mmd";
  return path.substr(0, dot) + L".$$mmd";
}
