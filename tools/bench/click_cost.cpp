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

#include "arrange/numeric.h"
#include "bench_clock.h"
#include "driver_error.h"
#include "floor_block.h"
#include "line_placements.h"
#include "product.h"
#include "remote_list_view.h"
#include "standin_desktop.h"
#include "temp_folder.h"

namespace vandrel::bench {
namespace {

using e2e::DriverError;
using e2e::Position;
using e2e::RemoteListView;

// A click of thousands of icons under Wine takes seconds; a hang still ends the run.
constexpr UINT kClickLimitMs = 300000;
// Small desktops are run until each kind has placed about this many icons (see
// figure_cost.cpp: one stray wake-up shows in a run of a few milliseconds).
constexpr int kPlacementsPerKind = 20000;

void Click(HWND button, const char* caption) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_NORMAL, kClickLimitMs, &result)) {
    throw DriverError(std::string("the click on \"") + caption + "\" got no answer");
  }
}

void Replay(HWND view, const std::vector<std::uint32_t>& placements) {
  for (std::size_t i = 0; i < placements.size(); ++i) {
    SendMessageW(view, LVM_SETITEMPOSITION, i, static_cast<LPARAM>(placements[i]));
  }
}

void Expect(const RemoteListView& view, const std::vector<std::uint32_t>& placements, bool every_icon,
            const char* what) {
  const std::size_t n = placements.size();
  std::vector<std::size_t> indices = {0, n / 2, n - 1};
  if (every_icon) {
    indices.resize(n);
    for (std::size_t i = 0; i < n; ++i) indices[i] = i;
  }
  for (const std::size_t i : indices) {
    const Position want{numeric::PackedX(placements[i]), numeric::PackedY(placements[i])};
    if (view.ItemPosition(static_cast<int>(i)) != want) {
      throw DriverError(std::string(what) + ": icon " + std::to_string(i) + " is not where the figure puts it");
    }
  }
}

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

// Lets the product finish what a click left behind before the next timed run.
void Settle(e2e::Product& product) {
  WaitForInputIdle(product.process().handle(), 2000);
  Sleep(20);
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
  Expect(view, left_at, true, "\"left\" (checked in full)");
  Click(top, "top");
  Expect(view, top_at, true, "\"top\" (checked in full)");
  ExpectEntries(history, 2, "two clicks");

  const std::function<void()> kinds[] = {
      [&] {
        Replay(list, right_at);
        EmptyHistory(data.path());
        Settle(product);
        Stopwatch watch;
        Click(left, "left");
        cost.first.push_back(watch.Seconds());
        Expect(view, left_at, false, "\"left\"");
        Settle(product);
        watch.Restart();
        Click(top, "top");
        cost.second.push_back(watch.Seconds());
        Expect(view, top_at, false, "\"top\"");
        ExpectEntries(history, 2, "two clicks");
      },
      [&] {
        Replay(list, right_at);
        Settle(product);
        Stopwatch watch;
        floor.Read(list);
        Replay(list, left_at);
        cost.first_floor.push_back(watch.Seconds());
        Expect(view, left_at, false, "the floor's \"left\"");
        Sleep(20);
        watch.Restart();
        floor.Read(list);
        Replay(list, top_at);
        cost.second_floor.push_back(watch.Seconds());
        Expect(view, top_at, false, "the floor's \"top\"");
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
