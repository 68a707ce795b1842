// The current user's settings, in place of the Windows registry: one INI-style
// UTF-8 file, $ORVAMAT_HOME/registry.ini (when ORVAMAT_HOME is not set:
// $XDG_CONFIG_HOME/orvamat/registry.ini, else ~/.config/orvamat/registry.ini).
// Sections are the key paths ("Software\\...\\MMD"), values keep their names
// ("Datensatz1"). Key paths and value names compare case-insensitively, as
// the registry does; the spelling first written is kept.
//
// The file:
//   [<key path>]
//   <value name>=<data>
// Lines are separated by LF (a CR before it is ignored); lines starting with
// ';' or '#' and lines without '=' are skipped on reading and dropped by the
// next write; blanks are part of names and data. Any text round-trips because
// these characters are written as '%' and two upper-case hex digits:
//   everywhere:      '%', the control characters U+0000..U+001F and U+007F
//                    (so a newline in data is "%0A");
//   in key paths:    '[' and ']';
//   in value names:  '=', '[', ']', ';' and '#'.
// Reading turns every "%XX" back; a '%' not followed by two hex digits stays.
//
// Every write replaces the whole file atomically (WriteFileAtomically), so a
// crash leaves the old or the new file, never a torn one; the folder is
// created on the first write. Writers of several processes are serialized by
// an exclusive lock on "<file>.lock" beside it, so no update is lost. The file
// is read again on every call: other objects and processes see each write.
#pragma once

#include <optional>
#include <utility>
#include <vector>

#include "OrvaMat/types.h"

class CRegistryFile {
 public:
  using CValueList = std::vector<std::pair<CString, CString>>;

  // The file in the folder ORVAMAT_HOME names (see above).
  static CString DefaultPath();
  explicit CRegistryFile(CString path = DefaultPath());

  // The data of a value; nothing when the key or the value does not exist.
  std::optional<CString> GetString(const CString& key, const CString& value) const;
  // Creates the key and the value as needed; false when the file could not be
  // read or written.
  bool SetString(const CString& key, const CString& value, const CString& data);
  // All values of a key in the order they were first written, which is the
  // order a list ("Datensatz1", "Datensatz2", ...) is enumerated in.
  CValueList GetValueList(const CString& key) const;
  // Replaces all values of a key by values, in one write (creates the key).
  bool ReplaceValues(const CString& key, const CValueList& values);

  const CString& GetPath() const { return m_strPath; }

 private:
  CString m_strPath;
};
