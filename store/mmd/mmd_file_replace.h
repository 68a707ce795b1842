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

#include <cstdint>
#include <string_view>

#include "OrvaMat/types.h"
#include "store/mmd/mmd_buffer.h"

// A new database file on its way: its bytes go to the temporary file as they
// are written (a streaming CMmdWriter's sink), and Commit puts it in place.
// Destroyed without a Commit that succeeded, it removes the temporary file
// and the database file stays as it was.
class CDatabaseFileReplacement final : public CMmdSink {
 public:
  explicit CDatabaseFileReplacement(const CString& path);
  ~CDatabaseFileReplacement() override;
  CDatabaseFileReplacement(const CDatabaseFileReplacement&) = delete;
  CDatabaseFileReplacement& operator=(const CDatabaseFileReplacement&) = delete;

  // Makes the temporary file (an old one of that name goes first).
  bool Open();
  bool Append(std::string_view bytes) override;
  bool WriteAt(std::uint64_t offset, std::string_view bytes) override;
  // Reads the bytes back from the temporary file: patches change bytes that
  // were summed already.
  bool Crc32c(std::uint32_t& crc) override;
  // Syncs the temporary file, keeps the old file as the backup and renames.
  // readOnly: the new file gets no write bits (this process holds the lock
  // and keeps it until it releases it).
  bool Commit(bool readOnly);
  // Why the last step failed ("<path>: <reason>").
  const CString& GetError() const { return m_strError; }

 private:
  bool Fail(const CString& path);
  void Discard();
  // Asks the kernel to start writing what was appended since the last ask,
  // once that is a megabyte or more: the disk then works while the save goes
  // on, and Commit's sync has only the rest to wait for.
  void StartWriteBack();

  CString m_strPath;
  CString m_strTemp;
  CString m_strError;
  int m_nFd = -1;
  std::uint64_t m_nWritten = 0;
  std::uint64_t m_nWriteBackFrom = 0;  // written back, or asked to be, before this
  bool m_bCommitted = false;
};

// The whole new file at once.
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
