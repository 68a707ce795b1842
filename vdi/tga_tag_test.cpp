#include "vdi/tga_tag.h"

#include <gtest/gtest.h>

#include <vector>

#include "OrvaMat/text.h"

namespace {

// The slots a text gives, up to the last known one listed; the others must
// be unknown.
TEST(TgaTag, ParseTextForm) {
  struct CCase {
    const wchar_t* szText;
    std::vector<std::int32_t> slots;
  };
  const CCase cases[] = {
      {L"3-?-12", {3, -1, 12}},
      {L"1-1-0-2-?-5", {1, 1, 0, 2, -1, 5}},
      {L"", {}},
      {L"007-010", {7, 10}},
      // A "-" never reads as a sign: an empty group is 0, not the negative
      // value of the group after it.
      {L"1--2", {1, 0, 2}},
      {L"-5", {0, 5}},
      // A closing "-" opens no group.
      {L"1-2-", {1, 2}},
      {L"?x-4a", {-1, 4}},
      {L"99999999999-1", {2147483647, 1}},
  };
  for (const CCase& c : cases) {
    SCOPED_TRACE(ToUtf8(c.szText));
    const CTgaSlots slots = ParseTgaTag(c.szText);
    for (std::size_t i = 0; i < slots.size(); ++i)
      EXPECT_EQ(slots[i], i < c.slots.size() ? c.slots[i] : -1) << "slot " << i;
  }
}

TEST(TgaTag, GroupsBeyondTheLastSlotAreIgnored) {
  CString text;
  for (int i = 1; i <= 40; ++i) text += std::to_wstring(i) + L"-";
  std::int32_t slots[kTgaSlotCount + 1];
  slots[kTgaSlotCount] = 4711;
  parseTGAtag(slots, text.c_str());
  EXPECT_EQ(slots[0], 1);
  EXPECT_EQ(slots[31], 32);
  EXPECT_EQ(slots[kTgaSlotCount], 4711) << "written past the 32 slots";
  parseTGAtag(slots, nullptr);
  EXPECT_EQ(slots[0], -1);
}

TEST(TgaTag, FormatTextForm) {
  const CTgaSlots slots = ParseTgaTag(L"3-?-12");
  struct CCase {
    int n;
    const wchar_t* szText;
  };
  const CCase cases[] = {
      {4, L"3-?-12-?"}, {1, L"3"}, {0, L""}, {-3, L""}, {2, L"3-?"},
  };
  for (const CCase& c : cases) EXPECT_EQ(FormatTgaTag(slots, c.n), c.szText) << c.n;
  // A count beyond the 32 slots reads no further.
  CString text;
  formatTGAtag(slots.data(), text, 1000);
  EXPECT_EQ(text, L"3-?-12-?-?-?-?-?-?-?-?-?-?-?-?-?-?-?-?-?-?-?-?-?-?-?-?-?-?-?-?-?");
  formatTGAtag(nullptr, text, 3);
  EXPECT_EQ(text, L"");
}

TEST(TgaTag, DigitStrings) {
  CString digits;
  CTgaSlots slots = ParseTgaTag(L"1-2-0-3-?-0-0-0-0-0-0-0-0-0-0-12-1-77");
  ASSERT_TRUE(FormatTgaDigits(slots, TgaReferenceLayout(), digits));
  EXPECT_EQ(digits,
            L"001002000003???"
            L"000000000000000000000000000000"
            L"00012"
            L"001"
            L"00077");
  // Largest values fill their groups; one more would shift every later group.
  slots = ParseTgaTag(L"999-0-0-0-0-0-0-0-0-0-0-0-0-0-0-99999-999-99999");
  ASSERT_TRUE(FormatTgaDigits(slots, TgaReferenceLayout(), digits));
  EXPECT_EQ(digits.substr(45), L"9999999999999");
  for (const int nSlot : {0, 14, 15, 16, 17}) {
    CTgaSlots big = slots;
    big[nSlot] = nSlot == 15 || nSlot == 17 ? 100000 : 1000;
    EXPECT_FALSE(FormatTgaDigits(big, TgaReferenceLayout(), digits)) << nSlot;
  }
}

}  // namespace
