#include "platform/host_ui.h"

#include "platform/console_host_ui.h"

namespace {

CHostUI* g_pHostUI = nullptr;

// Never destroyed: messages shown while the process ends (datasets closed at
// unload) still find a UI.
CHostUI& ConsoleHostUI() {
  static CConsoleHostUI& console = *new CConsoleHostUI();
  return console;
}

}  // namespace

CHostUI::~CHostUI() = default;

int DefaultAnswer(unsigned style) {
  switch (style & MB_TYPEMASK) {
    case MB_OK:
      return IDOK;
    case MB_YESNO:
      return IDNO;
    case MB_ABORTRETRYIGNORE:
      return IDABORT;
    default:  // MB_OKCANCEL, MB_YESNOCANCEL, MB_RETRYCANCEL and unknown types
      return IDCANCEL;
  }
}

CHostUI& GetHostUI() { return g_pHostUI ? *g_pHostUI : ConsoleHostUI(); }

void SetHostUI(CHostUI* ui) { g_pHostUI = ui; }

CScopedHostUI::CScopedHostUI(CHostUI& ui) : m_pPrevious(g_pHostUI) { g_pHostUI = &ui; }

CScopedHostUI::~CScopedHostUI() { g_pHostUI = m_pPrevious; }
