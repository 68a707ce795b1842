#include "store/base/message.h"

#include "store/base/translation.h"

int ShowMessageV(const CMessageTitle& title, unsigned style, std::wstring_view germanFormat,
                 const std::vector<CFormatArg>& args) {
  const CTranslationModule& module = LibraryTranslation();
  CString text = FormatV(module.TranslateText(germanFormat), args);
  CString caption =
      title.m_strTitle.empty() ? CString(L"OrvaMat") : module.TranslateText(title.m_strTitle);
  return GetHostUI().MessageBox(text, caption, style);
}
