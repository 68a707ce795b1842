// The text source: decoding a file a block at a time into a window, and the
// line model.

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <memory>
#include <string>

#include "platform/code_page.h"
#include "platform/file.h"
#include "platform/huge_pages.h"
#include "platform/text.h"
#include "store/base/message.h"
#include "store/base/reg_util.h"
#include "store/base/translation.h"
#include "store/mmtb/mat_text_reader.h"

namespace {

// Where a text ends: at its first NUL or end-of-file character, else at n.
// Two vectorised searches, the second only up to the first's find.
std::size_t TextEnd(const char* p, std::size_t n) {
  if (n == 0) return 0;  // (an empty text may have no address to search)
  if (const void* pNul = std::memchr(p, 0, n)) n = static_cast<const char*>(pNul) - p;
  if (const void* pEof = std::memchr(p, 0x1A, n)) n = static_cast<const char*>(pEof) - p;
  return n;
}
std::size_t TextEnd(const wchar_t* p, std::size_t n) {
  if (n == 0) return 0;
  if (const wchar_t* pNul = std::wmemchr(p, 0, n)) n = static_cast<std::size_t>(pNul - p);
  if (const wchar_t* pEof = std::wmemchr(p, 0x1A, n)) n = static_cast<std::size_t>(pEof - p);
  return n;
}

const wchar_t kEmptyText[] = {CMatTextReader::kEndMarker, 0};

bool IsBreak(wchar_t c) { return c == L'\r' || c == L'\n'; }
bool IsTextEnd(wchar_t c) { return c == 0 || c == CMatTextReader::kEndMarker; }

// Files without a byte-order mark are written in the ANSI code page of the
// user's language.
unsigned LanguageCodePage() {
  const CString& language = CTranslationManager::GetInstance().GetActualLanguage();
  unsigned codePage = CRegUtil::getLanguageCodepage(language);
  return IsKnownCodePage(codePage) ? codePage : CP_WINDOWS_1252;
}

}  // namespace

CMatTextReader::CMatTextReader(CMatStore* pStore) : m_pStore(pStore) { Reset(); }

CMatTextReader::~CMatTextReader() = default;

void CMatTextReader::Reset() {
  m_strBuffer.clear();
  m_Unread = {};
  m_File = CFileReader();
  m_bFileSource = false;
  m_bFileEnd = false;
  m_strRaw.clear();
  m_bSourceEnd = true;
  m_nSourceBytes = 0;
  m_BlockZeilen.clear();
  m_bBlockCurrent = false;
  m_pZeilenStart = m_pPos = kEmptyText;
  m_pScan = nullptr;
  m_nZeile = 0;
  m_bUnicode = false;
}

bool CMatTextReader::OpenText(const CString& path) {
  Reset();
  if (!m_File.Open(path)) return false;
  m_bFileSource = true;
  m_nSourceBytes = m_File.GetSize();
  // The first bytes tell the encoding.
  std::string head(2, '\0');
  std::size_t nHead = 0;
  while (nHead < head.size()) {
    const std::int64_t got = m_File.Read(head.data() + nHead, head.size() - nHead);
    if (got < 0) return false;
    if (got == 0) break;
    nHead += static_cast<std::size_t>(got);
  }
  head.resize(nHead);
  if (head == "\xFF\xFE") {
    // UTF-16 is decoded whole: its line ends can not be found in the bytes.
    // Text files are far below this; a larger "file" is a device image.
    constexpr std::uint64_t kMaxBytes = std::uint64_t{1} << 30;
    std::string bytes;
    if (m_nSourceBytes > kMaxBytes || !ReadWholeFile(path, bytes)) return false;
    OpenBytes(bytes, path);
    return true;
  }
  m_strRaw = head;
  StartSource(head, path);
  return true;
}

void CMatTextReader::OpenBytes(std::string_view bytes, const CString& path) {
  Reset();
  m_nSourceBytes = bytes.size();
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
    m_strBuffer.reserve(bytes.size() / 2);
    DecodeText(bytes, CP_DETECT, m_strBuffer);
    StartBuffer(path);
    m_bUnicode = true;
    return;
  }
  m_Unread = bytes;
  StartSource(bytes, path);
}

void CMatTextReader::OpenString(std::wstring_view text, const CString& path) {
  Reset();
  m_nSourceBytes = text.size();
  m_strBuffer.assign(text);
  StartBuffer(path);
}

