#include "store/arena.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <vector>

namespace {

std::uintptr_t Address(const void* p) { return reinterpret_cast<std::uintptr_t>(p); }

TEST(StoreArena, PiecesDoNotOverlapAndAlignedOnesStartOnEightBytes) {
  CArena arena;
  std::set<std::pair<std::uintptr_t, std::uintptr_t>> pieces;
  for (std::uint32_t i = 0; i < 20000; ++i) {
    const std::uint32_t nSize = 4 + (i % 13) * 4;
    const bool bAligned = i % 3 == 0;
    void* p = arena.Alloc(nSize, bAligned);
    ASSERT_NE(p, nullptr);
    if (bAligned) {
      EXPECT_EQ(Address(p) % 8, 0u);
    }
    EXPECT_EQ(Address(p) % 4, 0u);
    std::memset(p, 0xAB, nSize);  // ASan sees any write past the block
    pieces.emplace(Address(p), Address(p) + nSize);
  }
  std::uintptr_t nEnd = 0;
  for (const auto& [nBegin, nStop] : pieces) {
    EXPECT_GE(nBegin, nEnd);
    nEnd = nStop;
  }
  EXPECT_GT(arena.GetBlockCount(), 1u);
  EXPECT_LE(arena.GetBytesUsed(), arena.GetBytesReserved());
}

TEST(StoreArena, FreedPiecesAreReusedByExactlyTheirSizeLatestFirst) {
  CArena arena;
  void* p = arena.Alloc(40, true);
  arena.Free(p, 40);
  EXPECT_EQ(arena.GetFreePieceCount(), 1u);
  std::uint32_t nRecorded = 0;
  std::memcpy(&nRecorded, p, 4);
  EXPECT_EQ(nRecorded, 40u);  // a free piece carries its size
  void* q = arena.Alloc(36, true);
  EXPECT_NE(q, p);
  EXPECT_EQ(arena.Alloc(40, true), p);
  EXPECT_EQ(arena.GetFreePieceCount(), 0u);
  void* a = arena.Alloc(24, true);
  void* b = arena.Alloc(24, true);
  arena.Free(a, 24);
  arena.Free(b, 24);
  EXPECT_EQ(arena.Alloc(24, false), b);
  EXPECT_EQ(arena.Alloc(24, false), a);
}

// A piece larger than a block's room (the longest text a database file
// stores) gets storage of its own and leaves the blocks alone.
TEST(StoreArena, PiecesBeyondABlockGetStorageOfTheirOwn) {
  CArena arena;
  EXPECT_EQ(arena.Alloc(CArena::kMaxRequest + 1, false), nullptr);
  void* p = arena.Alloc(CArena::kBlockSize - 8, true);
  ASSERT_NE(p, nullptr);
  std::memset(p, 1, CArena::kBlockSize - 8);
  for (std::size_t n : {std::size_t{CArena::kBlockSize}, std::size_t{CArena::kMaxRequest}}) {
    void* pLarge = arena.Alloc(n, true);
    ASSERT_NE(pLarge, nullptr);
    std::memset(pLarge, 2, n);
  }
  std::uint32_t nLane = 0;
  void* pLane = arena.AllocInLane(32768 * 4, nLane);
  ASSERT_NE(pLane, nullptr);
  std::memset(pLane, 3, 32768 * 4);
  EXPECT_EQ(nLane, 0u);
  EXPECT_EQ(arena.GetBlockCount(), 1u);
  EXPECT_EQ(arena.GetBytesUsed(),
            CArena::kBlockSize - 8 + CArena::kBlockSize + CArena::kMaxRequest + 32768 * 4);
}

TEST(StoreArena, OlderBlocksAreFilledBeforeANewOneIsTaken) {
  CArena arena;
  ASSERT_NE(arena.Alloc(0x10000, false), nullptr);
  ASSERT_NE(arena.Alloc(0x18000, false), nullptr);  // does not fit: second block
  EXPECT_EQ(arena.GetBlockCount(), 2u);
  ASSERT_NE(arena.Alloc(0x8000, false), nullptr);  // fits into the first block's rest
  EXPECT_EQ(arena.GetBlockCount(), 2u);
}

// A lane's pieces lie one after another whatever is cut in between, no other
// request is cut from a lane's block, and a full block gives the lane a new one.
TEST(StoreArena, LanePiecesLieTogetherApartFromTheRest) {
  CArena arena;
  std::uint32_t nLane = 0;
  char* const pFirst = static_cast<char*>(arena.AllocInLane(40, nLane));
  ASSERT_NE(pFirst, nullptr);
  ASSERT_NE(nLane, 0u);
  const auto inFirstBlock = [&](const void* p) {
    return Address(p) >= Address(pFirst) && Address(p) < Address(pFirst) + CArena::kBlockSize;
  };
  char* pLast = pFirst;
  for (int i = 0; i < 100; ++i) {
    const void* pShared = arena.Alloc(24, i % 2 == 0);
    ASSERT_NE(pShared, nullptr);
    EXPECT_FALSE(inFirstBlock(pShared));
    char* p = static_cast<char*>(arena.AllocInLane(40, nLane));
    EXPECT_EQ(p, pLast + 40);
    pLast = p;
  }
  std::uint32_t nOther = 0;
  EXPECT_FALSE(inFirstBlock(arena.AllocInLane(40, nOther)));
  EXPECT_NE(nOther, nLane);
  const std::uint32_t nFirstLane = nLane;
  for (int i = 0; i < 200 && nLane == nFirstLane; ++i)
    ASSERT_NE(arena.AllocInLane(1000, nLane), nullptr);
  EXPECT_NE(nLane, nFirstLane);
  EXPECT_EQ(arena.GetBlockCount(), 4u);  // shared, two lanes, the first lane's next
}

TEST(StoreArena, SlabsStartOnAHugePageAndHoldSixteenBlocks) {
  CArena arena;
  std::vector<std::uintptr_t> blocks;
  for (std::size_t i = 0; i < CArena::kSingleBlocks + CArena::kSlabBlocks + 1; ++i) {
    void* p = arena.Alloc(CArena::kBlockSize - 8, true);  // a block each
    ASSERT_NE(p, nullptr);
    std::memset(p, 1, CArena::kBlockSize - 8);
    blocks.push_back(Address(p));
  }
  const std::uintptr_t nSlab = blocks[CArena::kSingleBlocks];
  EXPECT_EQ(nSlab % CArena::kSlabAlign, 0u);
  for (std::size_t i = 1; i < CArena::kSlabBlocks; ++i)
    EXPECT_EQ(blocks[CArena::kSingleBlocks + i], nSlab + i * CArena::kBlockSize);
  EXPECT_EQ(blocks.back() % CArena::kSlabAlign, 0u);  // the next slab
  EXPECT_EQ(arena.GetBytesReserved(),
            CArena::kSingleBlocks * CArena::kBlockSize + 2 * CArena::kSlabAlign);
}

}  // namespace
