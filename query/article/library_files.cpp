#include "query/article/library_files.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <system_error>

#include "OrvaMat/article.h"
#include "OrvaMat/mat_manager.h"
#include "platform/file.h"
#include "platform/text.h"
#include "store/base/file_path.h"

namespace {

bool g_bOnlineUsage = false;

std::int64_t FolderStamp(const CString& folder) {
  struct stat st {};
  if (::stat(ToUtf8(folder).c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return -1;
  return static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

std::shared_ptr<CFolderListing> ReadListing(const CString& folder, std::int64_t stamp) {
  auto listing = std::make_shared<CFolderListing>();
  listing->m_strFolder = folder;
  listing->m_nStamp = stamp;
  if (stamp < 0) return listing;
  std::error_code ec;
  std::filesystem::directory_iterator it(ToUtf8(folder), ec);
  for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
    std::error_code typeError;
    if (it->is_directory(typeError)) continue;
    const CString name = FromUtf8(it->path().filename().string());
    listing->m_Names.emplace(ToLower(name), name);
  }
  return listing;
}

}  // namespace

CString qelLibraryFilesManager::getFile(std::wstring_view name) {
  const char* root = std::getenv("ORVAMAT_LIBRARY_FILES");
  if (root == nullptr || *root == 0) return CString(name);
  const CFilePath library(FromUtf8(root));
  const CFilePath path(name);
  if (!path.IsAbsolute()) return library ^ path;
  const CString& inside = path.GetPath();
  const CString prefix = library.GetPath() + L"/";
  if (inside.compare(0, prefix.size(), prefix) == 0) return inside;
  return library ^ CFilePath(path.GetFileName());
}

bool qelLibraryFilesManager::accessFile(std::wstring_view name) {
  return FileExists(getFile(name));
}

bool IsOnlineUsageEnabled() { return g_bOnlineUsage; }

std::shared_ptr<const CFolderListing> CFolderListing::Get(const CString& folder) {
  static std::map<CString, std::shared_ptr<CFolderListing>> cache;
  const std::int64_t stamp = FolderStamp(folder);
  auto& entry = cache[folder];
  if (!entry || entry->m_nStamp != stamp || stamp < 0) entry = ReadListing(folder, stamp);
  return entry;
}

CString CFolderListing::Find(std::wstring_view name) const {
  const auto it = m_Names.find(ToLower(name));
  return it == m_Names.end() ? CString() : CString(CFilePath(m_strFolder) ^ CFilePath(it->second));
}

CString FindExistingFile(const CString& folder, std::wstring_view name) {
  if (IsOnlineUsageEnabled()) {
    CString path = CFilePath(folder) ^ CFilePath(name);
    return qelLibraryFilesManager::accessFile(path) ? qelLibraryFilesManager::getFile(path)
                                                    : CString();
  }
  // A name may carry folders of its own ("sub\\pic.bmp").
  const CFilePath path = CFilePath(folder) ^ CFilePath(name);
  return CFolderListing::Get(path.GetFolder())->Find(path.GetFileName());
}

CFileFinder::CFileFinder(CString folder) : m_strFolder(std::move(folder)) {
  if (!IsOnlineUsageEnabled() && !m_strFolder.empty())
    m_pListing = CFolderListing::Get(m_strFolder);
}

CString CFileFinder::Find(std::wstring_view name) const {
  if (m_strFolder.empty()) return {};
  if (m_pListing == nullptr || name.find_first_of(L"/\\") != std::wstring_view::npos) {
    return FindExistingFile(m_strFolder, name);
  }
  return m_pListing->Find(name);
}

void CMatArticleCalls::setEnableOnlineUsage(bool enable) { g_bOnlineUsage = enable; }

void CMatArticleCalls::ResolveLibraryFile(CString& out, CString name) {
  out = IsOnlineUsageEnabled() ? qelLibraryFilesManager::getFile(name) : std::move(name);
}
