// orvamat import datanorm FILE... --mmd FILE [--id XXXX] [--dos]: reads
//   DATANORM files into the dataset of FILE (made when the file does not
//   exist, with the ID given) and saves it. A terminal sees a progress bar
//   with lines per second; other output gets one plain line per step.
// orvamat article --mmd FILE NUMBER [--json]: one article of the dataset:
//   short and complete text, price and price unit, quantity unit, discount
//   group and its factor, main and product group, match code, EAN and the
//   picture file.
// Messages go to stderr through the console host UI; exit code 1 on failure.
#include <unistd.h>

#include <bit>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "cli/commands.h"
#include "cli/run_report.h"

#include "OrvaMat/article.h"
#include "OrvaMat/mat_manager.h"
#include "import/dn_loader.h"
#include "platform/file.h"
#include "platform/text.h"
#include "query/article/table_lookup.h"
#include "store/mat_store.h"
#include "store/mmd/dataset_registry.h"
#include "store/mmd/import_target.h"
#include "store/mmd/mmd_file.h"

namespace {

using CClock = std::chrono::steady_clock;

// The dataset of the database file, opened, or made with the ID when the
// file does not exist yet; current afterwards. Null on failure (reported).
CMatDatenSatz* OpenOrCreate(const CString& path, const std::string& id) {
  if (FileExists(path)) {
    if (CMatManager::OpenDataset(path.c_str()) != 1) return nullptr;
  } else {
    CMatManager::CreateDataset(FromUtf8(id).c_str(), FromUtf8(id).c_str(), path.c_str());
  }
  return CMatStore::Instance().GetCurrent();
}

class CProgressLine {
 public:
  CProgressLine(const std::string& file, bool terminal) : m_strFile(file), m_bTerminal(terminal) {}

  void Show(std::size_t line, std::size_t lines) {
    const double seconds = std::chrono::duration<double>(CClock::now() - m_Start).count();
    const double rate = seconds > 0 ? static_cast<double>(line) / seconds : 0;
    if (!m_bTerminal) {
      std::printf("%s: %zu/%zu lines, %.0f lines/s\n", m_strFile.c_str(), line, lines, rate);
      return;
    }
    constexpr int kWidth = 30;
    const int filled = lines > 0 ? static_cast<int>(kWidth * line / lines) : kWidth;
    std::fprintf(stderr, "\r%s [%s%s] %zu/%zu lines %.0f lines/s", m_strFile.c_str(),
                 std::string(static_cast<std::size_t>(filled), '#').c_str(),
                 std::string(static_cast<std::size_t>(kWidth - filled), ' ').c_str(), line, lines,
                 rate);
    if (line == lines) std::fputc('\n', stderr);
  }

