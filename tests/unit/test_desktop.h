// A desktop for unit tests: the in-memory shell, a recorder in front of it, and the
// DesktopIconView the figures talk to, wired together.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "desktop/desktop_icon_view.h"
#include "tests/support/in_memory_desktop.h"
#include "tests/support/recording_port.h"

namespace vandrel::testing {

struct TestDesktop {
  explicit TestDesktop(std::int32_t icons = 0, ShellLayout layout = ShellLayout::Progman,
                       Rect area = Rect{0, 0, 1024, 738})
      : shell(icons, layout) {
    shell.SetWorkArea(area);
  }

  // Placements of the last run, as (x, y) pairs for items 0, 1, 2, ... in the order sent.
  std::vector<Placement> placements() const { return recorder.placements(); }

  InMemoryDesktop shell;
  RecordingPort recorder{shell};
  DesktopIconView view{recorder};
};

// Every figure starts the same way: the view lookup from "progman" (four calls on the
// Progman layout), then the work area, then the count request to the view found.
inline ::testing::AssertionResult BeginsLikeAFigure(const TestDesktop& d) {
  const auto& lines = d.recorder.lines();
  if (lines.size() < 6) return ::testing::AssertionFailure() << "only " << lines.size() << " calls";
  if (lines[0].rfind("FindWindowA(\"progman\")", 0) != 0) return ::testing::AssertionFailure() << lines[0];
  if (lines[4] != "SystemParametersInfoA(SPI_GETWORKAREA) = 1") return ::testing::AssertionFailure() << lines[4];
  if (lines[5].rfind("SendMessage(" + Hex(d.shell.list_view()) + ", LVM_GETITEMCOUNT", 0) != 0) {
    return ::testing::AssertionFailure() << lines[5];
  }
  return ::testing::AssertionSuccess();
}

// Positions for items 0..n-1, in order.
inline std::vector<Placement> InOrder(const std::vector<std::pair<int, int>>& xy, int first_index = 0) {
  std::vector<Placement> out;
  for (const auto& [x, y] : xy) out.push_back({first_index++, x, y});
  return out;
}

}  // namespace vandrel::testing
