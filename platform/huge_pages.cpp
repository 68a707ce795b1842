#include "platform/huge_pages.h"

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#endif

void AdviseHugePages(void* p, std::size_t nBytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  // Only whole huge pages can be backed by one: the advice covers those.
  constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
  const auto nBegin = (reinterpret_cast<std::uintptr_t>(p) + kHugePage - 1) & ~(kHugePage - 1);
  const auto nEnd = (reinterpret_cast<std::uintptr_t>(p) + nBytes) & ~(kHugePage - 1);
  if (nEnd > nBegin) madvise(reinterpret_cast<void*>(nBegin), nEnd - nBegin, MADV_HUGEPAGE);
#else
  (void)p;
  (void)nBytes;
#endif
}
