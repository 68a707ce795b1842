// The database file an import writes into, for every importer that a user
// starts on a file (MMTB text, DATANORM, later VDI 3805, BDH-2, workbooks):
// open it, or make it when it does not exist; afterwards save it only when
// everything asked for was read.
//
// The rules hold whatever the importer: a damaged file is not written over
// unless the user asked to salvage it; a manufacturer ID has exactly four
// characters, and an ID named for an existing file must be the file's; an
// import that failed saves nothing, so the file and its backup stay as they
// were. Every refusal is reported through the host UI.
#pragma once

#include <functional>
#include <vector>

#include "OrvaMat/import.h"
#include "OrvaMat/types.h"

class CMatDatenSatz;
class CMatStore;

// CImportTarget, WhyInputUnreadable and the calls of a host (the prefix
// instead of the dataset) are in OrvaMat/import.h.

// The dataset of target.strPath, current afterwards; null when it can not be
// opened or made (reported). Nothing is written to disk here.
CMatDatenSatz* OpenImportTarget(CMatStore& store, CImportTarget& target);

// After the import: saves the dataset when bAllRead, else reports that
// nothing was saved; gives back the write lock either way. A saved file is
// registered when the target asks for it (by its absolute path: the user's
// settings outlive the working folder), so that a failed import never leaves
// the list naming a file that was not written. True when saved (and, if
// asked, registered).
bool FinishImport(CMatDatenSatz& dataset, const CImportTarget& target, bool bAllRead);

// An import of files into the dataset of target, as a user starts it on
// files: every input is checked before anything else (a file that can not be
// read fails the import before the database file is opened, made or locked),
// the target is opened or made, readFile reads the files in order into the
// current dataset (true when read whole; it adds the lines it read), and the
// dataset is saved once, only when every file was read.
using CReadImportFile = std::function<bool(std::size_t nFile, std::size_t& nLines)>;
bool ImportFilesIntoTarget(CMatStore& store, const std::vector<CString>& files,
                           const CImportTarget& target, const CReadImportFile& readFile,
                           CFileImportResult& result);
