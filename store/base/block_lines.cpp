#include "store/base/block_lines.h"

#include <algorithm>
#include <cstring>

#include "platform/code_page.h"
#include "platform/text.h"
#include "store/base/line_file.h"

namespace {

constexpr char kDosEndOfFile = 26;

bool HasNonAscii(std::string_view bytes) {
  unsigned char any = 0;
  for (const char c : bytes) any |= static_cast<unsigned char>(c);
  return any >= 0x80;
}

// Counts the lines of bytes that end after a LF (or at the end of the file,
// bLast): no line end, CR LF pair or UTF-8 character spans two such pieces.
// Lines are split as SplitLineViews splits them: at CR, LF or CR LF, with a
// DOS end-of-file character at the very end dropped.
void CountLineStart(CBlockScan& scan, char c) {
  const auto u = static_cast<unsigned char>(c);
  if (u < scan.nLinesBeginningWith.size()) ++scan.nLinesBeginningWith[u];
}

void ScanPiece(CBlockScan& scan, std::string_view bytes, bool bFirst, bool bLast) {
  const char* const pBegin = bytes.data();
  const char* const pEnd = pBegin + bytes.size();
  std::size_t nLineFeeds = 0, nPairs = 0;
  // A piece after the first begins a line.
  if (!bFirst && !bytes.empty()) CountLineStart(scan, bytes[0]);
  for (const char* p = pBegin; p < pEnd;) {
    const auto* pLf =
        static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(pEnd - p)));
    if (pLf == nullptr) break;
    ++nLineFeeds;
    if (pLf > pBegin && pLf[-1] == '\r') ++nPairs;
    if (pLf + 1 < pEnd) CountLineStart(scan, pLf[1]);
    p = pLf + 1;
  }
  // Carriage returns, found the way line feeds are: in a CR LF file one
  // search a line, in a LF file one a piece (a count over every byte costs
  // more than both).
  std::size_t nReturns = 0;
  for (const char* p = pBegin; p < pEnd; ++nReturns) {
    p = static_cast<const char*>(std::memchr(p, '\r', static_cast<std::size_t>(pEnd - p)));
    if (p == nullptr) break;
    ++p;
  }
  scan.nLines += nLineFeeds + nReturns - nPairs;
  if (nReturns > nPairs) scan.bLoneReturns = true;
  if (bLast) {
    const std::size_t nLastEnd = bytes.find_last_of("\r\n");
    std::size_t nTail =
        nLastEnd == std::string_view::npos ? bytes.size() : bytes.size() - nLastEnd - 1;
    if (nTail > 0 && bytes.back() == kDosEndOfFile) --nTail;
    if (nTail > 0) ++scan.nLines;
  }
  // Text with characters beyond ASCII that is valid UTF-8 is read as UTF-8.
  if (!scan.bNonAscii) scan.bNonAscii = HasNonAscii(bytes);
  if (scan.bNonAscii && scan.bValidUtf8) scan.bValidUtf8 = IsValidUtf8(bytes);
}

}  // namespace

void CBlockLines::Clear() {
  m_Scan = {};
  m_bFile = false;
  m_Memory = {};
  m_File = CFileReader();
  m_Buffer = std::string();
  m_nFill = 0;
  m_bEnd = true;
  m_bReadError = false;
  m_Lines.clear();
  m_nHead = 0;
  m_nFirst = 0;
  m_nSplit = 0;
  m_strWhole = CString();
  m_Wide = {};
  m_Slots = {};
}

void CBlockLines::Assign(std::string_view bytes) {
  Clear();
  m_Memory = bytes;
  Scan();
}

bool CBlockLines::Open(const CString& path) {
  Clear();
  m_bFile = true;
  m_bEnd = false;
  return m_File.Open(path) && Scan();
}

bool CBlockLines::Scan() {
  m_Scan = {};
  if (!m_bFile) {
    m_Scan.strHead = m_Memory.substr(0, 4);
    ScanPiece(m_Scan, m_Memory, true, true);
    return true;
  }
  bool bFirst = true;
  std::size_t nOffset = 0;  // of the buffer's first byte in the file
  while (ReadBlock()) {
    const std::string_view data = Data();
    if (nOffset < 4)
      m_Scan.strHead = m_Scan.strHead.substr(0, nOffset) + std::string(data.substr(0, 4 - nOffset));
    // The piece ends after the last LF of the block; the rest waits for the
    // next block (a block without a LF grows the buffer instead).
    const std::size_t nCut = m_bEnd ? data.size() : data.rfind('\n') + 1;
    ScanPiece(m_Scan, data.substr(0, nCut), bFirst, m_bEnd);
    bFirst = bFirst && nCut == 0;
    m_nSplit = nCut;
    nOffset += nCut;
    if (m_bEnd) return true;
  }
  return false;
}

bool CBlockLines::ReadBlock() {
  // The bytes before the oldest line held (or before the first byte not yet
  // split into lines) are done with.
  const std::size_t nKeep = m_nHead == m_Lines.size() ? m_nSplit : m_Lines[m_nHead].nOffset;
  if (nKeep > 0) {
    std::memmove(m_Buffer.data(), m_Buffer.data() + nKeep, m_nFill - nKeep);
    m_nFill -= nKeep;
    m_nSplit -= nKeep;
    for (std::size_t k = m_nHead; k < m_Lines.size(); ++k) m_Lines[k].nOffset -= nKeep;
  }
  if (m_Buffer.size() < m_nFill + m_nBlock) m_Buffer.resize(m_nFill + m_nBlock);
  const std::int64_t got = m_File.Read(m_Buffer.data() + m_nFill, m_nBlock);
  if (got < 0) {
    m_bReadError = true;
    m_bEnd = true;
    return false;
  }
  m_bEnd = got == 0;
  m_nFill += static_cast<std::size_t>(got);
  return true;
}

