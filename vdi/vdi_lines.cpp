#include "vdi/vdi_lines.h"

#include "platform/code_page.h"

void CVdiLines::Assign(std::string_view bytes) {
  m_Lines.Assign(bytes);
  Start();
}

bool CVdiLines::Open(const CString& path) {
  m_bHasLine = false;
  m_nLineNumber = 0;
  m_strLine.clear();
  if (!m_Lines.Open(path)) return false;
  Start();
  return true;
}

void CVdiLines::Start() {
  const CBlockScan& scan = m_Lines.GetScan();
  const std::string_view head = scan.strHead;
  unsigned codePage = CP_WINDOWS_1252;
  if (head.starts_with("\xFF\xFE") || head.starts_with("\xFE\xFF")) {
    codePage = CP_DETECT;  // UTF-16, decoded whole
  } else if (head.starts_with("\xEF\xBB\xBF") || !scan.bNonAscii || scan.bValidUtf8) {
    codePage = CP_UTF8_TEXT;  // the mark goes with the first line's decoding
  }
  m_nLineNumber = 0;
  m_bHasLine = false;
  if (m_Lines.Start(codePage)) Advance();
}

bool CVdiLines::Advance() {
  m_bHasLine = m_Lines.Has(m_nLineNumber);
  if (!m_bHasLine) {
    m_strLine.clear();
    return false;
  }
  m_Lines.Release(m_nLineNumber);
  m_Lines.DecodeInto(m_nLineNumber, m_strLine);
  ++m_nLineNumber;
  // Every record of the format may end in ';'; only that one goes.
  if (!m_strLine.empty() && m_strLine.back() == L';') m_strLine.pop_back();
  return true;
}
