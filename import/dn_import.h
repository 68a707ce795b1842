// What the DATANORM import dialog decides without a display: the preview of a
// chosen file's header, the set of files that belong to it, the write check of
// the target dataset and the import of the set. ImportDatanormDlg (ordinal 23)
// runs these through the host UI's file chooser; a dialog with the full
// layout calls the same functions.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "OrvaMat/import.h"
#include "OrvaMat/types.h"
#include "store/mmd/import_target.h"

class CMatStore;

// The preview of a file's first line: date and header text as the dialog's
// two read-only boxes show them.
struct CDnHeaderPreview {
  CString strDate;   // "dd.mm.yy" (version 4) or "dd.mm.yyyy" (version 5)
  CString strText;   // header text, or the "not DATANORM" message
  int nVersion = 0;  // 4, 5, or 0 when the file is no DATANORM file
};

// Sniffs the first bytes of path: a UTF-16 (FF FE) or UTF-8 (EF BB BF) mark
// selects that decoding, otherwise the first 128 bytes are decoded with
// codePage (the current language's, or 1252 when none). A file that cannot be
// read, or whose first line is neither version 4 ("V" and a blank) nor 5
// ("V;050"), gives the translated "Keine DATANORM-Datei oder beschädigt" and
// the date "??.??.??".
CDnHeaderPreview SniffDatanormHeader(const CString& path, unsigned codePage);

// The code page the dialog decodes the preview with: the current language's
// when one is set, else 1252.
unsigned GetDnPreviewCodePage();

// The files imported for a chosen file: every file of its folder whose name is
// the chosen name with its last three characters replaced by any three
// (the name part compared without regard to case, as the desktop's file system
// of the catalogues does); folders are skipped. Files ending in "wrg" (any case)
// come first, then the others by name. A name of fewer than four characters
// gives only the chosen file; a file that does not exist gives an empty list.
std::vector<CString> CollectDatanormFileSet(const CString& chosenPath);

// True when the current dataset may be written. Otherwise the user is told
// "Aktueller Datensatz ist schreibgeschützt" (translated) and the result is
// false; no dataset at all counts as not writable.
bool CheckDnDatasetWritable();

// Imports the files in order with one loader into the current dataset.
// Returns the number of files read to their end.
int ImportDatanormFiles(const std::vector<CString>& files, bool dosCharset);

// The dialog without a display (exported by ordinal 23): makes the preset
// dataset (or the listed dataset named presetName, or the first listed one
// that is not "USER") current, lets the user choose a file through the host
// UI's file chooser ("DATANORM Datensatz einlesen"), refuses a read-only
// dataset and imports the chosen file's set with the DOS character set.
ORVAMAT_API void ImportDatanormDlg(int presetHandle, const wchar_t* presetName);

// CDnFileImport, CDnFileImportResult and CDnFileProgress are in OrvaMat/import.h.

// Runs the import on the store (it becomes the target's current dataset).
// True only when every file was read and the dataset saved. A failure is
// reported through the host UI; then nothing is saved, an existing file and
// its backup stay as they were, and a file that did not exist is not made.
// With target.bRegister the file is entered in the user's registered
// datasets, and only once it has been saved.
bool ImportDatanormIntoFile(CMatStore& store, const CDnFileImport& request,
                            const CDnFileProgress& progress, CDnFileImportResult& result);
