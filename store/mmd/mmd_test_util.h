// Helpers of the database file tests: a fresh folder per test (removed
// afterwards) and small file utilities.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "OrvaMat/types.h"
#include "platform/text.h"

class CTempFolder {
 public:
  CTempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "orvamat-mmd-XXXXXX").string();
    if (mkdtemp(pattern.data())) m_strPath = pattern;
  }
  ~CTempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_strPath, ignored);
  }
  CTempFolder(const CTempFolder&) = delete;
  CTempFolder& operator=(const CTempFolder&) = delete;

  const std::string& Native() const { return m_strPath; }
  CString Path(const std::string& name) const { return FromUtf8(m_strPath + "/" + name); }

 private:
  std::string m_strPath;
};

// Runs body in a forked child and returns its exit status (-1 when it did not
// exit normally). The child ends with _exit so that no test machinery of the
// parent runs twice.
template <typename Body>
int RunInChild(Body body) {
  const pid_t pid = fork();
  if (pid == 0) {
    int code = 99;
    try {
      code = body();
    } catch (...) {
    }
    _exit(code);
  }
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
