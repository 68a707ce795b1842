// orvamat set show --mmd FILE TABLE [SET] [--size N] [--size2 N] [--explode]
//   [--json]: fills an article set from the set table at the path TABLE of
//   the database file, by the set row SET, or by size (--size, --size2: of
//   the row SET when one is given, else of all rows), explodes its set groups
//   with --explode, and prints its items: article, quantity and flags (in
//   hexadecimal), one line each. Nothing is saved.
// Messages go to stderr through the console host UI; exit code 1 when the
// table or the set row is not there.
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include <CLI/CLI.hpp>

#include "commands.h"
#include "run_report.h"

#include "OrvaMat/article_set.h"
#include "OrvaMat/mat_manager.h"
#include "OrvaMat/text.h"

namespace {

struct CSetOptions {
  std::string strMmd;
  std::string strTable;
  std::string strSet;
  std::optional<unsigned long> nSize;
  unsigned long nSize2 = 0;
  bool bExplode = false;
  bool bJson = false;
};

std::string Name(unsigned long h) {
  const wchar_t* pName = CMatManager::HdlToString(h);
  return pName != nullptr ? ToUtf8(pName) : std::to_string(h);
}

int RunShow(const CSetOptions& o) {
  const unsigned long prefix = OpenOnly(o.strMmd);
  if (prefix == 0) return 1;
  CMatManager::SelectDatasetByPrefix(prefix, false);
  CMatTable* pTable = nullptr;
  if (CMatManager::FindTable(&pTable, nullptr, FromUtf8(o.strTable).c_str()) != eMatOk) {
    ReportError(o.strTable + ": no such table in " + o.strMmd);
    return 1;
  }
  if (!CMatManager::IsStructTable(pTable)) {
    ReportError(o.strTable + ": not a set table (a Struct table)");
    return 1;
  }
  unsigned long hSet = 0;
  if (!o.strSet.empty()) {
    hSet = CMatManager::FindHandle(FromUtf8(o.strSet).c_str());
    if (hSet == 0 || CMatManager::RowExistsEx(pTable, hSet) != eMatOk) {
      ReportError(o.strSet + ": no set row of " + o.strTable);
      return 1;
    }
  }
  CArtikelSet set;
  set.m_pSetTabelle = pTable;
  if (o.nSize.has_value() || hSet == 0) {
    set.m_hSet = hSet;
    set.SetGroesse(o.nSize.value_or(0), o.nSize2);
  } else {
    set.SetSet(hSet);
  }
  if (o.bExplode) CMatManager::ExplodeSetWith(set, nullptr);
  if (o.bJson) {
    nlohmann::ordered_json items = nlohmann::ordered_json::array();
    for (POSITION pos = set.GetHeadPosition(); pos != nullptr;) {
      const CArtikelSetItem* pItem = set.GetNextItem(pos);
      items.push_back({{"article", Name(pItem->m_hArtikel)},
                       {"quantity", pItem->m_fMenge},
                       {"flags", pItem->m_nFlags}});
    }
    PrintJsonDocument(JsonText({{"ok", true},
                                {"table", o.strTable},
                                {"size", set.m_nGroesse},
                                {"size2", set.m_nGroesse2},
                                {"items", items}}) +
                      "\n");
    return 0;
  }
  for (POSITION pos = set.GetHeadPosition(); pos != nullptr;) {
    const CArtikelSetItem* pItem = set.GetNextItem(pos);
    std::printf("%s\t%g\t0x%lx\n", Name(pItem->m_hArtikel).c_str(),
                static_cast<double>(pItem->m_fMenge), pItem->m_nFlags);
  }
  return 0;
}

}  // namespace

void AddSetCommands(CLI::App& app) {
  auto* group = app.add_subcommand("set", "Article sets of a dataset");
  auto o = std::make_shared<CSetOptions>();
  auto* show = group->add_subcommand("show", "Fill an article set from a set table and show it");
  show->add_option("--mmd", o->strMmd, "database file")->required();
  show->add_option("TABLE", o->strTable, "path of the set table")->required();
  show->add_option("SET", o->strSet, "the set row (none: chosen by size over all rows)");
  show->add_option("--size", o->nSize, "the size to fill by");
  show->add_option("--size2", o->nSize2, "the second size parameter");
  show->add_flag("--explode", o->bExplode, "explode set groups into their components");
  show->add_flag("--json", o->bJson, "print JSON");
  show->callback([=] { RunCommand("set show", [&] { return RunShow(*o); }); });
}
