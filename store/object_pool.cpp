#include "store/object_pool.h"

#include <thread>

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
    m_Blocks.emplace_back(new char[kBlock]);
    m_pNext = m_Blocks.back().get();
    m_nLeft = kBlock;
  }
  void* p = m_pNext;
  m_pNext += m_nSize;
  m_nLeft -= m_nSize;
  return p;
}

void CObjectPool::Give(void* p) {
  if (p == nullptr) return;
  const CLock lock(m_Busy);
  auto* pFree = static_cast<CFree*>(p);
  pFree->pNext = m_pFree;
  m_pFree = pFree;
}
