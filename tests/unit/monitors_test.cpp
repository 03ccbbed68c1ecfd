// Several monitors: the one conversion from a monitor's frame into the view and back,
// the monitors' numbering, a display's identity, and the pull-in of places that lie on
// no monitor, over the in-memory desktop.
#include "desktop/monitors.h"

#include <gtest/gtest.h>

#include "app/command_line.h"
#include "arrange/line_figures.h"
#include "desktop/icon_position.h"
#include "layouts/display_match.h"
#include "layouts/layout_file.h"
#include "layouts/layouts.h"
#include "layouts/restore.h"
#include "test_desktop.h"

namespace vandrel {
namespace {

using testing::TestDesktop;

const Monitor kPrimary{{0, 0, 640, 480}, {0, 0, 640, 450}, 96, true};
const Monitor kLeft{{-800, 0, 0, 600}, {-800, 0, 0, 600}, 120, false};
const Monitor kAbove{{0, -600, 800, 0}, {0, -570, 800, 0}, 96, false};

// The in-memory shell with `monitors` (in the system's order) and its view's client
// area at the virtual screen's corner, as the shell places it.
void Arrange(TestDesktop& d, const std::vector<Monitor>& monitors, Point origin) {
  d.shell.SetMonitors(monitors);
  for (const Monitor& m : monitors) {
    if (m.primary) d.shell.SetWorkArea(m.work_area);
  }
  d.shell.SetViewOrigin(origin);
}

std::vector<Placement> Shifted(std::vector<Placement> placements, Point by) {
  for (Placement& p : placements) {
    p.x = PackedX(PackPosition(p.x + by.x, 0));
    p.y = PackedY(PackPosition(0, p.y + by.y));
  }
  return placements;
}

TEST(MonitorFrame, AFigureLandsOnItsMonitorWhereverTheViewsOriginLies) {
  const struct {
    const char* what;
    std::vector<Monitor> monitors;
    Point origin;
    DesktopIconView::MonitorChoice choice;
    Rect work_area;  // the monitor's, which the figure measures
    Point shift;     // from the monitor's frame into the view's
  } cases[] = {
      {"primary, one monitor left of it", {kPrimary, kLeft}, {-800, 0}, {1, 0}, kPrimary.work_area, {800, 0}},
      {"the monitor on the left", {kPrimary, kLeft}, {-800, 0}, {2, 0}, kLeft.work_area, {0, 0}},
      {"primary, one monitor above it", {kAbove, kPrimary}, {0, -600}, {1, 0}, kPrimary.work_area, {0, 600}},
      {"the monitor above, taskbar on top", {kAbove, kPrimary}, {0, -600}, {2, 0}, kAbove.work_area, {0, 0}},
      {"a number that names none: the primary", {kPrimary, kLeft}, {-800, 0}, {7, 0}, kPrimary.work_area, {800, 0}},
      {"far out: cut to 16 bits as ever", {kPrimary, kLeft}, {-70000, 0}, {1, 0}, kPrimary.work_area, {70000, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    // What the figure sends measured in its monitor's work area, on one monitor.
    TestDesktop alone(20, ShellLayout::Progman,
                      Rect{0, 0, c.work_area.right - c.work_area.left, c.work_area.bottom - c.work_area.top});
    arrange::AlignBottom(alone.view, 75);

    TestDesktop d(20);
    Arrange(d, c.monitors, c.origin);
    {
      const DesktopIconView::OnMonitor on(d.view, c.choice);
      arrange::AlignBottom(d.view, 75);
    }
    EXPECT_EQ(d.placements(), Shifted(alone.placements(), c.shift));
  }
}

TEST(MonitorFrame, OneMonitorSendsEveryMessageAsBeforeAndTheWindowChoosesItsMonitor) {
  TestDesktop bare(15);
  arrange::AlignBottom(bare.view, 75);
  TestDesktop framed(15);
  {
    const DesktopIconView::OnMonitor on(framed.view, {});
    arrange::AlignBottom(framed.view, 75);
  }
  EXPECT_EQ(framed.recorder.messages(), bare.recorder.messages());

  // A window mostly on the left monitor lays its figures there.
  TestDesktop d(3);
  Arrange(d, {kPrimary, kLeft}, {-800, 0});
  d.shell.SetWindowRect(0x777, Rect{-300, 100, 100, 300});
  {
    const DesktopIconView::OnMonitor on(d.view, {1, 0x777});
    arrange::AlignLeft(d.view, 75);
  }
  EXPECT_EQ(d.placements(), testing::InOrder({{19, 0}, {19, 75}, {19, 150}}));
}

TEST(Monitors, NumberedPrimaryFirstThenLeftToRightThenTopToBottom) {
  const Monitor right{{640, 0, 1280, 480}, {}, 96, false};
  const Monitor below_left{{-800, 600, 0, 1200}, {}, 96, false};
  EXPECT_EQ(NumberMonitors({right, kAbove, below_left, kPrimary, kLeft}),
            (std::vector<Monitor>{kPrimary, kLeft, below_left, kAbove, right}));

  const std::vector<Monitor> numbered{kPrimary, kLeft};
  const struct {
    Rect window;
    std::size_t monitor;
  } cases[] = {
      {{10, 10, 200, 200}, 0},       {{-500, 10, -100, 200}, 1},
      {{-200, 0, 100, 100}, 1},      {{-100, 0, 100, 100}, 0},  // a tie: the lower number
      {{5000, 5000, 5100, 5100}, 0}, {{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, 1},
  };
  for (const auto& c : cases) EXPECT_EQ(MonitorHolding(numbered, c.window), c.monitor) << c.window.left;
}

TEST(Monitors, TheCommandLineNamesAMonitorByItsNumber) {
  const auto parse = [](std::vector<std::string> arguments) { return cli::ParseCommandLine(arguments, "1"); };
  EXPECT_EQ(parse({"monitors"}).command->action, cli::Action::ListMonitors);
  EXPECT_EQ(parse({"figure", "left", "--monitor", "2"}).command->monitor, 2);
  EXPECT_EQ(parse({"figure", "circle"}).command->monitor, std::nullopt);
  for (const char* bad : {"0", "-1", "x", "1.5"}) {
    EXPECT_EQ(parse({"figure", "left", "--monitor", bad}).exit_status, cli::kBadUsage) << bad;
  }
}

}  // namespace

namespace layouts {
namespace {

DisplayConfiguration Display(std::vector<Monitor> monitors) {
  DisplayConfiguration display{monitors.front().work_area, 640, 480, 96, static_cast<std::int32_t>(monitors.size())};
  display.monitor_list = std::move(monitors);
  return display;
}

TEST(Display, IsItsMonitorsAndAnOlderLayoutMatchesAsBefore) {
  const Monitor right{{640, 0, 1440, 600}, {640, 0, 1440, 600}, 120, false};
  const DisplayConfiguration here = Display({kPrimary, kLeft});
  DisplayConfiguration older = here;
  older.monitor_list.clear();
  DisplayConfiguration older_two = older;
  older_two.monitors = 1;
  DisplayConfiguration other_dpi = here;
  other_dpi.monitor_list[1].dpi = 96;
  const struct {
    const char* what;
    DisplayConfiguration saved;
    bool same;
  } cases[] = {
      {"the same monitors", here, true},
      {"the same count and sizes, the other on the right", Display({kPrimary, right}), false},
      {"one monitor at another DPI", other_dpi, false},
      {"a file of before, same primary, size, DPI and count", older, true},
      {"a file of before, another count", older_two, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SameDisplay(c.saved, here), c.same) << c.what;
    EXPECT_EQ(SameDisplay(here, c.saved), c.same) << c.what;
  }
  EXPECT_EQ(Layouts::Describe(Display({kPrimary, kLeft, kAbove})), "640x480 + 800x600 left + 800x600 above at 96 dpi");
  EXPECT_EQ(DescribeMonitors({{{0, 0, 1920, 1080}}, {{1920, -200, 3200, 824}}, {{-100, 1080, 500, 1500}}}),
            "1920x1080 + 1280x1024 right + 600x420 below");
  EXPECT_EQ(Layouts::Describe(Display({kPrimary})), "640x450 at 96 dpi, 1 monitor");
}

TEST(Display, EveryMonitorGoesThroughTheFileAndAnOlderFileKeepsViewPositions) {
  LayoutRecord record{"two", false, {}};
  record.snapshot.display = Display({kPrimary, kLeft});
  record.snapshot.icons = {{"a", 0, -790, 5}};
  EXPECT_EQ(ParseLayout(FormatLayout(record), "x"), record);

  const std::string older = R"({"format": "vandrel-layout", "version": 1, "name": "old", "original": false,
      "taken_at": 5, "display": {"work_area": {"left": 0, "top": 0, "right": 1024, "bottom": 738},
      "screen_width": 1024, "screen_height": 738, "dpi": 96, "monitors": 1},
      "view": {"auto_arrange": false, "snap_to_grid": false, "text_colour": 0, "background_colour": 0},
      "icons": [{"label": "a", "occurrence": 0, "x": 19, "y": 75}]})";
  const LayoutRecord read = ParseLayout(older, "old.json");
  EXPECT_TRUE(read.snapshot.positions_in_view);
  EXPECT_TRUE(read.snapshot.display.monitor_list.empty());
  EXPECT_EQ(ParseLayout(FormatLayout(read), "x"), read);  // written back as it was
  EXPECT_NE(FormatLayout(read).find("\"version\": 1"), std::string::npos);
}

TEST(Display, APlaceOnNoMonitorIsPulledIntoTheNearestWithItsWholeCell) {
  const std::vector<Monitor> monitors{kPrimary, kLeft};
  const Point cell{75, 70};
  const struct {
    Point place;
    std::optional<Point> pulled;
  } cases[] = {
      {{10, 10}, std::nullopt},
      {{-800, 599}, std::nullopt},
      {{639, 479}, std::nullopt},
      {{700, 100}, Point{565, 100}},  // right of the primary: its work area, the cell inside
      {{300, 470}, std::nullopt},     // on the primary's taskbar, but on the primary
      {{-900, -50}, Point{-800, 0}},
      {{-100, 900}, Point{-100, 530}},
      {{100, -2000000000}, Point{100, 0}},
      {{INT32_MAX, INT32_MAX}, Point{565, 380}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PullIn(c.place, cell, monitors), c.pulled) << c.place.x << "," << c.place.y;
  }
  // A work area narrower than the cell: its corner.
  EXPECT_EQ(PullIn({5000, 0}, cell, {{{0, 0, 50, 50}, {0, 0, 50, 50}, 96, true}}), (Point{0, 0}));
  EXPECT_EQ(PullIn({5, 5}, cell, {}), std::nullopt);
}

TEST(Display, ALayoutKeepsScreenPlacesWhenAMonitorLeftOfThePrimaryGoes) {
  TestDesktop d(0);
  Arrange(d, {kPrimary, kLeft}, {-800, 0});
  d.shell.icons() = {{"on primary", 819, 10}, {"on left", 100, 200}, {"off", 2400, 100}};
  const Snapshot saved = TakeSnapshot(d.view);
  EXPECT_EQ(saved.icons[0].x, 19);  // the screen's, not the view's
  EXPECT_EQ(saved.icons[1].x, -700);

  // Unplugged: the view starts at the primary now, and the left monitor's icon has no
  // monitor left to go to.
  Arrange(d, {kPrimary}, {0, 0});
  d.recorder.Clear();
  const RestoreResult result = RestoreSnapshot(d.view, saved);
  EXPECT_EQ(d.placements(), testing::InOrder({{19, 10}, {0, 200}, {565, 100}}));
  EXPECT_EQ(result.pulled_in, 2);
  EXPECT_EQ(result.Summary(), "Restored 3 icons (2 pulled in onto a monitor).");

  // On the display it was saved on, every icon goes back where it was, off-screen or not.
  Arrange(d, {kPrimary, kLeft}, {-800, 0});
  d.recorder.Clear();
  EXPECT_EQ(RestoreSnapshot(d.view, saved).Summary(), "Restored 3 icons.");
  EXPECT_EQ(d.placements(), testing::InOrder({{819, 10}, {100, 200}, {2400, 100}}));

  // A file of before keeps the view's positions, wherever the view starts now.
  Snapshot older = saved;
  older.positions_in_view = true;
  older.display.monitor_list.clear();
  older.icons[0].x = 30;
  d.recorder.Clear();
  RestoreSnapshot(d.view, older);
  EXPECT_EQ(d.placements()[0], (Placement{0, 30, 10}));
}

}  // namespace
}  // namespace layouts
}  // namespace vandrel
