#include "store/mmd/dataset_lists.h"

#include <algorithm>

#include "platform/file.h"
#include "platform/format.h"
#include "platform/registry.h"
#include "store/base/message.h"

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

bool WriteDatasetList(CRegistryFile& file, const wchar_t* key, const CStringList& list) {
  CRegistryFile::CValueList values;
  for (std::size_t i = 0; i < list.size(); ++i)
    values.emplace_back(Format(L"Datensatz%d", int(i + 1)), list[i]);
  if (file.ReplaceValues(key, values)) return true;
  ShowMessage(MB_OK | MB_ICONERROR, L"Die Einstellungen in %s können nicht geschrieben werden.",
              file.GetPath());
  return false;
}

void ReadRegisteredList(CStringList& list) {
  ReadDatasetList(CRegistryFile(), kRegisteredListKey, false, list);
}

bool WriteRegisteredList(const CStringList& list) {
  CRegistryFile file;
  return WriteDatasetList(file, kRegisteredListKey, list);
}

bool RegisterDatasetPath(const CString& path) {
  CStringList list;
  ReadRegisteredList(list);
  if (std::find(list.begin(), list.end(), path) != list.end()) return true;
  if (list.size() >= kMaxRegisteredDatasets) {
    ShowMessage(MB_OK | MB_ICONERROR,
                L"Es sind schon %d Datensätze angemeldet; %s wird nicht angemeldet.",
                int(kMaxRegisteredDatasets), path);
    return false;
  }
  list.push_back(path);
  return WriteRegisteredList(list);
}

void ReadExcludedList(CStringList& list) {
  ReadDatasetList(CRegistryFile(), kExcludedListKey, true, list);
}

bool WriteExcludedList(const CStringList& list) {
  CRegistryFile file;
  return WriteDatasetList(file, kExcludedListKey, list);
}
