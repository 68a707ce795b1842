// orvamat import datanorm FILE... --mmd FILE [--id XXXX] [--dos] [--salvage]
//   [--register]: reads DATANORM files into the dataset of FILE (made when the
//   file does not exist, with the ID given) and saves it, only when every file
//   was read (import/dn_import.h, ImportDatanormIntoFile). Progress goes to
//   stderr: a bar on a terminal, otherwise one flushed line per step; the
//   summary goes to stdout.
// orvamat article --mmd FILE NUMBER [--json]: one article of the dataset:
//   short and complete text, price and price unit, quantity unit, discount
//   group and its factor, main and product group, match code, EAN and the
//   picture file.
// Messages go to stderr through the console host UI; exit code 1 on failure.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "commands.h"
#include "import_progress.h"
#include "run_report.h"

#include "OrvaMat/article_fields.h"
#include "OrvaMat/database_file.h"
#include "OrvaMat/import.h"
#include "OrvaMat/text.h"

namespace {

constexpr const char* kDefaultNewID = "DN01";

struct CImportOptions : CFileImportOptions {
  bool dos = false;
};

int RunImport(const CImportOptions& options) {
  return RunFileImport(options, kDefaultNewID,
                       [&](const std::vector<CString>& files, const CImportTarget& target,
                           const CFileImportProgress& progress, CFileImportResult& result) {
                         CDnFileImport request;
                         request.files = files;
                         request.target = target;
                         request.bDosCharset = options.dos;
                         return ImportDatanormIntoFile(request, progress, result);
                       });
}

// ---- orvamat article

// The article's fields by the names the tool shows them under.
std::vector<std::pair<std::string, CString>> NamedFields(const CArticleFields& f) {
  return {
      {"short text", f.strShortText},
      {"complete text", f.strCompleteText},
      {"price", FormatPrice(f.fPrice)},
      {"price unit", std::to_wstring(f.nPriceUnit)},
      {"quantity unit", f.strQuantityUnit},
      {"discount group", f.strDiscountGroup},
      {"discount factor", f.fDiscountFactor != 0 ? FormatFactor(f.fDiscountFactor) : CString()},
      {"main group", f.strMainGroup},
      {"product group", f.strProductGroup},
      {"match code", f.strMatchCode},
      {"EAN", f.strEAN},
      {"picture", f.strPicture},
  };
}

int RunArticle(const std::string& mmd, const std::string& number, bool json) {
  const unsigned long prefix = OpenOnly(mmd);
  if (prefix == 0) return 1;
  const unsigned long h = FindArticle(prefix, FromUtf8(number));
  if (h == 0) {
    ReportError(mmd + ": no article " + number);
    return 1;
  }
  CArticleFields fields;
  GetArticleFields(fields, h);
  const auto facts = NamedFields(fields);
  if (json) {
    std::string document = "{\"article\": " + JsonString(number);
    for (const auto& [name, value] : facts)
      document += ",\n \"" + name + "\": " + JsonString(value);
    PrintJsonDocument(document + "}\n");
    return 0;
  }
  std::printf("article          %s\n", number.c_str());
  for (const auto& [name, value] : facts) {
    std::string shown = ToUtf8(value);
    for (std::size_t pos = 0; (pos = shown.find("\r\n", pos)) != std::string::npos;) {
      shown.replace(pos, 2, "\n                 ");
    }
    std::printf("%-16s %s\n", name.c_str(), shown.c_str());
  }
  return 0;
}

}  // namespace

void AddDatanormCommands(CLI::App& app) {
  CLI::App* importGroup = ImportCommandGroup(app);
  auto* datanorm =
      importGroup->add_subcommand("datanorm", "Import DATANORM 4/5 files into a dataset");
  auto options = std::make_shared<CImportOptions>();
  AddFileImportOptions(*datanorm, *options, "DATANORM", kDefaultNewID);
  datanorm->add_flag("--dos", options->dos, "files use the DOS character set (CP850)");
  datanorm->add_flag("--register", options->enter,
                     "enter the database file in the user's registered datasets");
  datanorm->callback([=] {
    int rc = 1;
    try {
      rc = RunImport(*options);
      if (std::fflush(stdout) != 0 || std::ferror(stdout)) rc = 1;
    } catch (const std::exception& e) {
      std::fprintf(stderr, "import datanorm: %s\n", e.what());
    }
    if (rc != 0) throw CLI::RuntimeError(rc);
  });

  auto* article = app.add_subcommand("article", "Show one article of a dataset");
  auto number = std::make_shared<std::string>();
  auto articleMmd = std::make_shared<std::string>();
  auto json = std::make_shared<bool>(false);
  article->add_option("--mmd", *articleMmd, "database file")->required();
  article->add_option("NUMBER", *number, "article number")->required();
  article->add_flag("--json", *json, "print JSON");
  article->callback([=] {
    if (int rc = RunArticle(*articleMmd, *number, *json); rc != 0) throw CLI::RuntimeError(rc);
  });
}
