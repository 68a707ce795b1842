// CSilentHostUI: answers every message with its default answer and shows
// nothing; fuzz targets and benchmarks install it so that no run blocks on a
// dialog or floods the terminal.
#pragma once

#include "platform/host_ui.h"

class CSilentHostUI : public CHostUI {
 public:
  int MessageBox(const CString&, const CString&, unsigned style) override {
    ++m_nMessages;
    return DefaultAnswer(style);
  }
  bool ChooseOpenFile(const CFileChooser&, CString&) override { return false; }
  bool ChooseSaveFile(const CFileChooser&, CString&) override { return false; }
  bool OpenWithViewer(const CString&) override { return false; }
  void ConsoleWrite(const CString&) override {}

  // Messages answered so far (a benchmark reports it to show its input was
  // read without complaint).
  int m_nMessages = 0;
};
