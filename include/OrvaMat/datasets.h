// The dataset calls of the exported interface: opening, adding, creating,
// selecting and closing manufacturer datasets, the save prompt and deleting a
// dataset's file. CMatManager derives from CMatDatasetCalls, so a host calls
// them as CMatManager::OpenDataset(...). The numbers in the comments are the
// export ordinals (frozen).
//
// A dataset prefix is the top byte of its handles kept in place:
// (dataset number + 1) << 24. Handles and prefixes are passed as unsigned
// long and always hold 32 bits. The registered datasets are the user's list
// of database files (settings key "Software\Teskar GmbH\MMD"); the excluded
// ones are those the user took out of path look-ups ("...\MMDOUT").
#pragma once

#include "OrvaMat/mat_table.h"
#include "OrvaMat/types.h"

class ORVAMAT_API CMatDatasetCalls {
 public:
  CMatDatasetCalls() = delete;

  // 49: a new dataset with the manufacturer ID (first four characters), its
  // manufacturer name in "StringTable" and the standard unit table; a given
  // path is registered. The new dataset's number.
  static int CreateDataset(const wchar_t* id, const wchar_t* herstellerName, const wchar_t* path);
  // 82: opens the database file; 1 when a new dataset was opened, 0 when it
  // was open already (a closed one is opened again) or can not be read.
  static int OpenDataset(const wchar_t* path);
  // 83: marks every dataset of the prefix closed, clears the current dataset
  // and takes the path off the registered list; 1.
  static int CloseDataset(unsigned long prefix);
  // 178: destroys every dataset, the last first; 1.
  static int CloseAllDatasets();
  // 86: asks, then deletes the dataset of the prefix and its file and backup;
  // 1 when deleted, 0 otherwise.
  static int DeleteDataset(unsigned long prefix);
  // 50: saves every changed dataset, asking for each unless silent (never for
  // the "USER" dataset), and gives back every write lock.
  static void SaveModified(int silent);

  // 87: on an empty store opens every registered dataset first; then the
  // datasets with this ID are opened and made current and all others but
  // "USER" are closed. The number of datasets.
  static int ActivateDatasetByID(const wchar_t* id);
  // 68: makes current the dataset of this ID; its number, -1 for none, -2
  // when it is closed.
  static int SelectDatasetByID(const wchar_t* id);
  // 195: makes current the first open dataset of this ID; 0, or 8 for none.
  static eMatManager SelectDatasetByIDEx(const wchar_t* id);
  // 196: makes current the dataset of the prefix; 1 for none, 13 when it is
  // closed and refuseClosed is set (nothing changes then).
  static eMatManager SelectDatasetByPrefix(unsigned long prefix, bool refuseClosed);
  // 4: makes current the dataset of the handle and gives its prefix; 1 for
  // handle 0 or no such dataset, 13 when it is closed.
  static eMatManager SelectDatasetOfHandle(unsigned long& prefix, unsigned long handle);
  // 92: the same with the table's name handle; 6 for a null table.
  static eMatManager SelectDatasetOfTable(unsigned long& prefix, CMatTable* table);
  // 15: makes the handle's dataset current; handle & 0xFF000000, 0 when no
  // dataset is open.
  static unsigned long GetDatasetPrefix(unsigned long handle);
  // 90: the same with the table's name handle; 0 for null.
  static unsigned long GetDatasetPrefixOfTable(CMatTable* table);
  // 7: the prefix of the n-th listed dataset (from 0); 0 when there are fewer.
  static unsigned long GetListedDatasetPrefix(int n);
  // 120: the 4-character ID of the handle's dataset (handle 0: the current
  // one), made current; 8 when there is none.
  static eMatManager GetDatasetID(CString& out, unsigned long handle);
  // 121: the same with the table's name handle; a null table gives "" and 0.
  static eMatManager GetDatasetIDOfTable(CString& out, CMatTable* table);
  // 81: the database path of the handle's dataset (handle 0: the current
  // one); "" when there is none. Valid while the dataset is open.
  static const wchar_t* GetDatasetPath(unsigned long handle);
  // 192: adds the database file without reading its tables (they are read on
  // first use); nothing when it is open already or is no database file.
  static void AddDatasetFile(const wchar_t* path);
  // 198: the same; the prefix of the dataset added, or without again of one
  // already open with the same ID; 0 on failure.
  static unsigned long AddDatasetFileEx(const wchar_t* path, bool again);
  // 197: AddDatasetFileEx, then the 4-character ID of that dataset ("" on
  // failure). The text is overwritten by the next call.
  static const wchar_t* GetDatasetIDOfFile(const wchar_t* path, bool again);
  // 16: 3 when the handle's dataset is stored as "MMD3" (UTF-8), else 2.
  static int GetDatabaseFormat(unsigned long handle);
  // 208: true when another user holds the current dataset's write lock; with
  // take a free lock is taken. False without a current dataset.
  static bool IsDatasetLocked(bool take);
  // 180: the same, never taking the lock.
  static bool IsDatasetReadOnly();
};
