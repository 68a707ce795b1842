#include "store/base/line_file.h"

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "platform/text.h"

namespace {

using Lines = std::vector<std::wstring_view>;

Lines Split(std::wstring_view text) { return qelStrUtil::SplitLineViews(text); }

// Lines end at CR LF, LF or a lone CR; a line end at the very end starts no
// further line, and a DOS end-of-file mark at the end is dropped.
TEST(BaseLineFile, EveryLineEnding) {
  const Lines expected{L"eins", L"zwei", L"", L"vier"};
  for (const wchar_t* text : {L"eins\r\nzwei\r\n\r\nvier\r\n", L"eins\nzwei\n\nvier\n",
                              L"eins\rzwei\r\rvier\r", L"eins\r\nzwei\n\rvier"})
    EXPECT_EQ(Split(text), expected) << ToUtf8(text);
  EXPECT_EQ(Split(L"eins"), Lines{L"eins"});
  EXPECT_EQ(Split(L"\n"), Lines{L""});
  EXPECT_TRUE(Split(L"").empty());
  EXPECT_EQ(Split(L"eins\r\nzwei\r\n\x1A"), (Lines{L"eins", L"zwei"}));
}

}  // namespace
