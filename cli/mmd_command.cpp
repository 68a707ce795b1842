// orvamat mmd info FILE: the header and the table tree of a database file
//   (types, values per row, flags, row counts), without reading any rows.
// orvamat mmd dump FILE [TABLEPATH]: the tables (or the one that the path
//   "Top.Child" names) as MMTB text on stdout.
// orvamat mmd import-mmtb TEXTFILE --mmd FILE [--id XXXX] [--name TEXT]:
//   reads the MMTB text into the dataset of FILE (made when the file does
//   not exist) and saves it.
// orvamat dataset list|open PATH|close PATH|exclude PATH [--again]: the
//   user's registered and excluded datasets.
// Messages go to stderr through the console host UI; exit code 1 on failure.
#include <cstdio>
#include <memory>
#include <string>

#include <CLI/CLI.hpp>

#include "commands.h"
#include "run_report.h"

#include "OrvaMat/database_file.h"
#include "OrvaMat/import.h"
#include "OrvaMat/text.h"

namespace {

void Print(const CString& text) { std::fputs(ToUtf8(text).c_str(), stdout); }

void PrintTree(const CTableSummary& table, int nDepth) {
  CString line(std::size_t(nDepth * 2), L' ');
  line += table.strName + L"  " + TableTypeText(table.nType);
  if (table.nType == eTypeStrLine) {
    line += L"  text";
  } else {
    line += L"," + std::to_wstring(table.nValuesPerRow) + L"  " + std::to_wstring(table.nRowCount) +
            L" rows";
  }
  if (table.nFlags != 0) line += L"  flags " + std::to_wstring(table.nFlags);
  Print(line + L"\n");
  for (const CTableSummary& child : table.children) PrintTree(child, nDepth + 1);
}

int RunInfo(const std::string& file) {
  const unsigned long prefix = OpenOnly(file);
  CDatabaseFileInfo info;
  if (prefix == 0 || !GetDatabaseFileInfo(prefix, info)) return 1;
  Print(CString(L"magic    ") + (info.bUtf8 ? L"MMD3 (UTF-8)" : L"MMD2 (ANSI)") + L"\n");
  Print(L"ID       " + info.strID + L"\n");
  Print(L"version  " + std::to_wstring(info.nVersion) + L"\n");
  Print(L"handles  " + std::to_wstring(info.nHandles) + L" (counter " +
        std::to_wstring(info.nHandleCounter) + L")\n");
  if (!info.strInfo.empty()) Print(L"info     " + info.strInfo + L"\n");
  Print(L"tables   " + std::to_wstring(info.tables.size()) + L"\n");
  for (const CTableSummary& table : info.tables) PrintTree(table, 1);
  return 0;
}

int RunDump(const std::string& file, const std::string& tablePath) {
  const unsigned long prefix = OpenOnly(file);
  if (prefix == 0) return 1;
  CStringList lines;
  if (WriteDatasetText(prefix, FromUtf8(tablePath), lines) != eMatOk) {
    ReportError(file + ": no table " + tablePath);
    return 1;
  }
  for (const CString& line : lines) Print(line + L"\n");
  return 0;
}

struct CImportArgs {
  std::string strText;
  std::string strMmd;
  std::string strID;
  std::string strName;
  bool bSalvage = false;
  bool bRegister = false;
};

int RunImport(const CImportArgs& a) {
  const CString text = FromUtf8(a.strText);
  if (const CString why = WhyInputUnreadable(text); !why.empty()) {
    ReportError(ToUtf8(why));
    return 1;
  }
  CImportTarget target;
  target.strPath = FromUtf8(a.strMmd);
  target.strID = FromUtf8(a.strID);
  // A new file without --id gets the placeholder ID it always got; an
  // existing file keeps its own unless --id names one to check.
  target.strNewID = L"HsID";
  target.strName = FromUtf8(a.strName);
  target.bSalvage = a.bSalvage;
  target.bRegister = a.bRegister;
  const unsigned long prefix = OpenImportFile(target);
  if (prefix == 0) {
    if (target.bRefusedDamaged) ReportSalvageHint();
    return 1;
  }
  const CMmtbReadResult read = ReadMmtbIntoDataset(prefix, text);
  if (read.bRead && !read.bAnyTable) ReportError(a.strText + ": no MMTB table in the text");
  const bool bSaved = FinishImportFile(prefix, target, read.bRead && read.bAnyTable);
  if (!bSaved) {
    ReportError(a.strMmd + ": not saved" + (read.bRead ? "" : ", reading stopped at an error"));
    return 1;
  }
  // The damage report was what --salvage answered: the damaged file lies
  // beside, and the run did what was asked.
  if (read.bDamaged) AnswerShownErrors();
  std::printf("%s: %zu tables, saved%s\n", ToUtf8(read.strPath).c_str(), read.nTables,
              read.bDamaged ? " (salvaged)" : "");
  return 0;
}

int RunList() {
  for (const CRegisteredDataset& entry : ListRegisteredDatasets())
    Print(entry.strID + L"  " + entry.strPath + (entry.bExcluded ? L"  (excluded)\n" : L"\n"));
  return 0;
}

// The exit status of a call on the registered datasets; what failed is
// reported.
int Reported(eDatasetFileResult result, const std::string& file) {
  switch (result) {
    case eDatasetFileOk:
      return 0;
    case eDatasetFileUnreadable:
      ReportError(ToUtf8(WhyInputUnreadable(FromUtf8(file))));
      return 1;
    case eDatasetFileNotOpened:
      ReportError(file + ": no database file could be opened");
      return 1;
    case eDatasetFileNotEntered:
      ReportError(file + ": opened, but not entered in the registered datasets");
      return 1;
    case eDatasetFileNotListed:
      ReportError(file + ": not a registered dataset");
      return 1;
    case eDatasetFileNotWritten:
      return 1;  // the library showed why
  }
  return 1;
}

int RunOpen(const std::string& file) {
  return Reported(OpenRegisteredDataset(FromUtf8(file)), file);
}

// Takes the path off the registered list; a file that is gone leaves it all
// the same. A path that is not on the list is an error.
int RunClose(const std::string& file) {
  return Reported(CloseRegisteredDataset(FromUtf8(file)), file);
}

int RunExclude(const std::string& file, bool again) {
  return Reported(ExcludeRegisteredDataset(FromUtf8(file), again), file);
}

void Fail(int rc) {
  if (rc != 0) throw CLI::RuntimeError(rc);
}

}  // namespace

