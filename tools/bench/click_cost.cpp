#include "click_cost.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "bench_clock.h"
#include "driver_error.h"
#include "floor_block.h"
#include "line_placements.h"
#include "product.h"
#include "product_clicks.h"
#include "remote_list_view.h"
#include "standin_desktop.h"
#include "temp_folder.h"

namespace vandrel::bench {
namespace {

using e2e::DriverError;
using e2e::RemoteListView;

std::vector<std::filesystem::path> FilesIn(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> files;
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    files.push_back(it->path());
  }
  return files;
}

void ExpectEntries(const std::filesystem::path& history, std::size_t want, const char* what) {
  const std::vector<std::filesystem::path> files = FilesIn(history);
  if (files.size() == want) return;
  std::string names;
  for (const auto& file : files) names += " " + file.filename().string();
  throw DriverError(std::string(what) + " left " + std::to_string(files.size()) + " files in the history, not " +
                    std::to_string(want) + ":" + names);
}

// The history as a session finds it before its first change here: empty. Listed
// first, then removed: a folder listed while it loses files may skip some.
void EmptyHistory(const std::filesystem::path& data) {
  for (const char* stack : {"history", "redo"}) {
    for (const auto& file : FilesIn(data / stack)) {
      std::error_code error;
      std::filesystem::remove(file, error);
      if (error) throw DriverError("cannot remove " + file.string() + ": " + error.message());
    }
  }
}

}  // namespace

ClickCost MeasureClickCost(const ClickCostOptions& options) {
  ClickCost cost;
  cost.icons = options.icons;

  e2e::StandinDesktop desktop({.icons = options.icons, .layout = L"progman", .cheap_paint = true});
  const RemoteListView view(desktop.list_view());
  const HWND list = view.window();
  if (view.ItemCount() != options.icons) throw DriverError("the stand-in holds another number of icons");
  const e2e::TempFolder data;
  const std::filesystem::path history = data.path() / "history";
  // As a user starts it: every change keeps its undo copy.
  e2e::Product product(e2e::DataFolderEnvironment(data));
  Settle(product);

  const HWND left = product.Button(L"left");
  const HWND top = product.Button(L"top");
  if (left == nullptr || top == nullptr) throw DriverError("vandrel.exe has no \"left\" or \"top\" button");

  const RECT area = e2e::WorkArea();
  const Rect work_area{area.left, area.top, area.right, area.bottom};
  const int spacing = GetSystemMetrics(SM_CYICONSPACING);
  const auto right_at = LinePlacements(LineFigure::Right, work_area, spacing, options.icons);
  const auto left_at = LinePlacements(LineFigure::Left, work_area, spacing, options.icons);
  const auto top_at = LinePlacements(LineFigure::Top, work_area, spacing, options.icons);
  FloorBlock floor(list, options.icons);

  // A click that comes before the window's posted FormShow runs it first, with its own
  // undo entry (the stand-in starts with auto-arrange on): one pair of clicks for that.
  Click(left, "left");
  Click(top, "top");

  // Once untimed, every icon checked: the clicks timed below lay what the floor replays.
  Replay(list, right_at);
  EmptyHistory(data.path());
  Click(left, "left");
  ExpectPlaced(view, left_at, AllOf(left_at.size()), "\"left\" (checked in full)");
  Click(top, "top");
  ExpectPlaced(view, top_at, AllOf(top_at.size()), "\"top\" (checked in full)");
  ExpectEntries(history, 2, "two clicks");

  const std::function<void()> kinds[] = {
      [&] {
        Replay(list, right_at);
        EmptyHistory(data.path());
        Settle(product);
        Stopwatch watch;
        Click(left, "left");
        cost.first.push_back(watch.Seconds());
        ExpectPlaced(view, left_at, SampleOf(left_at.size()), "\"left\"");
        Settle(product);
        watch.Restart();
        Click(top, "top");
        cost.second.push_back(watch.Seconds());
        ExpectPlaced(view, top_at, SampleOf(top_at.size()), "\"top\"");
        ExpectEntries(history, 2, "two clicks");
      },
      [&] {
        Replay(list, right_at);
        Settle(product);
        Stopwatch watch;
        floor.Read(list);
        Replay(list, left_at);
        cost.first_floor.push_back(watch.Seconds());
        ExpectPlaced(view, left_at, SampleOf(left_at.size()), "the floor's \"left\"");
        Sleep(20);
        watch.Restart();
        floor.Read(list);
        Replay(list, top_at);
        cost.second_floor.push_back(watch.Seconds());
        ExpectPlaced(view, top_at, SampleOf(top_at.size()), "the floor's \"top\"");
      },
  };
  constexpr int kKinds = static_cast<int>(std::size(kinds));
  cost.runs = std::max(options.repeats, (kPlacementsPerKind + options.icons - 1) / options.icons);
  for (int run = 0; run < cost.runs; ++run) {
    for (int k = 0; k < kKinds; ++k) kinds[(run + k) % kKinds]();
  }
  return cost;
}

}  // namespace vandrel::bench
