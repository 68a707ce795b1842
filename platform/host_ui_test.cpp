#include "platform/host_ui.h"

#include <gtest/gtest.h>

#include "platform/console_host_ui.h"
#include "platform/recording_host_ui.h"

namespace {

TEST(PlatformHostUI, GlobalIsNeverNullAndScopesRestore) {
  CHostUI& console = GetHostUI();
  EXPECT_NE(dynamic_cast<CConsoleHostUI*>(&console), nullptr);
  CRecordingHostUI outer;
  CRecordingHostUI inner;
  {
    CScopedHostUI scopeOuter(outer);
    EXPECT_EQ(&GetHostUI(), &outer);
    {
      CScopedHostUI scopeInner(inner);
      GetHostUI().MessageBox(L"to inner", L"t", MB_OK);
    }
    EXPECT_EQ(&GetHostUI(), &outer);
  }
  EXPECT_EQ(&GetHostUI(), &console);
  EXPECT_EQ(inner.Count(), 1u);
  EXPECT_EQ(outer.Count(), 0u);

  SetHostUI(&outer);
  EXPECT_EQ(&GetHostUI(), &outer);
  SetHostUI(nullptr);
  EXPECT_EQ(&GetHostUI(), &console);
}

// Without anyone to answer, no box may go on with what it asks about, and a
// retry must never be the answer (a loop without a user).
TEST(PlatformHostUI, DefaultAnswerNeverGoesOnOrLoops) {
  EXPECT_EQ(DefaultAnswer(MB_OK | MB_ICONERROR), IDOK);
  EXPECT_EQ(DefaultAnswer(MB_OKCANCEL), IDCANCEL);
  EXPECT_EQ(DefaultAnswer(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2), IDNO);
  EXPECT_EQ(DefaultAnswer(MB_YESNOCANCEL), IDCANCEL);
  EXPECT_EQ(DefaultAnswer(MB_RETRYCANCEL), IDCANCEL);
  EXPECT_EQ(DefaultAnswer(MB_ABORTRETRYIGNORE), IDABORT);
}

}  // namespace
