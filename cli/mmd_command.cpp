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
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include <CLI/CLI.hpp>

#include "cli/commands.h"
#include "cli/run_report.h"

#include "OrvaMat/mat_manager.h"
#include "platform/file.h"
#include "platform/text.h"
#include "store/mat_store.h"
#include "store/mmd/dataset_lists.h"
#include "store/mmd/dataset_registry.h"
#include "store/mmd/import_target.h"
#include "store/mmd/mmd_backing.h"
#include "store/mmd/mmd_file.h"
#include "store/mmd/mmd_format.h"
#include "store/mmtb/mat_text_file.h"
#include "store/mmtb/mat_text_writer.h"
#include "store/table_names.h"

namespace {

void Print(const CString& text) { std::fputs(ToUtf8(text).c_str(), stdout); }

// Opens FILE as the only dataset of the process's store; null when it can
// not be read (reported).
CMatDatenSatz* OpenOnly(const std::string& file) {
  if (const CString why = WhyInputUnreadable(FromUtf8(file)); !why.empty()) {
    ReportError(ToUtf8(why));
    return nullptr;
  }
  CMatStore& store = CMatStore::Instance();
  CMatDatenSatz* pDataset = NewDataset(store);
  AttachFile(*pDataset, FromUtf8(file));
  if (LoadDataset(*pDataset)) return pDataset;
  ReportError(file + ": no database file could be read");
  return nullptr;
}

void PrintTree(const CMatTable& table, int nDepth) {
  CString type;
  AppendTypeText(type, table.m_nType);
  CString line(std::size_t(nDepth * 2), L' ');
  line += table.m_strName + L"  " + type;
  if (table.m_nType == eTypeStrLine) {
    line += L"  text";
  } else {
    line += L"," + std::to_wstring(table.m_nValuesPerRow) + L"  " +
            std::to_wstring(table.m_nRowCount) + L" rows";
  }
  if (table.m_nFlags != 0) line += L"  flags " + std::to_wstring(table.m_nFlags);
  Print(line + L"\n");
  for (const auto& pChild : table.m_Children) PrintTree(*pChild, nDepth + 1);
}

int RunInfo(const std::string& file) {
  CMatDatenSatz* pDataset = OpenOnly(file);
  if (pDataset == nullptr) return 1;
  const CMmdBacking& backing = MmdBackingOf(*pDataset);
  Print(CString(L"magic    ") + (backing.m_bUtf8 ? L"MMD3 (UTF-8)" : L"MMD2 (ANSI)") + L"\n");
  Print(CString(L"ID       ") + pDataset->m_szHerstellerID + L"\n");
  Print(L"version  " + std::to_wstring(backing.m_nVersion) + L"\n");
  Print(L"handles  " + std::to_wstring(pDataset->m_HandleToName.GetCount()) + L" (counter " +
        std::to_wstring(pDataset->m_nHandleCounter & 0xFFFFFF) + L")\n");
  if (!backing.m_strInfo.empty()) Print(L"info     " + backing.m_strInfo + L"\n");
  Print(L"tables   " + std::to_wstring(pDataset->m_Tables.size()) + L"\n");
  for (const auto& pTable : pDataset->m_Tables) PrintTree(*pTable, 1);
  return 0;
}

// The table that "Top.Child" names, names compared without regard to case.
CMatTable* FindByPath(CMatDatenSatz& dataset, const CString& path) {
  CTableList* pList = &dataset.m_Tables;
  CMatTable* pFound = nullptr;
  std::size_t nStart = 0;
  while (pList != nullptr && nStart <= path.size()) {
    const std::size_t nDot = std::min(path.find(L'.', nStart), path.size());
    const CString name = path.substr(nStart, nDot - nStart);
    pFound = nullptr;
    for (auto& pTable : *pList)
      if (EqualsNoCase(pTable->m_strName, name)) pFound = pTable.get();
    if (pFound == nullptr) return nullptr;
    pList = &pFound->m_Children;
    nStart = nDot + 1;
  }
  return pFound;
}

int RunDump(const std::string& file, const std::string& tablePath) {
  CMatDatenSatz* pDataset = OpenOnly(file);
  if (pDataset == nullptr) return 1;
  CStringList lines;
  if (!tablePath.empty()) {
    CMatTable* pTable = FindByPath(*pDataset, FromUtf8(tablePath));
    if (pTable == nullptr) {
      ReportError(file + ": no table " + tablePath);
      return 1;
    }
    CMatManager::WriteTableText(pTable, lines);
  } else {
    for (const auto& pTable : pDataset->m_Tables) CMatManager::WriteTableText(pTable.get(), lines);
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
  if (target.strID.empty() && !FileExists(ResolveDatabasePath(target.strPath)))
    target.strID = L"HsID";
  target.strName = FromUtf8(a.strName);
  target.bSalvage = a.bSalvage;
  target.bRegister = a.bRegister;
  CMatStore& store = CMatStore::Instance();
  CMatDatenSatz* pDataset = OpenImportTarget(store, target);
  if (pDataset == nullptr) {
    if (target.bRefusedDamaged) ReportSalvageHint();
    return 1;
  }
  // Every table, row and name the text brings marks the dataset changed: a
  // text that leaves it unchanged held no block (random bytes, only
  // comments) and is no import.
  pDataset->m_bModified = false;
  const bool bRead = ReadMmtbFile(store, text);
  const bool bAny = pDataset->m_bModified;
  if (bRead && !bAny) ReportError(a.strText + ": no MMTB table in the text");
  const bool bSalvaged = IsDatasetDamaged(*pDataset);  // only with --salvage here
  const bool bSaved = FinishImport(*pDataset, target, bRead && bAny);
  if (!bSaved) {
    ReportError(a.strMmd + ": not saved" + (bRead ? "" : ", reading stopped at an error"));
    return 1;
  }
  // The damage report was what --salvage answered: the damaged file lies
  // beside, and the run did what was asked.
  if (bSalvaged) AnswerShownErrors();
  std::printf("%s: %zu tables, saved%s\n", ToUtf8(pDataset->m_strPath).c_str(),
              pDataset->m_Tables.size(), bSalvaged ? " (salvaged)" : "");
  return 0;
}

// The ID in the head of a database file; "????" when it has none.
CString IDOfFile(const CString& path) {
  CFile file;
  char head[8] = {};
  if (!file.Open(path, CFile::eRead) || !file.ReadAt(0, head, sizeof head) ||
      (std::string_view(head, 4) != "MMD3" && std::string_view(head, 4) != "MMD2"))
    return L"????";
  CString id;
  for (int i = 4; i < 8; ++i) id += wchar_t(static_cast<unsigned char>(head[i]));
  return id;
}

int RunList() {
  CStringList registered;
  CStringList excluded;
  ReadRegisteredList(registered);
  ReadExcludedList(excluded);
  // Each file's own ID, read from its head: the list may hold more files
  // than a store can open.
  for (const CString& path : registered) {
    bool bExcluded = false;
    for (const CString& entry : excluded) bExcluded |= EqualsNoCase(ExcludedEntryPath(entry), path);
    Print(IDOfFile(path) + L"  " + path + (bExcluded ? L"  (excluded)\n" : L"\n"));
  }
  return 0;
}

// Opens the dataset of path and registers it; null when it can not be
// opened (reported).
CMatDatenSatz* OpenRegistered(const std::string& file) {
  const CString path = AbsolutePath(FromUtf8(file));
  if (const CString why = WhyInputUnreadable(FromUtf8(file)); !why.empty()) {
    ReportError(ToUtf8(why));
    return nullptr;
  }
  CMatManager::OpenDataset(path.c_str());
  CMatDatenSatz* pDataset = CMatStore::Instance().GetCurrent();
  if (pDataset == nullptr || pDataset->m_strPath != ResolveDatabasePath(path)) {
    ReportError(file + ": no database file could be opened");
    return nullptr;
  }
  return pDataset;
}

int RunOpen(const std::string& file) {
  CStringList before;
  ReadRegisteredList(before);
  CMatDatenSatz* pDataset = OpenRegistered(file);
  if (pDataset == nullptr) return 1;
  CStringList after;
  ReadRegisteredList(after);
  if (std::find(after.begin(), after.end(), pDataset->m_strPath) == after.end()) {
    ReportError(file + ": opened, but not entered in the registered datasets");
    return 1;
  }
  return 0;
}

// Takes the path off the registered list; a file that is gone leaves it all
// the same. A path that is not on the list is an error.
int RunClose(const std::string& file) {
  const CString path = AbsolutePath(FromUtf8(file));
  const CString resolved = ResolveDatabasePath(path);
  CStringList list;
  ReadRegisteredList(list);
  const std::size_t nBefore = list.size();
  // Entries of older runs may hold the path as it was typed.
  const CString typed = FromUtf8(file);
  std::erase_if(list, [&](const CString& entry) {
    return entry == path || entry == resolved || entry == typed;
  });
  if (list.size() == nBefore) {
    ReportError(file + ": not a registered dataset");
    return 1;
  }
  return WriteRegisteredList(list) ? 0 : 1;
}

int RunExclude(const std::string& file, bool again) {
  CMatDatenSatz* pDataset = OpenRegistered(file);
  if (pDataset == nullptr) return 1;
  CString name;
  if (CMatTable* pStrings = FindTopLevelTable(*pDataset, L"StringTable", eHiddenTables::kFind)) {
    CCell cell;
    const Handle h = pDataset->FindHandle(L"HERSTELLERNAME");
    if (h != 0 && CMatStore::Instance().GetCellValue(pStrings, cell, h, 0, 0) == eMatOk)
      if (const wchar_t* p = pDataset->GetPoolText(cell.m_nValue)) name = p;
  }
  pDataset->m_strName = name;
  return SetDatasetListed(*pDataset, again) ? 0 : 1;
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
