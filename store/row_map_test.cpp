#include "OrvaMat/row_map.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

namespace {

// Everything the map yields by iteration.
std::map<Handle, std::uint64_t> Collect(const CRowMap& map) {
  std::map<Handle, std::uint64_t> rows;
  for (POSITION pos = map.GetStartPosition(); pos != nullptr;) {
    Handle h = 0;
    std::uint64_t w = 0;
    map.GetNextAssoc(pos, h, w);
    EXPECT_TRUE(rows.emplace(h, w).second) << "row yielded twice: " << h;
  }
  return rows;
}

TEST(StoreRowMap, AgreesWithAReferenceMapUnderMixedChanges) {
  CRowMap map;
  std::map<Handle, std::uint64_t> reference;
  std::mt19937 random(7);
  for (int i = 0; i < 200000; ++i) {
    // Few distinct keys, so that removals and re-entries hit the same slots;
    // key 0 included. Dense runs, runs a large power of two apart and
    // handles of another dataset (top byte) all share the array.
    const Handle nLow = random() % 3000;
    const Handle h = random() % 2 ? nLow : (0x03000000u | (nLow % 50) << 16);
    const std::uint64_t w = (std::uint64_t{random()} << 32) | random();
    switch (random() % 3) {
      case 0:
      case 1:
        map.SetAt(h, w);
        reference[h] = w;
        break;
      default:
        EXPECT_EQ(map.RemoveKey(h), reference.erase(h) == 1);
    }
  }
  EXPECT_EQ(map.GetCount(), reference.size());
  EXPECT_EQ(Collect(map), reference);
  for (Handle n = 0; n < 3100 * 2; ++n) {
    const Handle h = n < 3100 ? n : (0x03000000u | (n - 3100) % 60 << 16);
    std::uint64_t w = 0;
    const auto it = reference.find(h);
    ASSERT_EQ(map.Lookup(h, w), it != reference.end()) << h;
    if (it != reference.end()) {
      EXPECT_EQ(w, it->second);
    }
  }
}

TEST(StoreRowMap, RemovingTheRowJustYieldedKeepsTheIterationWhole) {
  CRowMap map;
  for (Handle h = 0x01000002; h < 0x01000002 + 5000; ++h) map.SetAt(h, h);
  map.SetAt(0, 99);
  std::size_t nSeen = 0;
  for (POSITION pos = map.GetStartPosition(); pos != nullptr; ++nSeen) {
    Handle h = 0;
    std::uint64_t w = 0;
    map.GetNextAssoc(pos, h, w);
    EXPECT_EQ(w, h == 0 ? 99u : h);
    map.RemoveKey(h);
  }
  EXPECT_EQ(nSeen, 5001u);
  EXPECT_TRUE(map.IsEmpty());
  EXPECT_EQ(map.GetStartPosition(), nullptr);
}

TEST(StoreRowMap, InitHashTableMakesRoomWithoutLosingRows) {
  CRowMap map;
  map.SetAt(5, 50);
  map.InitHashTable(100000);
  const std::size_t nBytes = map.GetMemoryBytes();
  for (Handle h = 10; h < 100010; ++h) map.SetAt(h, h);
  EXPECT_EQ(map.GetMemoryBytes(), nBytes);         // no growth for the rows announced
  EXPECT_LT(nBytes, 100000u * 10 / 9 * 12 + 200);  // and room for no more
  std::uint64_t w = 0;
  ASSERT_TRUE(map.Lookup(5, w));
  EXPECT_EQ(w, 50u);
  map.RemoveAll();
  EXPECT_FALSE(map.Lookup(5, w));
  EXPECT_EQ(map.GetCount(), 0u);
}

TEST(StoreRowMap, ManyRemovalsDoNotFillTheTable) {
  CRowMap map;
  // Each round enters new keys and removes them again: the removed slots must
  // be swept, or look-ups of absent keys would never end.
  for (Handle h = 1; h < 200000; ++h) {
    map.SetAt(h, h);
    map.RemoveKey(h);
  }
  std::uint64_t w = 0;
  EXPECT_FALSE(map.Lookup(123456789, w));
  EXPECT_LE(map.GetMemoryBytes(), 1024u * 12);
}

}  // namespace

// Rows of one product group of a catalogue come every few hundred handles;
// some such steps once put 2,000 rows on a few slots, so that each look-up
// read a hundred slots. Dense runs must keep their home slots.
TEST(StoreRowMap, RowsWithAnyCommonStepStayNearTheirHomeSlots) {
  for (const Handle nStep : {1u, 5u, 7u, 8u, 100u, 305u, 329u, 610u, 658u, 987u, 1320u})
    for (const bool bAnnounced : {false, true}) {  // grown, or made for these rows
      SCOPED_TRACE(testing::Message() << nStep << (bAnnounced ? " announced" : ""));
      CRowMap map;
      if (bAnnounced) map.InitHashTable(2000);
      std::vector<Handle> rows;
      for (Handle i = 0; i < 2000; ++i) rows.push_back(0x01000007u + i * nStep);
      for (const Handle h : rows) map.SetAt(h, h);
      EXPECT_LT(map.GetMeanProbes(), 3.5);
      if (nStep == 1) {
        EXPECT_LT(map.GetMeanProbes(), 1.1);
      }
      std::uint64_t word = 0;
      for (const Handle h : rows) ASSERT_TRUE(map.Lookup(h, word) && word == h);
    }
}

// An article table of a catalogue: each article takes two handles (its
// number and its matchcode), every 30th a third (a text block's key), and
// the first hundred a third as well (their product groups). The first
// rows crowd at the small sizes the map starts with; the grown map must
// take its rows back to their homes, not keep them scrambled.
TEST(StoreRowMap, AGrowingMapTakesItsRowsBackToTheirHomes) {
  CRowMap map;
  Handle h = 0x01000125;
  for (int i = 1; i <= 100000; ++i) {
    map.SetAt(h, i);
    h += (i <= 100 ? 3 : 2) + (i % 30 == 0 ? 1 : 0);
  }
  EXPECT_LT(map.GetMeanProbes(), 1.5);
  EXPECT_LT(map.GetMemoryBytes(), 100000u * 12 * 5 / 3);  // at least three fifths full
  std::uint64_t word = 0;
  EXPECT_FALSE(map.Lookup(0x01000126, word));
  EXPECT_TRUE(map.Lookup(0x01000128, word) && word == 2);
}
