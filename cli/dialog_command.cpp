// orvamat dialog datasets [--mmd FILE]... [--json] [--screenshot PNG]
//   the dataset page on the registered datasets (or on the files given),
//   then the datasets as the user left them: ID, name, listed or excluded.
// orvamat dialog choose --mmd FILE NUMBER... [--json] [--screenshot PNG]
//   the article choice over the articles of those numbers, then the number
//   chosen (null in JSON when none).
// orvamat dialog variants --mmd FILE --sheet NAME TAG [--select KEY]...
//   [--json] [--screenshot PNG]
//   the variants and options (or accessories) of the VDI product the TGA
//   number names, then the keys chosen and whether the user pressed OK.
// orvamat dialog search --mmd FILE [NUMBER] [--json] [--screenshot PNG]
//   the article search, starting at the article NUMBER, then the article
//   selected last and whether the user pressed OK.
// The dialogs come from libOrvaMatDialogs.so, loaded here when a dialog
// command runs, so that every other command runs without Qt. With
// --screenshot the dialog is laid out, its picture saved, and it closes as
// if cancelled. Exit 1 when the dialogs library can not be loaded, a file
// can not be read or a number names no article.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "commands.h"
#include "dialogs_loader.h"
#include "run_report.h"

#include "OrvaMat/database_file.h"
#include "OrvaMat/dialogs.h"
#include "OrvaMat/host_ui.h"
#include "OrvaMat/mat_manager.h"
#include "OrvaMat/qt_dialogs.h"
#include "OrvaMat/text.h"
#include "OrvaMat/vdi.h"

namespace {

struct CDialogOptions {
  std::vector<std::string> listMmd;
  std::string strMmd;  // of dialog choose, search and variants
  std::string strSheet;
  std::string strTag;
  std::vector<std::string> listSelect;
  std::vector<std::string> listNumbers;
  std::string strScreenshot;
  bool bJson = false;
};

// The entry points of the dialogs library, found once it is loaded.
std::string IdOf(unsigned long prefix) {
  CString id;
  CMatManager::GetDatasetID(id, prefix);
  return ToUtf8(id);
}

int RunDatasets(const CDialogOptions& o) {
  if (o.listMmd.empty()) {
    for (const CRegisteredDataset& entry : ListRegisteredDatasets())
      CMatManager::AddDatasetFile(entry.strPath.c_str());
  }
  for (const std::string& file : o.listMmd)
    if (OpenOnly(file) == 0) return 1;
  CDialogsLibrary dialogs;
  if (!LoadDialogs(o.strScreenshot, dialogs)) return 1;
  const CRuntimeClass* pClass = CMatManager::GetKonfigPageClass(L"Materialverwaltung");
  void* pPage = pClass != nullptr ? pClass->CreateObject() : nullptr;
  if (pPage == nullptr) {
    ReportError("the dataset page could not be made");
    return 1;
  }
  // A screenshot that could not be saved: the library said why.
  if (!dialogs.pRunWindow(pPage)) return 1;
  nlohmann::ordered_json datasets = nlohmann::ordered_json::array();
  for (const CKonfigPageItem& item : CKonfigPageModel::Fill()) {
    const char* pState = item.nImage == kKonfigExcluded ? "excluded"
                         : item.nImage == kKonfigLocked ? "locked"
                                                        : "listed";
    if (o.bJson) {
      datasets.push_back(
          {{"id", IdOf(item.nPrefix)}, {"name", ToUtf8(item.strName)}, {"state", pState}});
    } else {
      std::printf("%s  %s  (%s)\n", IdOf(item.nPrefix).c_str(), ToUtf8(item.strName).c_str(),
                  pState);
    }
  }
  if (o.bJson) PrintJsonDocument(JsonText({{"ok", true}, {"datasets", datasets}}) + "\n");
  return 0;
}

int RunChoose(const CDialogOptions& o) {
  const unsigned long prefix = OpenOnly(o.strMmd);
  if (prefix == 0) return 1;
  CPtrList handles;
  for (const std::string& number : o.listNumbers) {
    CMatManager::SelectDatasetByPrefix(prefix, false);
    const unsigned long h = CMatManager::FindHandle(FromUtf8(number).c_str());
    if (h == 0) {
      ReportError(number + ": no such article in " + o.strMmd);
      return 1;
    }
    handles.push_back(reinterpret_cast<void*>(static_cast<std::uintptr_t>(h)));
  }
  CDialogsLibrary dialogs;
  if (!LoadDialogs(o.strScreenshot, dialogs)) return 1;
  const unsigned long hChosen = CMatManager::chooseArtikelDlg(nullptr, handles);
  const wchar_t* pNumber = hChosen != 0 ? CMatManager::HdlToString(hChosen) : nullptr;
  const std::string chosen = pNumber != nullptr ? ToUtf8(pNumber) : "";
  if (o.bJson) {
    nlohmann::ordered_json document = {{"ok", true}, {"chosen", nullptr}};
    if (!chosen.empty()) document["chosen"] = chosen;
    PrintJsonDocument(JsonText(document) + "\n");
  } else if (!chosen.empty()) {
    std::printf("%s\n", chosen.c_str());
  }
  return 0;
}

int RunSearch(const CDialogOptions& o) {
  const unsigned long prefix = OpenOnly(o.strMmd);
  if (prefix == 0) return 1;
  CMatManager::SelectDatasetByPrefix(prefix, false);
  unsigned long handle = 0;
  if (!o.listNumbers.empty()) {
    handle = CMatManager::FindHandle(FromUtf8(o.listNumbers.front()).c_str());
    if (handle == 0) {
      ReportError(o.listNumbers.front() + ": no such article in " + o.strMmd);
      return 1;
    }
  }
  CDialogsLibrary dialogs;
  if (!LoadDialogs(o.strScreenshot, dialogs)) return 1;
  // Without an article the dialog shows the file's dataset: its groups
  // are found through a table of it.
  CMatTable* pTable = nullptr;
  if (handle == 0) CMatManager::FindTable(&pTable, nullptr, L"HauptWarenGruppen");
  const int rc = CMatManager::SearchArtikelDlg(handle, nullptr, pTable);
  const wchar_t* pNumber = handle != 0 ? CMatManager::HdlToString(handle) : nullptr;
  const std::string selected = pNumber != nullptr ? ToUtf8(pNumber) : "";
  if (o.bJson) {
    nlohmann::ordered_json document = {
        {"ok", true}, {"accepted", rc == IDOK}, {"selected", nullptr}};
    if (!selected.empty()) document["selected"] = selected;
    PrintJsonDocument(JsonText(document) + "\n");
  } else {
    std::printf("%s%s\n", selected.c_str(), rc == IDOK ? "" : " (cancelled)");
  }
  return 0;
}

int RunVariants(const CDialogOptions& o) {
  const unsigned long prefix = OpenOnly(o.strMmd);
  if (prefix == 0) return 1;
  CMatTable* pProduct =
      FindVdiProduct(prefix, FromUtf8(o.strSheet).c_str(), FromUtf8(o.strTag).c_str());
  Cvdi3805Tag* pTree = GetVdiVariantTree(pProduct);
  if (pTree == nullptr) {
    ReportError(o.strSheet + " " + o.strTag + ": no product of that TGA number in " + o.strMmd);
    return 1;
  }
  CDialogsLibrary dialogs;
  if (!LoadDialogs(o.strScreenshot, dialogs)) return 1;
  CStringList selection;
  for (const std::string& key : o.listSelect) selection.push_back(FromUtf8(key));
  const int rc = CMatManager::showProdVarianten(pTree, selection);
  if (o.bJson) {
    nlohmann::ordered_json keys = nlohmann::ordered_json::array();
    for (const CString& key : selection) keys.push_back(ToUtf8(key));
    PrintJsonDocument(JsonText({{"ok", true}, {"accepted", rc == IDOK}, {"selection", keys}}) +
                      "\n");
  } else {
    for (const CString& key : selection) std::printf("%s\n", ToUtf8(key).c_str());
  }
  return 0;
}

void AddCommon(CLI::App& command, CDialogOptions& o) {
  command.add_flag("--json", o.bJson, "print one JSON document");
  command.add_option("--screenshot", o.strScreenshot,
                     "save the laid-out dialog as PNG and close it instead of waiting");
}

}  // namespace

