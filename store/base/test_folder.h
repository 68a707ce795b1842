// A fresh temporary folder for one test, removed with everything in it when
// the object goes. Test code only.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#include "OrvaMat/types.h"
#include "platform/text.h"

class CTestFolder {
 public:
  CTestFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "orvamat-base-XXXXXX").string();
    if (::mkdtemp(pattern.data())) m_strPath = pattern;
  }
  ~CTestFolder() {
    std::error_code ignored;
    if (!m_strPath.empty()) std::filesystem::remove_all(m_strPath, ignored);
  }
  CTestFolder(const CTestFolder&) = delete;
  CTestFolder& operator=(const CTestFolder&) = delete;

  CString GetPath() const { return FromUtf8(m_strPath); }
  CString File(const char* name) const { return FromUtf8(m_strPath + "/" + name); }

 private:
  std::string m_strPath;
};
