// Database files (*.mmd) seen from a host: opening one file as a dataset of
// its own, what its head and table tree hold, its tables as MMTB text, and
// the user's registered and excluded datasets.
//
// A dataset is named by its prefix (OrvaMat/datasets.h). Refusals and damage
// are shown through the host UI; the results say what a host needs to go
// on. No exception leaves these calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "OrvaMat/mat_text.h"
#include "OrvaMat/types.h"

class CMatTable;

// Opens the database file as a dataset of its own, without entering it in
// the registered datasets (looking at a file changes no settings); current
// afterwards. Its table tree is read, its rows stay in the file until used.
// The prefix, 0 when the file could not be read (a damaged or foreign file
// is shown; check WhyInputUnreadable of OrvaMat/import.h first to say why a
// file can not be read at all).
ORVAMAT_API unsigned long OpenDatabaseFile(const CString& path);

// One table of the tree and its children, as the file's skeleton gives them
// (no rows read).
struct CTableSummary {
  CString strName;
  std::uint32_t nType = 0;  // eMatType
  int nValuesPerRow = 1;
  int nRowCount = 0;
  std::uint32_t nFlags = 0;
  std::vector<CTableSummary> children;
};

struct CDatabaseFileInfo {
  bool bUtf8 = true;                 // "MMD3" (texts in UTF-8), else "MMD2" (ANSI)
  CString strID;                     // manufacturer ID
  std::uint32_t nVersion = 0;        // the file's record version
  std::size_t nHandles = 0;          // named handles
  std::uint32_t nHandleCounter = 0;  // the running counter of new handles (24 bits)
  CString strInfo;                   // the free text of an "MMD3" file
  std::vector<CTableSummary> tables;
};

// The head and the table tree of the dataset of the prefix; false when there
// is none.
ORVAMAT_API bool GetDatabaseFileInfo(unsigned long prefix, CDatabaseFileInfo& out);

// The rows of a table without reading its body: while the body still lies
// in the database file, the count the file's table tree holds; else the
// rows in memory (CMatManager::GetItemCount reads the body first). A look at
// a database of gigabytes stays a look at its table tree.
ORVAMAT_API int GetTableRowCount(const CMatTable* table);

// The type of a table as the MMTB text writes it in head lines ("H", "S",
// ...; the number for a type without a letter).
ORVAMAT_API CString TableTypeText(std::uint32_t type);

// The tables of the dataset of the prefix as MMTB text lines: every
// top-level table when tablePath is empty, else the table that the path
// look-up (CMatManager::FindTable) finds for it in that dataset. The path
// look-up's result (eMatNoDataset when there is no such dataset).
ORVAMAT_API eMatManager WriteDatasetText(unsigned long prefix, const CString& tablePath,
                                         CStringList& lines);

// ---- the user's registered datasets

struct CRegisteredDataset {
  CString strPath;
  CString strID;           // read from the file's head; "????" when it has none
  bool bExcluded = false;  // taken out of path look-ups
};

// The registered datasets in their order, each with its file's own ID (the
// list may hold more files than can be opened at once).
ORVAMAT_API std::vector<CRegisteredDataset> ListRegisteredDatasets();

enum eDatasetFileResult : std::int32_t {
  eDatasetFileOk = 0,
  eDatasetFileUnreadable = 1,  // the file can not be read (why: WhyInputUnreadable)
  eDatasetFileNotOpened = 2,   // no database file could be opened at that path
  eDatasetFileNotEntered = 3,  // opened, but the registered list does not hold it
  eDatasetFileNotListed = 4,   // the path is not on the registered list
  eDatasetFileNotWritten = 5,  // the user's settings could not be written (shown)
};

// Opens the database file and enters it in the registered datasets.
ORVAMAT_API eDatasetFileResult OpenRegisteredDataset(const CString& path);
// Takes the path off the registered list (as given, absolute, or the file a
// link names); a file that is gone is taken off all the same.
ORVAMAT_API eDatasetFileResult CloseRegisteredDataset(const CString& path);
// Opens and registers the database file, then excludes it from path
// look-ups, or lists it again (listAgain), under its manufacturer name.
ORVAMAT_API eDatasetFileResult ExcludeRegisteredDataset(const CString& path, bool listAgain);
