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
