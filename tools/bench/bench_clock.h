// Wall-clock timing for the Wine benchmarks. QueryPerformanceCounter is the host's
// monotonic clock under Wine; each run is timed on its own and the median kept, so
// that one run disturbed by the machine's other work does not move the result.
#pragma once

#include <windows.h>

#include <algorithm>
#include <vector>

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

// The middle value; for an even count, the mean of the two middle ones. 0 for none.
inline double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  if (values.size() % 2 == 1) return *middle;
  return (*middle + *std::max_element(values.begin(), middle)) / 2;
}

}  // namespace vandrel::bench
