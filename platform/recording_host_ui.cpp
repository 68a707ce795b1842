#include "platform/recording_host_ui.h"

int CRecordingHostUI::MessageBox(const CString& text, const CString& title, unsigned style) {
  int answer = m_nDefaultAnswer ? m_nDefaultAnswer : DefaultAnswer(style);
  if (!m_listAnswers.empty()) {
    answer = m_listAnswers.front();
    m_listAnswers.pop_front();
  }
  m_listMessages.push_back({text, title, style, answer});
  return answer;
}

bool CRecordingHostUI::Choose(bool save, const CFileChooser& request, CString& path) {
  m_listChoosers.push_back({save, request});
  if (m_listPaths.empty()) return false;
  CString answer = m_listPaths.front();
  m_listPaths.pop_front();
  if (answer.empty()) return false;
  // A chosen file the caller's check refuses closes nothing here: no one
  // can choose again, so the choice ends as cancelled.
  if (request.fnAccept && !request.fnAccept(answer)) return false;
  path = answer;
  return true;
}

bool CRecordingHostUI::ChooseOpenFile(const CFileChooser& request, CString& path) {
  return Choose(false, request, path);
}

bool CRecordingHostUI::ChooseSaveFile(const CFileChooser& request, CString& path) {
  return Choose(true, request, path);
}

void CRecordingHostUI::BeginWaitCursor() {
  ++m_nWaitDepth;
  ++m_nWaitCount;
}

void CRecordingHostUI::EndWaitCursor() { --m_nWaitDepth; }

bool CRecordingHostUI::OpenWithViewer(const CString& path) {
  m_listViewerPaths.push_back(path);
  return m_bViewerResult;
}

void CRecordingHostUI::ConsoleWrite(const CString& text) { m_listConsoleTexts.push_back(text); }

CString CRecordingHostUI::GetConsoleOutput() const {
  CString all;
  for (const auto& text : m_listConsoleTexts) all += text;
  return all;
}

CString CRecordingHostUI::LastText() const {
  return m_listMessages.empty() ? CString() : m_listMessages.back().strText;
}

CString CRecordingHostUI::LastTitle() const {
  return m_listMessages.empty() ? CString() : m_listMessages.back().strTitle;
}

unsigned CRecordingHostUI::LastStyle() const {
  return m_listMessages.empty() ? 0 : m_listMessages.back().nStyle;
}

bool CRecordingHostUI::HasMessageContaining(const CString& part) const {
  for (const auto& message : m_listMessages) {
    if (message.strText.find(part) != CString::npos) return true;
  }
  return false;
}

void CRecordingHostUI::Clear() {
  m_listAnswers.clear();
  m_nDefaultAnswer = 0;
  m_listPaths.clear();
  m_bViewerResult = true;
  m_listMessages.clear();
  m_listChoosers.clear();
  m_listViewerPaths.clear();
  m_listConsoleTexts.clear();
  m_nWaitDepth = 0;
  m_nWaitCount = 0;
}
