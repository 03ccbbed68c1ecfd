// wine_bench: what vandrel.exe costs under Wine, against what Wine itself costs.
//   1. One figure ("left"), click to return, over the floor: the same placements sent
//      by this program to the same list view, one synchronous message per icon.
//   2. What the user waits for: a click of the product keeping its undo copy (snapshot,
//      history file, figure, hand-over to the folder view), the first and the second
//      of a session, over the same reads and placements sent bare.
//   3. A snapshot of the whole desktop and a restore of a layout, each over its floor:
//      the same reads, or the same placements, sent by this program.
//   4. Start-up to the visible main window, over a minimal Win32 window program.
// Runs in a virtual display beside the stand-in desktop (tools/run-benchmarks).
//   wine_bench.exe [--icons 100,1000,5000] [--repeats 5] [--round-trips 2000]
//                  [--startup-runs 15] [--only figures|layouts|startup]

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <sstream>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "click_cost.h"
#include "figure_cost.h"
#include "layout_cost.h"
#include "remote_list_view.h"
#include "startup_cost.h"

namespace vandrel::bench {
namespace {

constexpr double kFigureTarget = 1.10;
constexpr double kClickTarget = 1.10;
constexpr double kStartupTarget = 1.30;
constexpr double kSnapshotTarget = 1.25;
constexpr double kRestoreTarget = 1.20;

struct Options {
  std::vector<int> icons = {100, 1000, 5000};
  int repeats = 5;
  int round_trips = 2000;
  int startup_runs = 15;
  bool figures = true;
  bool layouts = true;
  bool startup = true;
};

bool ParseCount(const std::string& text, int low, int& out) {
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || value < low || value > 100000) return false;
  out = static_cast<int>(value);
  return true;
}

bool Parse(int argc, char** argv, Options& options, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    const std::string flag = argv[i];
    if (i + 1 >= argc) {
      error = "missing value after " + flag;
      return false;
    }
    const std::string value = argv[++i];
    bool good = true;
    if (flag == "--icons") {
      options.icons.clear();
      std::stringstream list(value);
      for (std::string item; good && std::getline(list, item, ',');) {
        int n = 0;
        good = ParseCount(item, 1, n);
        options.icons.push_back(n);
      }
      good = good && !options.icons.empty();
    } else if (flag == "--repeats") {
      good = ParseCount(value, 1, options.repeats);
    } else if (flag == "--round-trips") {
      good = ParseCount(value, 1, options.round_trips);
    } else if (flag == "--startup-runs") {
      good = ParseCount(value, 1, options.startup_runs);
    } else if (flag == "--only") {
      good = value == "figures" || value == "layouts" || value == "startup";
      options.figures = value == "figures";
      options.layouts = value == "layouts";
      options.startup = value == "startup";
    } else {
      error = "unknown option " + flag;
      return false;
    }
    if (!good) {
      error = "bad value for " + flag + ": " + value;
      return false;
    }
  }
  return true;
}

double Ms(double seconds) { return seconds * 1e3; }
double Us(double seconds) { return seconds * 1e6; }

// "[met] <what>: 1.042 x <against> (target at most 1.10)", or [MISSED] above the target.
std::string Verdict(const std::string& what, double ratio, const char* against, double target) {
  char line[160];
  std::snprintf(line, sizeof line, "%s %s: %.3f x %s (target at most %.2f)", ratio <= target ? "[met]" : "[MISSED]",
                what.c_str(), ratio, against, target);
  return line;
}

void PrintFigureCost(const FigureCost& c) {
  const double click = Median(c.click);
  const double floor = Median(c.floor);
  const double idle = Median(c.idle_click);
  const double as_product = Median(c.floor_as_product);
  const std::vector<double> ratios = Ratios(c.click, c.floor);
  const double ratio = Median(ratios);
  const double n = c.icons;
  std::printf("  %6d %9.2f %9.2f %6.3f %9.1f %9.1f %8.2f %8.2f %7.3f %7.3f\n", c.icons, Ms(click), Ms(floor), ratio,
              Us(floor) / n, Us(click - floor) / n, Ms(idle), Ms(Median(c.figure_start)), as_product / floor,
              Median(c.floor_from_window_thread) / floor);
  std::printf(
      "         %d runs: ratio quartiles %.3f-%.3f, click %.2f-%.2f ms, floor %.2f-%.2f ms (fastest-slowest);\n"
      "         LVM_GETITEMCOUNT round trip %.1f us (median of %zu)\n",
      c.runs, Quantile(ratios, 0.25), Quantile(ratios, 0.75), Ms(Quantile(c.click, 0)), Ms(Quantile(c.click, 1)),
      Ms(Quantile(c.floor, 0)), Ms(Quantile(c.floor, 1)), Us(Median(c.round_trips)),
      c.round_trips.size());
}