void CMatTextReader::StartSource(std::string_view head, const CString& path) {
  m_nCodePage = LanguageCodePage();
  if (head.size() >= 2 && head[0] == '\xEF' && head[1] == '\xBB') {
    // The mark's third byte is skipped whatever it holds.
    m_nCodePage = CP_UTF8_TEXT;
    if (m_bFileSource) {
      char third = 0;
      if (m_File.Read(&third, 1) < 0) m_bFileEnd = true;
      m_strRaw.clear();
    } else {
      m_Unread.remove_prefix(m_Unread.size() < 3 ? m_Unread.size() : 3);
    }
  }
  m_strPath = path;
  m_bSourceEnd = false;
  m_strBuffer.reserve(m_nBlock + 1024);
  MakeLineCurrent(m_strBuffer.c_str());
}

void CMatTextReader::StartBuffer(const CString& path) {
  m_strPath = path;
  // The text ends where the file's content says so: at its first NUL or
  // end-of-file character.
  // The string's own terminating NUL is the end marker after the text.
  m_strBuffer.resize(TextEnd(m_strBuffer.data(), m_strBuffer.size()));
  m_bSourceEnd = true;
  MakeLineCurrent(m_strBuffer.c_str());
}

std::size_t CMatTextReader::PieceEnd(std::string_view bytes, bool bAll) {
  if (bAll) return bytes.size();
  if (bytes.size() < 2) return 0;
  // The last LF whose next byte is there and is no CR.
  for (std::size_t nFrom = bytes.size() - 2;;) {
    const std::size_t nLf = bytes.rfind('\n', nFrom);
    if (nLf == std::string_view::npos) return 0;
    if (bytes[nLf + 1] != '\r') return nLf + 1;
    if (nLf == 0) return 0;
    nFrom = nLf - 1;
  }
}

const wchar_t* CMatTextReader::DecodeMore(const wchar_t* pKeep) {
  if (m_bSourceEnd) return pKeep;
  std::string_view bytes;
  std::size_t nPiece = 0;
  bool bAll = false;
  for (std::size_t nTaken = 0;;) {
    if (m_bFileSource) {
      if (!m_bFileEnd) {
        const std::size_t nHad = m_strRaw.size();
        m_strRaw.resize(nHad + m_nBlock);
        const std::int64_t got = m_File.Read(m_strRaw.data() + nHad, m_nBlock);
        if (got < 0) {
          // The text ends where the file failed, and the failure is shown.
          ShowMessage(MB_OK | MB_ICONERROR, L"Die Datei kann nicht gelesen werden:\n%s",
                      m_File.GetError());
        }
        m_bFileEnd = got <= 0;
        m_strRaw.resize(nHad + static_cast<std::size_t>(got > 0 ? got : 0));
      }
      bytes = m_strRaw;
      bAll = m_bFileEnd;
    } else {
      nTaken = std::min(m_Unread.size(), nTaken + m_nBlock);
      bytes = m_Unread.substr(0, nTaken);
      bAll = nTaken == m_Unread.size();
    }
    nPiece = PieceEnd(bytes, bAll);
    if (nPiece > 0 || bAll) break;
  }
  std::string_view piece = bytes.substr(0, nPiece);
  const std::size_t nEnd = TextEnd(piece.data(), piece.size());
  m_bSourceEnd = bAll && nPiece == bytes.size();
  if (nEnd < piece.size()) {
    piece = piece.substr(0, nEnd);
    m_bSourceEnd = true;
  }
  // The text before pKeep goes; what is kept moves to the window's front.
  const wchar_t* const pOld = m_strBuffer.c_str();
  const std::size_t nOldSize = m_strBuffer.size();
  const auto nKeep = static_cast<std::size_t>(pKeep - pOld);
  const auto Moved = [&](const wchar_t*& p) {
    if (p != nullptr && p >= pKeep && p <= pOld + nOldSize) p = m_strBuffer.c_str() + (p - pKeep);
  };
  m_strBuffer.erase(0, nKeep);
  if (m_nCodePage == CP_UTF8_TEXT) {
    AppendFromUtf8(piece, m_strBuffer);
  } else {
    DecodeText(piece, m_nCodePage, m_strPiece);
    m_strBuffer += m_strPiece;
  }
  if (m_bFileSource) {
    m_strRaw.erase(0, nPiece);
  } else {
    m_Unread.remove_prefix(nPiece);
  }
  if (!m_bBlockCurrent) {
    Moved(m_pZeilenStart);
    Moved(m_pPos);
  }
  Moved(m_pScan);
  return m_strBuffer.c_str();
}

