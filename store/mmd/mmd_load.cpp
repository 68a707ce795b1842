// Reading a database file's skeleton: the header, the handle records and the
// table records, whose bodies are skipped and read on first use (mmd_rows).
// Layout: docs/mmd.md.
#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

#include "platform/file.h"
#include "store/base/hashing.h"
#include "store/base/message.h"
#include "store/base/translation.h"
#include "store/mat_daten_satz.h"
#include "store/mmd/mmd_backing.h"
#include "store/mmd/mmd_file.h"
#include "store/mmd/mmd_format.h"
#include "store/mmd/mmd_io.h"

namespace {

bool SameTag(const char tag[4], const char expected[4]) {
  return std::memcmp(tag, expected, 4) == 0;
}

bool ReadHandleRecords(CMatDatenSatz& dataset, CMmdReader& file, const CMmdTextCoding& coding) {
  std::uint32_t nCount = 0;
  if (!file.ReadU32(nCount)) return false;
  // A record is at least 6 bytes; a count beyond that can not be true.
  const std::uint64_t nPossible = file.GetRemaining() / 6;
  dataset.ReserveLoadedNames(std::size_t(std::min<std::uint64_t>(nCount, nPossible)));
  CString text;
  for (std::uint32_t i = 0; i < nCount; ++i) {
    std::uint32_t nStored = 0;
    if (!file.ReadU32(nStored) || !file.ReadString(text, coding)) return false;
    const Handle h = mmd::StoredHandle(dataset, nStored);
    if (h != 0 && !text.empty()) dataset.EnterLoadedName(h, text);
  }
  return true;
}

bool ReadTableSection(CMatDatenSatz& dataset, CMmdReader& file, std::uint32_t nVersion) {
  std::uint32_t nCount = 0;
  if (!file.ReadU32(nCount)) return false;
  for (std::uint32_t i = 0; i < nCount; ++i) {
    char tag[4];
    if (!file.ReadTag(tag)) return false;
    if (SameTag(tag, mmd::kTagText)) {
      if (!mmd::ReadTextSkeleton(dataset.m_Tables, nullptr, file, dataset)) return false;
      continue;
    }
    if (!SameTag(tag, mmd::kTagTable)) return true;  // another tag ends the section
    std::uint32_t nStored = 0;
    if (!file.ReadU32(nStored)) return false;
    CMatTable& table = mmd::FindOrAppendTable(dataset.m_Tables, mmd::StoredHandle(dataset, nStored),
                                              nullptr, dataset);
    if (!mmd::ReadTableRecordAt(table, file, nVersion, 0)) return false;
  }
  return true;
}

bool ReadSections(CMatDatenSatz& dataset, CMmdReader& file, std::uint32_t nVersion) {
  while (!file.AtEnd()) {
    char tag[4];
    if (!file.ReadTag(tag)) return false;
    if (SameTag(tag, mmd::kTagTables)) {
      if (!ReadTableSection(dataset, file, nVersion)) return false;
    } else if (SameTag(tag, mmd::kTagChecksum)) {
      std::uint32_t nIgnored = 0;
      if (!file.ReadU32(nIgnored)) return false;
    }
  }
  return true;
}

CMatTable* FindTopLevel(CMatDatenSatz& dataset, const wchar_t* pName) {
  for (auto& pTable : dataset.m_Tables)
    if (pTable->m_nType != eTypeStrLine && pTable->m_strName == pName) return pTable.get();
  return nullptr;
}

// The header after the magic, up to the handle records; false when damaged.
bool ReadHeader(CMatDatenSatz& dataset, CMmdBacking& backing, CMmdReader& file,
                std::uint32_t& nVersion) {
  char id[4];
  std::uint32_t nCounter = 0;
  if (!file.ReadTag(id) || !file.ReadU32(nVersion) || !file.ReadU32(nCounter)) return false;
  backing.m_nVersion = nVersion;
  for (int i = 0; i < 4; ++i)
    dataset.m_szHerstellerID[i] = wchar_t(static_cast<unsigned char>(id[i]));
  dataset.m_szHerstellerID[4] = 0;
  mmd::StoredHandle(dataset, nCounter & mmd::kHandleMask);
  if (backing.m_bUtf8 && !file.ReadString(backing.m_strInfo, mmd::DatasetCoding(backing)))
    return false;
  return true;
}

// The skeleton from the file's first byte on. False when it is no database
// file (reported); a damaged file loads what is sound and is reported.
bool LoadSkeleton(CMatDatenSatz& dataset, CMmdReader& file) {
  CMmdBacking& backing = MmdBackingOf(dataset);
  backing.m_bLockHeld = backing.m_LockFile.IsHeld();
  backing.m_bLoadPending = false;
  backing.m_bDamageReported = false;
  char magic[4];
  if (!file.ReadTag(magic) ||
      (!SameTag(magic, mmd::kMagicUtf8) && !SameTag(magic, mmd::kMagicAnsi))) {
    ShowMessage(MB_OK | MB_ICONERROR, L"Die Datei %s ist keine Materialmanagement-Datei.",
                dataset.m_strPath);
    return false;
  }
  backing.m_bUtf8 = SameTag(magic, mmd::kMagicUtf8);
  std::uint32_t nVersion = 0;
  const bool bSound = ReadHeader(dataset, backing, file, nVersion) &&
                      ReadHandleRecords(dataset, file, mmd::DatasetCoding(backing)) &&
                      ReadSections(dataset, file, nVersion);
  if (!bSound) mmd::ReportDamage(dataset, file.GetPosition());
  if (dataset.m_pSetGruppen == nullptr)
    dataset.m_pSetGruppen = FindTopLevel(dataset, L"ArtikelSetGruppen");
  return true;
}

// What the file's data check says: none (written before files carried one,
// or by another writer), sound, or broken (the file was changed after it was
// written: a flipped bit, a torn copy).
enum class eDataCheck { eNone, eSound, eBroken };

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

eDataCheck CheckData(CFile& file, std::uint64_t nLength) {
  char tail[mmd::kDataCheckBytes];
  if (nLength < mmd::kDataCheckBytes ||
      !file.ReadAt(nLength - mmd::kDataCheckBytes, tail, sizeof tail) ||
      !SameTag(tail, mmd::kTagDataCheck))
    return eDataCheck::eNone;
  std::uint32_t nStored = 0;
  for (std::size_t i = 4; i < mmd::kDataCheckBytes; ++i) {
    const int digit = HexDigit(tail[i]);
    // Only digits make a data check: the last bytes of an older file that
    // happen to spell the tag are no check.
    if (digit < 0) return eDataCheck::eNone;
    nStored = nStored << 4 | std::uint32_t(digit);
  }
  // The whole file passes through a buffer of its own, not through the
  // reader's window: checking costs one sequential read.
  constexpr std::size_t kChunk = std::size_t{1} << 20;
  const std::uint64_t nCovered = nLength - mmd::kDataCheckBytes;
  std::string chunk(std::size_t(std::min<std::uint64_t>(kChunk, nCovered)), '\0');
  std::uint32_t nCrc = 0;
  for (std::uint64_t nAt = 0; nAt < nCovered;) {
    const std::size_t n = std::size_t(std::min<std::uint64_t>(kChunk, nCovered - nAt));
    if (!file.ReadAt(nAt, chunk.data(), n)) return eDataCheck::eBroken;
    nCrc = CHashing::crc32c(std::string_view(chunk.data(), n), nCrc);
    nAt += n;
  }
  return nCrc == nStored ? eDataCheck::eSound : eDataCheck::eBroken;
}

}  // namespace

