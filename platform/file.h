// Files. Paths are wide texts, handed to the system as UTF-8. Nothing here
// throws: every call reports failure by its result and, where it takes a
// CString* error (may be null), a text "<path>: <system reason>".
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

#include "OrvaMat/types.h"

// An open file descriptor; closed by Close() or the destructor. Move-only.
class CFile {
 public:
  enum eMode {
    eRead,       // existing file, reading only
    eReadWrite,  // existing file, reading and writing
    eCreate,     // created or emptied, writing only
  };

  CFile() = default;
  ~CFile();
  CFile(CFile&& other) noexcept;
  CFile& operator=(CFile&& other) noexcept;
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;

  bool Open(const CString& path, eMode mode);
  // Closes; false when the system reported a delayed write error.
  bool Close();
  bool IsOpen() const { return m_nFd >= 0; }

  // Reads up to size bytes at the current position; the count read (0 at the
  // end), or -1 on an error.
  std::int64_t Read(void* buffer, std::size_t size);
  // Reads exactly size bytes at offset without moving the position; false when
  // fewer are there.
  bool ReadAt(std::uint64_t offset, void* buffer, std::size_t size);
  // Writes all bytes at the current position.
  bool Write(std::string_view bytes);
  bool Seek(std::uint64_t offset);
  std::optional<std::uint64_t> GetPosition() const;
  std::optional<std::uint64_t> GetLength() const;

  const CString& GetPath() const { return m_strPath; }
  // The reason of the last failure ("<path>: <reason>"), empty when none.
  const CString& GetError() const { return m_strError; }
  int GetFd() const { return m_nFd; }

 private:
  bool Fail(int error);

  int m_nFd = -1;
  CString m_strPath;
  CString m_strError;
};

// A regular file read front to back in pieces, so that a reader of a file of
// gigabytes holds a window of it, not all of it. The read ends where the file
// ended when it was opened: a file growing meanwhile can not keep a reader
// reading. A file that claims no size (those of the process table) is read
// to its end, within a bound. A device, a pipe or a folder is refused.
class CFileReader {
 public:
  bool Open(const CString& path, CString* error = nullptr);
  // The size the file had when opened; 0 for a file that claims none.
  std::uint64_t GetSize() const { return m_nSize; }
  // Reads up to size bytes: the count read, 0 at the end, -1 on an error
  // (a read error, or an unsized file beyond the bound).
  std::int64_t Read(char* buffer, std::size_t size);
  // Back to the first byte, for another pass.
  bool Rewind();
  const CString& GetError() const { return m_strError; }

 private:
  CFile m_File;
  std::uint64_t m_nSize = 0;
  std::uint64_t m_nLimit = 0;
  std::uint64_t m_nDone = 0;
  CString m_strError;
};

// The whole content of a regular file into bytes (CFileReader's rules).
bool ReadWholeFile(const CString& path, std::string& bytes, CString* error = nullptr);

// Replaces the file at path with bytes so that the path names either the
// complete old or the complete new content at every instant, even after a
// crash: a temporary file in the same folder is written, flushed to disk and
// renamed over path, then the folder is flushed. An existing file's
// permission bits are kept (so a read-only file stays read-only); a new file
// gets the default permissions. A symbolic link at path is replaced by the
// file. On failure the old file is untouched and no temporary file remains.
bool WriteFileAtomically(const CString& path, std::string_view bytes, CString* error = nullptr);
// The same with the content of the file from, read and written a block at a
// time (a file of gigabytes is never held).
bool CopyFileAtomically(const CString& from, const CString& path, CString* error = nullptr);

// True when path names an existing entry that is not a folder.
bool FileExists(const CString& path);
bool FolderExists(const CString& path);
// Creates a folder and any missing parents; true when it exists afterwards.
bool CreateFolders(const CString& path, CString* error = nullptr);
// True when the file exists and none of its write bits is set.
bool IsReadOnly(const CString& path);
// Clears all write bits, or sets the owner's write bit.
bool SetReadOnly(const CString& path, bool readOnly, CString* error = nullptr);
// Removes a file; false when it could not be removed (also when missing).
bool RemoveFile(const CString& path, CString* error = nullptr);
std::optional<std::uint64_t> GetFileSize(const CString& path);
// Last modification time in seconds since the epoch.
std::optional<std::time_t> GetModificationTime(const CString& path);
// The path from the root (made from the working folder), as given when that
// fails.
CString AbsolutePath(const CString& path);
// The folder part of a path ("a/b/c.txt" -> "a/b", "c.txt" -> ".").
CString GetFolderOf(const CString& path);
// "<path>: <reason>" for a system error number.
CString DescribeError(const CString& path, int error);
