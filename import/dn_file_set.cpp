// The preview of a chosen file's header and the set of files imported with it.
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "import/dn_import.h"
#include "platform/code_page.h"
#include "platform/file.h"
#include "platform/format.h"
#include "platform/text.h"
#include "store/base/str_util.h"
#include "store/base/translation.h"

namespace {

constexpr std::size_t kUtf16PreviewBytes = 256;
constexpr std::size_t kUtf8PreviewBytes = 256;
constexpr std::size_t kAnsiPreviewBytes = 128;

// Up to size bytes from offset; fewer when the file is shorter.
std::string ReadBytesAt(CFile& file, std::uint64_t offset, std::size_t size) {
  std::string bytes(size, '\0');
  if (!file.Seek(offset)) return {};
  const auto got = file.Read(bytes.data(), size);
  bytes.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  return bytes;
}

CString DecodeUtf16Le(std::string_view bytes) {
  std::u16string units;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                   static_cast<unsigned char>(bytes[i + 1]) << 8);
  }
  CString text;
  for (std::size_t i = 0; i < units.size(); ++i) {
    char32_t c = units[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    text += static_cast<wchar_t>(c);
  }
  return text;
}

// The first line of the file as the preview decodes it.
CString ReadPreviewText(const CString& path, unsigned codePage) {
  CFile file;
  if (!file.Open(path, CFile::eRead)) return {};
  const std::string head = ReadBytesAt(file, 0, 3);
  CString text;
  if (head.size() >= 2 && head[0] == '\xFF' && head[1] == '\xFE') {
    text = DecodeUtf16Le(ReadBytesAt(file, 2, kUtf16PreviewBytes));
  } else if (head.size() >= 2 && head[0] == '\xEF' && head[1] == '\xBB') {
    text = FromUtf8(ReadBytesAt(file, 3, kUtf8PreviewBytes));
  } else if (!DecodeText(ReadBytesAt(file, 0, kAnsiPreviewBytes), codePage, text)) {
    DecodeText(ReadBytesAt(file, 0, kAnsiPreviewBytes), CP_WINDOWS_1252, text);
  }
  const auto end = text.find_first_of(L"\r\n");
  if (end != CString::npos) text.erase(end);
  return text;
}

}  // namespace

CDnHeaderPreview SniffDatanormHeader(const CString& path, unsigned codePage) {
  const CString line = ReadPreviewText(path, codePage);
  CDnHeaderPreview preview;
  if (line.size() >= 8 && line[0] == L'V' && line[1] == L' ') {
    preview.nVersion = 4;
    preview.strDate =
        Format(L"%c%c.%c%c.%c%c", line[2], line[3], line[4], line[5], line[6], line[7]);
    preview.strText = TrimRight(line.substr(8));
  } else if (line.size() >= 16 && line.compare(0, 5, L"V;050") == 0) {
    preview.nVersion = 5;
    preview.strDate = line.substr(14, 2) + L"." + line.substr(12, 2) + L"." + line.substr(8, 4);
    qelStrUtil::substr(line, 6, L';', preview.strText);
  } else {
    preview.strText = LibraryTranslation().TranslateText(L"Keine DATANORM-Datei oder beschädigt");
    preview.strDate = L"??.??.??";
  }
  return preview;
}

std::vector<CString> CollectDatanormFileSet(const CString& chosenPath) {
  namespace fs = std::filesystem;
  std::vector<CString> files;
  if (!FileExists(chosenPath)) return files;
  const fs::path chosen(ToUtf8(chosenPath));
  const CString name = FromUtf8(chosen.filename().string());
  if (name.size() < 4) return {chosenPath};
  const CString stem = ToLower(name.substr(0, name.size() - 3));
  std::error_code ec;
  fs::directory_iterator it(chosen.parent_path().empty() ? fs::path(".") : chosen.parent_path(),
                            ec);
  for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
    std::error_code typeError;
    if (it->is_directory(typeError)) continue;
    const CString candidate = FromUtf8(it->path().filename().string());
    if (candidate.size() == name.size() && ToLower(candidate.substr(0, stem.size())) == stem) {
      files.push_back(FromUtf8(it->path().string()));
    }
  }
  auto isWrg = [](const CString& path) { return ToLower(path.substr(path.size() - 3)) == L"wrg"; };
  std::sort(files.begin(), files.end(), [&](const CString& a, const CString& b) {
    const bool wa = isWrg(a), wb = isWrg(b);
    return wa != wb ? wa : a < b;
  });
  return files;
}
