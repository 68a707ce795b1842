// The database file of a dataset: loading its skeleton, loading table bodies
// on first use, saving, the write lock, and the exported save prompt and
// delete (docs/mmd.md has the layout).
//
// Errors reach the user through ShowMessage (store/base/message.h); no
// exception leaves these functions. A damaged file loads what is sound and is
// reported once.
#pragma once

#include <cstdint>

#include "OrvaMat/types.h"

class CMatDatenSatz;
class CMatTable;
class CMatStore;
class CMmdReader;
class CMmdBacking;

// Reads the file at dataset.m_strPath: handle table and table skeleton; the
// rows stay in the file. Tables the dataset already has (by name handle) are
// refilled in place. False when the file does not exist, can not be read or
// is no database file (reported, except a missing file).
bool LoadDataset(CMatDatenSatz& dataset);

// One "MMtb" record after its tag and handle; one "MMtm" record after its tag.
// False when the record is damaged (the caller stops reading).
bool ReadTableRecord(CMatTable& table, CMmdReader& file, std::uint32_t version);
bool ReadTextRecord(CMatTable& table, CMmdReader& file);

// Before every use of a table: the change check, then the body from the file
// when it is still only there.
void LoadTableBody(CMatTable& table);
// The change check: when the folder watch has seen something and the file is
// no longer the one this process last read or wrote, the skeleton is read
// again (tables refilled in place, their rows read anew on next use). Not
// while this process holds the lock: no one else may save then, and its own
// changes are kept. True when the file was read again.
bool CheckForChange(CMatDatenSatz& dataset);
bool CheckForChange(CMatDatenSatz& dataset, CMmdBacking& backing);
// Reads the table's rows (or cells, for array tables) from the file.
void LoadRows(CMatTable& table);

// Writes the whole dataset to its file (asking for a path when it has none).
// False when nothing was saved (cancelled, locked by another user, a text too
// long, a file error, a damaged file not released by SalvageDataset; all but
// the cancel reported).
bool SaveDataset(CMatDatenSatz& dataset);

// True when the dataset's file was found damaged when it was read (only its
// readable part is in memory). Such a dataset is never saved over its file:
// that would put the readable part in place of everything the file held.
bool IsDatasetDamaged(const CMatDatenSatz& dataset);
// The user's explicit wish to keep what could be read: the next save of the
// damaged dataset first keeps the damaged file under a name of its own
// beside it (MmdDamagedPath) and then writes the readable part.
void SalvageDataset(CMatDatenSatz& dataset);

// True when another process holds the dataset's lock (the caller refuses the
// change with 15); with take a free lock is taken.
bool CheckWriteLock(CMatDatenSatz& dataset, bool take);
// Gives the lock back: the lock file goes and the file gets its write bits.
void ReleaseWriteLock(CMatDatenSatz& dataset);

// Ordinal 50: saves every modified dataset (asking unless silent or the
// dataset is "USER") and gives back every lock.
void SaveModified(CMatStore& store, int silent);
// Ordinal 86: asks, then deletes the dataset of the prefix and its file;
// 1 when deleted, else 0.
int DeleteDataset(CMatStore& store, unsigned long prefix);
