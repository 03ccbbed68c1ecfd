// Two monitors under Wine (tools/run-in-xephyr): the primary, 640 x 480 at (0, 0), and a
// second one of 800 x 600 left of it, at (-800, 0); the stand-in's view covers both, so
// its (0, 0) lies at (-800, 0) on the screen. Every figure of the main window is run
// with the window on each monitor in one start of the product, then one of the test
// window with it on the other monitor than the main window; the command line with and
// without --monitor, `vandrel monitors`, and a layout spread over both monitors saved and
// restored. Positions are read back from the stand-in's list view and compared with what
// the same figure lays out on the in-memory desktop of that monitor's size, moved into
// the view.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "arrange/circle_figures.h"
#include "arrange/line_figures.h"
#include "arrange/wave_figures.h"
#include "desktop/desktop_icon_view.h"
#include "tests/support/in_memory_desktop.h"
#include "driver_error.h"
#include "product.h"
#include "product_command.h"
#include "remote_list_view.h"
#include "standin_desktop.h"
#include "temp_folder.h"
#include "test_bench.h"

namespace vandrel::e2e {
namespace {

constexpr int kIcons = 12;
constexpr RECT kPrimary{0, 0, 640, 480};
constexpr RECT kLeft{-800, 0, 0, 600};

std::vector<RECT> MonitorRects() {
  std::vector<RECT> rects;
  EnumDisplayMonitors(
      nullptr, nullptr,
      [](HMONITOR monitor, HDC, LPRECT, LPARAM data) -> BOOL {
        MONITORINFO info{};
        info.cbSize = sizeof info;
        if (GetMonitorInfoW(monitor, &info)) reinterpret_cast<std::vector<RECT>*>(data)->push_back(info.rcMonitor);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&rects));
  return rects;
}

bool Same(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

struct Figure {
  const wchar_t* caption;
  std::function<void(DesktopIconView&, std::int32_t spacing)> run;
};
const Figure kFigures[] = {
    {L"left", [](DesktopIconView& d, std::int32_t a) { arrange::AlignLeft(d, a); }},
    {L"right", [](DesktopIconView& d, std::int32_t a) { arrange::AlignRight(d, a); }},
    {L"top", [](DesktopIconView& d, std::int32_t a) { arrange::AlignTop(d, a); }},
    {L"bottom", [](DesktopIconView& d, std::int32_t a) { arrange::AlignBottom(d, a); }},
    {L"sine", [](DesktopIconView& d, std::int32_t) { arrange::zhengxuan(d); }},
    {L"cosine", [](DesktopIconView& d, std::int32_t) { arrange::yuxuan(d); }},
    {L"circle", [](DesktopIconView& d, std::int32_t) { arrange::p_Circle(d); }},
};

// Where `figure` leaves the icons on a monitor of `size` whose corner lies `shift` from
// the view's origin: laid out on the in-memory desktop of that size, then moved, cut to
// 16 bits as the view reads a position.
std::vector<Position> Expected(const Figure& figure, SIZE size, POINT shift,
                               int step = GetSystemMetrics(SM_CYICONSPACING)) {
  InMemoryDesktop shell(kIcons);
  shell.SetWorkArea(Rect{0, 0, size.cx, size.cy});
  shell.SetMetric(SystemMetric::IconSpacingY, GetSystemMetrics(SM_CYICONSPACING));
  DesktopIconView view(shell);
  figure.run(view, step);
  std::vector<Position> out;
  for (const DesktopIcon& icon : shell.icons()) {
    out.push_back({static_cast<std::int16_t>(icon.x + shift.x), static_cast<std::int16_t>(icon.y + shift.y)});
  }
  return out;
}

class TwoMonitors : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    try {
      const std::vector<RECT> monitors = MonitorRects();
      if (monitors.size() != 2 || !(Same(monitors[0], kPrimary) || Same(monitors[1], kPrimary)) ||
          !(Same(monitors[0], kLeft) || Same(monitors[1], kLeft))) {
        throw DriverError("needs a 640 x 480 primary with an 800 x 600 monitor left of it (tools/run-in-xephyr)");
      }
      desktop_ = std::make_unique<StandinDesktop>(StandinOptions{kIcons});
      view_ = std::make_unique<RemoteListView>(desktop_->list_view());
      data_ = std::make_unique<TempFolder>();
    } catch (const std::exception& e) {
      error_ = e.what();
    }
  }
  static void TearDownTestSuite() {
    view_.reset();
    desktop_.reset();
    data_.reset();
  }
  void SetUp() override { ASSERT_TRUE(error_.empty()) << error_; }

  static RemoteListView& view() { return *view_; }
  static Environment environment() { return DataFolderEnvironment(*data_); }
  // Every icon somewhere no figure puts one, on both monitors.
  static void Scatter() {
    for (int i = 0; i < kIcons; ++i) view().SetItemPosition(i, {3 + 113 * i, 301 + 7 * i});
  }
  static POINT ViewOrigin() {
    POINT origin{0, 0};
    ClientToScreen(view().window(), &origin);
    return origin;
  }

