// Runs the built orvamat tool as a user does: in a fresh folder that is also
// its settings folder, stdout and stderr caught. Test code only.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

// Whether text holds part.
inline bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

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
  // The bytes of a file of the folder, and a file of it written.
  std::string Contents(const std::string& name) const { return Read(m_Path / name); }
  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(m_Path / name, std::ios::binary) << bytes;
  }
  // args go to a shell as they stand, after the setup command; args that
  // redirect stdout themselves keep their redirection.
  CToolRun Run(const std::string& args, const std::string& setup = "true") const {
    const std::string command = "cd '" + m_Path.string() + "' && " + setup + " && ORVAMAT_HOME='" +
                                m_Path.string() + "' ORVAMAT_LANGUAGE= '" ORVAMAT_BINARY "' " +
                                args + (args.find('>') == std::string::npos ? " >out.txt" : "") +
                                " 2>err.txt";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Contents("out.txt"), Contents("err.txt")};
  }
  // Runs args and checks the exit status and the whole of stdout.
  void ExpectRun(const std::string& args, int nExit, const std::string& out) const {
    const CToolRun run = Run(args);
    EXPECT_EQ(run.nExit, nExit) << args << "\n" << run.strErr;
    EXPECT_EQ(run.strOut, out) << args;
  }

 private:
  std::filesystem::path m_Path;
};
