// What the import commands (import datanorm, import vdi) share: the
// "import" command group and the progress of the files being read.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

#include <CLI/CLI.hpp>

// The "import" group of the application, made by the first command that
// asks for it.
CLI::App* ImportCommandGroup(CLI::App& app);

// Progress of one file: a bar redrawn on a terminal, otherwise one line per
// step, flushed at once so that the log of an import that is stopped shows
// how far it came.
class CProgressLine {
 public:
  explicit CProgressLine(bool terminal) : m_bTerminal(terminal) {}

  // The clock of a file runs from the end of the one before (the first: from
  // the start of the import), not from its first report, which comes only
  // after thousands of lines and made the first rate absurd.
  void Show(const std::string& file, std::size_t line, std::size_t lines);
  // After a file's last report.
  void FileDone();

 private:
  using CClock = std::chrono::steady_clock;

  bool m_bTerminal;
  std::string m_strFile;
  bool m_bFileDone = true;
  CClock::time_point m_Start = CClock::now();
};
