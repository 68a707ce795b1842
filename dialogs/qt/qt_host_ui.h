// The host UI drawn with Qt: message boxes with the library's icons and
// buttons, Qt's file choosers, the wait cursor, the desktop's viewer, and a
// console window for the order errors of the VDI reader.
#pragma once

#include <QPlainTextEdit>
#include <QPointer>

#include "OrvaMat/host_ui.h"

class CQtHostUI : public CHostUI {
 public:
  int MessageBox(const CString& text, const CString& title, unsigned style) override;
  bool ChooseOpenFile(const CFileChooser& request, CString& path) override;
  bool ChooseSaveFile(const CFileChooser& request, CString& path) override;
  void BeginWaitCursor() override;
  void EndWaitCursor() override;
  bool OpenWithViewer(const CString& path) override;
  void ConsoleWrite(const CString& text) override;

 private:
  QPointer<QPlainTextEdit> m_pConsole;
};

// "Text (*.txt)|*.txt|All (*.*)|*.*" as Qt's filter "Text (*.txt);;All (*.*)".
QString QtFilter(const CString& filter);
QString ToQt(const CString& text);
CString FromQt(const QString& text);
