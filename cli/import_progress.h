// What the import commands (import datanorm, import vdi) share: the
// "import" command group, the options and run of an import into a database
// file, and the progress of the files being read.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "OrvaMat/import.h"

// The "import" group of the application, made by the first command that
// asks for it.
CLI::App* ImportCommandGroup(CLI::App& app);

// The options of every import into a database file.
struct CFileImportOptions {
  std::vector<std::string> files;
  std::string mmd;
  std::string id;
  bool salvage = false;
  bool enter = false;  // --register, where the command offers it
};

// Adds FILE... (files of the kind named), --mmd, --id (a new file's ID is
// pNewID unless given) and --salvage to an import command.
void AddFileImportOptions(CLI::App& command, CFileImportOptions& options, const char* pKind,
                          const char* pNewID);

// Runs an import into a database file as every import command does: the
// files and the target from the options (a new file gets pNewID unless an
// ID is given), the progress on stderr, the summary on stdout. 0 when every
// file was read and the database file saved.
using CRunFileImport =
    std::function<bool(const std::vector<CString>& files, const CImportTarget& target,
                       const CFileImportProgress& progress, CFileImportResult& result)>;
int RunFileImport(const CFileImportOptions& options, const char* pNewID, const CRunFileImport& run);

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
