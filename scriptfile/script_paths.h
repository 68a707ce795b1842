// Paths named in script files, and the process's current folder while a
// script runs.
//
// Scripts are written on Windows as often as here, so a backslash in a path
// is a separator (as everywhere in CFilePath). A path is absolute when it
// starts with a separator or its second character is ":" (a drive, kept as
// text; such a path names no file here unless one is called so). Any other
// path is relative to the folder of the script file that names it, never to
// the process's current folder.
#pragma once

#include <filesystem>

#include "OrvaMat/types.h"

// The file that given names, seen from the script file at scriptPath:
// normalised, with "/" separators. Empty when given is empty.
CString ResolveScriptPath(const CString& scriptPath, const CString& given);

// path made absolute against the process's current folder and normalised
// (text only; the file need not exist).
CString MakeAbsolutePath(const CString& path);

// Makes folder the process's current folder for its lifetime and restores
// the previous one however the scope is left. When the folder can not be
// entered the current folder stays as it is; when the previous folder can
// not be read (it was deleted) nothing is restored.
class CCurrentFolderScope {
 public:
  explicit CCurrentFolderScope(const CString& folder);
  ~CCurrentFolderScope();
  CCurrentFolderScope(const CCurrentFolderScope&) = delete;
  CCurrentFolderScope& operator=(const CCurrentFolderScope&) = delete;

 private:
  std::filesystem::path m_Previous;
  bool m_bChanged = false;
};
