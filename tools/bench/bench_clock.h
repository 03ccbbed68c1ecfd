// Wall-clock timing for the Wine benchmarks. QueryPerformanceCounter is the host's
// monotonic clock under Wine; each run is timed on its own and the median kept
// (bench/statistics.h), so that one run disturbed by the machine's other work does not
// move the result.
#pragma once

#include <windows.h>

#include "bench/statistics.h"

namespace vandrel::bench {

class Stopwatch {
 public:
  Stopwatch() { Restart(); }
  void Restart() { QueryPerformanceCounter(&start_); }
  double Seconds() const {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart - start_.QuadPart) / static_cast<double>(Frequency());
  }

 private:
  static LONGLONG Frequency() {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart;
  }
  LARGE_INTEGER start_{};
};

}  // namespace vandrel::bench
