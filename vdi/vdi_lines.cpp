#include "vdi/vdi_lines.h"

#include "platform/code_page.h"
#include "platform/text.h"

namespace {

bool StartsWith(std::string_view bytes, std::string_view mark) {
  return bytes.substr(0, mark.size()) == mark;
}

}  // namespace

void CVdiLines::Assign(std::string_view bytes) {
  m_nUnit = 1;
  m_bBigEndian = false;
  if (StartsWith(bytes, "\xFF\xFE") || StartsWith(bytes, "\xFE\xFF")) {
    m_bBigEndian = bytes[0] == '\xFE';
    m_nCodePage = m_bBigEndian ? CP_UTF16_BE : CP_UTF16_LE;
    m_nUnit = 2;
    bytes.remove_prefix(2);
  } else if (StartsWith(bytes, "\xEF\xBB\xBF")) {
    m_nCodePage = CP_UTF8_TEXT;
    bytes.remove_prefix(3);
  } else {
    m_nCodePage = IsValidUtf8(bytes) ? CP_UTF8_TEXT : CP_WINDOWS_1252;
  }
  // A UTF-16 text of an odd number of bytes: the last byte is no character.
  if (m_nUnit == 2 && bytes.size() % 2 != 0) bytes.remove_suffix(1);
  // A DOS end-of-file mark as the file's last character ends the text: it
  // is no part of the last line, even without a line end before it.
  if (m_nUnit == 1 && !bytes.empty() && bytes.back() == '\x1A') bytes.remove_suffix(1);
  if (m_nUnit == 2 && bytes.size() >= 2 &&
      bytes.substr(bytes.size() - 2) ==
          (m_bBigEndian ? std::string_view("\0\x1A", 2) : std::string_view("\x1A\0", 2)))
    bytes.remove_suffix(2);
  m_Bytes = bytes;
  m_nPos = 0;
  m_nLineNumber = 0;
  // The count is only for progress: a pass over the line ends, no decoding.
  m_nLineCount = 0;
  std::string_view line;
  while (NextLineBytes(line)) ++m_nLineCount;
  m_nPos = 0;
  m_bHasLine = false;
  Advance();
}

bool CVdiLines::NextLineBytes(std::string_view& line) {
  if (m_nPos >= m_Bytes.size()) return false;
  auto unitAt = [&](std::size_t i) -> unsigned {
    if (m_nUnit == 1) return static_cast<unsigned char>(m_Bytes[i]);
    const unsigned a = static_cast<unsigned char>(m_Bytes[i]);
    const unsigned b = static_cast<unsigned char>(m_Bytes[i + 1]);
    return m_bBigEndian ? (a << 8 | b) : (b << 8 | a);
  };
  std::size_t end = m_nPos;
  while (end < m_Bytes.size() && unitAt(end) != '\r' && unitAt(end) != '\n') end += m_nUnit;
  line = m_Bytes.substr(m_nPos, end - m_nPos);
  m_nPos = end;
  if (end < m_Bytes.size()) {
    const bool bCR = unitAt(end) == '\r';
    m_nPos += m_nUnit;
    if (bCR && m_nPos < m_Bytes.size() && unitAt(m_nPos) == '\n') m_nPos += m_nUnit;
  }
  return true;
}

bool CVdiLines::Advance() {
  std::string_view bytes;
  m_bHasLine = NextLineBytes(bytes);
  if (!m_bHasLine) {
    m_strLine.clear();
    return false;
  }
  ++m_nLineNumber;
  DecodeCurrent(bytes);
  return true;
}

void CVdiLines::DecodeCurrent(std::string_view bytes) {
  DecodeText(bytes, m_nCodePage, m_strLine);
  // Every record of the format may end in ';'; only that one goes.
  if (!m_strLine.empty() && m_strLine.back() == L';') m_strLine.pop_back();
}
