// CRecordingHostUI: the host UI of tests. It records every message box,
// chooser, viewer and console call in order and answers from scripts:
// message boxes take the queued answers first, then the default answer
// (DefaultAnswer(style) unless SetDefaultAnswer was called); choosers take
// the queued paths, then cancel; the viewer answers SetViewerResult (true).
// Install it with CScopedHostUI for the duration of a test.
#pragma once

#include <deque>
#include <vector>

#include "platform/host_ui.h"

struct CRecordedMessage {
  CString strText;
  CString strTitle;
  unsigned nStyle = 0;
  int nAnswer = 0;
};

struct CRecordedChooser {
  bool bSave = false;
  CFileChooser request;
};

class ORVAMAT_API CRecordingHostUI : public CHostUI {
 public:
  int MessageBox(const CString& text, const CString& title, unsigned style) override;
  bool ChooseOpenFile(const CFileChooser& request, CString& path) override;
  bool ChooseSaveFile(const CFileChooser& request, CString& path) override;
  void BeginWaitCursor() override;
  void EndWaitCursor() override;
  bool OpenWithViewer(const CString& path) override;
  void ConsoleWrite(const CString& text) override;

  // Scripts.
  void PushAnswer(int answer) { m_listAnswers.push_back(answer); }
  void SetDefaultAnswer(int answer) { m_nDefaultAnswer = answer; }
  // Answers the next chooser (open or save) with path; an empty path cancels.
  void PushChooserPath(const CString& path) { m_listPaths.push_back(path); }
  void SetViewerResult(bool result) { m_bViewerResult = result; }

  // What happened.
  const std::vector<CRecordedMessage>& GetMessages() const { return m_listMessages; }
  const std::vector<CRecordedChooser>& GetChoosers() const { return m_listChoosers; }
  const std::vector<CString>& GetViewerPaths() const { return m_listViewerPaths; }
  const std::vector<CString>& GetConsoleTexts() const { return m_listConsoleTexts; }
  // Concatenation of every ConsoleWrite text.
  CString GetConsoleOutput() const;
  int GetWaitCursorDepth() const { return m_nWaitDepth; }
  int GetWaitCursorCount() const { return m_nWaitCount; }

  // Number of message boxes shown; the last one's text, title and style
  // (empty / 0 when none was shown).
  size_t Count() const { return m_listMessages.size(); }
  CString LastText() const;
  CString LastTitle() const;
  unsigned LastStyle() const;
  // True when a message box text contained part.
  bool HasMessageContaining(const CString& part) const;
  // Forgets every record and every script.
  void Clear();

 private:
  bool Choose(bool save, const CFileChooser& request, CString& path);

  std::deque<int> m_listAnswers;
  int m_nDefaultAnswer = 0;  // 0: DefaultAnswer(style)
  std::deque<CString> m_listPaths;
  bool m_bViewerResult = true;
  std::vector<CRecordedMessage> m_listMessages;
  std::vector<CRecordedChooser> m_listChoosers;
  std::vector<CString> m_listViewerPaths;
  std::vector<CString> m_listConsoleTexts;
  int m_nWaitDepth = 0;
  int m_nWaitCount = 0;
};
