// orvamat import vdi FILE... --mmd FILE [--id XXXX] [--salvage]: reads VDI
//   3805 files into the dataset of FILE (made when the file does not exist,
//   with the ID given, else "VDI0") and saves it once, only when every file
//   was read (OrvaMat/vdi.h, ImportVdiIntoFile). Progress goes to stderr: a
//   bar on a terminal, otherwise one flushed line per step; the summary goes
//   to stdout.
// orvamat vdi products --mmd FILE [--json]: every sheet table of the dataset
//   with its sheet number and its products (the 100-i/110-i tables) with
//   their titles.
// orvamat vdi complete --mmd FILE --sheet NAME TAG [--json]: the tag with
//   every level it leaves open set to the first record of its kind.
// orvamat vdi articles --mmd FILE --sheet NAME TAG [--json]: the article
//   numbers of the configuration ("X;3|Y").
// orvamat vdi datanorm --mmd FILE --sheet NAME TAG [--json]: the DATANORM
//   number of the configuration, from its 810 record.
// orvamat vdi references --mmd FILE --sheet NAME [--json]: the cross
//   references of every product of the sheet, one ARTICLE<TAB>TAG line each.
// orvamat vdi run --mmd FILE --sheet NAME --tag TAG FUNCTION [--arg
//   NAME=VALUE]... [--json]: runs a function of the product the tag names,
//   its record functions reading the records of the configuration; printed
//   as formula run prints.
// orvamat vdi accessories --mmd FILE --sheet NAME TAG [--all] [--quantity
//   V]... [--select KEY]... [--json]: the accessory tree of the product the
//   tag names (OrvaMat/vdi_accessories.h), indented with its check marks,
//   the chosen keys checked; then the position each chosen key makes. A key
//   the tree does not offer is an error.
// Looking at a dataset saves nothing: the cross references are made in
// memory only.
// Messages go to stderr through the console host UI; exit code 1 on failure.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "commands.h"
#include "formula_report.h"
#include "import_progress.h"
#include "run_report.h"

#include "OrvaMat/database_file.h"
#include "OrvaMat/text.h"
#include "OrvaMat/vdi.h"
#include "OrvaMat/vdi_accessories.h"

