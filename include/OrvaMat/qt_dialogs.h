// libOrvaMatDialogs.so: the library's dialogs drawn with Qt Widgets. This
// header needs no Qt: the widgets are passed as void*. A host
// (or the orvamat tool, which loads it with dlopen) calls
// OrvaMatDialogsInstall once; from then on the exported dialog calls of
// libOrvaMat.so open these dialogs, and the library's messages and file
// choosers are Qt's.
#pragma once

#define ORVAMAT_DIALOGS_API __attribute__((visibility("default")))

extern "C" {

struct COrvaMatDialogsOptions {
  // Not null: every dialog is laid out, its picture saved to this PNG file
  // (UTF-8 path), and closed as if cancelled, without waiting for a user;
  // the host's own UI then keeps showing the library's messages.
  const char* pScreenshot = nullptr;
};

// Registers the dialogs and the Qt host UI; makes a QApplication when the
// host has none (the offscreen platform when no display is set). Returns
// false when Qt could not start.
ORVAMAT_DIALOGS_API bool OrvaMatDialogsInstall(const COrvaMatDialogsOptions* pOptions);
// Unregisters both again; the host's own UI is back.
ORVAMAT_DIALOGS_API void OrvaMatDialogsUninstall();
// Saves the picture of a widget the host made (the dataset page) as the
// screenshot option does; false when there is no such option or it failed.
ORVAMAT_DIALOGS_API bool OrvaMatDialogsScreenshot(void* pWidget);
// Shows a widget the host made (the dataset page) as a window of its own and
// returns when the user closed it; with the screenshot option it saves the
// picture instead and returns at once. False when the screenshot failed.
ORVAMAT_DIALOGS_API bool OrvaMatDialogsRunWindow(void* pWidget);
}
