// The text source: decoding a whole file into one buffer and the line model.

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <memory>
#include <string>

#include "platform/code_page.h"
#include "platform/file.h"
#include "platform/huge_pages.h"
#include "platform/text.h"
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
  m_BlockZeilen.clear();
  m_bBlockCurrent = false;
  m_pZeilenStart = m_pPos = kEmptyText;
  m_pScan = nullptr;
  m_nZeile = 0;
  m_bUnicode = false;
}

bool CMatTextReader::OpenText(const CString& path) {
  // Text files are far below this; a larger "file" is a device image.
  constexpr std::uint64_t kMaxBytes = std::uint64_t{1} << 30;
  std::string bytes;
  if (GetFileSize(path).value_or(0) > kMaxBytes || !ReadWholeFile(path, bytes)) return false;
  OpenBytes(bytes, path);
  return true;
}

void CMatTextReader::OpenBytes(std::string_view bytes, const CString& path) {
  Reset();
  // Decoded straight into the buffer: a large file is held once, not twice.
  // No decoding yields more characters than there are bytes; room for them
  // is taken before it is first written, so that a large text can lie on
  // huge pages instead of costing a page fault every thousand characters.
  m_strBuffer.clear();
  m_strBuffer.reserve(bytes.size());
  AdviseHugePages(m_strBuffer.data(), m_strBuffer.capacity() * sizeof(wchar_t));
  const bool bUtf16 = bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE';
  if (!bUtf16) {
    // In UTF-8 and in every code page a NUL or end-of-file byte is that
    // character, never part of another: the text is cut there before it is
    // decoded, a fourth of the memory to search and nothing decoded in vain.
    bytes = bytes.substr(0, TextEnd(bytes.data(), bytes.size()));
  }
  if (bUtf16) {
    DecodeText(bytes, CP_DETECT, m_strBuffer);
  } else if (bytes.size() >= 2 && bytes[0] == '\xEF' && bytes[1] == '\xBB') {
    // The mark's third byte is skipped whatever it holds.
    DecodeText(bytes.substr(bytes.size() < 3 ? bytes.size() : 3), CP_UTF8_TEXT, m_strBuffer);
  } else if (!DecodeText(bytes, LanguageCodePage(), m_strBuffer)) {
    DecodeText(bytes, CP_WINDOWS_1252, m_strBuffer);
  }
  StartBuffer(path);
  m_bUnicode = bUtf16;
}

void CMatTextReader::OpenString(std::wstring_view text, const CString& path) {
  Reset();
  m_strBuffer.assign(text);
  StartBuffer(path);
}

void CMatTextReader::StartBuffer(const CString& path) {
  m_strPath = path;
  // The text ends where the file's content says so: at its first NUL or
  // end-of-file character.
  // The string's own terminating NUL is the end marker after the text.
  m_strBuffer.resize(TextEnd(m_strBuffer.data(), m_strBuffer.size()));
  MakeLineCurrent(m_strBuffer.c_str());
}

void CMatTextReader::CloseText() {
  Reset();
  m_strPath.clear();
}

void CMatTextReader::MakeLineCurrent(const wchar_t* pStart) {
  m_pZeilenStart = m_pPos = pStart;
  const wchar_t* p = pStart;
  while (!IsBreak(*p) && !IsTextEnd(*p)) ++p;
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
    while (!IsBreak(*p) && !IsTextEnd(*p)) bClose |= *p++ == L'}';
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
