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

}  // namespace