bool RunFigures(const Options& options, std::vector<std::string>& verdicts) {
  std::printf(
      "Figure cost under Wine: \"left\", BM_CLICK to return, over the floor (the same placements sent by\n"
      "the benchmark, one SendMessageW(LVM_SETITEMPOSITION) per icon). Medians of at least %d runs; the\n"
      "ratio is the median of each run's click over that run's floor. The product keeps no undo history\n"
      "here, so the click is the figure's own part; the snapshot before a figure is timed with the layouts.\n",
      options.repeats);
  const RECT area = e2e::WorkArea();
  std::printf("Work area %ld x %ld, icon spacing %d, stand-in desktop with --cheap-paint.\n", area.right - area.left,
              area.bottom - area.top, GetSystemMetrics(SM_CYICONSPACING));
  std::printf("  %6s %9s %9s %6s %9s %9s %8s %8s %7s %7s\n", "icons", "click ms", "floor ms", "ratio", "floor us/i",
              "extra us/i", "idle ms", "start ms", "A-send", "GUI-thr");
  bool ok = true;
  for (const int icons : options.icons) {
    try {
      const FigureCost cost = MeasureFigureCost({icons, options.repeats, options.round_trips});
      PrintFigureCost(cost);
      const double ratio = Median(Ratios(cost.click, cost.floor));
      verdicts.push_back(
          Verdict("figure cost at " + std::to_string(icons) + " icons", ratio, "the floor", kFigureTarget));
    } catch (const std::exception& e) {
      std::printf("  %6d  failed: %s\n", icons, e.what());
      verdicts.push_back("[ERROR] figure cost at " + std::to_string(icons) + " icons: " + e.what());
      ok = false;
    }
    std::fflush(stdout);
  }
  std::printf(
      "  extra us/i: (click - floor) / icons. idle ms: a click on the selected \"left\", which runs no\n"
      "  figure. start ms: a figure's view lookup, work area and count, through the product's port.\n"
      "  A-send: the floor sent with SendMessageTimeoutA, as the product's port sends, over the floor.\n"
      "  GUI-thr: the floor sent from a thread that owns a visible window, as the product's, over the floor.\n");
  return ok;
}

bool RunClicks(const Options& options, std::vector<std::string>& verdicts) {
  std::printf(
      "\nWhat a user waits for under Wine: a click of vandrel.exe as it runs by default, keeping an undo copy\n"
      "(the change lock, a read of the whole desktop, its history file, the figure, the hand-over to the\n"
      "shell's folder view), BM_CLICK to return, over the floor: the same reads (as the snapshot's floor)\n"
      "and then the same placements, sent by the benchmark. Each run starts with an empty undo history:\n"
      "\"first\" clicks \"left\", \"second\" then \"top\". Medians of at least %d runs.\n",
      options.repeats);
  std::printf("  %6s %9s %9s %6s %9s %9s %6s\n", "icons", "1st ms", "floor ms", "ratio", "2nd ms", "floor ms", "ratio");
  bool ok = true;
  for (const int icons : options.icons) {
    try {
      const ClickCost c = MeasureClickCost({icons, options.repeats});
      const std::vector<double> first = Ratios(c.first, c.first_floor);
      const std::vector<double> second = Ratios(c.second, c.second_floor);
      std::printf("  %6d %9.2f %9.2f %6.3f %9.2f %9.2f %6.3f\n", icons, Ms(Median(c.first)), Ms(Median(c.first_floor)),
                  Median(first), Ms(Median(c.second)), Ms(Median(c.second_floor)), Median(second));
      std::printf("         %d runs: ratio quartiles first %.3f-%.3f, second %.3f-%.3f\n", c.runs,
                  Quantile(first, 0.25), Quantile(first, 0.75), Quantile(second, 0.25), Quantile(second, 0.75));
      const std::string at = " at " + std::to_string(icons) + " icons";
      verdicts.push_back(Verdict("first click with undo" + at, Median(first), "the floor", kClickTarget));
      verdicts.push_back(Verdict("second click with undo" + at, Median(second), "the floor", kClickTarget));
    } catch (const std::exception& e) {
      std::printf("  %6d  failed: %s\n", icons, e.what());
      verdicts.push_back("[ERROR] click with undo at " + std::to_string(icons) + " icons: " + e.what());
      ok = false;
    }
    std::fflush(stdout);
  }
  return ok;
}

