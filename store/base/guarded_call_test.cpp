#include "store/base/guarded_call.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "platform/recording_host_ui.h"

namespace {

// A result passes unshown; an escaped exception is one error box and the
// failure result.
TEST(BaseGuardedCall, EscapedExceptionIsOneErrorBoxAndTheFailureResult) {
  CRecordingHostUI ui;
  CScopedHostUI scoped(ui);
  EXPECT_EQ(GuardedCall(CString(), [] { return CString(L"gelesen"); }), L"gelesen");
  EXPECT_EQ(ui.Count(), 0u);
  EXPECT_EQ(GuardedCall(-1, []() -> int { throw std::runtime_error("Platte voll"); }), -1);
  EXPECT_EQ(GuardedCall(-2, []() -> int { throw std::bad_alloc(); }), -2);
  EXPECT_EQ(GuardedCall(-3, []() -> int { throw 42; }), -3);
  ASSERT_EQ(ui.Count(), 3u);
  EXPECT_NE(ui.GetMessages()[0].strText.find(L"Platte voll"), CString::npos);
  EXPECT_NE(ui.GetMessages()[2].strText.find(L"unbekannter Fehler"), CString::npos);
  EXPECT_EQ(ui.LastStyle(), static_cast<unsigned>(MB_OK | MB_ICONERROR));
}

}  // namespace