void AddDialogCommands(CLI::App& app) {
  auto* dialog = app.add_subcommand("dialog", "The library's dialogs (libOrvaMatDialogs.so)");
  auto o = std::make_shared<CDialogOptions>();
  auto* datasets = dialog->add_subcommand("datasets", "The dataset page");
  datasets->add_option("--mmd", o->listMmd, "database files instead of the registered ones");
  AddCommon(*datasets, *o);
  datasets->callback([o] { RunCommand("dialog datasets", [&] { return RunDatasets(*o); }); });
  auto* choose = dialog->add_subcommand("choose", "The article choice over NUMBER...");
  choose->add_option("--mmd", o->strMmd, "database file")->required();
  choose->add_option("NUMBER", o->listNumbers, "article numbers")->required();
  AddCommon(*choose, *o);
  choose->callback([o] { RunCommand("dialog choose", [&] { return RunChoose(*o); }); });
  auto* search = dialog->add_subcommand("search", "The article search");
  search->add_option("--mmd", o->strMmd, "database file")->required();
  search->add_option("NUMBER", o->listNumbers, "the article shown first")->expected(0, 1);
  AddCommon(*search, *o);
  search->callback([o] { RunCommand("dialog search", [&] { return RunSearch(*o); }); });
  auto* variants = dialog->add_subcommand("variants", "The variants and options of a VDI product");
  variants->add_option("--mmd", o->strMmd, "database file")->required();
  variants->add_option("--sheet", o->strSheet, "sheet name, e.g. VDI-Pumpen")->required();
  variants->add_option("TAG", o->strTag, "TGA number of the product")->required();
  variants->add_option("--select", o->listSelect, "a key chosen already");
  AddCommon(*variants, *o);
  variants->callback([o] { RunCommand("dialog variants", [&] { return RunVariants(*o); }); });
}
