// CObjectPool: memory for many objects of one size.
//
// Tables come and go by the hundred thousand (a VDI file makes one a
// record, and the database file of it reads them back), all of one size.
// The general heap takes a few hundred instructions for each and more to
// take them back; the pool cuts objects from large blocks and keeps those
// given back on a free list for the next ones. Its blocks stay until the
// pool goes: the memory of a closed dataset's tables serves the next one's.
//
// The first blocks are small; a pool that grows past them takes slabs of one
// huge page each, which the kernel may back with a single page: hundreds of
// thousands of tables otherwise cost a page fault every 4 KiB.
#pragma once

#include <atomic>
#include <cstddef>
#include <vector>

class CObjectPool {
 public:
  // For objects of n bytes (a multiple of 16 or not).
  explicit CObjectPool(std::size_t n) : m_nSize((n + 15) & ~std::size_t{15}) {}
  ~CObjectPool();
  CObjectPool(const CObjectPool&) = delete;
  CObjectPool& operator=(const CObjectPool&) = delete;

  // Room for one object, 16-byte aligned as operator new gives it.
  void* Take();
  // Gives back what Take gave.
  void Give(void* p);

 private:
  static constexpr std::size_t kBlock = 256 * 1024;
  static constexpr std::size_t kSmallBlocks = 8;
  static constexpr std::size_t kSlab = std::size_t{2} << 20;  // also its alignment
  struct CFree {
    CFree* pNext;
  };

  // Hosts may work with datasets from several threads. A take or a give is a
  // few instructions: a flag guards them, where a mutex would cost more than
  // the work (a waiting thread yields).
  class CLock {
   public:
    explicit CLock(std::atomic_flag& flag);
    ~CLock() { m_Flag.clear(std::memory_order_release); }
    CLock(const CLock&) = delete;
    CLock& operator=(const CLock&) = delete;

   private:
    std::atomic_flag& m_Flag;
  };

  const std::size_t m_nSize;
  std::atomic_flag m_Busy = ATOMIC_FLAG_INIT;
  CFree* m_pFree = nullptr;
  char* m_pNext = nullptr;  // the rest of the newest block
  std::size_t m_nLeft = 0;
  std::vector<char*> m_Blocks;  // the first kSmallBlocks of kBlock, then slabs
};
