#include "platform/recording_host_ui.h"

#include <gtest/gtest.h>

namespace {

TEST(PlatformRecordingHostUI, ScriptedAnswersThenDefaults) {
  CRecordingHostUI ui;
  ui.PushAnswer(IDYES);
  ui.PushAnswer(IDRETRY);
  EXPECT_EQ(ui.MessageBox(L"Speichern?", L"OrvaMat.dll", MB_YESNO | MB_ICONQUESTION), IDYES);
  EXPECT_EQ(ui.MessageBox(L"two", L"t", MB_RETRYCANCEL), IDRETRY);
  // Script used up: the answer nobody can give.
  EXPECT_EQ(ui.MessageBox(L"three", L"t", MB_YESNO), IDNO);
  EXPECT_EQ(ui.MessageBox(L"four", L"t", MB_OK | MB_ICONERROR), IDOK);
  EXPECT_EQ(ui.MessageBox(L"five", L"t", MB_YESNOCANCEL), IDCANCEL);
  ui.SetDefaultAnswer(IDIGNORE);
  EXPECT_EQ(ui.MessageBox(L"six", L"t", MB_ABORTRETRYIGNORE), IDIGNORE);

  ASSERT_EQ(ui.Count(), 6u);
  const CRecordedMessage& first = ui.GetMessages().front();
  EXPECT_EQ(first.strText, L"Speichern?");
  EXPECT_EQ(first.strTitle, L"OrvaMat.dll");
  EXPECT_EQ(first.nStyle, unsigned{MB_YESNO | MB_ICONQUESTION});
  EXPECT_EQ(first.nAnswer, IDYES);
  EXPECT_EQ(ui.LastText(), L"six");
  EXPECT_EQ(ui.LastStyle(), unsigned{MB_ABORTRETRYIGNORE});
  EXPECT_TRUE(ui.HasMessageContaining(L"our"));
  EXPECT_FALSE(ui.HasMessageContaining(L"seven"));
}

TEST(PlatformRecordingHostUI, ChoosersViewerConsoleAndCursor) {
  CRecordingHostUI ui;
  ui.PushChooserPath(L"/in/a.txt");
  ui.PushChooserPath(L"");
  CFileChooser request{L"Open", L"/in", L"Text (*.txt)|*.txt", L"txt"};
  CString path = L"unchanged";
  EXPECT_TRUE(ui.ChooseOpenFile(request, path));
  EXPECT_EQ(path, L"/in/a.txt");
  path = L"unchanged";
  EXPECT_FALSE(ui.ChooseSaveFile(request, path));  // scripted cancel
  EXPECT_FALSE(ui.ChooseOpenFile(request, path));  // script used up
  EXPECT_EQ(path, L"unchanged");
  ASSERT_EQ(ui.GetChoosers().size(), 3u);
  EXPECT_TRUE(ui.GetChoosers()[1].bSave);
  EXPECT_EQ(ui.GetChoosers()[0].request.strFilter, L"Text (*.txt)|*.txt");

  EXPECT_TRUE(ui.OpenWithViewer(L"/log.txt"));
  ui.SetViewerResult(false);
  EXPECT_FALSE(ui.OpenWithViewer(L"/log2.txt"));
  EXPECT_EQ(ui.GetViewerPaths(), (std::vector<CString>{L"/log.txt", L"/log2.txt"}));

  ui.ConsoleWrite(L"a ");
  ui.ConsoleWrite(L"b\n");
  EXPECT_EQ(ui.GetConsoleOutput(), L"a b\n");

  {
    CScopedHostUI scoped(ui);
    CWaitCursor outer;
    CWaitCursor inner;
    EXPECT_EQ(ui.GetWaitCursorDepth(), 2);
  }
  EXPECT_EQ(ui.GetWaitCursorDepth(), 0);
  EXPECT_EQ(ui.GetWaitCursorCount(), 2);

  ui.MessageBox(L"x", L"y", MB_OK);
  ui.PushAnswer(IDYES);
  ui.Clear();
  EXPECT_EQ(ui.Count(), 0u);
  EXPECT_EQ(ui.LastText(), L"");
  EXPECT_TRUE(ui.GetConsoleTexts().empty());
  EXPECT_EQ(ui.MessageBox(L"x", L"y", MB_YESNO), IDNO);  // the script went too
}

}  // namespace
