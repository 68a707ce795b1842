#include "store/mmd/dataset_lists.h"

#include <algorithm>

#include "platform/file.h"
#include "platform/format.h"
#include "platform/registry.h"

CString ExcludedEntryPath(const CString& entry) {
  const std::size_t semi = entry.find(L';');
  if (semi == CString::npos || semi == 0) return entry;
  return entry.substr(semi + 1);
}

void ReadDatasetList(const CRegistryFile& file, const wchar_t* key, bool excluded,
                     CStringList& list) {
  list.clear();
  for (const auto& [name, data] : file.GetValueList(key)) {
    if (!FileExists(excluded ? ExcludedEntryPath(data) : data)) continue;
    if (std::find(list.begin(), list.end(), data) != list.end()) continue;
    list.push_back(data);
  }
}

void WriteDatasetList(CRegistryFile& file, const wchar_t* key, const CStringList& list) {
  CRegistryFile::CValueList values;
  for (std::size_t i = 0; i < list.size(); ++i)
    values.emplace_back(Format(L"Datensatz%d", int(i + 1)), list[i]);
  file.ReplaceValues(key, values);
}

void ReadRegisteredList(CStringList& list) {
  ReadDatasetList(CRegistryFile(), kRegisteredListKey, false, list);
}

void WriteRegisteredList(const CStringList& list) {
  CRegistryFile file;
  WriteDatasetList(file, kRegisteredListKey, list);
}

void ReadExcludedList(CStringList& list) {
  ReadDatasetList(CRegistryFile(), kExcludedListKey, true, list);
}

void WriteExcludedList(const CStringList& list) {
  CRegistryFile file;
  WriteDatasetList(file, kExcludedListKey, list);
}
