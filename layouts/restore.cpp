#include "layouts/restore.h"

#include <algorithm>
#include <limits>
#include <string_view>
#include <unordered_map>

#include "arrange/numeric.h"

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

std::string Icons(std::int32_t n) { return std::to_string(n) + (n == 1 ? " icon" : " icons"); }

}  // namespace

RestorePlan MatchIcons(const std::vector<IconPlace>& now, const std::vector<IconPlace>& saved) {
  std::unordered_map<IconKey, const IconPlace*, IconKeyHash> wanted;
  wanted.reserve(saved.size());
  for (const IconPlace& icon : saved) wanted.emplace(IconKey{icon.label, icon.occurrence}, &icon);

  RestorePlan plan;
  plan.moves.reserve(std::min(now.size(), saved.size()));
  const std::size_t last = std::min<std::size_t>(now.size(), std::numeric_limits<std::int32_t>::max());
  for (std::size_t i = 0; i < last; ++i) {
    const auto found = wanted.find(IconKey{now[i].label, now[i].occurrence});
    if (found == wanted.end()) continue;
    plan.moves.push_back(Move{static_cast<std::int32_t>(i), found->second->x, found->second->y});
    // Each saved icon goes to one icon of the desktop only.
    wanted.erase(found);
  }
  plan.missing = Count(saved.size() - plan.moves.size());
  return plan;
}

std::string RestoreResult::Summary() const {
  std::string line = "Restored " + Icons(restored);
  if (missing == 0) return line + ".";
  return line + "; " + Icons(missing) + " of the layout " + (missing == 1 ? "is" : "are") +
         " no longer on the desktop.";
}

// Matched first, so that nothing is sent before the desktop is known to be readable.
static RestoreResult PlaceIcons(DesktopIconView& desktop, WindowHandle view, const std::vector<IconPlace>& now,
                                const Snapshot& saved) {
  const RestorePlan plan = MatchIcons(now, saved.icons);
  // With auto-arrange or snap-to-grid on, the view would move the icons again as they land.
  desktop.FreePlacement(view);
  for (const Move& move : plan.moves) {
    desktop.SetItemPosition(view, move.index, numeric::PackPosition(move.x, move.y));
  }
  desktop.ApplyViewState(view, saved.view);
  return RestoreResult{Count(plan.moves.size()), plan.missing};
}

RestoreResult RestoreSnapshot(DesktopIconView& desktop, const Snapshot& saved) {
  const WindowHandle view = desktop.GetDesktopListView();
  if (view == 0) throw NoDesktopView();
  const std::optional<DesktopContents> contents = desktop.ReadDesktop(view);
  if (!contents) throw NoDesktopView();
  return PlaceIcons(desktop, view, IconPlaces(desktop, contents->icons), saved);
}

RestoreResult RestoreSnapshot(DesktopIconView& desktop, const Snapshot& saved, const Snapshot& now) {
  const WindowHandle view = desktop.GetDesktopListView();
  if (view == 0) throw NoDesktopView();
  return PlaceIcons(desktop, view, now.icons, saved);
}

}  // namespace vandrel::layouts
