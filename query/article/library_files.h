// The library-files manager and the file look-ups of article pictures.
//
// Online usage (setEnableOnlineUsage) makes file look-ups go through the
// library-files manager, which hands out local copies of the suite's library
// files. Here a local folder stands in for it: ORVAMAT_LIBRARY_FILES names
// the folder, and a file is looked for there under its name relative to the
// library: a relative name as it stands, an absolute path inside the folder
// as it is, any other absolute path by its file name.
// Without that variable the manager gives every name back unchanged, so
// switching online usage on changes nothing.
//
// Without online usage the file system is asked, through a cached listing per
// folder: a folder is listed again only when its modification time changed,
// so that the many candidates tried for one picture cost one look-up each.
// Names are matched without regard to case (the catalogues' pictures come
// from file systems that ignore case) and the name as the folder spells it is
// returned.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <unordered_map>

#include "OrvaMat/types.h"

class qelLibraryFilesManager {
 public:
  // The local file that stands for name.
  static CString getFile(std::wstring_view name);
  // True when that file exists.
  static bool accessFile(std::wstring_view name);
};

bool IsOnlineUsageEnabled();

// The files of one folder at one moment.
class CFolderListing {
 public:
  // The listing of folder (read again when the folder changed since it was
  // last read); an empty listing when the folder does not exist. The listing
  // stays valid while the caller holds it.
  static std::shared_ptr<const CFolderListing> Get(const CString& folder);
  // The full path of the file called name (any case), or empty.
  CString Find(std::wstring_view name) const;

  CString m_strFolder;
  std::int64_t m_nStamp = -1;                    // folder's modification time (ns)
  std::unordered_map<CString, CString> m_Names;  // lower-cased name -> name
};

// The path of folder/name when that file exists, else empty: through the
// library-files manager when online usage is on, else through the listing.
CString FindExistingFile(const CString& folder, std::wstring_view name);

// One folder asked for many names in a row: its listing is taken once (and
// checked against the folder's modification time once), so that each name
// costs one look-up in memory. Valid for one search; names with folders of
// their own and online usage go through FindExistingFile.
class CFileFinder {
 public:
  // An empty folder finds nothing.
  explicit CFileFinder(CString folder);
  const CString& GetFolder() const { return m_strFolder; }
  // The path of the file called name in the folder, or empty.
  CString Find(std::wstring_view name) const;

 private:
  CString m_strFolder;
  std::shared_ptr<const CFolderListing> m_pListing;  // null when online
};