bool CBlockLines::Start(unsigned codePage) {
  if (!IsKnownCodePage(codePage) || m_bReadError) return false;
  m_nCodePage = codePage;
  m_Decoder = CSingleByteDecoder(codePage);
  // Lines are found in the bytes where CR and LF never occur inside a
  // character: one byte a character, or UTF-8.
  m_bDecodedWhole = codePage != CP_UTF8_TEXT && !m_Decoder;
  m_Slots = {};
  m_Lines.clear();
  m_nHead = 0;
  m_nFirst = 0;
  m_nSplit = 0;
  if (m_bFile) {
    m_nFill = 0;
    m_bEnd = false;
    if (!m_File.Rewind()) {
      m_bReadError = true;
      return false;
    }
  }
  if (!m_bDecodedWhole) return true;
  if (m_bFile) {
    while (!m_bEnd) {
      if (!ReadBlock()) return false;
    }
  }
  if (!DecodeText(Data(), codePage, m_strWhole)) return false;
  m_Buffer = std::string();
  m_nFill = 0;
  m_Wide = qelStrUtil::SplitLineViews(std::wstring_view(m_strWhole));
  m_Scan.nLines = m_Wide.size();
  m_Scan.nLinesBeginningWith = {};
  for (std::size_t i = 1; i < m_Wide.size(); ++i) {
    if (!m_Wide[i].empty() && static_cast<std::uint32_t>(m_Wide[i][0]) < 0x80)
      CountLineStart(m_Scan, static_cast<char>(m_Wide[i][0]));
  }
  return true;
}

bool CBlockLines::SplitOne() {
  const std::string_view data = Data();
  const std::size_t nStart = m_nSplit;
  if (nStart >= data.size() && m_bEnd) return false;
  const char* const p = data.data() + nStart;
  const std::size_t nRest = data.size() - nStart;
  const auto* pLf = static_cast<const char*>(std::memchr(p, '\n', nRest));
  const char* pEnd = pLf;
  if (m_Scan.bLoneReturns) {
    const std::size_t nLimit = pLf != nullptr ? static_cast<std::size_t>(pLf - p) : nRest;
    if (const auto* pCr = static_cast<const char*>(std::memchr(p, '\r', nLimit))) pEnd = pCr;
  } else if (pLf != nullptr && pLf > p && pLf[-1] == '\r') {
    pEnd = pLf - 1;
  }
  if (pEnd == nullptr) {
    if (!m_bEnd) return false;  // the line goes on in the next block
    // The last line, without a line end.
    std::size_t nLength = nRest;
    if (nLength > 0 && data.back() == kDosEndOfFile) --nLength;
    m_nSplit = data.size();
    if (nLength == 0) return false;
    m_Lines.push_back({nStart, nLength});
    return true;
  }
  const auto nLength = static_cast<std::size_t>(pEnd - p);
  std::size_t nStep = 1;
  if (*pEnd == '\r') {
    // Whether a LF follows shows only in the next block.
    if (nStart + nLength + 1 == data.size() && !m_bEnd) return false;
    if (nStart + nLength + 1 < data.size() && pEnd[1] == '\n') nStep = 2;
  }
  m_Lines.push_back({nStart, nLength});
  m_nSplit = nStart + nLength + nStep;
  return true;
}

bool CBlockLines::Has(std::size_t i) {
  if (m_bDecodedWhole) return i < m_Wide.size();
  while (i >= m_nFirst + (m_Lines.size() - m_nHead)) {
    if (SplitOne()) continue;
    if (m_bEnd || !ReadBlock()) return false;
  }
  return i >= m_nFirst;
}

void CBlockLines::Release(std::size_t i) {
  if (m_bDecodedWhole) return;
  while (m_nHead < m_Lines.size() && m_nFirst < i) {
    ++m_nHead;
    ++m_nFirst;
  }
  // The released lines go once they are half of those held.
  if (m_nHead >= 1024 && 2 * m_nHead >= m_Lines.size()) {
    m_Lines.erase(m_Lines.begin(), m_Lines.begin() + static_cast<std::ptrdiff_t>(m_nHead));
    m_nHead = 0;
  }
}

void CBlockLines::Decode(std::string_view bytes, CString& text) const {
  if (m_Decoder)
    m_Decoder.Decode(bytes, text);
  else
    DecodeText(bytes, m_nCodePage, text);
}

void CBlockLines::DecodeInto(std::size_t i, CString& text) {
  if (m_bDecodedWhole) {
    text.assign(m_Wide[i]);
    return;
  }
  Decode(Bytes(i), text);
}

std::wstring_view CBlockLines::Get(std::size_t i) {
  if (m_bDecodedWhole) return m_Wide[i];
  for (std::size_t s = 0; s < m_Slots.size(); ++s) {
    if (m_Slots[s].nLine == i) {
      m_nNewest = s;
      return m_Slots[s].strText;
    }
  }
  m_nNewest = 1 - m_nNewest;
  CSlot& slot = m_Slots[m_nNewest];
  slot.nLine = i;
  Decode(Bytes(i), slot.strText);
  return slot.strText;
}
