#include "desktop/monitors.h"

#include <algorithm>
#include <tuple>

namespace vandrel {
namespace {

// Each span is below 2^32, so the product of two stays below 2^64.
std::uint64_t Overlap(std::int32_t low_a, std::int32_t high_a, std::int32_t low_b, std::int32_t high_b) {
  const std::int64_t low = std::max(low_a, low_b);
  const std::int64_t high = std::min(high_a, high_b);
  return high > low ? static_cast<std::uint64_t>(high - low) : 0;
}

}  // namespace

std::vector<Monitor> NumberMonitors(std::vector<Monitor> monitors) {
  std::stable_sort(monitors.begin(), monitors.end(), [](const Monitor& a, const Monitor& b) {
    return std::make_tuple(!a.primary, a.area.left, a.area.top) < std::make_tuple(!b.primary, b.area.left, b.area.top);
  });
  return monitors;
}

std::size_t MonitorHolding(const std::vector<Monitor>& numbered, const Rect& window) {
  std::size_t best = 0;
  std::uint64_t best_area = 0;
  for (std::size_t i = 0; i < numbered.size(); ++i) {
    const Rect& m = numbered[i].area;
    const std::uint64_t area =
        Overlap(m.left, m.right, window.left, window.right) * Overlap(m.top, m.bottom, window.top, window.bottom);
    if (area > best_area) {
      best = i;
      best_area = area;
    }
  }
  return best;
}

}  // namespace vandrel
