#include "import_progress.h"

#include <unistd.h>

#include <cstdio>

#include "run_report.h"

#include "OrvaMat/text.h"

CLI::App* ImportCommandGroup(CLI::App& app) {
  auto named = app.get_subcommands([](CLI::App* sub) { return sub->get_name() == "import"; });
  return !named.empty() ? named.front()
                        : app.add_subcommand("import", "Import product data into a dataset");
}

void AddFileImportOptions(CLI::App& command, CFileImportOptions& options, const char* pKind,
                          const char* pNewID) {
  command.add_option("FILE", options.files, std::string(pKind) + " files, read in this order")
      ->required();
  command.add_option("--mmd", options.mmd, "database file (made when missing)")->required();
  command.add_option("--id", options.id,
                     std::string("manufacturer ID (4 characters): of a new dataset (default ") +
                         pNewID + "), or checked against an existing one");
  command.add_flag("--salvage", options.salvage,
                   "a damaged database file may be saved over; the damaged file is kept beside it");
}

int RunFileImport(const CFileImportOptions& options, const char* pNewID,
                  const CRunFileImport& run) {
  std::vector<CString> files;
  for (const std::string& file : options.files) files.push_back(FromUtf8(file));
  CImportTarget target;
  target.strPath = FromUtf8(options.mmd);
  target.strID = FromUtf8(options.id);
  target.strNewID = FromUtf8(pNewID);
  target.bSalvage = options.salvage;
  target.bRegister = options.enter;
  CProgressLine progress(::isatty(STDERR_FILENO) != 0);
  const auto start = std::chrono::steady_clock::now();
  CFileImportResult result;
  const bool done = run(
      files, target,
      [&](std::size_t file, std::size_t line, std::size_t lines) {
        progress.Show(options.files[file], line, lines);
      },
      result);
  if (result.bRefusedDamaged) ReportSalvageHint();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%s: %d of %zu files, %zu lines in %.2f s (%.0f lines/s)%s\n", options.mmd.c_str(),
              result.nFilesRead, options.files.size(), result.nLines, seconds,
              seconds > 0 ? static_cast<double>(result.nLines) / seconds : 0.0,
              result.bSaved ? ", saved" : ", not saved");
  return done ? 0 : 1;
}

void CProgressLine::Show(const std::string& file, std::size_t line, std::size_t lines) {
  if (file != m_strFile) {
    if (!m_bFileDone) m_Start = CClock::now();  // the one before stopped short
    m_strFile = file;
    m_bFileDone = false;
  }
  const double seconds = std::chrono::duration<double>(CClock::now() - m_Start).count();
  const double rate = seconds > 0 ? static_cast<double>(line) / seconds : 0;
  if (!m_bTerminal) {
    std::fprintf(stderr, "%s: %zu/%zu lines, %.0f lines/s\n", file.c_str(), line, lines, rate);
    std::fflush(stderr);
    if (line == lines) FileDone();
    return;
  }
  constexpr int kWidth = 30;
  const int filled = lines > 0 ? static_cast<int>(kWidth * line / lines) : kWidth;
  std::fprintf(stderr, "\r%s [%s%s] %zu/%zu lines %.0f lines/s", file.c_str(),
               std::string(static_cast<std::size_t>(filled), '#').c_str(),
               std::string(static_cast<std::size_t>(kWidth - filled), ' ').c_str(), line, lines,
               rate);
  if (line == lines) std::fputc('\n', stderr);
  std::fflush(stderr);
  if (line == lines) FileDone();
}

void CProgressLine::FileDone() {
  m_bFileDone = true;
  m_Start = CClock::now();
}
