#include "platform/registry.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/file.h"
#include "platform/text.h"

namespace {

struct CIniSection {
  CString m_strName;
  CRegistryFile::CValueList m_listValues;
};
using CIniDocument = std::vector<CIniSection>;

constexpr std::wstring_view kKeyChars = L"[]";
constexpr std::wstring_view kNameChars = L"=[];#";

CString Escape(std::wstring_view text, std::wstring_view special) {
  static constexpr wchar_t kHex[] = L"0123456789ABCDEF";
  CString out;
  out.reserve(text.size());
  for (const wchar_t c : text) {
    if (c == L'%' || c < 0x20 || c == 0x7F || special.find(c) != std::wstring_view::npos) {
      out += L'%';
      out += kHex[(c >> 4) & 0xF];
      out += kHex[c & 0xF];
    } else {
      out += c;
    }
  }
  return out;
}

int HexValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  return -1;
}

CString Unescape(std::wstring_view text) {
  CString out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
        HexValue(text[i + 2]) >= 0) {
      out += static_cast<wchar_t>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

CIniSection* FindSection(CIniDocument& document, std::wstring_view key) {
  for (auto& section : document) {
    if (EqualsNoCase(section.m_strName, key)) return &section;
  }
  return nullptr;
}

// Sets a value keeping its position; a new value goes to the end.
void Assign(CRegistryFile::CValueList& values, const CString& name, const CString& data) {
  for (auto& value : values) {
    if (EqualsNoCase(value.first, name)) {
      value.second = data;
      return;
    }
  }
  values.emplace_back(name, data);
}

CIniSection& AddSection(CIniDocument& document, const CString& key) {
  if (CIniSection* section = FindSection(document, key)) return *section;
  document.push_back({key, {}});
  return document.back();
}

void ParseLine(std::wstring_view line, CIniDocument& document, CIniSection*& current) {
  if (!line.empty() && line.back() == L'\r') line.remove_suffix(1);
  if (line.empty() || line[0] == L';' || line[0] == L'#') return;
  if (line[0] == L'[' && line.back() == L']' && line.size() >= 2) {
    current = &AddSection(document, Unescape(line.substr(1, line.size() - 2)));
    return;
  }
  const size_t equals = line.find(L'=');
  if (!current || equals == std::wstring_view::npos) return;
  Assign(current->m_listValues, Unescape(line.substr(0, equals)),
         Unescape(line.substr(equals + 1)));
}

CIniDocument Parse(const std::string& bytes) {
  const CString text = FromUtf8(bytes);
  CIniDocument document;
  CIniSection* current = nullptr;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(L'\n', start);
    if (end == CString::npos) end = text.size();
    // ParseLine points current at the section it adds, so a growing vector
    // never leaves it dangling.
    ParseLine(std::wstring_view(text).substr(start, end - start), document, current);
    start = end + 1;
  }
  return document;
}

std::string Serialize(const CIniDocument& document) {
  CString text;
  for (const auto& section : document) {
    if (!text.empty()) text += L'\n';
    text += L'[' + Escape(section.m_strName, kKeyChars) + L"]\n";
    for (const auto& [name, data] : section.m_listValues) {
      text += Escape(name, kNameChars) + L'=' + Escape(data, L"") + L'\n';
    }
  }
  return ToUtf8(text);
}

// Reads the document; false when the file exists but could not be read, so
// that a write never replaces settings it failed to see.
bool Load(const CString& path, CIniDocument& document) {
  document.clear();
  std::string bytes;
  if (ReadWholeFile(path, bytes)) {
    document = Parse(bytes);
    return true;
  }
  return !FileExists(path) && !FolderExists(path);
}

// Holds an exclusive lock on "<file>.lock" for one read-change-write cycle.
class CWriteLock {
 public:
  explicit CWriteLock(const CString& path)
      : m_nFd(::open(ToUtf8(path + L".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666)) {
    while (m_nFd >= 0 && ::flock(m_nFd, LOCK_EX) != 0 && errno == EINTR) {
    }
  }
  ~CWriteLock() {
    if (m_nFd >= 0) ::close(m_nFd);  // closing releases the lock
  }
  CWriteLock(const CWriteLock&) = delete;
  CWriteLock& operator=(const CWriteLock&) = delete;
  bool IsHeld() const { return m_nFd >= 0; }

 private:
  int m_nFd;
};

// Runs change on the current document and writes it when change returns true.
template <typename Change>
bool Modify(const CString& path, Change change) {
  if (!CreateFolders(GetFolderOf(path))) return false;
  CWriteLock lock(path);
  CIniDocument document;
  if (!lock.IsHeld() || !Load(path, document)) return false;
  if (!change(document)) return false;
  return WriteFileAtomically(path, Serialize(document));
}

CString HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return FromUtf8(home);
  if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir) {
    return FromUtf8(entry->pw_dir);
  }
  return L".";
}

}  // namespace

CString CRegistryFile::DefaultPath() {
  if (const char* home = std::getenv("ORVAMAT_HOME"); home && *home) {
    return FromUtf8(home) + L"/registry.ini";
  }
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && config[0] == '/') {
    return FromUtf8(config) + L"/orvamat/registry.ini";
  }
  return HomeFolder() + L"/.config/orvamat/registry.ini";
}

CRegistryFile::CRegistryFile(CString path) : m_strPath(std::move(path)) {}

std::optional<CString> CRegistryFile::GetString(const CString& key, const CString& value) const {
  CIniDocument document;
  Load(m_strPath, document);
  if (const CIniSection* section = FindSection(document, key)) {
    for (const auto& [name, data] : section->m_listValues) {
      if (EqualsNoCase(name, value)) return data;
    }
  }
  return std::nullopt;
}

bool CRegistryFile::SetString(const CString& key, const CString& value, const CString& data) {
  return Modify(m_strPath, [&](CIniDocument& document) {
    Assign(AddSection(document, key).m_listValues, value, data);
    return true;
  });
}

CRegistryFile::CValueList CRegistryFile::GetValueList(const CString& key) const {
  CIniDocument document;
  Load(m_strPath, document);
  const CIniSection* section = FindSection(document, key);
  return section ? section->m_listValues : CValueList();
}

bool CRegistryFile::ReplaceValues(const CString& key, const CValueList& values) {
  return Modify(m_strPath, [&](CIniDocument& document) {
    auto& target = AddSection(document, key).m_listValues;
    target.clear();
    for (const auto& [name, data] : values) Assign(target, name, data);
    return true;
  });
}
