#include "platform/console_host_ui.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

// A console host writing to a string.
class PlatformConsoleHostUI : public ::testing::Test {
 protected:
  std::ostringstream m_Out;
  CConsoleHostUI m_UI{m_Out};
};

TEST_F(PlatformConsoleHostUI, WritesTitleAndTextAsUtf8) {
  EXPECT_EQ(m_UI.MessageBox(L"Datei <a\u00e4.txt> fehlt.", L"OrvaMat.dll", MB_OK | MB_ICONERROR),
            IDOK);
  EXPECT_EQ(m_Out.str(), "--- OrvaMat.dll (error) ---\nDatei <a\xC3\xA4.txt> fehlt.\n");
  m_Out.str("");
  EXPECT_EQ(m_UI.MessageBox(L"Speichern?", L"T", MB_YESNO), IDNO);
  EXPECT_EQ(m_Out.str(), "--- T ---\nSpeichern?\n-> No\n");
  m_Out.str("");
  m_UI.ConsoleWrite(L"Fehler \u20ac\n");
  EXPECT_EQ(m_Out.str(), "Fehler \xE2\x82\xAC\n");
}

// Only error boxes count: a host ends its run non-zero on them.
TEST_F(PlatformConsoleHostUI, KeepsTheTextsOfErrorBoxes) {
  m_UI.MessageBox(L"Hinweis", L"t", MB_OK | MB_ICONINFORMATION);
  m_UI.MessageBox(L"Warnung", L"t", MB_OK | MB_ICONWARNING);
  EXPECT_TRUE(m_UI.GetErrors().empty());
  m_UI.MessageBox(L"kaputt", L"t", MB_OK | MB_ICONERROR);
  m_UI.MessageBox(L"weiter?", L"t", MB_YESNO | MB_ICONERROR);
  EXPECT_EQ(m_UI.GetErrors(), (std::vector<CString>{L"kaputt", L"weiter?"}));
}

TEST_F(PlatformConsoleHostUI, ConfiguredNonInteractiveAnswers) {
  m_UI.SetAnswer(MB_YESNO, IDYES);
  EXPECT_EQ(m_UI.MessageBox(L"q", L"t", MB_YESNO | MB_ICONQUESTION), IDYES);
  EXPECT_EQ(m_UI.MessageBox(L"q", L"t", MB_YESNOCANCEL), IDCANCEL);
  EXPECT_EQ(m_UI.MessageBox(L"q", L"t", MB_OKCANCEL), IDCANCEL);
}

TEST_F(PlatformConsoleHostUI, ReadsAnswersFromInput) {
  std::istringstream in("maybe\nY\n\nx\nx\nx\nr\n");
  m_UI.SetInput(&in);
  EXPECT_EQ(m_UI.MessageBox(L"q", L"t", MB_YESNO), IDYES);  // asks again after "maybe"
  EXPECT_NE(m_Out.str().find("[y] Yes / [n] No? "), std::string::npos);
  EXPECT_EQ(m_UI.MessageBox(L"q", L"t", MB_YESNOCANCEL), IDCANCEL);  // empty line
  EXPECT_EQ(m_UI.MessageBox(L"q", L"t", MB_RETRYCANCEL), IDCANCEL);  // three wrong answers
  EXPECT_EQ(m_UI.MessageBox(L"q", L"t", MB_ABORTRETRYIGNORE), IDRETRY);
  EXPECT_EQ(m_UI.MessageBox(L"q", L"t", MB_YESNO), IDNO);  // end of input
}

TEST_F(PlatformConsoleHostUI, ChoosersAndViewer) {
  CFileChooser request{L"Datei", L"", L"*.txt", L"txt"};
  CString path;
  EXPECT_FALSE(m_UI.ChooseOpenFile(request, path));
  EXPECT_FALSE(m_UI.ChooseSaveFile(request, path));
  std::istringstream in("  /c d.txt  \n");
  m_UI.SetInput(&in);
  EXPECT_TRUE(m_UI.ChooseOpenFile(request, path));
  EXPECT_EQ(path, L"/c d.txt");
  EXPECT_FALSE(m_UI.ChooseOpenFile(request, path));  // end of input cancels

  m_Out.str("");
  EXPECT_TRUE(m_UI.OpenWithViewer(L"/tmp/log.txt"));  // viewer off: only the path
  EXPECT_EQ(m_Out.str(), "File: /tmp/log.txt\n");
}

// A run with thousands of lines of one fault: the first few boxes of a kind
// are written, the rest counted; what a host decides on (answers, the error
// texts) stays whole.
TEST_F(PlatformConsoleHostUI, RepeatLimitCountsBoxesOfOneKind) {
  m_UI.SetRepeatLimit(2);
  for (const wchar_t* id : {L"7100015", L"1230000", L"7100099", L"9990000"})
    m_UI.MessageBox(CString(L"Unbekannte ID [") + id + L"]. Leseroutine", L"T",
                    MB_OK | MB_ICONWARNING);
  for (int i = 0; i < 3; ++i) m_UI.MessageBox(L"Information " + std::to_wstring(i), L"T", MB_OK);
  for (int i = 1; i <= 3; ++i) {
    m_UI.MessageBox(L"Datei " + std::to_wstring(i) + L" fehlt", L"T", MB_OK | MB_ICONERROR);
    EXPECT_EQ(m_UI.MessageBox(L"Weiter " + std::to_wstring(i) + L"?", L"T", MB_YESNO), IDNO);
  }
  for (int i = 0; i < 3; ++i)
    m_UI.ConsoleWrite(L"FEHLER: Folgende Zeile: 710_41;" + std::to_wstring(i) + L"\n");
  m_UI.FlushRepeats();
  const std::string text = m_Out.str();
  EXPECT_NE(text.find("[7100015]"), std::string::npos);
  EXPECT_NE(text.find("[1230000]"), std::string::npos);
  EXPECT_EQ(text.find("[7100099]"), std::string::npos);
  EXPECT_NE(text.find("(2 more like this: Unbekannte ID [...)\n"), std::string::npos);
  // "Datei " is too short a start to stand for a kind: every text is its own.
  EXPECT_NE(text.find("Datei 3 fehlt"), std::string::npos);
  EXPECT_NE(text.find("Weiter 3?"), std::string::npos);
  EXPECT_NE(text.find("Information 2"), std::string::npos);
  EXPECT_EQ(text.find("710_41;2"), std::string::npos);
  EXPECT_NE(text.find("(1 more like this: FEHLER: Folgende Zeile:...)\n"), std::string::npos);
  EXPECT_EQ(m_UI.GetErrors().size(), 3u);
  // Counted once: a second flush writes nothing.
  m_Out.str("");
  m_UI.FlushRepeats();
  EXPECT_EQ(m_Out.str(), "");
}

}  // namespace
