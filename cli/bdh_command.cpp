// orvamat import bdh HK.DAT --mmd FILE [--id XXXX] [--salvage]: reads a
//   BDH-2 radiator catalogue into the dataset of FILE (made when the file
//   does not exist, with the ID given, else "BDH0") and saves it, only when
//   the file was read and stored something (OrvaMat/bdh.h,
//   ImportBdhIntoFile). The lines it skipped are counted on stderr.
// orvamat bdh models --mmd FILE [--json]: the series and their models.
// orvamat bdh variants --mmd FILE SERIES MODEL [--json]: every size variant
//   of the model in its order (element column 1, then nominal output, then
//   length) with its length, element values, order number and heat output at
//   70/55/20 degrees Celsius. A variant without an order number fails the
//   command: it must not be ordered by a guess.
// Messages go to stderr through the console host UI; exit code 1 on failure.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "commands.h"
#include "import_progress.h"
#include "run_report.h"

#include "OrvaMat/bdh.h"
#include "OrvaMat/text.h"

namespace {

constexpr const char* kDefaultNewID = "BDH0";

using json = nlohmann::ordered_json;

// A float as written in the catalogue (its shortest form), not as the
// nearest double: 1,31 reads 1.31, not 1.3099999427795410.
std::string FloatText(float f) {
  char text[32];
  const auto [pEnd, ec] = std::to_chars(text, text + sizeof text, f);
  return ec == std::errc() ? std::string(text, pEnd) : std::string("0");
}

json FloatJson(float f) {
  if (f != f) return nullptr;
  return std::strtod(FloatText(f).c_str(), nullptr);
}

std::string Kind(int nCode) {
  const auto c = static_cast<wchar_t>(nCode);
  return c > L' ' ? ToUtf8(CString(1, c)) : std::string();
}

int RunImport(const CFileImportOptions& options) {
  CBdhImportCounts counts;
  const int rc = RunFileImport(options, kDefaultNewID,
                               [&](const std::vector<CString>& files, const CImportTarget& target,
                                   const CFileImportProgress& progress, CFileImportResult& result) {
                                 CBdhFileImport request;
                                 request.files = files;
                                 request.target = target;
                                 CBdhFileImportResult bdh;
                                 const bool bDone = ImportBdhIntoFile(request, progress, bdh);
                                 result = bdh;
                                 counts = bdh.counts;
                                 return bDone;
                               });
  if (counts.nLines > 0) {
    std::fprintf(stderr, "%zu lines stored, %zu skipped", counts.nStored, counts.nSkipped);
    if (counts.nFirstSkipped > 0)
      std::fprintf(stderr, " (the first: line %d)", counts.nFirstSkipped);
    std::fprintf(stderr, "; %d models, %d elements\n", counts.nModels, counts.nElements);
  }
  return rc;
}

int RunModels(const std::string& mmd, bool bJson) {
  const unsigned long prefix = OpenOnly(mmd);
  if (prefix == 0) return 1;
  const std::vector<CBdhModel> models = ListBdhModelsOf(prefix);
  if (bJson) {
    json series = json::array();
    for (const CBdhModel& m : models) {
      if (series.empty() || series.back()["name"] != ToUtf8(m.m_strSeries))
        series.push_back({{"name", ToUtf8(m.m_strSeries)}, {"models", json::array()}});
      json texts = json::array();
      for (const CString& text : m.m_strTexts) texts.push_back(ToUtf8(text));
      series.back()["models"].push_back({{"name", ToUtf8(m.m_strName)},
                                         {"key", Kind(m.m_nKey1)},
                                         {"kind", Kind(m.m_nKey2)},
                                         {"texts", texts}});
    }
    PrintJsonDocument(JsonText({{"ok", true}, {"series", series}}) + "\n");
    return 0;
  }
  CString previous;
  for (std::size_t i = 0; i < models.size(); ++i) {
    const CBdhModel& m = models[i];
    if (i == 0 || m.m_strSeries != previous) std::printf("%s\n", ToUtf8(m.m_strSeries).c_str());
    previous = m.m_strSeries;
    std::printf("  %s\t%s\n", ToUtf8(m.m_strName).c_str(), Kind(m.m_nKey2).c_str());
  }
  return 0;
}

struct CVariantOptions {
  std::string strMmd;
  std::string strSeries;
  std::string strModel;
  bool bJson = false;
};

json VariantJson(const CBdhVariant& v) {
  return {{"length", v.m_nLength},
          {"element",
           {{"name", ToUtf8(v.m_strName)},
            {"col0", v.m_nCol0},
            {"col1", v.m_nCol1},
            {"width", v.m_nWidth},
            {"output", FloatJson(v.m_fOutput)},
            {"exponent", FloatJson(v.m_fExponent)},
            {"col6", FloatJson(v.m_fCol6)},
            {"col7", FloatJson(v.m_fCol7)},
            {"col8", FloatJson(v.m_fCol8)},
            {"partial length", v.m_nPartial},
            {"reduction", v.m_nReduced},
            {"extra length", v.m_nExtra}}},
          {"order number", v.m_bOrderNumber ? json(ToUtf8(v.m_strOrderNumber)) : json(nullptr)},
          {"article", v.m_hArticle != 0},
          {"return temperature", v.m_nReturnTemp},
          {"heat output", v.m_nHeatOutput},
          {"mass flow", std::round(v.m_dMassFlow * 1000) / 1000}};
}

int RunVariants(const CVariantOptions& o) {
  const unsigned long prefix = OpenOnly(o.strMmd);
  if (prefix == 0) return 1;
  CBdhModel model;
  if (!LoadBdhModelOf(prefix, FromUtf8(o.strSeries).c_str(), FromUtf8(o.strModel).c_str(), model)) {
    ReportError(o.strMmd + ": no model " + o.strModel + " in series " + o.strSeries);
    return 1;
  }
  std::size_t nWithout = 0;
  for (const CBdhVariant& v : model.m_Variants) nWithout += v.m_bOrderNumber ? 0 : 1;
  if (nWithout > 0)
    ReportError(std::to_string(nWithout) + " variants have no order number: a rule of series " +
                o.strSeries + " points outside the element's text");
  if (model.m_bVariantsCut)
    ReportError("the model has more than " + std::to_string(kBdhMaxVariants) +
                " size variants; the rest is left out");
  const bool bOk = nWithout == 0 && !model.m_bVariantsCut;
  if (o.bJson) {
    json variants = json::array();
    for (const CBdhVariant& v : model.m_Variants) variants.push_back(VariantJson(v));
    json document = {{"ok", bOk},
                     {"series", ToUtf8(model.m_strSeries)},
                     {"model", ToUtf8(model.m_strName)},
                     {"kind", Kind(model.m_nKey2)},
                     {"variants", variants}};
    if (!bOk) document["errors"] = RunReport().listErrors;
    PrintJsonDocument(JsonText(document) + "\n");
    return bOk ? 0 : 1;
  }
  std::printf("%s, %s (%s)\n", ToUtf8(model.m_strSeries).c_str(), ToUtf8(model.m_strName).c_str(),
              Kind(model.m_nKey2).c_str());
  std::printf("L\telement\tcol0\tcol1\tW\tq\tn\torder number\tQ\tt\tm\n");
  for (const CBdhVariant& v : model.m_Variants) {
    std::printf("%d\t%s\t%d\t%d\t%d\t%s\t%s\t%s\t%d\t%d\t%.3f\n", v.m_nLength,
                ToUtf8(v.m_strName).c_str(), v.m_nCol0, v.m_nCol1, v.m_nWidth,
                FloatText(v.m_fOutput).c_str(), FloatText(v.m_fExponent).c_str(),
                v.m_bOrderNumber ? ToUtf8(v.m_strOrderNumber).c_str() : "?", v.m_nHeatOutput,
                v.m_nReturnTemp, v.m_dMassFlow);
  }
  return bOk ? 0 : 1;
}

}  // namespace

