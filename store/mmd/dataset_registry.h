// Dataset registry and activation, the internal side of the dataset calls
// (OrvaMat/datasets.h): making datasets, opening them from their files,
// making one current with its "StringTable", and the user's listing.
#pragma once

#include "OrvaMat/types.h"

class CMatDatenSatz;
class CMatStore;
class CMatTable;

// An empty dataset with the next number, appended to the store and made
// current. Null when the store holds its maximum already (the dataset is not
// made).
CMatDatenSatz* NewDataset(CMatStore& store);

// Makes current the dataset whose number the handle's top byte names (an
// unknown number changes nothing). A dataset made current for the first time
// picks its "StringTable", or that table's child named after the user's
// language when there is one.
void ActivateDataset(CMatStore& store, Handle h);
// The same for a dataset already found.
void MakeCurrent(CMatStore& store, CMatDatenSatz& dataset);

// Gives a dataset its database file: path, folder watch, file stamp and
// folder. Does not read the file.
void AttachFile(CMatDatenSatz& dataset, const CString& path);

// Excludes the dataset from path look-ups (listed false) or lists it again,
// and records that in the excluded list. False when the list could not be
// written (reported).
bool SetDatasetListed(CMatDatenSatz& dataset, bool listed);

// The four ID characters of the dataset equal the first four of id.
bool HasID(const CMatDatenSatz& dataset, const wchar_t* id);

// The DATANORM standard tables of a new dataset come from the import layer,
// which registers its setup here (null: none). CreateDataset calls it with
// the store whose current dataset is the new one.
using DatanormTableSetup = void (*)(CMatStore& store);
void SetDatanormTableSetup(DatanormTableSetup setup);
DatanormTableSetup GetDatanormTableSetup();

// The folder that datasets added by path look their files up in when the
// host set none ("" = the database file's own folder).
void SetDefaultDatasetFolder(const CString& folder);
