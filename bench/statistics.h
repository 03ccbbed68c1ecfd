// Summaries of repeated timings, for the benchmarks native and under Wine.
#pragma once

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

namespace vandrel::bench {

// The value a fraction q of the way through the sorted values, interpolated between
// neighbours: q = 0 the smallest, 1 the largest, 0.5 the median (for an even count,
// the mean of the middle two). 0 for no values.
inline double Quantile(std::vector<double> values, double q) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const double at = std::clamp(q, 0.0, 1.0) * static_cast<double>(values.size() - 1);
  const auto below = static_cast<std::size_t>(at);
  if (below + 1 >= values.size()) return values.back();
  return values[below] + (at - static_cast<double>(below)) * (values[below + 1] - values[below]);
}

inline double Median(std::vector<double> values) { return Quantile(std::move(values), 0.5); }

}  // namespace vandrel::bench
