// The companion files of a database file. A path too short for the rule
// (or a folder name holding the last ".") still gets a name beside the file,
// never one that replaces part of a folder.
#include "store/mmd/mmd_format.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>

#include "platform/file.h"
#include "platform/text.h"

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

CString MmdDamagedPath(const CString& path) {
  const std::size_t dot = path.find_last_of(L'.');
  const CString stem = dot == CString::npos || dot < NameStart(path) ? path : path.substr(0, dot);
  CString candidate = stem + L".damaged.mmd";
  for (int n = 2; FileExists(candidate) && n < 1000; ++n)
    candidate = stem + L".damaged-" + std::to_wstring(n) + L".mmd";
  return candidate;
}

CString ResolveDatabasePath(const CString& path) {
  // Links are followed one step at a time (a link to a file that is not
  // there yet has no real path), at most as often as the system would.
  CString current = path;
  for (int hops = 0; hops < 40; ++hops) {
    char target[PATH_MAX];
    const ssize_t n = readlink(ToUtf8(current).c_str(), target, sizeof target - 1);
    if (n <= 0) break;
    const CString next = FromUtf8(std::string(target, std::size_t(n)));
    current = !next.empty() && next[0] == L'/' ? next : GetFolderOf(current) + L"/" + next;
  }
  return current;
}

CString WhyDatabasePathRefused(const CString& path) {
  if (path.empty()) return L"Kein Pfad für die Materialmanagement-Datei angegeben.";
  for (const CString& companion : {MmdTempPath(path), MmdBackupPath(path), MmdLockPath(path)})
    if (companion == path)
      return path +
             L": dieser Name ist einer Hilfsdatei vorbehalten (Sperr-, Sicherungs- "
             L"oder temporäre Datei) und kann keine Materialmanagement-Datei sein.";
  return {};
}
