// CFilePath: a file or folder path as a text, joined with operator^.
//
// Paths are kept with '/' as the separator. A backslash in the input is read
// as a separator too: data files and scripts written on Windows name files
// as "BMP\\pumpe.bmp", and they must find the same file here. Runs of
// separators collapse into one, and a trailing separator is dropped (except
// for the root "/"). A drive prefix such as "C:" is kept as text; it marks
// the path as absolute but means nothing to this system.
#pragma once

#include <string_view>

#include "OrvaMat/types.h"

class CFilePath {
 public:
  CFilePath() = default;
  CFilePath(std::wstring_view path);  // NOLINT: a path is written as a text
  CFilePath(const wchar_t* path) : CFilePath(std::wstring_view(path ? path : L"")) {}

  const CString& GetPath() const { return m_strPath; }
  operator const CString&() const { return m_strPath; }
  bool IsEmpty() const { return m_strPath.empty(); }
  // Starts with '/' or with a drive prefix ("C:").
  bool IsAbsolute() const;

  // Everything before the last separator: "a/b/c.txt" -> "a/b", "/c" -> "/",
  // "c.txt" -> "".
  CString GetFolder() const;
  // Everything after the last separator: "a/b/c.txt" -> "c.txt".
  CString GetFileName() const;

  // The same path with "." parts removed and "name/.." pairs resolved, as
  // text only (no file system access). ".." that climbs above the start of a
  // relative path is kept; above the root it is dropped.
  CFilePath Normalized() const;

 private:
  CString m_strPath;
};

// Joins two paths with exactly one separator between them: "a/" ^ "/b" and
// "a" ^ "b" both give "a/b". An empty side gives the other side. The right
// side is appended even when it is absolute; callers join relative names.
CFilePath operator^(const CFilePath& left, const CFilePath& right);
