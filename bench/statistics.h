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

// Each run's value over that run's floor, as far as both go: a machine that slows down
// for a while slows both. The median of these is the cost ratio.
inline std::vector<double> Ratios(const std::vector<double>& values, const std::vector<double>& floors) {
  std::vector<double> ratios;
  for (std::size_t i = 0; i < values.size() && i < floors.size(); ++i) ratios.push_back(values[i] / floors[i]);
  return ratios;
}

}  // namespace vandrel::bench
