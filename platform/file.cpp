#include "platform/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "platform/huge_pages.h"
#include "platform/text.h"

namespace {

void SetError(CString* error, const CString& path, int number) {
  if (error) *error = DescribeError(path, number);
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

bool StatPath(const CString& path, struct stat& info) {
  return ::stat(ToUtf8(path).c_str(), &info) == 0;
}

// Flushes a folder's entries, so that a rename in it survives a crash.
bool SyncFolder(const CString& folder) {
  const int fd = ::open(ToUtf8(folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0 || errno == EINVAL;  // some file systems refuse
  ::close(fd);
  return ok;
}

// Creates a new, unique temporary file beside path; -1 on failure.
int CreateTemporary(const CString& path, std::string& tempName) {
  static std::atomic<unsigned> s_nCounter{0};
  const std::string base = ToUtf8(path) + ".~" + std::to_string(::getpid()) + ".";
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempName = base + std::to_string(s_nCounter++);
    const int fd = ::open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

CString DescribeError(const CString& path, int error) {
  return path + L": " + FromUtf8(std::error_code(error, std::generic_category()).message());
}

CFile::~CFile() { Close(); }

CFile::CFile(CFile&& other) noexcept
    : m_nFd(other.m_nFd),
      m_strPath(std::move(other.m_strPath)),
      m_strError(std::move(other.m_strError)) {
  other.m_nFd = -1;
}

CFile& CFile::operator=(CFile&& other) noexcept {
  if (this != &other) {
    Close();
    m_nFd = other.m_nFd;
    m_strPath = std::move(other.m_strPath);
    m_strError = std::move(other.m_strError);
    other.m_nFd = -1;
  }
  return *this;
}

bool CFile::Fail(int error) {
  m_strError = DescribeError(m_strPath, error);
  return false;
}

bool CFile::Open(const CString& path, eMode mode) {
  Close();
  m_strPath = path;
  m_strError.clear();
  int flags = O_CLOEXEC;
  switch (mode) {
    case eRead:
      flags |= O_RDONLY;
      break;
    case eReadWrite:
      flags |= O_RDWR;
      break;
    case eCreate:
      flags |= O_WRONLY | O_CREAT | O_TRUNC;
      break;
  }
  m_nFd = ::open(ToUtf8(path).c_str(), flags, 0666);
  if (m_nFd < 0) return Fail(errno);
  struct stat info {};
  if (::fstat(m_nFd, &info) == 0 && S_ISDIR(info.st_mode)) {
    Close();
    return Fail(EISDIR);
  }
  return true;
}

bool CFile::Close() {
  if (m_nFd < 0) return true;
  const int result = ::close(m_nFd);
  m_nFd = -1;
  return result == 0 || Fail(errno);
}

std::int64_t CFile::Read(void* buffer, std::size_t size) {
  if (m_nFd < 0) {
    Fail(EBADF);
    return -1;
  }
  for (;;) {
    const ssize_t got = ::read(m_nFd, buffer, size);
    if (got >= 0) return got;
    if (errno != EINTR) {
      Fail(errno);
      return -1;
    }
  }
}

bool CFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t size) {
  if (m_nFd < 0) return Fail(EBADF);
  auto* out = static_cast<char*>(buffer);
  while (size > 0) {
    const ssize_t got = ::pread(m_nFd, out, size, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return Fail(errno);
    if (got == 0) return Fail(ENODATA);
    out += got;
    offset += static_cast<std::uint64_t>(got);
    size -= static_cast<std::size_t>(got);
  }
  return true;
}

bool CFile::Write(std::string_view bytes) {
  if (m_nFd < 0) return Fail(EBADF);
  return WriteAll(m_nFd, bytes) || Fail(errno);
}

bool CFile::Seek(std::uint64_t offset) {
  if (m_nFd < 0) return Fail(EBADF);
  return ::lseek(m_nFd, static_cast<off_t>(offset), SEEK_SET) >= 0 || Fail(errno);
}

std::optional<std::uint64_t> CFile::GetPosition() const {
  if (m_nFd < 0) return std::nullopt;
  const off_t position = ::lseek(m_nFd, 0, SEEK_CUR);
  if (position < 0) return std::nullopt;
  return static_cast<std::uint64_t>(position);
}

std::optional<std::uint64_t> CFile::GetLength() const {
  struct stat info {};
  if (m_nFd < 0 || ::fstat(m_nFd, &info) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(info.st_size);
}

bool CFileReader::Open(const CString& path, CString* error) {
  m_strError.clear();
  m_nSize = m_nLimit = m_nDone = 0;
  struct stat info {};
  if (!m_File.Open(path, CFile::eRead)) {
    m_strError = m_File.GetError();
  } else if (::fstat(m_File.GetFd(), &info) != 0 || !S_ISREG(info.st_mode)) {
    SetError(&m_strError, path, S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
  } else {
    // A file that claims no size may still have content (the files of the
    // process table do); its first read tells a read error from an empty file.
    constexpr std::uint64_t kUnsizedLimit = std::uint64_t{64} << 20;
    m_nSize = static_cast<std::uint64_t>(info.st_size);
    m_nLimit = m_nSize > 0 ? m_nSize : kUnsizedLimit;
    return true;
  }
  if (error) *error = m_strError;
  m_File.Close();
  return false;
}

std::int64_t CFileReader::Read(char* buffer, std::size_t size) {
  if (!m_File.IsOpen()) return -1;
  if (m_nDone == m_nLimit) {
    if (m_nSize > 0) return 0;
    // An unsized file at its bound: an error only when there is more.
    char probe = 0;
    const std::int64_t got = m_File.Read(&probe, 1);
    if (got == 0) return 0;
    if (got > 0)
      SetError(&m_strError, m_File.GetPath(), EFBIG);
    else
      m_strError = m_File.GetError();
    return -1;
  }
  const std::int64_t got = m_File.Read(
      buffer, static_cast<std::size_t>(std::min<std::uint64_t>(size, m_nLimit - m_nDone)));
  if (got < 0) {
    m_strError = m_File.GetError();
    return -1;
  }
  m_nDone += static_cast<std::uint64_t>(got);
  return got;
}

bool CFileReader::Rewind() {
  m_nDone = 0;
  if (m_File.Seek(0)) return true;
  m_strError = m_File.GetError();
  return false;
}

bool ReadWholeFile(const CString& path, std::string& bytes, CString* error) {
  bytes.clear();
  CFileReader file;
  if (!file.Open(path, error)) return false;
  // A large file's room is taken before it is first written so that it can
  // lie on huge pages: a page fault every 4 KiB costs more than reading the
  // bytes.
  const bool bSized = file.GetSize() > 0;
  bytes.reserve(static_cast<size_t>(file.GetSize()));
  AdviseHugePages(bytes.data(), bytes.capacity());
  bytes.resize(bSized ? static_cast<size_t>(file.GetSize()) : size_t{65536});
  size_t done = 0;
  for (;;) {
    if (done == bytes.size()) {
      if (bSized) break;
      bytes.resize(bytes.size() * 2);
    }
    const std::int64_t got = file.Read(bytes.data() + done, bytes.size() - done);
    if (got < 0) {
      if (error) *error = file.GetError();
      bytes.clear();
      return false;
    }
    if (got == 0) break;  // the file shrank, or an unsized file ended
    done += static_cast<size_t>(got);
  }
  bytes.resize(done);
  return true;
}

namespace {

// The file at path replaced by what write puts into a new file beside it
// (false and errno set when it fails): complete or not at all, with the
// old file's permissions.
template <class Write>
bool ReplaceAtomically(const CString& path, Write write, CString* error) {
  std::string tempName;
  const int fd = CreateTemporary(path, tempName);
  if (fd < 0) {
    SetError(error, path, errno);
    return false;
  }
  int failure = 0;
  if (!write(fd)) failure = errno != 0 ? errno : EIO;
  struct stat old {};
  if (!failure && StatPath(path, old) && S_ISREG(old.st_mode) &&
      ::fchmod(fd, old.st_mode & 07777) != 0) {
    failure = errno;
  }
  if (!failure && ::fsync(fd) != 0) failure = errno;
  if (::close(fd) != 0 && !failure) failure = errno;
  if (!failure && ::rename(tempName.c_str(), ToUtf8(path).c_str()) != 0) failure = errno;
  if (failure) {
    SetError(error, path, failure);
    ::unlink(tempName.c_str());
    return false;
  }
  SyncFolder(GetFolderOf(path));
  return true;
}

}  // namespace

bool WriteFileAtomically(const CString& path, std::string_view bytes, CString* error) {
  return ReplaceAtomically(
      path, [&](int fd) { return WriteAll(fd, bytes); }, error);
}

bool CopyFileAtomically(const CString& from, const CString& path, CString* error) {
  CFileReader source;
  if (!source.Open(from, error)) return false;
  CString readError;
  const bool bCopied = ReplaceAtomically(
      path,
      [&](int fd) {
        std::string block(std::size_t{1} << 20, '\0');
        for (;;) {
          const std::int64_t got = source.Read(block.data(), block.size());
          if (got < 0) {
            readError = source.GetError();
            errno = EIO;
            return false;
          }
          if (got == 0) return true;
          if (!WriteAll(fd, std::string_view(block.data(), static_cast<std::size_t>(got))))
            return false;
        }
      },
      error);
  if (!bCopied && !readError.empty() && error) *error = readError;
  return bCopied;
}

bool FileExists(const CString& path) {
  struct stat info {};
  return StatPath(path, info) && !S_ISDIR(info.st_mode);
}

bool FolderExists(const CString& path) {
  struct stat info {};
  return StatPath(path, info) && S_ISDIR(info.st_mode);
}

bool CreateFolders(const CString& path, CString* error) {
  if (path.empty() || FolderExists(path)) return true;
  const std::string bytes = ToUtf8(path);
  // Each prefix ending before a '/' is a parent to create first.
  for (size_t slash = bytes.find('/', 1);; slash = bytes.find('/', slash + 1)) {
    const std::string part = bytes.substr(0, slash);
    if (::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) {
      SetError(error, FromUtf8(part), errno);
      return false;
    }
    if (slash == std::string::npos) break;
  }
  if (FolderExists(path)) return true;
  SetError(error, path, ENOTDIR);
  return false;
}

bool IsReadOnly(const CString& path) {
  struct stat info {};
  return StatPath(path, info) && (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

bool SetReadOnly(const CString& path, bool readOnly, CString* error) {
  struct stat info {};
  if (!StatPath(path, info)) {
    SetError(error, path, errno);
    return false;
  }
  mode_t mode = info.st_mode & 07777;
  mode = readOnly ? (mode & ~mode_t{S_IWUSR | S_IWGRP | S_IWOTH}) : (mode | S_IWUSR);
  if (::chmod(ToUtf8(path).c_str(), mode) == 0) return true;
  SetError(error, path, errno);
  return false;
}

bool RemoveFile(const CString& path, CString* error) {
  if (::unlink(ToUtf8(path).c_str()) == 0) return true;
  SetError(error, path, errno);
  return false;
}

std::optional<std::uint64_t> GetFileSize(const CString& path) {
  struct stat info {};
  if (!StatPath(path, info) || S_ISDIR(info.st_mode)) return std::nullopt;
  return static_cast<std::uint64_t>(info.st_size);
}

std::optional<std::time_t> GetModificationTime(const CString& path) {
  struct stat info {};
  if (!StatPath(path, info)) return std::nullopt;
  return info.st_mtime;
}

CString AbsolutePath(const CString& path) {
  std::error_code error;
  const auto absolute = std::filesystem::absolute(ToUtf8(path), error);
  return error ? path : FromUtf8(absolute.lexically_normal().string());
}

CString GetFolderOf(const CString& path) {
  const size_t slash = path.find_last_of(L'/');
  if (slash == CString::npos) return L".";
  if (slash == 0) return L"/";
  return path.substr(0, slash);
}
