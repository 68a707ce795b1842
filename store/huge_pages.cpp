#include "store/huge_pages.h"

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#endif

void AdviseHugePages(void* p, std::size_t nBytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
  constexpr std::uintptr_t kPage = 4096;
  if (nBytes < 2 * kHugePage) return;
  const auto nBegin = (reinterpret_cast<std::uintptr_t>(p) + kPage - 1) & ~(kPage - 1);
  const auto nEnd = (reinterpret_cast<std::uintptr_t>(p) + nBytes) & ~(kPage - 1);
  if (nEnd > nBegin) madvise(reinterpret_cast<void*>(nBegin), nEnd - nBegin, MADV_HUGEPAGE);
#else
  (void)p;
  (void)nBytes;
#endif
}
