// orvamat mmtb check FILE: reads an MMTB text file into a fresh in-memory
// dataset, prints every message and the tables read; exit code 1 when the
// file can not be read, holds no table or reading stopped at an error.
// orvamat mmtb roundtrip FILE: reads the file the same way and writes every
// table back as MMTB text (UTF-8 with byte-order mark, CR LF) to stdout;
// messages go to stderr.
#include <cstdio>
#include <memory>
#include <string>

#include "commands.h"
#include "run_report.h"

#include "OrvaMat/console_host_ui.h"
#include "OrvaMat/database_file.h"
#include "OrvaMat/import.h"
#include "OrvaMat/text.h"

namespace {

void PrintTable(const CTableSummary& table, int nDepth, int& nTables, long& nRows) {
  std::printf("%*s%s  %s,%d  %d rows\n", nDepth * 2, "", ToUtf8(table.strName).c_str(),
              ToUtf8(TableTypeText(table.nType)).c_str(), table.nValuesPerRow, table.nRowCount);
  ++nTables;
  nRows += table.nRowCount;
  for (const CTableSummary& child : table.children) PrintTable(child, nDepth + 1, nTables, nRows);
}

int RunCheck(const std::string& path) {
  CLineHostUI ui(stdout);
  CScopedHostUI scopedUI(ui);
  if (const CString why = WhyInputUnreadable(FromUtf8(path)); !why.empty()) {
    ReportError(ToUtf8(why));
    return 1;
  }
  const CMmtbCheckResult check = CheckMmtbFile(FromUtf8(path), false);
  int nTables = 0;
  long nRows = 0;
  for (const CTableSummary& table : check.tables) PrintTable(table, 0, nTables, nRows);
  std::printf("%s: %d tables, %ld rows%s\n", path.c_str(), nTables, nRows,
              check.bRead ? "" : ", reading stopped at an error");
  if (check.bRead && nTables == 0) ReportError(path + ": no MMTB table in the text");
  return check.bRead && nTables > 0 ? 0 : 1;
}

int RunRoundTrip(const std::string& path) {
  CLineHostUI ui(stderr);
  CScopedHostUI scopedUI(ui);
  if (const CString why = WhyInputUnreadable(FromUtf8(path)); !why.empty()) {
    ReportError(ToUtf8(why));
    return 1;
  }
  const CMmtbCheckResult check = CheckMmtbFile(FromUtf8(path), true);
  if (check.bRead && check.tables.empty()) {
    ReportError(path + ": no MMTB table in the text");
    return 1;
  }
  const std::string text = "\xEF\xBB\xBF" + check.strText;
  std::fwrite(text.data(), 1, text.size(), stdout);
  return check.bRead ? 0 : 1;
}

}  // namespace

void AddMmtbCommands(CLI::App& app) {
  auto* mmtb = app.add_subcommand("mmtb", "MMTB text tables: check a file, write it back");
  mmtb->require_subcommand(1);
  auto path = std::make_shared<std::string>();
  auto* check = mmtb->add_subcommand(
      "check", "Read FILE into a fresh dataset; print every message and the tables read");
  check->add_option("FILE", *path, "MMTB text file")->required();
  check->callback([path] {
    if (int rc = RunCheck(*path); rc != 0) throw CLI::RuntimeError(rc);
  });
  auto* roundtrip =
      mmtb->add_subcommand("roundtrip", "Read FILE and write its tables back as MMTB text");
  roundtrip->add_option("FILE", *path, "MMTB text file")->required();
  roundtrip->callback([path] {
    if (int rc = RunRoundTrip(*path); rc != 0) throw CLI::RuntimeError(rc);
  });
}
