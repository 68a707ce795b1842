// Everything a user would see or answer goes through CHostUI: message boxes,
// file choosers, the wait cursor, opening a file in the desktop's viewer and
// the console of the VDI reader's order errors. The host installs its own
// implementation; tests install CRecordingHostUI and assert exact texts.
#pragma once

#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "OrvaMat/types.h"

// Message box style bits and answers keep the Windows values, so that callers
// written against them read the same here.
enum : unsigned {
  MB_OK = 0x0,
  MB_OKCANCEL = 0x1,
  MB_ABORTRETRYIGNORE = 0x2,
  MB_YESNOCANCEL = 0x3,
  MB_YESNO = 0x4,
  MB_RETRYCANCEL = 0x5,
  MB_ICONERROR = 0x10,
  MB_ICONQUESTION = 0x20,
  MB_ICONWARNING = 0x30,
  MB_ICONINFORMATION = 0x40,
  MB_DEFBUTTON2 = 0x100,
  MB_TYPEMASK = 0xF,
  MB_ICONMASK = 0xF0,
};
enum : int { IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7 };

struct CFileChooser {
  CString strTitle;
  CString strInitialPath;  // folder or file proposed
  CString strFilter;       // "Text (*.txt)|*.txt|All (*.*)|*.*"
  CString strDefaultExt;
  CString strOkText = {};  // the OK button's text; empty: the chooser's own

  // What an import shows and asks beside the file, where the host's chooser
  // can (a window of its own; a console or a script takes the defaults):
  // read-only texts about the file the user points at, refreshed for each;
  std::vector<CString> listPreviewLabels = {};
  std::function<std::vector<CString>(const CString& path)> fnPreview = {};
  // one labelled choice (the chosen index comes back; fixed: shown only);
  CString strChoiceLabel = {};
  std::vector<CString> listChoices = {};
  mutable int nChoice = 0;
  bool bChoiceFixed = false;
  // check boxes (their states come back);
  mutable std::vector<std::pair<CString, bool>> listChecks = {};
  // and a last check of the chosen file: false keeps the chooser open (the
  // check has told the user why).
  std::function<bool(const CString& path)> fnAccept = {};
};

class ORVAMAT_API CHostUI {
 public:
  virtual ~CHostUI();
  // Shows a modal message; returns the button pressed (IDOK, IDYES, ...).
  virtual int MessageBox(const CString& text, const CString& title, unsigned style) = 0;
  // File choosers: true and the chosen path, or false when the user cancels.
  virtual bool ChooseOpenFile(const CFileChooser& request, CString& path) = 0;
  virtual bool ChooseSaveFile(const CFileChooser& request, CString& path) = 0;
  virtual void BeginWaitCursor() {}
  virtual void EndWaitCursor() {}
  // Opens a file (a log) with the desktop's viewer; false when that failed.
  virtual bool OpenWithViewer(const CString& path) = 0;
  // The text console used for order errors of the VDI reader.
  virtual void ConsoleWrite(const CString& text) = 0;
};

// The answer of a box that nobody can answer (a batch run, a test without a
// script): IDOK for an OK box, IDCANCEL where there is a Cancel button, IDNO
// for Yes/No and IDABORT for Abort/Retry/Ignore: never the choice that goes on
// or loops.
ORVAMAT_API int DefaultAnswer(unsigned style);

// The process-wide host UI. Never null: a console UI is installed until the
// host sets its own. SetHostUI(nullptr) restores the console UI. The caller
// keeps ownership of what it installs.
ORVAMAT_API CHostUI& GetHostUI();
ORVAMAT_API void SetHostUI(CHostUI* ui);

// Installs a UI for a scope and restores the previous one (tests).
class ORVAMAT_API CScopedHostUI {
 public:
  explicit CScopedHostUI(CHostUI& ui);
  ~CScopedHostUI();
  CScopedHostUI(const CScopedHostUI&) = delete;
  CScopedHostUI& operator=(const CScopedHostUI&) = delete;

 private:
  CHostUI* m_pPrevious;
};

// RAII wait cursor.
class CWaitCursor {
 public:
  CWaitCursor() { GetHostUI().BeginWaitCursor(); }
  ~CWaitCursor() { GetHostUI().EndWaitCursor(); }
  CWaitCursor(const CWaitCursor&) = delete;
  CWaitCursor& operator=(const CWaitCursor&) = delete;
};
