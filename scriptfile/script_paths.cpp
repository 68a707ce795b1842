#include "scriptfile/script_paths.h"

#include <system_error>

#include "platform/text.h"
#include "store/base/file_path.h"

CString ResolveScriptPath(const CString& scriptPath, const CString& given) {
  if (given.empty()) return CString();
  const CFilePath path(given);
  if (path.IsAbsolute()) return path.Normalized().GetPath();
  return (CFilePath(CFilePath(scriptPath).GetFolder()) ^ path).Normalized().GetPath();
}

CString MakeAbsolutePath(const CString& path) {
  const CFilePath given(path);
  if (given.IsAbsolute()) return given.Normalized().GetPath();
  std::error_code error;
  const std::filesystem::path current = std::filesystem::current_path(error);
  if (error) return given.Normalized().GetPath();
  return (CFilePath(FromUtf8(current.string())) ^ given).Normalized().GetPath();
}

CCurrentFolderScope::CCurrentFolderScope(const CString& folder) {
  std::error_code error;
  m_Previous = std::filesystem::current_path(error);
  if (error || folder.empty()) return;
  std::filesystem::current_path(ToUtf8(folder), error);
  m_bChanged = !error;
}

CCurrentFolderScope::~CCurrentFolderScope() {
  if (!m_bChanged) return;
  std::error_code ignored;
  std::filesystem::current_path(m_Previous, ignored);
}
