// One figure of vandrel.exe, click to return, against the floor: the same placements
// sent by the benchmark itself to the same list view, one synchronous cross-process
// LVM_SETITEMPOSITION per icon and nothing else.
#pragma once

#include <vector>

namespace vandrel::bench {

struct FigureCostOptions {
  int icons = 1000;
  // At least this many runs of each kind; small desktops get more (see runs below).
  int repeats = 5;
  int round_trips = 2000;
};

// Seconds, one entry per run; every kind of run starts from the same icon positions,
// and the kinds of one run follow each other closely.
struct FigureCost {
  int icons = 0;
  int runs = 0;
  std::vector<double> click;                     // BM_CLICK on "left", the selection moving from "right"
  std::vector<double> floor;                     // SendMessageW(LVM_SETITEMPOSITION) per icon
  std::vector<double> floor_as_product;          // SendMessageTimeoutA as the product's port sends
  std::vector<double> floor_from_window_thread;  // SendMessageW from a thread owning a window
  std::vector<double> idle_click;                // BM_CLICK on the selected "left": no figure runs
  std::vector<double> round_trips;               // one LVM_GETITEMCOUNT each
  // What every figure does before its first placement (view lookup, work area, count),
  // through the product's own port, from the benchmark's process.
  std::vector<double> figure_start;
};

// Starts a stand-in desktop of `icons` icons with cheap painting and vandrel.exe beside
// it, and checks that the clicks lay exactly the positions replayed as the floor.
// Throws DriverError when a program does not start or answer, or a figure lands wrong.
FigureCost MeasureFigureCost(const FigureCostOptions& options);

}  // namespace vandrel::bench
