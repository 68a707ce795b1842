// The workbook importers: a table workbook (tables laid out cell by cell as
// the MMTB text lays them out in lines) and an article workbook (articles,
// main product groups, product groups and discount groups, into the tables
// of the DATANORM import). docs/workbooks.md shows both layouts.
//
// Both read the whole workbook's sheets they need before they change the
// dataset: a workbook that can not be read, or whose first sheet is missing,
// changes nothing. Every message goes through the host UI.
#pragma once

#include <cstddef>
#include <string_view>

#include "OrvaMat/import.h"
#include "OrvaMat/types.h"
#include "import/workbook_header.h"

class CMatStore;

// The value type code of a table workbook's type name, compared without
// regard to case: "Hdl"/"Handle" 0, "String"/"Char" 1, "Int"/"Integer" 2,
// "Float" 3, "Struct" 4, "Bit" 5, "Void" 6, "StringArray" 7, "DWordArray"
// 8, "StrLine" 9, "UniString" 10; any other name 6.
int ImportTypeFromName(std::wstring_view name);

// Reads the table workbook into the store's current dataset. True when the
// workbook was read: it opened, its first sheet was there and its
// manufacturer ID (when it names one) fits the dataset. *pRows (when given)
// gets the rows of the first sheet added. Problems inside the
// tables are shown and do not make it false.
// pProgress (when given) follows the rows of the first sheet.
bool ImportExcelTables(CMatStore& store, const CString& path, std::size_t* pRows = nullptr,
                       const CWorkbookProgress* pProgress = nullptr);
// Exported by ordinal 194: the same on the process's current dataset.
ORVAMAT_API void ImportExcelTables(const wchar_t* pPath);

// Reads the article workbook into the store's current dataset ("#importxls").
// False when the dataset is read-only or the workbook or its first sheet can
// not be read (shown; nothing changed); otherwise true, after the closing
// report "Import abgeschlossen." with its warnings.
bool ImportArticleWorkbook(CMatStore& store, const CString& path, std::size_t* pRows = nullptr,
                           const CWorkbookProgress* pProgress = nullptr);

// Reads the insulation workbook into the tree under "Daemmsysteme" of the
// store's current dataset ("#importdaemmung"): its previous contents are
// removed once the workbook and its sheets were read. Writes
// <workbook>_WarningLog.txt and <workbook>_TranslateLog.txt (UTF-8) beside
// the workbook when they have lines and hands each to the host UI's viewer,
// then shows "Import abgeschlossen.". False when the dataset is read-only or
// the workbook or its first sheet can not be read (shown; nothing changed).
bool ImportInsulationWorkbook(CMatStore& store, const CString& path, std::size_t* pRows = nullptr,
                              const CWorkbookProgress* pProgress = nullptr);

// ImportArticleWorkbook as the script processor calls it ("#importxls").
bool ImportArticleWorkbookForScript(CMatStore& store, const CString& path);
// ImportInsulationWorkbook as the script processor calls it ("#importdaemmung").
bool ImportInsulationWorkbookForScript(CMatStore& store, const CString& path);

// The import of a workbook into a database file as the tool starts it
// (OrvaMat/import.h, ImportWorkbookIntoFile).
bool ImportWorkbookIntoFile(CMatStore& store, const CWorkbookFileImport& request,
                            const CFileImportProgress& progress, CFileImportResult& result);
