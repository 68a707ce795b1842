// The importers behind the script commands "#importxls" (article
// spreadsheets), "#importvdi" (VDI 3805 files) and "#importdaemmung"
// (insulation systems). Each importer lives in its own layer, above the
// script processor, and is registered here where the library is put
// together (exports/library_attach.cpp), never by a static initializer. A command whose importer is
// not registered tells the user that the import is not available and stops the run: a script never
// reports success for an import that did not happen.
#pragma once

#include "OrvaMat/types.h"

class CMatStore;

enum class eScriptImporter { eXls, eVdi, eDaemmung };

// Reads the file (it exists) into the store's current dataset, showing its
// own messages; true when the file was read. The insulation importer takes
// the handle counter of the current dataset (store.GetCurrent()).
using CScriptImporter = bool (*)(CMatStore& store, const CString& path);

// Registers the importer of a command; null takes it away again.
void RegisterScriptImporter(eScriptImporter kind, CScriptImporter importer);
// The registered importer, or null.
CScriptImporter FindScriptImporter(eScriptImporter kind);
