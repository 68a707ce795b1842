#include "OrvaMat/console_host_ui.h"
#include "platform/text.h"

int CLineHostUI::MessageBox(const CString& text, const CString&, unsigned style) {
  const unsigned icon = style & MB_ICONMASK;
  const char* pKind = icon == MB_ICONERROR         ? "error"
                      : icon == MB_ICONINFORMATION ? "info"
                                                   : "warning";
  std::fprintf(m_pOut, "%s: %s\n", pKind, ToUtf8(text).c_str());
  return DefaultAnswer(style);
}

bool CLineHostUI::ChooseOpenFile(const CFileChooser&, CString&) { return false; }
bool CLineHostUI::ChooseSaveFile(const CFileChooser&, CString&) { return false; }
bool CLineHostUI::OpenWithViewer(const CString&) { return false; }
void CLineHostUI::ConsoleWrite(const CString& text) { std::fputs(ToUtf8(text).c_str(), m_pOut); }