void AddBdhCommands(CLI::App& app) {
  auto* pImport = ImportCommandGroup(app)->add_subcommand(
      "bdh", "Import a BDH-2 radiator catalogue (HK.DAT) into a dataset");
  auto options = std::make_shared<CFileImportOptions>();
  AddFileImportOptions(*pImport, *options, "BDH-2 (HK.DAT)", kDefaultNewID);
  pImport->callback([=] { RunCommand("import bdh", [&] { return RunImport(*options); }); });

  auto* group = app.add_subcommand("bdh", "BDH-2 radiator models of a dataset");
  auto* models = group->add_subcommand("models", "The series and models of a dataset");
  auto mmd = std::make_shared<std::string>();
  auto json = std::make_shared<bool>(false);
  models->add_option("--mmd", *mmd, "database file")->required();
  models->add_flag("--json", *json, "print JSON");
  models->callback([=] { RunCommand("bdh models", [&] { return RunModels(*mmd, *json); }); });

  auto o = std::make_shared<CVariantOptions>();
  auto* variants = group->add_subcommand(
      "variants", "The size variants of a model with order numbers and heat outputs");
  variants->add_option("--mmd", o->strMmd, "database file")->required();
  variants->add_option("SERIES", o->strSeries, "series")->required();
  variants->add_option("MODEL", o->strModel, "model")->required();
  variants->add_flag("--json", o->bJson, "print JSON");
  variants->callback([=] { RunCommand("bdh variants", [&] { return RunVariants(*o); }); });
}