bool LoadDataset(CMatDatenSatz& dataset) {
  CMmdBacking& backing = MmdBackingOf(dataset);
  if (!FileExists(dataset.m_strPath)) return false;
  backing.m_FileStat = CFileStamp::Of(dataset.m_strPath);
  // The skeleton is read through a small window, the bodies skipped: they
  // are most of a large dataset's file and are read when first used.
  // A file that can not be read at all (a folder) is a file error, not a
  // damaged database file.
  CFile file;
  char head[4];
  const std::optional<std::uint64_t> nLength =
      file.Open(dataset.m_strPath, CFile::eRead) ? file.GetLength() : std::nullopt;
  if (!nLength || (*nLength >= 4 && !file.ReadAt(0, head, 4))) {
    mmd::ReportFileError(file.GetError().empty() ? dataset.m_strPath : file.GetError());
    return false;
  }
  CMmdReader reader(file, 0, *nLength);
  // Tables are refilled in place: names and flags may change under the same
  // child lists, so no look-up made before may be kept.
  dataset.m_ChildIndexes.Clear();
  const eDataCheck check = CheckData(file, *nLength);
  const bool bLoaded = LoadSkeleton(dataset, reader);
  dataset.m_ChildIndexes.Clear();
  if (!bLoaded) return false;
  // What could be read is kept, as for any damaged file, but marked damaged:
  // it may differ from what was saved, so it is not saved over the file.
  if (check == eDataCheck::eBroken) mmd::ReportChecksumDamage(dataset);
  LibraryTranslation().ScanWordbookFiles(GetFolderOf(dataset.m_strPath));
  return true;
}
