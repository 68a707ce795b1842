// CTempFolder: a fresh folder under $TMPDIR (or /tmp) for a test, removed with
// everything in it when the object goes. Test support only.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "OrvaMat/types.h"
#include "platform/text.h"

class CTempFolder {
 public:
  CTempFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/orvamat-XXXXXX";
    if (::mkdtemp(pattern.data())) m_strPath = FromUtf8(pattern);
  }
  ~CTempFolder() {
    std::error_code ignored;
    if (!m_strPath.empty()) std::filesystem::remove_all(ToUtf8(m_strPath), ignored);
  }
  CTempFolder(const CTempFolder&) = delete;
  CTempFolder& operator=(const CTempFolder&) = delete;

  // Empty when the folder could not be made.
  const CString& GetPath() const { return m_strPath; }
  // The path of name inside the folder.
  CString operator/(const CString& name) const { return m_strPath + L"/" + name; }

 private:
  CString m_strPath;
};
