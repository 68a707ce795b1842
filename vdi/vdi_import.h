// The VDI 3805 reader as the library's callers start it: the exported
// ImportVdiFile, the import into a database file of the tool, the script
// command's importer and the list of sheets and products.
#pragma once

#include <vector>

#include "OrvaMat/types.h"
#include "OrvaMat/vdi.h"

class CMatStore;
class CMatDatenSatz;

// The importer of "#importvdi": reads the file into the store's current
// dataset; true when it was read. The library's attach registers it with the
// script processor, which lies above this layer.
bool ImportVdiForScript(CMatStore& store, const CString& path);

// ImportVdiFile and ImportVdiIntoFile on a given store.
void ImportVdiFile(CMatStore& store, const wchar_t* pPath);
bool ImportVdiIntoFile(CMatStore& store, const CVdiFileImport& request,
                       const CVdiFileProgress& progress, CVdiFileImportResult& result);

// The sheets of the dataset (ListVdiSheets).
std::vector<CVdiSheet> ListVdiSheets(CMatDatenSatz& dataset);
