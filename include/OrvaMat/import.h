// Imports a user starts on files: the database file an import writes into,
// MMTB text and DATANORM files read into it, and the check of an input file.
//
// The rules hold whatever the importer: a damaged database file is not
// written over unless the user asked to salvage it; a manufacturer ID has
// exactly four characters, and an ID named for an existing file must be the
// file's; an import that failed saves nothing, so the file and its backup
// stay as they were. Every refusal is shown through the host UI
// (OrvaMat/host_ui.h). No exception leaves these calls.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "OrvaMat/database_file.h"
#include "OrvaMat/types.h"

struct CImportTarget {
  CString strPath;         // the database file
  CString strID;           // manufacturer ID; empty: the file's, or strNewID for a new file
  CString strNewID;        // the ID of a new file when strID is empty (empty: refused)
  CString strName;         // manufacturer name of a new dataset (default: the ID)
  bool bRegister = false;  // once saved, enter the file in the user's registered datasets
  bool bSalvage = false;   // a damaged file may be saved over; it is kept beside
  // Answer of the open: the file was refused because it is damaged (the
  // caller may tell how to salvage it).
  bool bRefusedDamaged = false;
};

// What an import of files into a database file did (DATANORM, VDI 3805).
struct CFileImportResult {
  int nFilesRead = 0;            // files read to their end
  std::size_t nLines = 0;        // lines read, over all files
  bool bSaved = false;           // the database file was written
  bool bRefusedDamaged = false;  // the database file is damaged and was not taken
};

// Called while a file is read: its index in the request's files, the lines
// read so far and its line count (the last call has both equal).
using CFileImportProgress =
    std::function<void(std::size_t nFile, std::size_t nLine, std::size_t nLines)>;

// Empty when path names a regular file with at least one byte that can be
// opened for reading; else one line that names the file and says why not
// (missing, a folder, empty, unreadable), for the importer to report.
ORVAMAT_API CString WhyInputUnreadable(const CString& path);

// Opens the dataset of target.strPath, or makes it when the file does not
// exist; current afterwards. Its dataset prefix (OrvaMat/datasets.h), 0 when
// it can not be opened or made (shown). Nothing is written to disk here.
ORVAMAT_API unsigned long OpenImportFile(CImportTarget& target);

// After the import into the dataset of the prefix: saves it when bAllRead,
// else shows that nothing was saved; gives back the write lock either way. A
// saved file is registered when the target asks for it. True when saved (and,
// if asked, registered).
ORVAMAT_API bool FinishImportFile(unsigned long prefix, const CImportTarget& target, bool bAllRead);

// ---- MMTB text

// What reading an MMTB text into an import file's dataset found.
struct CMmtbReadResult {
  bool bRead = false;       // read to its end (false: stopped at an error, shown)
  bool bAnyTable = false;   // the text brought a table, row or name
  bool bDamaged = false;    // the dataset was read damaged (only taken with salvage)
  std::size_t nTables = 0;  // top-level tables of the dataset afterwards
  CString strPath;          // the dataset's database file
};

// Reads the MMTB text file into the dataset of the prefix (opened by
// OpenImportFile), each block's table found or made among its top-level
// tables. A text that leaves the dataset unchanged (random bytes, only
// comments) brought no table.
ORVAMAT_API CMmtbReadResult ReadMmtbIntoDataset(unsigned long prefix, const CString& textPath);

// What reading an MMTB text file on its own found (CheckMmtbFile).
struct CMmtbCheckResult {
  bool bRead = false;                 // read to its end (false: stopped at an error, shown)
  std::vector<CTableSummary> tables;  // the tables read, with their subtrees
  std::string strText;                // with writeBack: the tables written back as MMTB text
};

// Reads the MMTB text file into a fresh dataset apart from the process's
// datasets (with macros of its own), so that checking a file changes
// nothing; every message goes through the host UI. With writeBack the tables
// are written back as MMTB text: UTF-8, CR LF line ends, no byte-order mark.
ORVAMAT_API CMmtbCheckResult CheckMmtbFile(const CString& path, bool writeBack);

// ---- DATANORM

// One import of DATANORM files into a database file, as a user starts it on
// files: every input is checked before anything else, the target is opened or
// made, the files are read in order with one loader, and the dataset is saved
// only when every file was read.
struct CDnFileImport {
  std::vector<CString> files;  // read in this order
  CImportTarget target;        // the database file and how to treat it
  bool bDosCharset = false;    // the DOS character set instead of 1252
};

using CDnFileImportResult = CFileImportResult;
using CDnFileProgress = CFileImportProgress;

// Runs the import on the process's datasets (the target's becomes current).
// True only when every file was read and the dataset saved. A failure is
// shown; then nothing is saved, an existing file and its backup stay as they
// were, and a file that did not exist is not made. With target.bRegister the
// file is entered in the user's registered datasets, and only once saved.
ORVAMAT_API bool ImportDatanormIntoFile(const CDnFileImport& request,
                                        const CDnFileProgress& progress,
                                        CDnFileImportResult& result);

// ---- workbooks

// What a workbook holds (docs/workbooks.md): tables laid out cell by cell,
// articles with their group names and discount groups, or insulation
// systems.
enum class eWorkbookLayout { eTables, eArticles, eInsulation };

// One import of a workbook (.xlsx, .xlsm, .ods, .xls) into a database file:
// the workbook is checked first, the target is opened or made, the workbook
// is read into it, and the dataset is saved only when the workbook was read
// (a workbook that can not be read, a missing first sheet, a manufacturer ID
// that does not fit, a read-only dataset: nothing saved).
struct CWorkbookFileImport {
  CString strWorkbook;
  eWorkbookLayout eLayout = eWorkbookLayout::eTables;
  CImportTarget target;
};

// Runs the import on the process's datasets (the target's becomes current).
// True only when the workbook was read and the dataset saved; result.nLines
// counts the rows of the workbook's first sheet, and progress (when given)
// follows them: (0, rows) once the workbook was read, every few thousand
// rows, and (rows, rows) at the end.
ORVAMAT_API bool ImportWorkbookIntoFile(const CWorkbookFileImport& request,
                                        const CFileImportProgress& progress,
                                        CFileImportResult& result);
