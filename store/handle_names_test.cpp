#include "store/handle_names.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

namespace {

// Runs of consecutive handles with gaps below and above the widest the run
// bridges, handles before the run, and removals, in random order of runs:
// the map must answer, count and yield exactly what a plain map holds, with
// no handle twice (a handle entered beside the run before the run reached
// it moves into the run).
TEST(StoreHandleNames, AgreesWithAPlainMap) {
  for (const unsigned nSeed : {1u, 2u, 3u}) {
    SCOPED_TRACE(nSeed);
    std::mt19937 random(nSeed);
    CHandleNames names;
    if (nSeed == 3) names.Reserve(0x01000100, 5000);  // room reserved for some
    std::map<Handle, std::uint64_t> reference;
    Handle hNext = 0x01000100;
    for (int i = 0; i < 20000; ++i) {
      Handle h = hNext++;
      switch (random() % 8) {
        case 0:  // a gap the run bridges, or one it does not
          h = hNext += random() % 2 ? CHandleNames::kMaxGap : CHandleNames::kMaxGap + 2;
          ++hNext;
          break;
        case 1:  // ahead of the run, reached later
          h = hNext + 1 + random() % 40;
          break;
        case 2:  // an earlier handle, possibly before the run
          h = 0x01000000 + random() % (hNext - 0x01000000);
          break;
        case 3:
          if (!reference.empty()) {
            const Handle hGone = 0x01000000 + random() % (hNext - 0x01000000);
            EXPECT_EQ(names.RemoveKey(hGone), reference.erase(hGone) == 1);
          }
          continue;
        default:
          break;
      }
      const std::uintptr_t nEntry = (std::uintptr_t{random()} << 4) | 8;
      names.SetAt(h, nEntry);
      reference[h] = nEntry;
    }
    EXPECT_EQ(names.GetCount(), reference.size());
    std::map<Handle, std::uint64_t> yielded;
    names.ForEachRow([&yielded](Handle h, std::uint64_t word) {
      EXPECT_TRUE(yielded.emplace(h, word).second) << "yielded twice: " << h;
    });
    EXPECT_EQ(yielded, reference);
    for (Handle h = 0x01000000; h < hNext + 100; ++h) {
      std::uint64_t word = 0;
      const auto it = reference.find(h);
      ASSERT_EQ(names.Lookup(h, word), it != reference.end()) << h;
      if (it != reference.end()) {
        ASSERT_EQ(word, it->second);
      }
    }
  }
}

TEST(StoreHandleNames, AnImportsNamesCostEightBytesEach) {
  CHandleNames names;
  names.Reserve(0x01000001, 100000);
  for (Handle h = 0x01000001; h <= 0x01000000 + 100000; ++h) names.SetAt(h, h * 8);
  EXPECT_EQ(names.GetMemoryBytes(), 100000u * 8);
  std::uint64_t word = 0;
  EXPECT_FALSE(names.Lookup(0, word));
  EXPECT_FALSE(names.Lookup(0x02000001, word));
  names.RemoveAll();
  EXPECT_EQ(names.GetCount(), 0u);
  EXPECT_FALSE(names.Lookup(0x01000001, word));
}

// A database file written before its names were kept in handle order lists
// them from some handle on, and then those before it.
TEST(StoreHandleNames, ReservedNamesInAnyOrderMakeOneRun) {
  CHandleNames names;
  names.Reserve(0x01000001, 1000);
  for (Handle n = 600; n <= 1000; ++n) names.SetAt(0x01000000 + n, n * 8);
  for (Handle n = 1; n < 600; n += n == 300 ? 3 : 1) names.SetAt(0x01000000 + n, n * 8);
  EXPECT_EQ(names.GetCount(), 998u);
  EXPECT_EQ(names.GetMemoryBytes(), 1000u * 8);  // no row map beside the run
  std::uint64_t word = 0;
  EXPECT_TRUE(names.Lookup(0x01000001, word) && word == 8);
  EXPECT_FALSE(names.Lookup(0x01000000 + 301, word));
}

}  // namespace