  static std::string error_;
  static std::unique_ptr<StandinDesktop> desktop_;
  static std::unique_ptr<RemoteListView> view_;
  static std::unique_ptr<TempFolder> data_;
};
std::string TwoMonitors::error_;
std::unique_ptr<StandinDesktop> TwoMonitors::desktop_;
std::unique_ptr<RemoteListView> TwoMonitors::view_;
std::unique_ptr<TempFolder> TwoMonitors::data_;

TEST_F(TwoMonitors, TheViewCoversBothAndEachMainWindowFigureLandsOnTheWindowsMonitor) {
  const POINT origin = ViewOrigin();
  ASSERT_EQ(origin.x, -800);
  ASSERT_EQ(origin.y, 0);
  Product product(environment());
  const struct {
    const char* what;
    RECT monitor;
  } monitors[] = {{"primary", kPrimary}, {"left", kLeft}};
  for (const auto& m : monitors) {
    SCOPED_TRACE(m.what);
    const HWND main = product.main_window();
    ASSERT_TRUE(SetWindowPos(main, nullptr, m.monitor.left + 20, m.monitor.top + 20, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE));
    // The work area of the primary is the whole monitor here: there is no taskbar.
    const SIZE size{m.monitor.right - m.monitor.left, m.monitor.bottom - m.monitor.top};
    const POINT shift{m.monitor.left - origin.x, m.monitor.top - origin.y};
    const Figure* previous = &kFigures[std::size(kFigures) - 1];
    for (const Figure& figure : kFigures) {
      SCOPED_TRACE(std::string(figure.caption, figure.caption + wcslen(figure.caption)));
      Scatter();
      product.Run(figure.caption, previous->caption);
      EXPECT_EQ(view().Positions(), Expected(figure, size, shift));
      previous = &figure;
    }
  }

  // The test window's figures go where it lies too: its "alignRight", AlignRight(77),
  // with the window on the left monitor and the main window on the primary.
  ASSERT_TRUE(SetWindowPos(product.main_window(), nullptr, 20, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE));
  const TestBench bench(product.process().id());
  bench.Show();
  ASSERT_TRUE(SetWindowPos(bench.window(), nullptr, kLeft.left + 10, kLeft.top + 10, 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE));
  Scatter();
  bench.Click(L"alignRight");
  EXPECT_EQ(view().Positions(), Expected(kFigures[1], {800, 600}, {kLeft.left - origin.x, kLeft.top - origin.y}, 77));
}

TEST_F(TwoMonitors, TheCommandLineUsesThePrimaryOrTheMonitorNamed) {
  const CommandResult listed = RunProductCommand({L"monitors"}, environment());
  EXPECT_EQ(listed.exit_code, 0u) << listed;
  EXPECT_EQ(Chomped(listed.out),
            "1\t640x480\tat 0,0\twork area 640x480 at 0,0\t96 dpi\tprimary\r\n"
            "2\t800x600\tat -800,0\twork area 800x600 at -800,0\t96 dpi");

  const POINT origin = ViewOrigin();
  const struct {
    std::vector<std::wstring> arguments;
    RECT monitor;
  } cases[] = {
      {{L"figure", L"left"}, kPrimary},
      {{L"figure", L"left", L"--monitor", L"2"}, kLeft},
      {{L"figure", L"bottom", L"--monitor", L"1"}, kPrimary},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.size());
    Scatter();
    const CommandResult result = RunProductCommand(c.arguments, environment());
    ASSERT_EQ(result.exit_code, 0u) << result;
    const Figure& figure = c.arguments[1] == L"left" ? kFigures[0] : kFigures[3];
    EXPECT_EQ(view().Positions(), Expected(figure, {c.monitor.right - c.monitor.left, c.monitor.bottom - c.monitor.top},
                                           {c.monitor.left - origin.x, c.monitor.top - origin.y}));
  }

  const std::vector<Position> before = view().Positions();
  const CommandResult unknown = RunProductCommand({L"figure", L"left", L"--monitor", L"3"}, environment());
  EXPECT_EQ(unknown.exit_code, 2u) << unknown;
  EXPECT_NE(unknown.err.find("there is no monitor 3"), std::string::npos) << unknown;
  EXPECT_EQ(view().Positions(), before);
}

TEST_F(TwoMonitors, ALayoutSpreadOverBothComesBackInScreenCoordinates) {
  std::vector<Position> placed;
  for (int i = 0; i < kIcons; ++i) {
    // Half on the left monitor, half on the primary, in the view's coordinates.
    placed.push_back(i < kIcons / 2 ? Position{40 + 110 * i, 50 + 30 * i}
                                    : Position{830 + 90 * (i - 6), 60 + 30 * (i - 6)});
    view().SetItemPosition(i, placed.back());
  }
  const CommandResult saved = RunProductCommand({L"layout", L"save", L"both"}, environment());
  ASSERT_EQ(saved.exit_code, 0u) << saved;
  // The file holds the screen's coordinates: the first icon lies 760 pixels left of the primary.
  EXPECT_NE(FileText(data_->path() / "layouts" / "both.json").find("\"x\":-760,\"y\":50"), std::string::npos);
  const CommandResult listed = RunProductCommand({L"layout", L"list"}, environment());
  EXPECT_NE(listed.out.find("both\t640x480 + 800x600 left at 96 dpi\t12 icons"), std::string::npos) << listed;

  Scatter();
  const CommandResult restored = RunProductCommand({L"layout", L"restore", L"both"}, environment());
  ASSERT_EQ(restored.exit_code, 0u) << restored;
  EXPECT_EQ(Chomped(restored.out), "Restored 12 icons.");
  EXPECT_EQ(view().Positions(), placed);
}

}  // namespace
}  // namespace vandrel::e2e
