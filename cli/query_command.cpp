// orvamat tables --mmd FILE [PATH]: the table tree (types, values per row,
//   flags, row and child counts), under PATH when given.
// orvamat get --mmd FILE PATH ROW [--index N] [--field N] [--no-translate]:
//   one cell by its type: a handle's text, a text, a number, or the sub-rows
//   of a Struct row.
// orvamat find --mmd FILE PATH: the path look-up's result code and the path
//   of the table found.
// Each takes --json for scripts. Without --mmd a path with a dataset prefix
// ("ABCD\Table.Child") is looked up among the user's registered datasets.
// A failed look-up prints the result code's name and exits with 1.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "commands.h"
#include "run_report.h"

#include "OrvaMat/database_file.h"
#include "OrvaMat/mat_manager.h"
#include "OrvaMat/text.h"

namespace {

struct CQueryOptions {
  std::string strMmd;
  std::string strPath;
  std::string strRow;
  int nIndex = -1;
  int nField = -1;
  bool bNoTranslate = false;
  bool bJson = false;
};

const char* CodeName(eMatManager nCode) {
  switch (nCode) {
    case eMatOk:
      return "eMatOk";
    case eMatNoHandle:
      return "eMatNoHandle";
    case eMatIndex:
      return "eMatIndex";
    case eMatField:
      return "eMatField";
    case eMatNoItem:
      return "eMatNoItem";
    case eMatNoTable:
      return "eMatNoTable";
    case eMatNoRow:
      return "eMatNoRow";
    case eMatNoDataset:
      return "eMatNoDataset";
    case eMatWrongType:
      return "eMatWrongType";
    case eMatEmptyHandle:
      return "eMatEmptyHandle";
    case eMatClosed:
      return "eMatClosed";
    case eMatHidden:
      return "eMatHidden";
    case eMatLocked:
      return "eMatLocked";
  }
  return "unknown";
}

const char* TypeName(int nType) {
  static const char* const kNames[] = {"Handle",     "String",  "Integer",  "Float",
                                       "Struct",     "Bit",     "Void",     "StringArray",
                                       "DWordArray", "StrLine", "UniString"};
  return nType >= 0 && nType <= 10 ? kNames[nType] : "unknown";
}

// The command's output, written when it ends: a failure halfway must not
// leave half a JSON document before the failure document.
std::string& Pending() {
  static std::string pending;
  return pending;
}
void Out(const std::string& text) { Pending() += text; }
// Writes what the command printed; with --json it is the one document.
void Flush(const CQueryOptions& o) {
  if (o.bJson)
    PrintJsonDocument(Pending());
  else
    std::fputs(Pending().c_str(), stdout);
  Pending().clear();
}
std::string Utf8(const wchar_t* p) { return p != nullptr ? ToUtf8(p) : std::string(); }

// Reports a failed call and ends the command with exit status 1.
[[noreturn]] void Fail(const CQueryOptions& o, eMatManager nCode, const std::string& what) {
  if (o.bJson) {
    Pending().clear();
    // Listed should the document give way to the failure document.
    RunReport().listErrors.push_back(what);
  } else {
    Flush(o);
  }
  if (o.bJson) {
    nlohmann::ordered_json document;
    document["result"] = int(nCode);
    document["name"] = CodeName(nCode);
    document["error"] = what;
    document["ok"] = false;
    document["errors"] = nlohmann::ordered_json::array({what});
    PrintJsonDocument(JsonText(document) + "\n");
  } else {
    std::fprintf(stderr, "%s: %s (%d)\n", what.c_str(), CodeName(nCode), int(nCode));
  }
  throw CLI::RuntimeError(1);
}

// Opens the dataset file, or the user's registered datasets when there is
// none and the path carries a dataset prefix.
void OpenDatasets(const CQueryOptions& o) {
  if (!o.strMmd.empty()) {
    const unsigned long nPrefix = CMatManager::AddDatasetFileEx(FromUtf8(o.strMmd).c_str(), true);
    if (nPrefix == 0) Fail(o, eMatNoDataset, o.strMmd + ": no database file");
    CMatManager::SelectDatasetByPrefix(nPrefix, true);
    return;
  }
  if (o.strPath.find('\\') == std::string::npos || o.strPath.find('\\') == 0)
    Fail(o, eMatNoDataset, "no --mmd given and the path has no dataset prefix");
  CMatManager::ActivateDatasetByID(L"");
}

CMatTable* FindOrFail(const CQueryOptions& o) {
  CMatTable* pTable = nullptr;
  const eMatManager nCode = CMatManager::FindTable(&pTable, nullptr, FromUtf8(o.strPath).c_str());
  if (nCode != eMatOk) Fail(o, nCode, o.strPath);
  return pTable;
}

std::string PathOf(CMatTable* pTable) {
  CString path;
  CMatManager::GetTablePath(path, pTable);
  return ToUtf8(path);
}

// ---- tables

// The table and its subtree as JSON.
nlohmann::ordered_json TableJson(CMatTable* pTable) {
  const int nType = CMatManager::GetTableType(pTable);
  nlohmann::ordered_json table;
  table["name"] = Utf8(CMatManager::GetTableName(pTable));
  table["type"] = TypeName(nType);
  table["valuesPerRow"] = CMatManager::GetValuesPerRow(pTable);
  table["flags"] = pTable->m_nFlags;
  table["rows"] = nType == eTypeStrLine ? 0 : GetTableRowCount(pTable);
  table["children"] = nlohmann::ordered_json::array();
  POSITION pos = CMatManager::GetFirstTablePositionEx(pTable);
  while (pos != nullptr)
    table["children"].push_back(TableJson(CMatManager::GetNextTable(pTable, pos)));
  return table;
}

void PrintTable(CMatTable* pTable, int nDepth) {
  const int nType = CMatManager::GetTableType(pTable);
  const int nRows = nType == eTypeStrLine ? 0 : GetTableRowCount(pTable);
  char line[64];
  std::snprintf(line, sizeof line, "  %s,%d  %d rows", TypeName(nType),
                CMatManager::GetValuesPerRow(pTable), nRows);
  Out(std::string(std::size_t(nDepth) * 2, ' ') + Utf8(CMatManager::GetTableName(pTable)) + line);
  if (pTable->m_nFlags != 0) Out("  flags " + std::to_string(pTable->m_nFlags));
  Out("\n");
  POSITION pos = CMatManager::GetFirstTablePositionEx(pTable);
  while (pos != nullptr) PrintTable(CMatManager::GetNextTable(pTable, pos), nDepth + 1);
}

void RunTables(const CQueryOptions& o) {
  OpenDatasets(o);
  std::vector<CMatTable*> tables;
  if (!o.strPath.empty()) {
    tables.push_back(FindOrFail(o));
  } else {
    POSITION pos = CMatManager::GetFirstTablePositionEx(nullptr);
    while (pos != nullptr) tables.push_back(CMatManager::GetNextTable(nullptr, pos));
  }
  if (!o.bJson) {
    for (CMatTable* pTable : tables) PrintTable(pTable, 0);
    return;
  }
  nlohmann::ordered_json document = nlohmann::ordered_json::array();
  for (CMatTable* pTable : tables) document.push_back(TableJson(pTable));
  Out(JsonText(document) + "\n");
}

// ---- find

void RunFind(const CQueryOptions& o) {
  OpenDatasets(o);
  CMatTable* pTable = FindOrFail(o);
  if (o.bJson) {
    nlohmann::ordered_json document;
    document["result"] = 0;
    document["name"] = "eMatOk";
    document["path"] = PathOf(pTable);
    Out(JsonText(document) + "\n");
  } else {
    Out(std::string("eMatOk (0)  ") + PathOf(pTable) + "\n");
  }
}

// ---- get

// One cell as text (plain) or as a JSON value.
std::string CellText(const CQueryOptions& o, CMatTable* pTable, unsigned long hRow, int nIndex,
                     int nField) {
  const int nType = CMatManager::GetCellType(pTable, nField);
  unsigned long nCell = 0;
  eMatManager nCode = eMatOk;
  std::string text;
  bool bNumber = false;
  if (nType == eTypeString || nType == eTypeUniString || nType == eTypeStrLine) {
    CString value;
    nCode =
        CMatManager::GetStringValueEx(value, pTable, hRow, nIndex, nField, o.bNoTranslate ? 0 : 1);
    text = ToUtf8(value);
  } else if (nType == eTypeStringArray) {
    const wchar_t* pText = nullptr;
    nCode = CMatManager::GetStringPtr(pText, pTable, hRow, nIndex, nField);
    text = Utf8(pText);
  } else if (nType == eTypeFloat) {
    float f = 0;
    nCode = CMatManager::GetFloatValue(f, pTable, hRow, nIndex, nField);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", double(f));
    // JSON has no number for infinity or NaN: null stands for them, so that
    // the document still parses.
    text = o.bJson && !std::isfinite(f) ? "null" : buf;
    bNumber = true;
  } else if (nType == eTypeVoid) {
    nCode = CMatManager::RowExistsEx(pTable, hRow);
    text = "true";
    bNumber = true;
  } else {
    nCode = CMatManager::GetValue(nCell, pTable, hRow, nIndex, nField);
    if (nType == eTypeHandle) {
      text = Utf8(CMatManager::HdlToString(nCell));
    } else {
      text = nType == eTypeInteger ? std::to_string(static_cast<std::int32_t>(nCell))
                                   : std::to_string(nCell);
      bNumber = true;
    }
  }
  if (nCode == eMatEmptyHandle) return o.bJson ? "null" : "";
  if (nCode != eMatOk) Fail(o, nCode, o.strPath + " " + o.strRow);
  return o.bJson && !bNumber ? JsonString(FromUtf8(text)) : text;
}

// A Struct row: its sub-rows (or the one of --index), its fields (or the one
// of --field), one sub-row per line.
void PrintStruct(const CQueryOptions& o, CMatTable* pTable, unsigned long hRow) {
  const std::uint32_t* pDef = CMatManager::GetStrucDef(pTable);
  const int nFields = pDef != nullptr ? static_cast<int>(pDef[0]) : 0;
  const int nRows = CMatManager::GetStructRowCountEx(pTable, hRow);
  if (nRows == 0) Fail(o, eMatNoRow, o.strPath + " " + o.strRow);
  const int nFirst = o.nIndex >= 0 ? o.nIndex : 0;
  const int nLast = o.nIndex >= 0 ? o.nIndex + 1 : nRows;
  if (o.bJson) Out("[");
  for (int r = nFirst; r < nLast; ++r) {
    std::string line;
    for (int f = 0; f < nFields; ++f) {
      if (o.nField >= 0 && f != o.nField) continue;
      const std::string cell = CellText(o, pTable, hRow, r, f);
      line += line.empty() ? cell : (o.bJson ? "," : "\t") + cell;
    }
    Out(o.bJson ? std::string(r > nFirst ? "," : "") + "[" + line + "]" : line + "\n");
  }
  if (o.bJson) Out("]\n");
}

void RunGet(const CQueryOptions& o) {
  OpenDatasets(o);
  CMatTable* pTable = FindOrFail(o);
  unsigned long hRow = 0;
  if (!o.strRow.empty()) {
    hRow = CMatManager::FindHandle(FromUtf8(o.strRow).c_str());
    if (hRow == 0) Fail(o, eMatNoRow, o.strRow + ": no such name");
  }
  if (CMatManager::IsStructTable(pTable)) return PrintStruct(o, pTable, hRow);
  const std::string text =
      CellText(o, pTable, hRow, o.nIndex >= 0 ? o.nIndex : 0, o.nField >= 0 ? o.nField : 0);
  Out(text + "\n");
}

CLI::App* AddCommand(CLI::App& app, const char* pName, const char* pHelp, CQueryOptions& o) {
  CLI::App* pCommand = app.add_subcommand(pName, pHelp);
  pCommand->add_option("--mmd", o.strMmd, "Database file (default: the registered datasets)");
  pCommand->add_flag("--json", o.bJson, "Output as JSON");
  return pCommand;
}

}  // namespace

void AddQueryCommands(CLI::App& app) {
  static CQueryOptions o;
  CLI::App* pTables = AddCommand(app, "tables", "Show the table tree of a dataset", o);
  pTables->add_option("path", o.strPath, "Only the table of this path and below");
  pTables->callback([] {
    RunTables(o);
    Flush(o);
  });

  CLI::App* pFind = AddCommand(app, "find", "Look up a table path", o);
  pFind->add_option("path", o.strPath, "Table path (\"ID\\Table.Child\")")->required();
  pFind->callback([] {
    RunFind(o);
    Flush(o);
  });

  CLI::App* pGet = AddCommand(app, "get", "Read one cell of a table", o);
  pGet->add_option("path", o.strPath, "Table path")->required();
  pGet->add_option("row", o.strRow, "Row name (none for StrLine and array tables)");
  pGet->add_option("--index", o.nIndex, "Value index, array cell or Struct sub-row");
  pGet->add_option("--field", o.nField, "Struct field");
  pGet->add_flag("--no-translate", o.bNoTranslate, "Texts as stored, untranslated");
  pGet->callback([] {
    RunGet(o);
    Flush(o);
  });
}
