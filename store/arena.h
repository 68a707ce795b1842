// CArena: the memory of one dataset. Every handle text, pool text, cell
// array, Struct block, structure definition and list-mode row record of a
// dataset is cut from it, and all of it goes at once when the dataset closes.
//
// Layout: blocks of kBlockSize bytes, newest first; a block's first word
// counts the bytes used after it, so kBlockSize - 4 bytes are for pieces.
// Pieces are never given back one by one, except Struct blocks of removed
// rows, which go to a free list and are reused only by a request of exactly
// their size. docs/store.md draws the layout.
//
// A piece larger than a block's room (a text of up to 32,767 characters,
// the longest a database file stores, takes 128 KiB) gets storage of its own.
//
// Blocks come from the heap one by one at first; a dataset that grows past
// kSingleBlocks blocks takes further blocks from slabs of kSlabBlocks, which
// the kernel may back with huge pages (name look-ups read texts at random).
//
// Alignment: a piece asked for "aligned" starts on an 8-byte boundary, so
// that row records holding 64-bit words and addresses may live there; other
// pieces start on a 4-byte boundary (every text is of wchar_t, 4 bytes here).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

class CArena {
 public:
  static constexpr std::uint32_t kBlockSize = 0x20000;
  static constexpr std::uint32_t kMaxRequest = 0x40000;
  static constexpr std::size_t kSingleBlocks = 8;
  static constexpr std::size_t kSlabBlocks = 16;
  // A slab is one huge page and starts on one, so that the kernel can back it
  // with a single huge page: filling a large dataset's arena otherwise costs
  // a page fault every 4 KiB.
  static constexpr std::size_t kSlabAlign = kSlabBlocks * std::size_t{kBlockSize};

  CArena() = default;
  CArena(const CArena&) = delete;
  CArena& operator=(const CArena&) = delete;

  // A piece of nSize bytes, or null when nSize exceeds kMaxRequest or the
  // heap is exhausted (the caller reports it). The piece's content is
  // undefined; it lives until the arena is destroyed.
  void* Alloc(std::size_t nSize, bool bAligned);
  // Gives a piece back for reuse by a later request of exactly nSize bytes.
  // nSize must be the size it was asked with; its first word is overwritten.
  void Free(void* pPiece, std::uint32_t nSize);
  // A zero-filled piece (cell arrays, Struct blocks).
  void* AllocZeroed(std::size_t nSize, bool bAligned);
  // A piece (4-byte aligned) cut from the caller's own lane of blocks, which
  // no other request uses: the pieces of one lane lie one after another, so
  // that the texts of a large table fill cache lines of their own instead of
  // sharing them with every other table's texts and the handle names. nLane
  // is the lane's current block number + 1 (0: none yet); a full block gives
  // the lane a new one. Null as Alloc.
  void* AllocInLane(std::size_t nSize, std::uint32_t& nLane);

  std::size_t GetBlockCount() const { return m_ArenaBlocks.size(); }
  // Bytes taken from the heap (blocks and slabs) and bytes handed out.
  std::size_t GetBytesReserved() const { return m_nBytesReserved; }
  std::size_t GetBytesUsed() const;
  std::size_t GetFreePieceCount() const { return m_nFreePieces; }

 private:
  struct CBlock {
    std::uint32_t nUsed = 0;          // the block's count word, kept beside its bytes
    unsigned char* pBytes = nullptr;  // 8-aligned, owned by m_Storage
    bool bLane = false;               // serves one lane only (AllocInLane)
  };
  // Cuts nSize bytes from the block when it has room; null otherwise.
  static void* CutFrom(CBlock& block, std::uint32_t nSize, bool bAligned);
  struct CStorageDelete {
    std::size_t nAlign = 8;  // as the storage was asked for
    void operator()(unsigned char* p) const;
  };
  using CStorage = std::unique_ptr<unsigned char, CStorageDelete>;
  void* TakeFreePiece(std::uint32_t nSize, bool bAligned);
  void* CutFromBlocks(std::uint32_t nSize, bool bAligned);
  // The bytes of a new block, or null when the heap has none.
  unsigned char* NewBlockBytes();
  // A piece of storage of its own, for one larger than a block's room.
  void* AllocLarge(std::size_t nSize);

  std::vector<CBlock> m_ArenaBlocks;  // the newest is last
  std::vector<CStorage> m_Storage;    // single blocks and slabs
  std::size_t m_nSlabBlocksLeft = 0;  // blocks of the newest slab not handed out
  std::size_t m_nSharedTip = 0;       // newest block that is no lane's, + 1 (0: none)
  std::size_t m_nBytesReserved = 0;
  std::size_t m_nLargeBytes = 0;  // pieces with storage of their own
  // Free pieces by size, the latest given back last: a request takes the
  // first fitting piece of the one list the free pieces would form.
  std::unordered_map<std::uint32_t, std::vector<void*>> m_FreePieces;
  std::size_t m_nFreePieces = 0;
};
