// Reading a whole MMTB text into the current dataset, the way the script
// processor reads its top-level "[MMTB]" blocks: each block's table is looked
// up among the dataset's top-level tables by name (case-insensitive) and made
// when missing, then its body is read. Preprocessor lines may stand between
// the blocks; anything else there is shown and skipped.
//
// The reader is the store's reader in use while it reads. Every message goes
// through the host UI. The result is false when reading stopped at an error
// (what was read before stays in the dataset) or the file could not be opened
// ("Datei <%s> kann nicht geöffnet werden.", error icon).
#pragma once

#include <string_view>

#include "OrvaMat/types.h"

class CMatStore;

bool ReadMmtbFile(CMatStore& store, const CString& path);
// The same for a file's bytes already in memory; path names it in messages.
bool ReadMmtbBytes(CMatStore& store, std::string_view bytes, const CString& path);
