// Putting a newly written database file in place of the old one, keeping the
// old one as the backup (docs/mmd.md, "Saving").
//
// At every instant the database path names the complete old file or the
// complete new one: the new bytes go to the temporary file, are flushed and
// closed; the old file gets a second name as the backup (hard link, or a copy
// where the file system has no links); one rename replaces the database file.
// On success the temporary file is gone and the backup holds the previous
// contents. On failure the database file is untouched and the temporary file
// removed; *error says why ("<path>: <reason>").
#pragma once

#include <string_view>

#include "OrvaMat/types.h"

// readOnly: the new file gets no write bits (this process holds the lock and
// keeps it until it releases it).
bool ReplaceDatabaseFile(const CString& path, std::string_view bytes, bool readOnly,
                         CString* error);

// The steps of a save, for tests that stop a process between them.
enum eSaveStep {
  eSaveTempCreated = 1,
  eSaveTempWritten,
  eSaveTempSynced,
  eSaveBackupRemoved,
  eSaveBackupLinked,
  eSaveRenamed,
  eSaveDone,
};
// A test hook called after each step (null: none). Process-wide.
using SaveStepHook = void (*)(eSaveStep step);
void SetSaveStepHook(SaveStepHook hook);
