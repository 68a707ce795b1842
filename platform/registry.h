// The current user's settings, in place of the Windows registry: one INI-style
// UTF-8 file, $ORVAMAT_HOME/registry.ini (default $XDG_CONFIG_HOME/orvamat,
// else ~/.config/orvamat). Sections are the key paths ("Software\\...\\MMD"),
// values keep their names ("Datensatz1"). Every write replaces the whole file
// atomically (temporary file, fsync, rename), so a crash leaves the old or the
// new file, never a torn one. The file is read again on every call: several
// processes may share it.
#pragma once

#include <map>
#include <optional>

#include "OrvaMat/types.h"

class CRegistryFile {
 public:
  // The file in the folder ORVAMAT_HOME names (see above).
  static CString DefaultPath();
  explicit CRegistryFile(CString path = DefaultPath());

  std::optional<CString> GetString(const CString& key, const CString& value) const;
  bool SetString(const CString& key, const CString& value, const CString& data);
  bool DeleteValue(const CString& key, const CString& value);
  bool DeleteKey(const CString& key);
  // All values of a key, by name (empty when the key does not exist).
  std::map<CString, CString> GetValues(const CString& key) const;

  const CString& GetPath() const { return m_strPath; }

 private:
  CString m_strPath;
};