void AddMmdCommands(CLI::App& app) {
  auto* mmd = app.add_subcommand("mmd", "Database files: header, tables, MMTB dump and import");
  mmd->require_subcommand(1);
  auto file = std::make_shared<std::string>();
  auto other = std::make_shared<std::string>();
  auto args = std::make_shared<CImportArgs>();
  auto* info = mmd->add_subcommand("info", "Header and table tree of FILE, no rows read");
  info->add_option("FILE", *file, "database file")->required();
  info->callback([file] { Fail(RunInfo(*file)); });
  auto* dump = mmd->add_subcommand("dump", "The tables of FILE as MMTB text");
  dump->add_option("FILE", *file, "database file")->required();
  dump->add_option("TABLEPATH", *other, "one table: Top.Child");
  dump->callback([file, other] { Fail(RunDump(*file, *other)); });
  auto* importMmtb =
      mmd->add_subcommand("import-mmtb", "Read MMTB text into a database file, save");
  importMmtb->add_option("TEXTFILE", args->strText, "MMTB text file")->required();
  importMmtb->add_option("--mmd", args->strMmd, "database file (made when missing)")->required();
  importMmtb->add_option(
      "--id", args->strID,
      "manufacturer ID, 4 characters: of a new dataset (default HsID), or checked "
      "against an existing one");
  importMmtb->add_option("--name", args->strName, "manufacturer name of a new dataset");
  importMmtb->add_flag("--salvage", args->bSalvage,
                       "save over a damaged database file; the damaged file is kept beside it");
  importMmtb->add_flag("--register", args->bRegister, "enter the file in the registered datasets");
  importMmtb->callback([args] { Fail(RunImport(*args)); });

  auto* dataset = app.add_subcommand("dataset", "The user's registered and excluded datasets");
  dataset->require_subcommand(1);
  dataset->add_subcommand("list", "Registered datasets")->callback([] { Fail(RunList()); });
  auto* open = dataset->add_subcommand("open", "Open PATH and register it");
  open->add_option("PATH", *file, "database file")->required();
  open->callback([file] { Fail(RunOpen(*file)); });
  auto* close = dataset->add_subcommand("close", "Take PATH off the registered list");
  close->add_option("PATH", *file, "database file")->required();
  close->callback([file] { Fail(RunClose(*file)); });
  auto again = std::make_shared<bool>(false);
  auto* exclude = dataset->add_subcommand("exclude", "Exclude PATH from path look-ups");
  exclude->add_option("PATH", *file, "database file")->required();
  exclude->add_flag("--again", *again, "list it again instead");
  exclude->callback([file, again] { Fail(RunExclude(*file, *again)); });
}
