#include "import_progress.h"

#include <cstdio>

CLI::App* ImportCommandGroup(CLI::App& app) {
  auto named = app.get_subcommands([](CLI::App* sub) { return sub->get_name() == "import"; });
  return !named.empty() ? named.front()
                        : app.add_subcommand("import", "Import product data into a dataset");
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
