#include "layout_cost.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "bench_clock.h"
#include "desktop/desktop_icon_view.h"
#include "desktop/win32_desktop_port.h"
#include "driver_error.h"
#include "floor_block.h"
#include "layouts/layouts.h"
#include "layouts/restore.h"
#include "layouts/snapshot.h"
#include "remote_list_view.h"
#include "standin_desktop.h"
#include "temp_folder.h"

namespace vandrel::bench {
namespace {

using e2e::DriverError;
using e2e::Position;

// Small desktops are run until each kind has handled about this many icons (see
// figure_cost.cpp: one stray wake-up shows in a run of a few milliseconds).
constexpr int kIconsPerKind = 20000;

// Two layouts every run moves between: a grid, and the same grid turned around, so
// that every placement moves its icon (Wine skips a placement that does not).
std::vector<Position> Grid(int icons, bool turned) {
  std::vector<Position> at;
  for (int i = 0; i < icons; ++i) {
    const int k = turned ? icons - 1 - i : i;
    at.push_back({(k % 12) * 80, (k / 12) % 9 * 80});
  }
  return at;
}

void Place(HWND view, const std::vector<Position>& at) {
  for (std::size_t i = 0; i < at.size(); ++i) {
    SendMessageW(view, LVM_SETITEMPOSITION, i, MAKELPARAM(at[i].x, at[i].y));
  }
}

void ExpectPositions(const e2e::RemoteListView& view, const std::vector<Position>& want, const char* what) {
  for (const std::size_t i : {std::size_t{0}, want.size() / 2, want.size() - 1}) {
    const Position got = view.ItemPosition(static_cast<int>(i));
    if (got != want[i]) {
      throw DriverError(std::string(what) + ": icon " + std::to_string(i) + " is not where it should be");
    }
  }
}

// Lets the stand-in repaint what the last placements moved before the next timed kind:
// a kind timed right after placements would pay for their paint, the other not.
void Settle() { Sleep(20); }

// The snapshot of the desktop laid out as `at`, labels as the stand-in gives them.
layouts::Snapshot LayoutOf(const layouts::Snapshot& like, const std::vector<Position>& at) {
  layouts::Snapshot layout = like;
  for (std::size_t i = 0; i < at.size(); ++i) {
    layout.icons[i].x = at[i].x;
    layout.icons[i].y = at[i].y;
  }
  return layout;
}

}  // namespace

LayoutCost MeasureLayoutCost(const LayoutCostOptions& options) {
  LayoutCost cost;
  cost.icons = options.icons;
  e2e::StandinDesktop standin({.icons = options.icons, .layout = L"progman", .cheap_paint = true});
  const e2e::RemoteListView view(standin.list_view());
  const HWND list = view.window();
  if (view.ItemCount() != options.icons) throw DriverError("the stand-in holds another number of icons");

  Win32DesktopPort port(u"wine_bench");
  DesktopIconView desktop(port);
  FloorBlock floor(list, options.icons);
  const auto list_handle = reinterpret_cast<WindowHandle>(list);

  const e2e::TempFolder data;
  layouts::LayoutStore store(data.path());
  layouts::Layouts service(desktop, store);

  // As Vandrel leaves the view once its window has been shown, and as the user who lays
  // icons out keeps it: in free placement. (With auto-arrange on, a restore switches it
  // off and back on around its placements, two style writes it must make.)
  desktop.FreePlacement(list_handle);

  const std::vector<Position> grid = Grid(options.icons, false);
  const std::vector<Position> turned = Grid(options.icons, true);
  Place(list, grid);
  const layouts::Snapshot first = layouts::TakeSnapshot(desktop);
  if (first.icons.size() != static_cast<std::size_t>(options.icons)) {
    throw DriverError("the snapshot holds " + std::to_string(first.icons.size()) + " icons");
  }
  const layouts::Snapshot to_turned = LayoutOf(first, turned);

  cost.runs = std::max(options.repeats, (kIconsPerKind + options.icons - 1) / options.icons);
  for (int run = 0; run < cost.runs; ++run) {
    Place(list, grid);
    Settle();
    Stopwatch watch;
    const layouts::Snapshot now = layouts::TakeSnapshot(desktop);
    cost.snapshot.push_back(watch.Seconds());
    if (now.icons.back().x != grid.back().x || now.icons.back().y != grid.back().y) {
      throw DriverError("the snapshot read another position than the icon's");
    }

    Settle();
    watch.Restart();
    floor.Read(list);
    cost.snapshot_floor.push_back(watch.Seconds());
    if (floor.PointOf(grid.size() - 1) != grid.back()) {
      throw DriverError("the floor read another position than the icon's");
    }

    Settle();
    watch.Restart();
    layouts::RestoreSnapshot(desktop, to_turned, now);
    cost.restore.push_back(watch.Seconds());
    ExpectPositions(view, turned, "the restore");

    Place(list, grid);
    Settle();
    watch.Restart();
    Place(list, turned);
    cost.restore_floor.push_back(watch.Seconds());
    ExpectPositions(view, turned, "the floor's placements");

    watch.Restart();
    service.BeforeChange();
    cost.before_change.push_back(watch.Seconds());
  }
  return cost;
}

}  // namespace vandrel::bench
