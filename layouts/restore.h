// Putting a snapshot back on the desktop: icons matched by parsing name, or label and
// occurrence, the view switched to free placement, the positions sent, then the view's
// own settings of the snapshot put back and the positions handed to the shell's folder
// view where there is one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "layouts/snapshot.h"

namespace vandrel::layouts {

struct Move {
  std::int32_t index;  // the icon's index on the desktop now
  std::int32_t x;
  std::int32_t y;
  friend bool operator==(const Move&, const Move&) = default;
};

struct RestorePlan {
  std::vector<Move> moves;    // in ascending index order
  std::int32_t missing = 0;   // icons of the layout no longer on the desktop
};

// Matches each icon of `saved` with the icon now on the desktop that has the same
// parsing name, where both know one; the icons left then by the same label and
// occurrence. Icons on the desktop but not in the layout are not moved.
RestorePlan MatchIcons(const std::vector<IconPlace>& now, const std::vector<IconPlace>& saved);

// "1 icon", "12 icons".
std::string IconCount(std::int64_t n);

struct RestoreResult {
  std::int32_t restored = 0;
  std::int32_t missing = 0;
  std::int32_t pulled_in = 0;  // of those restored, placed on a monitor rather than where saved
  // "Restored 12 icons; 2 icons of the layout are no longer on the desktop.", with
  // " (3 pulled in onto a monitor)" after the icons restored when some were.
  std::string Summary() const;
};

// Reads the desktop once, matches, then places. Onto a display other than the saved
// one, an icon whose saved place lies on no monitor is pulled into the nearest
// monitor's work area. Throws NoDesktopView, or
// ShellNotAnswering (the icons moved so far stay moved).
RestoreResult RestoreSnapshot(DesktopIconView& desktop, const Snapshot& saved);
// The same onto the desktop as `now`, just taken, shows it: no second read for a
// caller that has read the desktop for its own ends already.
RestoreResult RestoreSnapshot(DesktopIconView& desktop, const Snapshot& saved, const Snapshot& now);

}  // namespace vandrel::layouts
