#include "store/object_pool.h"

#include <new>
#include <thread>

#include "platform/huge_pages.h"

CObjectPool::CLock::CLock(std::atomic_flag& flag) : m_Flag(flag) {
  while (m_Flag.test_and_set(std::memory_order_acquire)) std::this_thread::yield();
}

void* CObjectPool::Take() {
  const CLock lock(m_Busy);
  if (m_pFree != nullptr) {
    CFree* pTaken = m_pFree;
    m_pFree = pTaken->pNext;
    return pTaken;
  }
  if (m_nLeft < m_nSize) {
    // Not value-initialised: an object's constructor writes what it uses.
    m_Blocks.reserve(m_Blocks.size() + 1);  // no throw between the bytes and their owner
    const bool bSlab = m_Blocks.size() >= kSmallBlocks;
    const std::size_t nBytes = bSlab ? kSlab : kBlock;
    m_pNext = static_cast<char*>(::operator new[](nBytes, std::align_val_t{bSlab ? kSlab : 16}));
    if (bSlab) AdviseHugePages(m_pNext, nBytes);
    m_Blocks.push_back(m_pNext);
    m_nLeft = nBytes;
  }
  void* p = m_pNext;
  m_pNext += m_nSize;
  m_nLeft -= m_nSize;
  return p;
}

CObjectPool::~CObjectPool() {
  for (std::size_t i = 0; i < m_Blocks.size(); ++i)
    ::operator delete[](m_Blocks[i], std::align_val_t{i >= kSmallBlocks ? kSlab : 16});
}

void CObjectPool::Give(void* p) {
  if (p == nullptr) return;
  const CLock lock(m_Busy);
  auto* pFree = static_cast<CFree*>(p);
  pFree->pNext = m_pFree;
  m_pFree = pFree;
}
