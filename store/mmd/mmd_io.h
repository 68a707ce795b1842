// Pieces shared by the loader, the row reader and the writer of the database
// file. Internal to store/mmd.
#pragma once

#include <cstdint>

#include "OrvaMat/mat_table.h"
#include "OrvaMat/types.h"
#include "store/mmd/mmd_buffer.h"

class CMatDatenSatz;
class CMmdBacking;

namespace mmd {

// Child records nest at most this deep; a deeper file is damaged (the tree
// of a real dataset is a few levels deep).
inline constexpr int kMaxDepth = 64;

// A stored 24-bit handle with the dataset's byte put back (0 stays 0). A
// handle above the dataset's counter raises the counter, so that handles made
// later never repeat one that the file holds.
Handle StoredHandle(CMatDatenSatz& dataset, std::uint32_t nStored);

// How the strings of a table are stored: UTF-8 in an "MMD3" file; in an
// "MMD2" file the code page of the language a two-character table name
// names, else that of the user's language.
CMmdTextCoding TableCoding(const CMmdBacking& backing, const CString& strTableName);
// The coding of texts that belong to no table (handle records, info text).
CMmdTextCoding DatasetCoding(const CMmdBacking& backing);

// Reports, once per reading of the file, that it is damaged at position.
void ReportDamage(CMatDatenSatz& dataset, std::uint64_t nPosition);
// Reports, unless damage was reported already, that the file's data check
// does not match its bytes; the dataset counts as damaged.
void ReportChecksumDamage(CMatDatenSatz& dataset);
// Reports a file that can not be opened or read (reason from the system).
void ReportFileError(const CString& reason);

// ReadTableRecord at a nesting depth (0 for a top-level table).
bool ReadTableRecordAt(CMatTable& table, CMmdReader& file, std::uint32_t nVersion, int nDepth);
// Reads the child count and the child records of parent (after its own
// fields). False when damaged.
bool ReadChildRecords(CMatTable& parent, CMmdReader& file, std::uint32_t nVersion, int nDepth);
// The table of that name handle in the list, or a new one appended.
CMatTable& FindOrAppendTable(CTableList& list, Handle hName, CMatTable* pParent,
                             CMatDatenSatz& dataset);
// Reads "MMtm" size and handle (after the tag) and finds or appends the text
// table; the rest of the record is skipped. False when damaged.
bool ReadTextSkeleton(CTableList& list, CMatTable* pParent, CMmdReader& file,
                      CMatDatenSatz& dataset);

// True when the table's body (rows, cells or text) still lies only in the file.
bool IsBodyPending(const CMatTable& table);
// Reads the body when it is pending, without the change check.
void LoadBodyNow(CMatTable& table);

// Empties the rows, cells or text of a table before it is read again.
void ClearBody(CMatTable& table);

}  // namespace mmd