namespace {

// The ID of a new database file, when none is given.
constexpr const char* kDefaultNewID = "VDI0";

int RunImport(const CFileImportOptions& options) {
  return RunFileImport(options, kDefaultNewID,
                       [](const std::vector<CString>& files, const CImportTarget& target,
                          const CFileImportProgress& progress, CFileImportResult& result) {
                         CVdiFileImport request;
                         request.files = files;
                         request.target = target;
                         return ImportVdiIntoFile(request, progress, result);
                       });
}

int RunProducts(const std::string& mmd, bool json) {
  const unsigned long prefix = OpenOnly(mmd);
  if (prefix == 0) return 1;
  const std::vector<CVdiSheet> sheets = ListVdiSheets(prefix);
  if (json) {
    nlohmann::ordered_json document = nlohmann::ordered_json::array();
    for (const CVdiSheet& sheet : sheets) {
      nlohmann::ordered_json products = nlohmann::ordered_json::array();
      for (const CVdiProduct& product : sheet.products)
        products.push_back(
            {{"path", ToUtf8(product.strPath)}, {"title", ToUtf8(product.strTitle)}});
      document.push_back(
          {{"sheet", ToUtf8(sheet.strName)}, {"number", sheet.nNumber}, {"products", products}});
    }
    PrintJsonDocument(JsonText(document) + "\n");
    return 0;
  }
  for (const CVdiSheet& sheet : sheets) {
    std::printf("%s\t%d\n", ToUtf8(sheet.strName).c_str(), sheet.nNumber);
    for (const CVdiProduct& product : sheet.products)
      std::printf("  %s\t%s\n", ToUtf8(product.strPath).c_str(), ToUtf8(product.strTitle).c_str());
  }
  return 0;
}

// The options of the commands on one sheet.
struct CSheetOptions {
  std::string strMmd;
  std::string strSheet;
  std::string strTag;
  std::string strFunction;
  std::vector<std::string> listArgs;
  bool bJson = false;
  // vdi accessories
  bool bAll = false;
  std::vector<double> listQuantities;
  std::vector<std::string> listSelect;
};

// The command's JSON document; a failed one carries the command's errors.
void PrintDocument(nlohmann::ordered_json document, bool bOk) {
  if (!bOk) document["errors"] = RunReport().listErrors;
  PrintJsonDocument(JsonText(document) + "\n");
}

std::string Where(const CSheetOptions& o) { return "tag " + o.strTag + " of sheet " + o.strSheet; }

int RunComplete(const CSheetOptions& o) {
  const unsigned long prefix = OpenOnly(o.strMmd);
  if (prefix == 0) return 1;
  CString tag = FromUtf8(o.strTag);
  const bool bOk = CompleteVdiTag(prefix, FromUtf8(o.strSheet).c_str(), tag);
  if (!bOk) ReportError(Where(o) + " names no product that is there; it can not be completed");
  if (o.bJson) {
    PrintDocument({{"ok", bOk}, {"tag", ToUtf8(tag)}}, bOk);
  } else if (bOk) {
    std::printf("%s\n", ToUtf8(tag).c_str());
  }
  return bOk ? 0 : 1;
}

int RunArticles(const CSheetOptions& o) {
  const unsigned long prefix = OpenOnly(o.strMmd);
  if (prefix == 0) return 1;
  CString text;
  std::vector<CVdiArticle> articles;
  const bool bOk = GetVdiArticles(prefix, FromUtf8(o.strSheet).c_str(), FromUtf8(o.strTag).c_str(),
                                  text, articles);
  if (!bOk) ReportError("no article numbers for " + Where(o));
  if (o.bJson) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const CVdiArticle& article : articles)
      list.push_back({{"number", ToUtf8(article.strNumber)}, {"quantity", article.nQuantity}});
    PrintDocument({{"ok", bOk}, {"text", ToUtf8(text)}, {"articles", list}}, bOk);
  } else if (bOk) {
    std::printf("%s\n", ToUtf8(text).c_str());
  }
  return bOk ? 0 : 1;
}

int RunDatanorm(const CSheetOptions& o) {
  const unsigned long prefix = OpenOnly(o.strMmd);
  if (prefix == 0) return 1;
  CString number;
  const bool bOk = GetVdiDatanormNumber(prefix, FromUtf8(o.strSheet).c_str(),
                                        FromUtf8(o.strTag).c_str(), number);
  if (!bOk) ReportError("no DATANORM number for " + Where(o));
  if (o.bJson) {
    PrintDocument({{"ok", bOk}, {"datanorm", ToUtf8(number)}}, bOk);
  } else if (bOk) {
    std::printf("%s\n", ToUtf8(number).c_str());
  }
  return bOk ? 0 : 1;
}

int RunReferences(const CSheetOptions& o) {
  const unsigned long prefix = OpenOnly(o.strMmd);
  if (prefix == 0) return 1;
  std::vector<CVdiReference> references;
  const bool bOk = CreateVdiReferences(prefix, FromUtf8(o.strSheet).c_str(), references);
  if (!bOk) ReportError("no sheet " + o.strSheet);
  if (o.bJson) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const CVdiReference& r : references)
      list.push_back({{"article", ToUtf8(r.strArticle)},
                      {"tag", ToUtf8(r.strTag)},
                      {"record", ToUtf8(r.strRecord)}});
    PrintDocument({{"ok", bOk}, {"references", list}}, bOk);
  } else {
    for (const CVdiReference& r : references)
      std::printf("%s\t%s\n", ToUtf8(r.strArticle).c_str(), ToUtf8(r.strTag).c_str());
  }
  return bOk ? 0 : 1;
}

