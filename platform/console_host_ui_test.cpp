#include "platform/console_host_ui.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

TEST(PlatformConsoleHostUI, WritesTitleAndTextAsUtf8) {
  std::ostringstream out;
  CConsoleHostUI ui(out);
  EXPECT_EQ(ui.MessageBox(L"Datei <a\u00e4.txt> fehlt.", L"OrvaMat.dll", MB_OK | MB_ICONERROR),
            IDOK);
  EXPECT_EQ(out.str(), "--- OrvaMat.dll (error) ---\nDatei <a\xC3\xA4.txt> fehlt.\n");
  out.str("");
  EXPECT_EQ(ui.MessageBox(L"Speichern?", L"T", MB_YESNO), IDNO);
  EXPECT_EQ(out.str(), "--- T ---\nSpeichern?\n-> No\n");
  out.str("");
  ui.ConsoleWrite(L"Fehler \u20ac\n");
  EXPECT_EQ(out.str(), "Fehler \xE2\x82\xAC\n");
}

// Only error boxes count: a host ends its run non-zero on them.
TEST(PlatformConsoleHostUI, KeepsTheTextsOfErrorBoxes) {
  std::ostringstream out;
  CConsoleHostUI ui(out);
  ui.MessageBox(L"Hinweis", L"t", MB_OK | MB_ICONINFORMATION);
  ui.MessageBox(L"Warnung", L"t", MB_OK | MB_ICONWARNING);
  EXPECT_TRUE(ui.GetErrors().empty());
  ui.MessageBox(L"kaputt", L"t", MB_OK | MB_ICONERROR);
  ui.MessageBox(L"weiter?", L"t", MB_YESNO | MB_ICONERROR);
  EXPECT_EQ(ui.GetErrors(), (std::vector<CString>{L"kaputt", L"weiter?"}));
}

TEST(PlatformConsoleHostUI, ConfiguredNonInteractiveAnswers) {
  std::ostringstream out;
  CConsoleHostUI ui(out);
  ui.SetAnswer(MB_YESNO, IDYES);
  EXPECT_EQ(ui.MessageBox(L"q", L"t", MB_YESNO | MB_ICONQUESTION), IDYES);
  EXPECT_EQ(ui.MessageBox(L"q", L"t", MB_YESNOCANCEL), IDCANCEL);
  EXPECT_EQ(ui.MessageBox(L"q", L"t", MB_OKCANCEL), IDCANCEL);
}

TEST(PlatformConsoleHostUI, ReadsAnswersFromInput) {
  std::ostringstream out;
  std::istringstream in("maybe\nY\n\nx\nx\nx\nr\n");
  CConsoleHostUI ui(out);
  ui.SetInput(&in);
  EXPECT_EQ(ui.MessageBox(L"q", L"t", MB_YESNO), IDYES);  // asks again after "maybe"
  EXPECT_NE(out.str().find("[y] Yes / [n] No? "), std::string::npos);
  EXPECT_EQ(ui.MessageBox(L"q", L"t", MB_YESNOCANCEL), IDCANCEL);  // empty line
  EXPECT_EQ(ui.MessageBox(L"q", L"t", MB_RETRYCANCEL), IDCANCEL);  // three wrong answers
  EXPECT_EQ(ui.MessageBox(L"q", L"t", MB_ABORTRETRYIGNORE), IDRETRY);
  EXPECT_EQ(ui.MessageBox(L"q", L"t", MB_YESNO), IDNO);  // end of input
}

TEST(PlatformConsoleHostUI, ChoosersAndViewer) {
  std::ostringstream out;
  CConsoleHostUI ui(out);
  CFileChooser request{L"Datei", L"", L"*.txt", L"txt"};
  CString path;
  EXPECT_FALSE(ui.ChooseOpenFile(request, path));
  ui.AddOpenPath(L"/a.txt");
  ui.AddSavePath(L"/b.txt");
  EXPECT_TRUE(ui.ChooseOpenFile(request, path));
  EXPECT_EQ(path, L"/a.txt");
  EXPECT_TRUE(ui.ChooseSaveFile(request, path));
  EXPECT_EQ(path, L"/b.txt");
  EXPECT_FALSE(ui.ChooseSaveFile(request, path));

  std::istringstream in("  /c d.txt  \n");
  ui.SetInput(&in);
  EXPECT_TRUE(ui.ChooseOpenFile(request, path));
  EXPECT_EQ(path, L"/c d.txt");
  EXPECT_FALSE(ui.ChooseOpenFile(request, path));  // end of input cancels

  out.str("");
  EXPECT_TRUE(ui.OpenWithViewer(L"/tmp/log.txt"));  // viewer off: only the path
  EXPECT_EQ(out.str(), "File: /tmp/log.txt\n");
}

}  // namespace

namespace {

// A run with thousands of lines of one fault: the first few boxes of a kind
// are written, the rest counted; what a host decides on (answers, the error
// texts) stays whole.
TEST(PlatformConsoleHostUI, RepeatLimitCountsBoxesOfOneKind) {
  std::ostringstream out;
  CConsoleHostUI ui(out);
  ui.SetRepeatLimit(2);
  for (const wchar_t* id : {L"7100015", L"1230000", L"7100099", L"9990000"})
    ui.MessageBox(CString(L"Unbekannte ID [") + id + L"]. Leseroutine", L"T",
                  MB_OK | MB_ICONWARNING);
  for (int i = 0; i < 3; ++i) ui.MessageBox(L"Information " + std::to_wstring(i), L"T", MB_OK);
  for (int i = 1; i <= 3; ++i) {
    ui.MessageBox(L"Datei " + std::to_wstring(i) + L" fehlt", L"T", MB_OK | MB_ICONERROR);
    EXPECT_EQ(ui.MessageBox(L"Weiter " + std::to_wstring(i) + L"?", L"T", MB_YESNO), IDNO);
  }
  for (int i = 0; i < 3; ++i)
    ui.ConsoleWrite(L"FEHLER: Folgende Zeile: 710_41;" + std::to_wstring(i) + L"\n");
  ui.FlushRepeats();
  const std::string text = out.str();
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
  EXPECT_EQ(ui.GetErrors().size(), 3u);
  // Counted once: a second flush writes nothing.
  out.str("");
  ui.FlushRepeats();
  EXPECT_EQ(out.str(), "");
}

}  // namespace
