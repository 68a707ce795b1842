#include "store/base/flat_key_map.h"

#include <gtest/gtest.h>

#include <vector>

// Keys that share their low bits (addresses of one size class) and the key 0
// must all stay apart while the array grows from its first size.
TEST(FlatKeyMap, KeepsEveryKeyThroughGrowthAndTheFirstEntryOfAKey) {
  CFlatKeyMap<int> map;
  std::vector<int> values(5000);
  EXPECT_EQ(map.Find(7), nullptr);
  for (std::size_t i = 0; i < values.size(); ++i)
    ASSERT_TRUE(map.Insert(static_cast<std::uint64_t>(i) << 12, &values[i]));
  EXPECT_EQ(map.GetCount(), values.size());
  for (std::size_t i = 0; i < values.size(); ++i)
    ASSERT_EQ(map.Find(static_cast<std::uint64_t>(i) << 12), &values[i]) << i;
  EXPECT_EQ(map.Find(1ull << 40), nullptr);

  int other = 0;
  EXPECT_FALSE(map.Insert(5ull << 12, &other));
  EXPECT_EQ(map.Find(5ull << 12), &values[5]);
  // Key 0 was entered as 1: the two are one key.
  EXPECT_FALSE(map.Insert(1, &other));

  map.Clear();
  EXPECT_EQ(map.GetCount(), 0u);
  EXPECT_EQ(map.Find(5ull << 12), nullptr);
  EXPECT_TRUE(map.Insert(5ull << 12, &other));
  EXPECT_EQ(map.Find(5ull << 12), &other);
}
