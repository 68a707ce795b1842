// Running a whole script file: what ReadScriptFileDlg (ordinal 66) does
// after the user chose the file, and what the orvamat tool and the fuzz
// target call directly.
#pragma once

#include <string_view>

#include "OrvaMat/types.h"

class CMatStore;

// Opens the script at path (made absolute against the current folder, so
// that the script's folder stays known while the current folder changes),
// makes it the store's reader with no reader before it, makes its folder
// the process's current folder, and runs it (scriptfile/script_runner.h). On
// success the active dataset is marked changed. Afterwards, on every path,
// the reader is closed and no longer the store's, the previous current
// folder is back and every macro is deleted, so that a failed run leaves
// nothing that would change the next. False when the file could not be
// opened ("Datei <%s> kann nicht geöffnet werden.") or the run failed.
// The store must be the process-wide one (see script_runner.h).
bool RunScriptFile(CMatStore& store, const CString& path);
// The same for a script's bytes already in memory; path names it in
// messages and gives the folder its relative paths start from.
bool RunScriptBytes(CMatStore& store, std::string_view bytes, const CString& path);
