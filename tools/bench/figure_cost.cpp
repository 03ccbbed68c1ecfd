#include "figure_cost.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "arrange/figure_start.h"
#include "bench_clock.h"
#include "buttons.h"
#include "desktop/desktop_icon_view.h"
#include "desktop/win32_desktop_port.h"
#include "driver_error.h"
#include "line_placements.h"
#include "product.h"
#include "product_clicks.h"
#include "remote_list_view.h"
#include "standin_desktop.h"
#include "temp_folder.h"
#include "window_thread.h"

namespace vandrel::bench {
namespace {

using e2e::DriverError;
using e2e::RemoteListView;

// The product's own port: Win32DesktopPort::kAnswerLimitMs.
constexpr UINT kProductAnswerLimitMs = 3000;
constexpr int kFigureStarts = 200;

// The message as Win32DesktopPort::Send puts it: the ANSI entry, with a time limit.
void ReplayAsProduct(HWND view, const std::vector<std::uint32_t>& placements) {
  for (std::size_t i = 0; i < placements.size(); ++i) {
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(view, LVM_SETITEMPOSITION, i, static_cast<LPARAM>(placements[i]),
                        SMTO_NORMAL | SMTO_ABORTIFHUNG, kProductAnswerLimitMs, &answer);
  }
}

}  // namespace

FigureCost MeasureFigureCost(const FigureCostOptions& options) {
  FigureCost cost;
  cost.icons = options.icons;

  // Declared in this order so that the product ends first: it must not find the
  // view gone in the middle of something.
  e2e::StandinDesktop desktop({.icons = options.icons, .layout = L"progman", .cheap_paint = true});
  const RemoteListView view(desktop.list_view());
  // The product runs with --no-undo, in a data folder of its own: it then keeps no undo
  // history and reads nothing before a figure (it only takes the change lock), so that
  // the click times the figure alone. What the snapshot before a figure costs is
  // measured with the layouts.
  const e2e::TempFolder scratch;
  e2e::Product product({{L"VANDREL_DATA_DIR", scratch.path().wstring()}}, {L"--no-undo"});

  const HWND left = product.Button(L"left");
  const HWND right = product.Button(L"right");
  if (left == nullptr || right == nullptr) throw DriverError("vandrel.exe has no \"left\" or \"right\" button");
  if (view.ItemCount() != options.icons) {
    throw DriverError("the stand-in holds " + std::to_string(view.ItemCount()) + " icons, not " +
                      std::to_string(options.icons));
  }

  // The product reads the same work area and metric in its own process.
  const RECT area = e2e::WorkArea();
  const Rect work_area{area.left, area.top, area.right, area.bottom};
  const int spacing = GetSystemMetrics(SM_CYICONSPACING);
  const auto left_at = LinePlacements(LineFigure::Left, work_area, spacing, options.icons);
  const auto right_at = LinePlacements(LineFigure::Right, work_area, spacing, options.icons);

  // Once untimed, with every icon checked: what is timed below is the product laying
  // exactly the placements the floor replays.
  Click(right, "right");
  Click(left, "left");
  ExpectPlaced(view, left_at, AllOf(left_at.size()), "\"left\" (checked in full)");

  const std::vector<std::size_t> sample = SampleOf(left_at.size());
  const HWND list = view.window();

  // The product sends from its GUI thread, which owns windows: one kind of floor is
  // sent from such a thread too.
  WindowThread window_thread;

  // Each kind of run starts from the icons where "right" lays them: Wine's list view
  // skips the work of a placement that does not move its icon.
  const std::function<void()> kinds[] = {
      [&] {
        Click(right, "right");
        Settle(product);
        Stopwatch watch;
        Click(left, "left");
        cost.click.push_back(watch.Seconds());
        ExpectPlaced(view, left_at, sample, "\"left\"");
        Settle(product);
        watch.Restart();
        Click(left, "left");
        cost.idle_click.push_back(watch.Seconds());
      },
      [&] {
        Replay(list, right_at);
        Settle(product);
        Stopwatch watch;
        Replay(list, left_at);
        cost.floor.push_back(watch.Seconds());
        ExpectPlaced(view, left_at, sample, "the floor's replay");
      },
      [&] {
        Replay(list, right_at);
        Settle(product);
        Stopwatch watch;
        ReplayAsProduct(list, left_at);
        cost.floor_as_product.push_back(watch.Seconds());
        ExpectPlaced(view, left_at, sample, "the replay as the product sends");
      },
      [&] {
        window_thread.Run([&] {
          Replay(list, right_at);
          const Stopwatch watch;
          Replay(list, left_at);
          cost.floor_from_window_thread.push_back(watch.Seconds());
        });
        ExpectPlaced(view, left_at, sample, "the replay from a thread with a window");
      },
  };
  // The order turns from one repeat to the next, so that no kind always runs first
  // after the machine has been doing something else.
  constexpr int kKinds = static_cast<int>(std::size(kinds));
  cost.runs = std::max(options.repeats, (kPlacementsPerKind + options.icons - 1) / options.icons);
  for (int repeat = 0; repeat < cost.runs; ++repeat) {
    for (int k = 0; k < kKinds; ++k) kinds[(repeat + k) % kKinds]();
  }

  for (int i = 0; i < options.round_trips; ++i) {
    Stopwatch watch;
    SendMessageW(list, LVM_GETITEMCOUNT, 0, 0);
    cost.round_trips.push_back(watch.Seconds());
  }
  Win32DesktopPort port(u"wine_bench");
  DesktopIconView desktop_view(port);
  for (int i = 0; i < kFigureStarts; ++i) {
    Stopwatch watch;
    const arrange::FigureStart start = arrange::BeginFigure(desktop_view);
    cost.figure_start.push_back(watch.Seconds());
    if (reinterpret_cast<HWND>(start.view) != list || start.count != options.icons) {
      throw DriverError("the product's lookup found another view, or another count, from the benchmark");
    }
  }
  return cost;
}

}  // namespace vandrel::bench