int RunFunction(const CSheetOptions& o) {
  const unsigned long prefix = OpenOnly(o.strMmd);
  if (prefix == 0) return 1;
  const CString sheet = FromUtf8(o.strSheet);
  const CString tag = FromUtf8(o.strTag);
  CvdiFunction* f =
      FindVdiFunction(prefix, sheet.c_str(), tag.c_str(), FromUtf8(o.strFunction).c_str());
  if (f == nullptr) {
    PrintFormulaRefusal({}, "no function " + o.strFunction + " for " + Where(o), o.bJson);
    return 1;
  }
  if (std::string error; !SetFormulaArguments(*f, o.listArgs, error)) {
    PrintFormulaRefusal({}, error, o.bJson);
    return 2;
  }
  std::vector<CString> debugLines;
  const bool bOk = RunVdiFunction(prefix, sheet.c_str(), tag.c_str(), *f, debugLines);
  PrintFormulaRun(*f, bOk, debugLines, {}, o.bJson);
  return bOk ? 0 : 1;
}

// The items below parent (null: the top level) as JSON.
nlohmann::ordered_json TreeItems(const CRecordingTreeCtrl& control, const CVDIZubehoerbaum930& tree,
                                 HTREEITEM parent) {
  nlohmann::ordered_json items = nlohmann::ordered_json::array();
  for (HTREEITEM item = control.GetChildItem(parent); item != nullptr;
       item = control.GetNextSiblingItem(item)) {
    items.push_back({{"text", ToUtf8(control.GetItemText(item))},
                     {"key", ToUtf8(tree.GetItemKey(item))},
                     {"checked", control.GetCheck(item)},
                     {"children", TreeItems(control, tree, item)}});
  }
  return items;
}

int RunAccessories(const CSheetOptions& o) {
  const unsigned long prefix = OpenOnly(o.strMmd);
  if (prefix == 0) return 1;
  const CString tag = FromUtf8(o.strTag);
  CMatTable* pProduct = FindVdiProduct(prefix, FromUtf8(o.strSheet).c_str(), tag.c_str());
  bool bOk = pProduct != nullptr;
  if (!bOk) ReportError(Where(o) + " names no product that is there");
  CStringList selection;
  for (const std::string& key : o.listSelect) selection.push_back(FromUtf8(key));
  std::vector<double> quantities = o.listQuantities;
  CRecordingTreeCtrl control;
  CVDIZubehoerbaum930 tree(&control, o.bAll, pProduct, tag, quantities, selection);
  tree.RebuildZubehoerbaum();
  CVdiZubehoer930 positions;
  const std::vector<CString>& offered = tree.GetItemKeys();
  for (const CString& key : selection) {
    if (pProduct == nullptr) break;
    const std::size_t nBefore = positions.m_Positions.size();
    if (std::find(offered.begin(), offered.end(), key) != offered.end())
      positions.setPosition(tree.GetSheet(), key);
    if (positions.m_Positions.size() == nBefore) {
      ReportError("the accessory tree of " + Where(o) + " offers no key " + ToUtf8(key));
      bOk = false;
    }
  }
  if (bOk && offered.empty() && !o.bAll && (tag.empty() || quantities.empty()))
    std::fprintf(stderr,
                 "orvamat: without a tag and design values (--quantity) only --all "
                 "builds a tree\n");
  if (o.bJson) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const CVdiZubehoer930::stlPosition& p : positions.m_Positions)
      list.push_back({{"key", ToUtf8(p.m_strKey)},
                      {"quantity", p.m_dQuantity},
                      {"text1", ToUtf8(p.m_strText1)},
                      {"text2", ToUtf8(p.m_strText2)},
                      {"text3", ToUtf8(p.m_strText3)},
                      {"number", p.m_nNumber},
                      {"flag1", p.m_bFlag1},
                      {"flag2", p.m_bFlag2},
                      {"text4", ToUtf8(p.m_strText4)}});
    PrintDocument({{"ok", bOk}, {"items", TreeItems(control, tree, nullptr)}, {"positions", list}},
                  bOk);
  } else if (bOk) {
    std::printf("%s", ToUtf8(control.Dump()).c_str());
    for (const CVdiZubehoer930::stlPosition& p : positions.m_Positions)
      std::printf("%s\t%g\t%s\t%s\t%s\t%s\n", ToUtf8(p.m_strKey).c_str(), p.m_dQuantity,
                  ToUtf8(p.m_strText3).c_str(), ToUtf8(p.m_strText1).c_str(),
                  ToUtf8(p.m_strText2).c_str(), ToUtf8(p.m_strText4).c_str());
  }
  return bOk ? 0 : 1;
}

}  // namespace

