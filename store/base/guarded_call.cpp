#include "store/base/guarded_call.h"

#include "platform/text.h"
#include "store/base/message.h"

void ShowEscapedError(const char* what) noexcept {
  try {
    ShowMessage(MB_OK | MB_ICONERROR,
                L"Die Aktion wurde wegen eines internen Fehlers abgebrochen: %s",
                what != nullptr ? FromUtf8(what) : CString(L"unbekannter Fehler"));
  } catch (...) {
    // Nothing is left to show it with (memory is gone): the failure result
    // of the call still tells the host.
  }
}
