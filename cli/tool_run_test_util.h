// Runs the built orvamat tool as a user does: in a fresh folder that is also
// its settings folder, stdout and stderr caught. Test code only.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

struct CToolRun {
  int nExit = -1;
  std::string strOut;
  std::string strErr;
};

class CToolFolder {
 public:
  CToolFolder() {
    char pattern[] = "/tmp/orvamat-tool-XXXXXX";
    m_Path = ::mkdtemp(pattern);
  }
  ~CToolFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_Path, ignored);
  }
  CToolFolder(const CToolFolder&) = delete;
  CToolFolder& operator=(const CToolFolder&) = delete;

  const std::filesystem::path& Path() const { return m_Path; }
  static std::string Read(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  // args go to a shell as they stand, after the setup command.
  CToolRun Run(const std::string& args, const std::string& setup = "true") const {
    const std::string command = "cd '" + m_Path.string() + "' && " + setup + " && ORVAMAT_HOME='" +
                                m_Path.string() + "' ORVAMAT_LANGUAGE= '" ORVAMAT_BINARY "' " +
                                args + " >out.txt 2>err.txt";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Read(m_Path / "out.txt"),
            Read(m_Path / "err.txt")};
  }

 private:
  std::filesystem::path m_Path;
};
