// Wall and processor seconds of a piece of work, for benchmarks that report
// one piece as a multiple of another. The machines the benchmarks run on are
// shared: the processor time is the fair comparison, the wall time adds the
// waits for the disk (a save's sync) and for others.
#pragma once

#include <chrono>
#include <ctime>

struct CSeconds {
  double wall = 0, cpu = 0;
  template <class Work>
  void Add(Work work) {
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    work();
    cpu += static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
};
