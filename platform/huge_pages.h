// Large hash arrays (a map of a million rows spans tens of MiB) are read at
// random; on 4 KiB pages nearly every look-up also misses the TLB. Asking the
// kernel for huge pages over such an array, before its pages are first
// touched, saves that second miss. A hint only: without support nothing
// changes.
#pragma once

#include <cstddef>

// Advises huge pages for the whole pages inside [p, p + nBytes) when the
// range is large enough to hold one; call before the memory is first written.
void AdviseHugePages(void* p, std::size_t nBytes);
