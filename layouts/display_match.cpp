#include "layouts/display_match.h"

#include <algorithm>
#include <limits>

namespace vandrel::layouts {
namespace {

std::int64_t Width(const Rect& r) { return std::int64_t{r.right} - r.left; }
std::int64_t Height(const Rect& r) { return std::int64_t{r.bottom} - r.top; }

std::string Size(const Rect& r) { return std::to_string(Width(r)) + "x" + std::to_string(Height(r)); }

// Where `other` lies beside `primary`: "left", "above right", ...; "overlapping" for a
// monitor that shares pixels with it (a mirror, or a setup Windows would not allow).
std::string Beside(const Rect& other, const Rect& primary) {
  std::string vertical;
  if (other.bottom <= primary.top) vertical = "above";
  if (other.top >= primary.bottom) vertical = "below";
  std::string horizontal;
  if (other.right <= primary.left) horizontal = "left";
  if (other.left >= primary.right) horizontal = "right";
  if (vertical.empty() && horizontal.empty()) return "overlapping";
  if (vertical.empty() || horizontal.empty()) return vertical + horizontal;
  return vertical + " " + horizontal;
}

// How far a coordinate lies outside [low, high): 0 inside.
std::int64_t Outside(std::int32_t value, std::int32_t low, std::int32_t high) {
  if (value < low) return std::int64_t{low} - value;
  if (value >= high) return std::int64_t{value} - high + 1;
  return 0;
}

// `value` moved into [low, high - size], or to low where the span is narrower than size.
std::int32_t Within(std::int32_t value, std::int32_t low, std::int32_t high, std::int32_t size) {
  const std::int64_t last = std::max<std::int64_t>(low, std::int64_t{high} - size);
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, low, last));
}

}  // namespace

bool SameDisplay(const DisplayConfiguration& a, const DisplayConfiguration& b) {
  if (!a.monitor_list.empty() && !b.monitor_list.empty()) return a.monitor_list == b.monitor_list;
  return a.work_area == b.work_area && a.screen_width == b.screen_width && a.screen_height == b.screen_height &&
         a.dpi == b.dpi && a.monitors == b.monitors;
}

std::string DescribeMonitors(const std::vector<Monitor>& numbered) {
  if (numbered.empty()) return {};
  const Rect& primary = numbered.front().area;
  std::string text = Size(primary);
  for (std::size_t i = 1; i < numbered.size(); ++i) {
    text += " + " + Size(numbered[i].area) + " " + Beside(numbered[i].area, primary);
  }
  return text;
}

std::string MonitorLine(std::size_t number, const Monitor& monitor) {
  const auto at = [](const Rect& r) { return " at " + std::to_string(r.left) + "," + std::to_string(r.top); };
  std::string line = std::to_string(number) + "\t" + Size(monitor.area) + "\t" + at(monitor.area).substr(1) +
                     "\twork area " + Size(monitor.work_area) + at(monitor.work_area) + "\t" +
                     std::to_string(monitor.dpi) + " dpi";
  if (monitor.primary) line += "\tprimary";
  return line;
}

std::optional<Point> PullIn(Point place, Point cell, const std::vector<Monitor>& monitors) {
  const Monitor* nearest = nullptr;
  // Squared distances, each coordinate's held to 2^31 so that the sum stays within 64
  // bits: no real monitor lies that far off another.
  constexpr std::int64_t kFar = std::int64_t{1} << 31;
  std::uint64_t best = std::numeric_limits<std::uint64_t>::max();
  for (const Monitor& monitor : monitors) {
    const Rect& r = monitor.area;
    const auto dx = static_cast<std::uint64_t>(std::min(Outside(place.x, r.left, r.right), kFar));
    const auto dy = static_cast<std::uint64_t>(std::min(Outside(place.y, r.top, r.bottom), kFar));
    if (dx == 0 && dy == 0) return std::nullopt;
    const std::uint64_t distance = dx * dx + dy * dy;
    if (distance < best) {
      best = distance;
      nearest = &monitor;
    }
  }
  if (nearest == nullptr) return std::nullopt;
  const Rect& work = nearest->work_area;
  return Point{Within(place.x, work.left, work.right, cell.x), Within(place.y, work.top, work.bottom, cell.y)};
}

}  // namespace vandrel::layouts