 private:
  std::string m_strFile;
  bool m_bTerminal;
  CClock::time_point m_Start = CClock::now();
};

int RunImport(const std::vector<std::string>& files, const std::string& mmd, const std::string& id,
              bool dos) {
  const CString path = FromUtf8(mmd);
  CMatDatenSatz* pDataset = OpenOrCreate(path, id);
  if (pDataset == nullptr) return 1;
  const bool terminal = ::isatty(STDERR_FILENO) != 0;
  const auto start = CClock::now();
  CDnLoader loader;
  std::size_t lines = 0;
  int failed = 0;
  for (const std::string& file : files) {
    CProgressLine progress(file, terminal);
    loader.SetProgress([&](std::size_t n, std::size_t total) { progress.Show(n, total); });
    if (!loader.Load(FromUtf8(file), dos)) {
      std::fprintf(stderr, "%s: not imported\n", file.c_str());
      ++failed;
    }
    lines += loader.GetLineCount();
  }
  const bool saved = SaveDataset(*pDataset);
  ReleaseWriteLock(*pDataset);
  const double seconds = std::chrono::duration<double>(CClock::now() - start).count();
  std::printf("%s: %zu files, %zu lines in %.2f s (%.0f lines/s)%s\n", mmd.c_str(), files.size(),
              lines, seconds, seconds > 0 ? static_cast<double>(lines) / seconds : 0.0,
              saved ? ", saved" : ", not saved");
  return failed == 0 && saved ? 0 : 1;
}

// ---- orvamat article

struct CArticleFacts {
  std::vector<std::pair<std::string, std::string>> m_Fields;
  void Add(const char* name, const CString& value) { m_Fields.emplace_back(name, ToUtf8(value)); }
};

CString HandleText(CMatDatenSatz& dataset, std::uint32_t h) {
  const wchar_t* p = h != 0 ? dataset.GetName(h) : nullptr;
  return p != nullptr ? p : L"";
}

std::uint32_t CellOf(CMatDatenSatz& dataset, const wchar_t* table, Handle row, int index,
                     int field) {
  CCell cell;
  CMatTable* pTable = FindTopTableNamed(dataset, table);
  if (pTable == nullptr) return 0;
  const eMatManager rc = CMatStore::Instance().GetCellValue(pTable, cell, row, index, field);
  return rc == eMatOk ? cell.m_nValue : 0;
}

CString TextOf(CMatDatenSatz& dataset, std::uint32_t poolIndex) {
  const wchar_t* p = dataset.GetPoolText(poolIndex);
  return p != nullptr ? p : L"";
}

CString Number(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.4g", value);
  return FromUtf8(buffer);
}

// The product group: the "WG_" table under the article's main group that
// holds the article.
CString ProductGroupOf(CMatDatenSatz& dataset, Handle hArticle, const CString& mainGroup) {
  CMatTable* pHwg = FindTopTableNamed(dataset, L"HauptWarenGruppen");
  CMatTable* pMain = pHwg != nullptr ? FindChildNamed(*pHwg, mainGroup) : nullptr;
  if (pMain == nullptr) return {};
  for (const auto& pGroup : pMain->m_Children) {
    if (CMatStore::Instance().RowExists(pGroup.get(), hArticle) == eMatOk) {
      return HandleText(dataset, pGroup->m_hName);
    }
  }
  return {};
}

CArticleFacts CollectFacts(CMatDatenSatz& dataset, Handle h) {
  CArticleFacts facts;
  CString text;
  CMatManager::GetKurzText(text, h);
  facts.Add("short text", text);
  CMatManager::GetGesammtText(text, h);
  facts.Add("complete text", text);
  const auto price = std::bit_cast<float>(CellOf(dataset, L"Preis", h, 0, 0));
  char priceText[32];
  std::snprintf(priceText, sizeof priceText, "%.2f", static_cast<double>(price));
  facts.Add("price", FromUtf8(priceText));
  facts.Add("price unit", std::to_wstring(CellOf(dataset, L"ArtikelInfo1", h, 0, 1)));
  CMatManager::GetMengeneinheitText(text, h);
  facts.Add("quantity unit", text);
  const std::uint32_t hDiscount = CellOf(dataset, L"ArtikelInfo1", h, 0, 3);
  facts.Add("discount group", HandleText(dataset, hDiscount));
  const auto factor = std::bit_cast<float>(CellOf(dataset, L"Rabattgruppen", hDiscount, 0, 1));
  facts.Add("discount factor", hDiscount != 0 && factor != 0 ? Number(factor) : CString());
  const CString mainGroup = HandleText(dataset, CellOf(dataset, L"ArtikelInfo2", h, 0, 1));
  facts.Add("main group", mainGroup);
  facts.Add("product group", ProductGroupOf(dataset, h, mainGroup));
  facts.Add("match code", HandleText(dataset, CellOf(dataset, L"ArtikelInfo2", h, 0, 0)));
  facts.Add("EAN", TextOf(dataset, CellOf(dataset, L"ArtikelInfo2", h, 0, 2)));
  CString picture, info, resolved;
  CMatManager::GetArtikelBildDatei(picture, info, h);
  CMatManager::ResolveLibraryFile(resolved, picture);
  facts.Add("picture", resolved);
  return facts;
}

int RunArticle(const std::string& mmd, const std::string& number, bool json) {
  const CString path = FromUtf8(mmd);
  if (const CString why = WhyInputUnreadable(path); !why.empty()) {
    ReportError(ToUtf8(why));
    return 1;
  }
  // Opened, not registered: looking at an article changes no settings.
  CMatDatenSatz* pDataset = NewDataset(CMatStore::Instance());
  if (pDataset != nullptr) AttachFile(*pDataset, path);
  if (pDataset == nullptr || !LoadDataset(*pDataset)) {
    ReportError(mmd + ": no database file could be read");
    return 1;
  }
  MakeCurrent(CMatStore::Instance(), *pDataset);
  const Handle h = pDataset->FindHandle(FromUtf8(number));
  if (h == 0) {
    ReportError(mmd + ": no article " + number);
    return 1;
  }
  const CArticleFacts facts = CollectFacts(*pDataset, h);
  if (json) {
    std::string document = "{\"article\": " + JsonString(number);
    for (const auto& [name, value] : facts.m_Fields)
      document += ",\n \"" + name + "\": " + JsonString(value);
    PrintJsonDocument(document + "}\n");
    return 0;
  }
  std::printf("article          %s\n", number.c_str());
  for (const auto& [name, value] : facts.m_Fields) {
    std::string shown = value;
    for (std::size_t pos = 0; (pos = shown.find("\r\n", pos)) != std::string::npos;) {
      shown.replace(pos, 2, "\n                 ");
    }
    std::printf("%-16s %s\n", name.c_str(), shown.c_str());
  }
  return 0;
}

}  // namespace

void AddDatanormCommands(CLI::App& app) {
  // "import" may be there already with the other importers.
  auto named = app.get_subcommands([](CLI::App* sub) { return sub->get_name() == "import"; });
  CLI::App* import = !named.empty()
                         ? named.front()
                         : app.add_subcommand("import", "Import product data into a dataset");
  auto* datanorm = import->add_subcommand("datanorm", "Import DATANORM 4/5 files into a dataset");
  auto files = std::make_shared<std::vector<std::string>>();
  auto mmd = std::make_shared<std::string>();
  auto id = std::make_shared<std::string>("DN01");
  auto dos = std::make_shared<bool>(false);
  datanorm->add_option("FILE", *files, "DATANORM files, read in this order")->required();
  datanorm->add_option("--mmd", *mmd, "database file (made when missing)")->required();
  datanorm->add_option("--id", *id, "manufacturer ID of a new dataset (4 characters)");
  datanorm->add_flag("--dos", *dos, "files use the DOS character set (CP850)");
  datanorm->callback([=] {
    if (int rc = RunImport(*files, *mmd, *id, *dos); rc != 0) throw CLI::RuntimeError(rc);
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
