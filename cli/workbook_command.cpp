// orvamat import tables WORKBOOK --mmd FILE [--id XXXX] [--salvage]
// orvamat import articles WORKBOOK --mmd FILE [--id XXXX] [--salvage]
// orvamat import insulation WORKBOOK --mmd FILE [--id XXXX] [--salvage]
//   read a table, article or insulation workbook (.xlsx, .xlsm, .ods, .xls;
//   docs/workbooks.md) into the dataset of FILE (made when missing, with the
//   ID given, "XLS0" by default) and save it, only when the workbook was
//   read (OrvaMat/import.h, ImportWorkbookIntoFile). The summary goes to
//   stdout, messages to stderr; exit code 1 when the workbook could not be
//   read or the dataset not saved. Progress through the rows of the first
//   sheet goes to stderr: a bar on a terminal, otherwise a line every few
//   thousand rows (import_progress.h).
#include <cstdio>
#include <memory>
#include <string>

#include <CLI/CLI.hpp>

#include "commands.h"
#include "import_progress.h"

#include "OrvaMat/import.h"
#include "OrvaMat/text.h"

namespace {

constexpr const char* kDefaultNewID = "XLS0";

struct CWorkbookOptions : CFileImportOptions {
  std::string workbook;
};

void AddWorkbookCommand(CLI::App& group, const char* pName, const char* pHelp,
                        eWorkbookLayout layout) {
  CLI::App* command = group.add_subcommand(pName, pHelp);
  auto options = std::make_shared<CWorkbookOptions>();
  command->add_option("WORKBOOK", options->workbook, "workbook (.xlsx, .xlsm, .ods, .xls)")
      ->required();
  command->add_option("--mmd", options->mmd, "database file (made when missing)")->required();
  command->add_option("--id", options->id,
                      std::string("manufacturer ID (4 characters): of a new dataset (default ") +
                          kDefaultNewID + "), or checked against an existing one");
  command->add_flag(
      "--salvage", options->salvage,
      "a damaged database file may be saved over; the damaged file is kept beside it");
  command->callback([options, layout, pName] {
    int rc = 1;
    try {
      options->files = {options->workbook};
      rc = RunFileImport(*options, kDefaultNewID,
                         [&](const std::vector<CString>& files, const CImportTarget& target,
                             const CFileImportProgress& progress, CFileImportResult& result) {
                           CWorkbookFileImport request;
                           request.strWorkbook = files.front();
                           request.eLayout = layout;
                           request.target = target;
                           return ImportWorkbookIntoFile(request, progress, result);
                         });
      if (std::fflush(stdout) != 0 || std::ferror(stdout)) rc = 1;
    } catch (const std::exception& e) {
      std::fprintf(stderr, "import %s: %s\n", pName, e.what());
    }
    if (rc != 0) throw CLI::RuntimeError(rc);
  });
}

}  // namespace

void AddWorkbookCommands(CLI::App& app) {
  CLI::App* group = ImportCommandGroup(app);
  AddWorkbookCommand(*group, "tables", "Import a table workbook into a dataset",
                     eWorkbookLayout::eTables);
  AddWorkbookCommand(*group, "articles", "Import an article workbook into a dataset",
                     eWorkbookLayout::eArticles);
  AddWorkbookCommand(*group, "insulation", "Import an insulation systems workbook into a dataset",
                     eWorkbookLayout::eInsulation);
}
