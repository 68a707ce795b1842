#include "store/object_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <functional>
#include <set>
#include <thread>
#include <vector>

namespace {

// Objects over every small block and into the first slab are aligned and
// apart, and the room given back is what the next ones get.
TEST(ObjectPool, ObjectsAreAlignedApartAndTheirRoomIsUsedAgain) {
  CObjectPool pool(368);
  std::vector<void*> taken;
  for (int i = 0; i < 8000; ++i) {  // 2.9 MB: eight small blocks, then a slab
    void* p = pool.Take();
    ASSERT_EQ(reinterpret_cast<std::uintptr_t>(p) % 16, 0u);
    std::memset(p, i & 0xFF, 368);
    taken.push_back(p);
  }
  for (int i = 0; i < 8000; ++i) {
    const auto* pBytes = static_cast<const unsigned char*>(taken[i]);
    EXPECT_TRUE(pBytes[0] == (i & 0xFF) && pBytes[367] == (i & 0xFF)) << i;
  }
  std::set<void*> given;
  for (int i = 0; i < 8000; i += 2) {
    pool.Give(taken[i]);
    given.insert(taken[i]);
  }
  for (int i = 0; i < 4000; ++i) EXPECT_EQ(given.count(pool.Take()), 1u) << i;
}

// Threads taking and giving at once never get the same object.
TEST(ObjectPool, ThreadsNeverShareAnObject) {
  CObjectPool pool(32);
  std::vector<void*> kept[2];
  std::atomic<int> nReady{0};
  auto work = [&](std::vector<void*>& keep) {
    for (++nReady; nReady < 2;) {  // both start together
    }
    for (int i = 0; i < 200000; ++i) {
      void* p = pool.Take();
      if (i % 3 == 0)
        pool.Give(p);
      else
        keep.push_back(p);
    }
  };
  std::thread other(work, std::ref(kept[1]));
  work(kept[0]);
  other.join();
  std::set<void*> all(kept[0].begin(), kept[0].end());
  all.insert(kept[1].begin(), kept[1].end());
  EXPECT_EQ(all.size(), kept[0].size() + kept[1].size());
}

}  // namespace