void AddVdiCommands(CLI::App& app) {
  auto* pImport = ImportCommandGroup(app)->add_subcommand(
      "vdi", "Import VDI 3805 product data files into a dataset");
  auto options = std::make_shared<CFileImportOptions>();
  AddFileImportOptions(*pImport, *options, "VDI 3805", kDefaultNewID);
  pImport->callback([=] { RunCommand("import vdi", [&] { return RunImport(*options); }); });

  auto* group = app.add_subcommand("vdi", "VDI 3805 product data of a dataset");
  auto* products = group->add_subcommand("products", "The sheets of a dataset and their products");
  auto mmd = std::make_shared<std::string>();
  auto json = std::make_shared<bool>(false);
  products->add_option("--mmd", *mmd, "database file")->required();
  products->add_flag("--json", *json, "print JSON");
  products->callback([=] { RunCommand("vdi products", [&] { return RunProducts(*mmd, *json); }); });

  auto o = std::make_shared<CSheetOptions>();
  const auto sheetCommand = [&](const char* name, const char* description) {
    auto* command = group->add_subcommand(name, description);
    command->add_option("--mmd", o->strMmd, "database file")->required();
    command->add_option("--sheet", o->strSheet, "sheet table, such as VDI-Pumpen")->required();
    command->add_flag("--json", o->bJson, "print JSON");
    return command;
  };
  auto* complete = sheetCommand("complete", "Complete a TGA tag by the records of the sheet");
  complete->add_option("TAG", o->strTag, "TGA tag, such as 1-1-?")->required();
  complete->callback([=] { RunCommand("vdi complete", [&] { return RunComplete(*o); }); });

  auto* articles = sheetCommand("articles", "The article numbers of a configured product");
  articles->add_option("TAG", o->strTag, "TGA tag of the configuration")->required();
  articles->callback([=] { RunCommand("vdi articles", [&] { return RunArticles(*o); }); });

  auto* datanorm = sheetCommand("datanorm", "The DATANORM number of a configured product");
  datanorm->add_option("TAG", o->strTag, "TGA tag of the configuration")->required();
  datanorm->callback([=] { RunCommand("vdi datanorm", [&] { return RunDatanorm(*o); }); });

  auto* references =
      sheetCommand("references", "The TGA cross references of every product of the sheet");
  references->callback([=] { RunCommand("vdi references", [&] { return RunReferences(*o); }); });

  auto* run = sheetCommand("run", "Run a function of a product on its records");
  run->add_option("--tag", o->strTag, "TGA tag of the configuration")->required();
  run->add_option("FUNCTION", o->strFunction, "the function to run")->required();
  run->add_option("--arg", o->listArgs, "NAME=VALUE written into a parameter");
  run->callback([=] { RunCommand("vdi run", [&] { return RunFunction(*o); }); });

  auto* accessories =
      sheetCommand("accessories", "The accessory tree of a configured product, and positions");
  accessories->add_option("TAG", o->strTag, "TGA tag of the configuration")->required();
  accessories->add_flag("--all", o->bAll, "offer every article, whatever its conditions");
  accessories->add_option("--quantity", o->listQuantities,
                          "a design value the range conditions test (in order)");
  accessories->add_option("--select", o->listSelect, "the key of a chosen article");
  accessories->callback([=] { RunCommand("vdi accessories", [&] { return RunAccessories(*o); }); });
}