void CMatTextReader::CloseText() {
  Reset();
  m_strPath.clear();
}

void CMatTextReader::MakeLineCurrent(const wchar_t* pStart) {
  const wchar_t* p = pStart;
  for (;;) {
    while (!IsBreak(*p) && !IsTextEnd(*p)) ++p;
    if (!AtWindowEnd(p)) break;
    const std::size_t nDone = static_cast<std::size_t>(p - pStart);
    pStart = DecodeMore(pStart);
    p = pStart + nDone;
  }
  m_pZeilenStart = m_pPos = pStart;
  if (IsTextEnd(*p)) {
    m_pScan = nullptr;
    return;
  }
  const bool bPair = (p[0] == L'\r' && p[1] == L'\n') || (p[0] == L'\n' && p[1] == L'\r');
  m_pScan = p + (bPair ? 2 : 1);
}

void CMatTextReader::NextZeile() {
  if (m_bBlockCurrent) {
    m_BlockZeilen.pop_front();
    m_bBlockCurrent = false;
  }
  if (!m_BlockZeilen.empty()) {
    m_bBlockCurrent = true;
    ++m_nZeile;
    m_pZeilenStart = m_pPos = m_BlockZeilen.front().c_str();
    return;
  }
  if (!m_pScan) {
    // The last line had no line break: the text ends here.
    m_pZeilenStart = m_pPos = m_strBuffer.c_str() + m_strBuffer.size();
    return;
  }
  ++m_nZeile;
  MakeLineCurrent(m_pScan);
}

void CMatTextReader::SkipBlanks() {
  while (*m_pPos == L' ' || *m_pPos == L'\t') ++m_pPos;
}

void CMatTextReader::SkipEmptyLines() {
  for (;;) {
    SkipBlanks();
    if (AtEnd() || (!IsBreak(*m_pPos) && *m_pPos != L';')) return;
    NextZeile();
  }
}

int CMatTextReader::CollectBlockZeilen() {
  // A brace block is collected only from the text itself, never from inside
  // another block.
  if (m_bBlockCurrent || !m_pScan) return 0;
  const wchar_t* pLine = m_pScan;
  int nCount = 0;
  for (;;) {
    const wchar_t* p = pLine;
    bool bClose = false;
    for (;;) {
      while (!IsBreak(*p) && !IsTextEnd(*p)) bClose |= *p++ == L'}';
      if (!AtWindowEnd(p)) break;
      // The current line stays in the window; the collected ones are copies.
      const std::size_t nLine = static_cast<std::size_t>(pLine - m_pZeilenStart);
      const std::size_t nDone = static_cast<std::size_t>(p - m_pZeilenStart);
      const wchar_t* pCurrent = DecodeMore(m_pZeilenStart);
      pLine = pCurrent + nLine;
      p = pCurrent + nDone;
    }
    if (bClose) break;
    if (IsTextEnd(*p) && p == pLine) {
      pLine = p;
      break;
    }
    m_BlockZeilen.emplace_back(pLine, p);
    m_BlockZeilen.back().append(L"\r\n");
    ++nCount;
    if (IsTextEnd(*p)) {
      pLine = p;
      break;
    }
    const bool bPair = (p[0] == L'\r' && p[1] == L'\n') || (p[0] == L'\n' && p[1] == L'\r');
    pLine = p + (bPair ? 2 : 1);
  }
  // After the block the text goes on at the line that ended it.
  m_pScan = pLine;
  if (nCount > 0) NextZeile();
  return nCount;
}

void CMatTextReader::DropBlockZeilen() {
  if (m_BlockZeilen.empty()) return;
  // The lines are still counted, so that messages name the right line.
  m_nZeile += static_cast<int>(m_BlockZeilen.size()) - (m_bBlockCurrent ? 1 : 0);
  m_BlockZeilen.erase(m_BlockZeilen.begin() + (m_bBlockCurrent ? 1 : 0), m_BlockZeilen.end());
}
