// The one way the library shows a message: the German source text is
// translated through the library's translation module, the translation is
// used as the format (platform/format.h, safe against any format), and the
// result is shown through the host UI. Returns the host's answer (IDOK, ...).
//
//   ShowMessage(MB_OK | MB_ICONERROR, L"Datei <%s> kann nicht geöffnet werden.", path);
//
// The title is "OrvaMat" unless one is given; a given title is translated too.
#pragma once

#include <string_view>
#include <vector>

#include "OrvaMat/types.h"
#include "platform/format.h"
#include "platform/host_ui.h"

// Marks the title argument, so that it can not be taken for the format.
struct CMessageTitle {
  std::wstring_view m_strTitle;
};

int ShowMessageV(const CMessageTitle& title, unsigned style, std::wstring_view germanFormat,
                 const std::vector<CFormatArg>& args);

template <typename... Args>
int ShowMessage(const CMessageTitle& title, unsigned style, std::wstring_view germanFormat,
                const Args&... args) {
  return ShowMessageV(title, style, germanFormat, std::vector<CFormatArg>{CFormatArg(args)...});
}

template <typename... Args>
int ShowMessage(unsigned style, std::wstring_view germanFormat, const Args&... args) {
  return ShowMessageV(CMessageTitle{}, style, germanFormat,
                      std::vector<CFormatArg>{CFormatArg(args)...});
}