bool RunLayouts(const Options& options, std::vector<std::string>& verdicts) {
  std::printf(
      "\nLayouts under Wine: the product's snapshot of the whole desktop over its floor (LVM_GETITEMPOSITION and\n"
      "LVM_GETITEMTEXTA an icon into a block allocated beforehand, one ReadProcessMemory), and its restore of a\n"
      "layout, given the snapshot taken before it, over the same placements sent bare. Medians of at least %d runs.\n",
      options.repeats);
  std::printf("  %6s %9s %9s %6s %9s %9s %6s %10s\n", "icons", "snap ms", "floor ms", "ratio", "restore ms",
              "floor ms", "ratio", "before ms");
  bool ok = true;
  for (const int icons : options.icons) {
    try {
      const LayoutCost c = MeasureLayoutCost({icons, options.repeats});
      const double snapshot_ratio = Median(Ratios(c.snapshot, c.snapshot_floor));
      const double restore_ratio = Median(Ratios(c.restore, c.restore_floor));
      std::printf("  %6d %9.2f %9.2f %6.3f %9.2f %9.2f %6.3f %10.2f\n", icons, Ms(Median(c.snapshot)),
                  Ms(Median(c.snapshot_floor)), snapshot_ratio, Ms(Median(c.restore)), Ms(Median(c.restore_floor)),
                  restore_ratio, Ms(Median(c.before_change)));
      const std::string at = " at " + std::to_string(icons) + " icons";
      verdicts.push_back(Verdict("snapshot" + at, snapshot_ratio, "the floor", kSnapshotTarget));
      verdicts.push_back(Verdict("restore" + at, restore_ratio, "the floor", kRestoreTarget));
    } catch (const std::exception& e) {
      std::printf("  %6d  failed: %s\n", icons, e.what());
      verdicts.push_back("[ERROR] layouts at " + std::to_string(icons) + " icons: " + e.what());
      ok = false;
    }
    std::fflush(stdout);
  }
  std::printf("  before ms: what runs before every figure: the snapshot, its history entry and file.\n");
  return ok;
}

bool RunStartup(const Options& options, std::vector<std::string>& verdicts) {
  std::printf(
      "\nStart-up under Wine: CreateProcess to a visible main window, medians of %d runs each, the two\n"
      "programs taking turns; the ratio is the median of each turn's vandrel.exe over its minimal program.\n",
      options.startup_runs);
  try {
    const StartupCost cost = MeasureStartup(options.startup_runs);
    const double product = Median(cost.product);
    const double minimal = Median(cost.minimal);
    std::printf("  %-20s %8.1f ms  (fastest %.1f, slowest %.1f)\n", "vandrel.exe", Ms(product),
                Ms(Quantile(cost.product, 0)), Ms(Quantile(cost.product, 1)));
    std::printf("  %-20s %8.1f ms  (fastest %.1f, slowest %.1f)\n", "minimal_window.exe", Ms(minimal),
                Ms(Quantile(cost.minimal, 0)), Ms(Quantile(cost.minimal, 1)));
    const std::vector<double> ratios = Ratios(cost.product, cost.minimal);
    const double ratio = Median(ratios);
    std::printf("  ratio %.3f (quartiles %.3f-%.3f)\n", ratio, Quantile(ratios, 0.25), Quantile(ratios, 0.75));
    verdicts.push_back(Verdict("start-up", ratio, "a minimal window program", kStartupTarget));
    return true;
  } catch (const std::exception& e) {
    std::printf("  failed: %s\n", e.what());
    verdicts.push_back(std::string("[ERROR] start-up: ") + e.what());
    return false;
  }
}

}  // namespace
}  // namespace vandrel::bench

int main(int argc, char** argv) {
  using namespace vandrel::bench;
  // Binary mode: the C runtime would end every line with "\r\n" in a Unix pipe.
  _setmode(_fileno(stdout), _O_BINARY);
  std::setvbuf(stdout, nullptr, _IONBF, 0);

  Options options;
  std::string error;
  if (!Parse(argc, argv, options, error)) {
    std::fprintf(stderr,
                 "wine_bench: %s\nusage: wine_bench.exe [--icons 100,1000,5000] [--repeats 5] "
                 "[--round-trips 2000] [--startup-runs 15] [--only figures|layouts|startup]\n",
                 error.c_str());
    return 2;
  }
  std::vector<std::string> verdicts;
  bool ok = true;
  if (options.figures) ok = RunFigures(options, verdicts) && ok;
  if (options.figures) ok = RunClicks(options, verdicts) && ok;
  if (options.layouts) ok = RunLayouts(options, verdicts) && ok;
  if (options.startup) ok = RunStartup(options, verdicts) && ok;
  std::printf("\n");
  for (const auto& line : verdicts) std::printf("%s\n", line.c_str());
  return ok ? 0 : 1;
}
