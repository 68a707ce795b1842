// What the BDH-2 import dialog decides without a display, so that a dialog
// with the full layout only draws it: the manufacturer and month shown for a
// chosen file (PreviewBdhFile, OrvaMat/bdh.h), the write check, the file
// chooser and the import (ImportBdhDlg, ordinal 110); and the import the
// tool starts into a database file.
#pragma once

#include <string_view>

#include "OrvaMat/bdh.h"

class CMatStore;

// The manufacturer name as the dialog shows it: each of the ten characters
// ! " % & * . / ? @ and backslash becomes "_".
CString CleanBdhManufacturer(std::wstring_view name);

// "dd.mm.yy" as "mm-yyyy" (19yy when yy starts with 9, else 20yy); empty
// for a text that is not three groups of digits with a two-digit year.
CString FormatBdhMonth(std::wstring_view date);

// ImportBdhDlg on the store.
void ImportBdhDlg(CMatStore& store);

// ImportBdhIntoFile on the store (it becomes the target's current dataset).
bool ImportBdhIntoFile(CMatStore& store, const CBdhFileImport& request,
                       const CFileImportProgress& progress, CBdhFileImportResult& result);
