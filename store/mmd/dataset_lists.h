// The two lists of database files in the current user's settings:
//   registered  "Software\Teskar GmbH\MMD"     values "Datensatz1".. = path
//   excluded    "Software\Teskar GmbH\MMDOUT"  values "Datensatz1".. = "name;path"
// Reading keeps, in the order the values were written, the entries whose file exists
// (for an excluded entry: the part after the first ";" when it is not the
// first character, else the whole value) and drops repeated values. Writing
// replaces the key's values with the list, numbered from 1.
#pragma once

#include "OrvaMat/mat_text.h"
#include "OrvaMat/types.h"

class CRegistryFile;

inline constexpr const wchar_t* kRegisteredListKey = L"Software\\Teskar GmbH\\MMD";
inline constexpr const wchar_t* kExcludedListKey = L"Software\\Teskar GmbH\\MMDOUT";

// A store numbers its datasets in a handle's top byte: it holds at most this
// many, and so the registered list takes no more.
inline constexpr std::size_t kMaxRegisteredDatasets = 255;

// The writes are false when the settings file could not be written (reported).
void ReadRegisteredList(CStringList& list);
bool WriteRegisteredList(const CStringList& list);
void ReadExcludedList(CStringList& list);
bool WriteExcludedList(const CStringList& list);

// Adds path to the registered list unless it is there. False when it could
// not be written or the list holds kMaxRegisteredDatasets already (reported).
bool RegisterDatasetPath(const CString& path);

// The same on a given settings file (tests, and the functions above with the
// default file).
void ReadDatasetList(const CRegistryFile& file, const wchar_t* key, bool excluded,
                     CStringList& list);
bool WriteDatasetList(CRegistryFile& file, const wchar_t* key, const CStringList& list);

// The path part of an excluded entry ("name;path").
CString ExcludedEntryPath(const CString& entry);
