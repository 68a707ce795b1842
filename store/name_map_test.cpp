#include "store/name_map.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(StoreNameMap, ComparesExactlyAndTheLaterHandleWins) {
  CNameMap map;
  std::wstring a = L"Rohr", b = L"Rohr", c = L"rohr";
  map.SetAt(a.c_str(), 0x01000002);
  map.SetAt(c.c_str(), 0x01000003);
  EXPECT_EQ(map.Lookup(L"Rohr"), 0x01000002u);
  map.SetAt(b.c_str(), 0x01000004);
  EXPECT_EQ(map.Lookup(L"Rohr"), 0x01000004u);
  EXPECT_EQ(map.Lookup(L"rohr"), 0x01000003u);
  EXPECT_EQ(map.Lookup(L"ROHR"), 0u);
  EXPECT_EQ(map.GetCount(), 2u);
  // The entry now points to the later copy: blanking the first copy (as a
  // removed handle's text is) must not disturb it.
  a[0] = 0;
  EXPECT_EQ(map.Lookup(L"Rohr"), 0x01000004u);
}

TEST(StoreNameMap, RemovesOnlyTheEntryOfTheGivenHandle) {
  CNameMap map;
  std::wstring a = L"Bogen";
  map.SetAt(a.c_str(), 7);
  EXPECT_FALSE(map.RemoveIf(L"Bogen", 6));
  EXPECT_EQ(map.Lookup(L"Bogen"), 7u);
  EXPECT_TRUE(map.RemoveIf(L"Bogen", 7));
  EXPECT_EQ(map.Lookup(L"Bogen"), 0u);
  EXPECT_FALSE(map.RemoveIf(L"Bogen", 7));
}

TEST(StoreNameMap, KeepsEveryEntryThroughGrowthAndRemovals) {
  CNameMap map;
  std::vector<std::wstring> texts;
  for (int i = 0; i < 50000; ++i) texts.push_back(L"Artikel " + std::to_wstring(i));
  for (int i = 0; i < 50000; ++i) map.SetAt(texts[i].c_str(), static_cast<Handle>(i + 1));
  for (int i = 0; i < 50000; i += 2) map.RemoveIf(texts[i], static_cast<Handle>(i + 1));
  for (int i = 0; i < 50000; ++i)
    ASSERT_EQ(map.Lookup(texts[i]), i % 2 ? static_cast<Handle>(i + 1) : 0u) << i;
  EXPECT_EQ(map.GetCount(), 25000u);
  EXPECT_EQ(map.Lookup(L""), 0u);
}

}  // namespace
