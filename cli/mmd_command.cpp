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

#include "cli/commands.h"

#include "OrvaMat/mat_manager.h"
#include "platform/file.h"
#include "platform/text.h"
#include "store/mat_store.h"
#include "store/mmd/dataset_lists.h"
#include "store/mmd/dataset_registry.h"
#include "store/mmd/mmd_backing.h"
#include "store/mmd/mmd_file.h"
#include "store/mmtb/mat_text_file.h"
#include "store/mmtb/mat_text_writer.h"

namespace {

void Print(const CString& text) { std::fputs(ToUtf8(text).c_str(), stdout); }

// Opens FILE as the only dataset of the process's store; null when it can
// not be read (reported).
CMatDatenSatz* OpenOnly(const std::string& file) {
  CMatStore& store = CMatStore::Instance();
  CMatDatenSatz* pDataset = NewDataset(store);
  AttachFile(*pDataset, FromUtf8(file));
  if (LoadDataset(*pDataset)) return pDataset;
  if (!FileExists(pDataset->m_strPath)) std::fprintf(stderr, "%s: no such file\n", file.c_str());
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
      std::fprintf(stderr, "%s: no table %s\n", file.c_str(), tablePath.c_str());
      return 1;
    }
    CMatManager::WriteTableText(pTable, lines);
  } else {
    for (const auto& pTable : pDataset->m_Tables) CMatManager::WriteTableText(pTable.get(), lines);
  }
  for (const CString& line : lines) Print(line + L"\n");
  return 0;
}

int RunImport(const std::string& text, const std::string& file, const std::string& id,
              const std::string& name) {
  const CString path = FromUtf8(file);
  CMatStore& store = CMatStore::Instance();
  if (FileExists(path)) {
    if (CMatManager::OpenDataset(path.c_str()) != 1) return 1;
  } else {
    const CString strName = name.empty() ? FromUtf8(file) : FromUtf8(name);
    CMatManager::CreateDataset(FromUtf8(id).c_str(), strName.c_str(), path.c_str());
  }
  CMatDatenSatz* pDataset = store.GetCurrent();
  if (pDataset == nullptr) return 1;
  const bool bRead = ReadMmtbFile(store, FromUtf8(text));
  const bool bSaved = SaveDataset(*pDataset);
  ReleaseWriteLock(*pDataset);
  std::printf("%s: %zu tables%s%s\n", file.c_str(), pDataset->m_Tables.size(),
              bRead ? "" : ", reading stopped at an error", bSaved ? ", saved" : ", not saved");
  return bRead && bSaved ? 0 : 1;
}

int RunList() {
  CStringList registered;
  CStringList excluded;
  ReadRegisteredList(registered);
  ReadExcludedList(excluded);
  for (const CString& path : registered) {
    bool bExcluded = false;
    for (const CString& entry : excluded) bExcluded |= EqualsNoCase(ExcludedEntryPath(entry), path);
    CMatManager::AddDatasetFile(path.c_str());
    const CMatDatenSatz* pDataset = CMatStore::Instance().GetCurrent();
    Print((pDataset ? CString(pDataset->m_szHerstellerID) : CString(L"????")) + L"  " + path +
          (bExcluded ? L"  (excluded)\n" : L"\n"));
  }
  return 0;
}

// Opens the registered dataset of path; null when it can not be opened.
CMatDatenSatz* OpenRegistered(const std::string& file) {
  const CString path = FromUtf8(file);
  CMatManager::OpenDataset(path.c_str());
  CMatDatenSatz* pDataset = CMatStore::Instance().GetCurrent();
  if (pDataset == nullptr || pDataset->m_strPath != path) return nullptr;
  return pDataset;
}

int RunClose(const std::string& file) {
  if (CMatDatenSatz* pDataset = OpenRegistered(file))
    return CMatManager::CloseDataset(pDataset->GetPrefix()) == 1 ? 0 : 1;
  CStringList list;  // a file that is gone leaves the list all the same
  ReadRegisteredList(list);
  std::erase(list, FromUtf8(file));
  WriteRegisteredList(list);
  return 0;
}

int RunExclude(const std::string& file, bool again) {
  CMatDatenSatz* pDataset = OpenRegistered(file);
  if (pDataset == nullptr) return 1;
  CString name;
  if (CMatTable* pStrings = FindTopLevelTable(*pDataset, L"StringTable")) {
    CCell cell;
    const Handle h = pDataset->FindHandle(L"HERSTELLERNAME");
    if (h != 0 && CMatStore::Instance().GetCellValue(pStrings, cell, h, 0, 0) == eMatOk)
      if (const wchar_t* p = pDataset->GetPoolText(cell.m_nValue)) name = p;
  }
  pDataset->m_strName = name;
  SetDatasetListed(*pDataset, again);
  return 0;
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
  auto id = std::make_shared<std::string>("HsID");
  auto name = std::make_shared<std::string>();
  auto* info = mmd->add_subcommand("info", "Header and table tree of FILE, no rows read");
  info->add_option("FILE", *file, "database file")->required();
  info->callback([file] { Fail(RunInfo(*file)); });
  auto* dump = mmd->add_subcommand("dump", "The tables of FILE as MMTB text");
  dump->add_option("FILE", *file, "database file")->required();
  dump->add_option("TABLEPATH", *other, "one table: Top.Child");
  dump->callback([file, other] { Fail(RunDump(*file, *other)); });
  auto* import = mmd->add_subcommand("import-mmtb", "Read MMTB text into a database file, save");
  import->add_option("TEXTFILE", *other, "MMTB text file")->required();
  import->add_option("--mmd", *file, "database file (made when missing)")->required();
  import->add_option("--id", *id, "manufacturer ID of a new dataset");
  import->add_option("--name", *name, "manufacturer name of a new dataset");
  import->callback([file, other, id, name] { Fail(RunImport(*other, *file, *id, *name));
});

auto* dataset = app.add_subcommand("dataset", "The user's registered and excluded datasets");
dataset->require_subcommand(1);
dataset->add_subcommand("list", "Registered datasets")->callback([] { Fail(RunList()); });
auto* open = dataset->add_subcommand("open", "Open PATH and register it");
open->add_option("PATH", *file, "database file")->required();
open->callback([file] { Fail(OpenRegistered(*file) ? 0 : 1); });
auto* close = dataset->add_subcommand("close", "Take PATH off the registered list");
close->add_option("PATH", *file, "database file")->required();
close->callback([file] { Fail(RunClose(*file)); });
auto again = std::make_shared<bool>(false);
auto* exclude = dataset->add_subcommand("exclude", "Exclude PATH from path look-ups");
exclude->add_option("PATH", *file, "database file")->required();
exclude->add_flag("--again", *again, "list it again instead");
exclude->callback([file, again] { Fail(RunExclude(*file, *again)); });
}
