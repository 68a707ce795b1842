// Constants of the database file (*.mmd). The layout is documented once, in
// docs/mmd.md; every number here is written into users' files and is frozen.
#pragma once

#include <cstdint>

#include "OrvaMat/types.h"

namespace mmd {

// Four-byte tags, compared as bytes.
inline constexpr char kMagicUtf8[4] = {'M', 'M', 'D', '3'};
inline constexpr char kMagicAnsi[4] = {'M', 'M', 'D', '2'};
inline constexpr char kTagTables[4] = {'M', 'M', 't', 'a'};
inline constexpr char kTagChecksum[4] = {'c', 'h', 'k', 's'};
inline constexpr char kTagTable[4] = {'M', 'M', 't', 'b'};
inline constexpr char kTagText[4] = {'M', 'M', 't', 'm'};
// The data check, the file's last 12 bytes: this tag, then the CRC-32C of
// every byte before the tag as 8 lower-case hexadecimal digits. To a reader
// that does not know the tag the digits are two more bare tags, which it
// skips: hexadecimal digits never spell a known tag.
inline constexpr char kTagDataCheck[4] = {'c', 'r', 'c', 'C'};
inline constexpr std::size_t kDataCheckBytes = 12;

// Every byte of a stored string is XOR-ed with this key.
inline constexpr std::uint8_t kStringKey = 0x5D;
// The byte count of a stored string is a u16: 32,767 bytes at most.
inline constexpr std::size_t kMaxStringBytes = 32767;
// Version written; version 1 records lack the default item.
inline constexpr std::uint32_t kVersionWritten = 2;
// Handles are stored as their low 24 bits.
inline constexpr std::uint32_t kHandleMask = 0x00FFFFFF;
// Tables below this many rows (or with the list flag) keep their rows as a list.
inline constexpr std::int32_t kListModeRowLimit = 129;
inline constexpr std::uint32_t kFlagListMode = 16;
// Buckets of the row map of a large table read from the file.
inline constexpr unsigned kRowMapBuckets = 512;

}  // namespace mmd

// Companion files, named from the database path:
//   temporary file  the path with its last character replaced by "$"
//   backup          the path without its last three characters, then "bak"
//   lock file       the path up to its last "." followed by ".$$mmd"
CString MmdTempPath(const CString& path);
CString MmdBackupPath(const CString& path);
CString MmdLockPath(const CString& path);
// The path a dataset keeps for its file: a symbolic link is followed to the
// file it names (also when that file does not exist yet), so that saving,
// the backup and the lock act on the real file and the link stays a link.
CString ResolveDatabasePath(const CString& path);
// Empty when path may name a database file; else why not, in one line: a
// path that equals its own temporary, backup or lock file name ("x.$$mmd")
// would be deleted or replaced by the companion files of the next save.
CString WhyDatabasePathRefused(const CString& path);
// Where a salvaging save keeps a damaged database file: "<name>.damaged.mmd"
// beside it, or "<name>.damaged-N.mmd" with the first N from 2 on that is
// free, so that an earlier damaged file is never replaced.
CString MmdDamagedPath(const CString& path);
