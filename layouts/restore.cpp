#include "layouts/restore.h"

#include <algorithm>
#include <limits>
#include <string_view>
#include <unordered_map>

#include "desktop/icon_position.h"
#include "desktop/monitors.h"
#include "desktop/placement_batch.h"
#include "layouts/display_match.h"

namespace vandrel::layouts {
namespace {

struct IconKey {
  std::string_view label;
  std::int32_t occurrence;
  friend bool operator==(const IconKey&, const IconKey&) = default;
};

struct IconKeyHash {
  std::size_t operator()(const IconKey& key) const {
    return std::hash<std::string_view>{}(key.label) ^
           (static_cast<std::size_t>(static_cast<std::uint32_t>(key.occurrence)) * 0x9E3779B1u);
  }
};

std::int32_t Count(std::size_t n) {
  return static_cast<std::int32_t>(std::min<std::size_t>(n, std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

std::string IconCount(std::int64_t n) { return std::to_string(n) + (n == 1 ? " icon" : " icons"); }

RestorePlan MatchIcons(const std::vector<IconPlace>& now, const std::vector<IconPlace>& saved) {
  const std::size_t last = std::min<std::size_t>(now.size(), std::numeric_limits<std::int32_t>::max());
  // The saved icon each icon of the desktop goes to, by index.
  std::vector<const IconPlace*> target(last, nullptr);
  std::size_t matched = 0;

  // By parsing name first, where both sides know one: it tells apart icons of one label,
  // and follows an icon whose copies have come or gone.
  std::unordered_map<std::string_view, const IconPlace*> by_name;
  for (const IconPlace& icon : saved) {
    if (!icon.parsing_name.empty()) by_name.emplace(icon.parsing_name, &icon);
  }
  std::vector<bool> taken(saved.size(), false);
  for (std::size_t i = 0; i < last && !by_name.empty(); ++i) {
    if (now[i].parsing_name.empty()) continue;
    const auto found = by_name.find(now[i].parsing_name);
    if (found == by_name.end()) continue;
    target[i] = found->second;
    taken[static_cast<std::size_t>(found->second - saved.data())] = true;
    // Each saved icon goes to one icon of the desktop only.
    by_name.erase(found);
    ++matched;
  }

  // Then by label and occurrence among the rest.
  std::unordered_map<IconKey, const IconPlace*, IconKeyHash> wanted;
  wanted.reserve(saved.size() - matched);
  for (std::size_t s = 0; s < saved.size(); ++s) {
    if (!taken[s]) wanted.emplace(IconKey{saved[s].label, saved[s].occurrence}, &saved[s]);
  }
  for (std::size_t i = 0; i < last && !wanted.empty(); ++i) {
    if (target[i] != nullptr) continue;
    const auto found = wanted.find(IconKey{now[i].label, now[i].occurrence});
    if (found == wanted.end()) continue;
    target[i] = found->second;
    wanted.erase(found);
    ++matched;
  }

  RestorePlan plan;
  plan.moves.reserve(matched);
  for (std::size_t i = 0; i < last; ++i) {
    if (target[i] != nullptr) plan.moves.push_back(Move{static_cast<std::int32_t>(i), target[i]->x, target[i]->y});
  }
  plan.missing = Count(saved.size() - matched);
  return plan;
}

std::string RestoreResult::Summary() const {
  std::string line = "Restored " + IconCount(restored);
  if (pulled_in > 0) line += " (" + std::to_string(pulled_in) + " pulled in onto a monitor)";
  if (missing == 0) return line + ".";
  return line + "; " + IconCount(missing) + " of the layout " + (missing == 1 ? "is" : "are") +
         " no longer on the desktop.";
}

// The moves from the layout's coordinates into the view's; onto another display, those
// whose place lies on no monitor pulled into one first. Answers how many were.
static std::int32_t ToView(DesktopIconView& desktop, WindowHandle view, const Snapshot& saved,
                           const DisplayConfiguration& here, std::vector<Move>& moves) {
  const Point origin = desktop.ViewOrigin(view);
  const bool pull_in = !SameDisplay(saved.display, here);
  std::optional<Point> cell;
  std::int32_t pulled_in = 0;
  for (Move& move : moves) {
    Point place{move.x, move.y};
    if (saved.positions_in_view) place = ViewToScreen(place, origin);
    if (pull_in) {
      if (!cell) {
        const auto spacing = static_cast<std::uint32_t>(desktop.GetItemSpacing(view, false));
        cell = Point{static_cast<std::int32_t>(spacing & 0xFFFFu), static_cast<std::int32_t>(spacing >> 16)};
      }
      if (const std::optional<Point> inside = PullIn(place, *cell, here.monitor_list)) {
        place = *inside;
        ++pulled_in;
      }
    }
    place = ScreenToView(place, origin);
    move.x = place.x;
    move.y = place.y;
  }
  return pulled_in;
}

// Matched first, so that nothing is sent before the desktop is known to be readable.
static RestoreResult PlaceIcons(DesktopIconView& desktop, WindowHandle view, const Snapshot& now,
                                const Snapshot& saved) {
  RestorePlan plan = MatchIcons(now.icons, saved.icons);
  const std::int32_t pulled_in = ToView(desktop, view, saved, now.display, plan.moves);
  DesktopIconView::Change change(desktop);
  // With auto-arrange or snap-to-grid on, the view would move the icons again as they land.
  desktop.FreePlacement(view);
  PlacementBatch batch(desktop, view);
  for (const Move& move : plan.moves) batch.Place(move.index, PackPosition(move.x, move.y));
  batch.Send();
  desktop.ApplyViewState(view, saved.view);
  // After the view's settings too: the shell is handed the positions the view shows
  // once they are in force.
  change.Finish();
  return RestoreResult{Count(plan.moves.size()), plan.missing, pulled_in};
}

RestoreResult RestoreSnapshot(DesktopIconView& desktop, const Snapshot& saved) {
  return RestoreSnapshot(desktop, saved, TakeSnapshot(desktop));
}

RestoreResult RestoreSnapshot(DesktopIconView& desktop, const Snapshot& saved, const Snapshot& now) {
  const WindowHandle view = desktop.GetDesktopListView();
  if (view == 0) throw NoDesktopView();
  return PlaceIcons(desktop, view, now, saved);
}

}  // namespace vandrel::layouts
