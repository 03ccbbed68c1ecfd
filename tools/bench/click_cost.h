// What a user waits for when a figure's button is clicked: the product as it runs by
// default, keeping an undo copy (the change lock, a read of the whole desktop, its
// history entry written, the figure, the hand-over to the shell's folder view), against
// the floor of the same reads and placements sent bare by the benchmark.
#pragma once

#include <vector>

namespace vandrel::bench {

struct ClickCostOptions {
  int icons = 1000;
  int repeats = 5;
};

// Seconds, one entry per run. Each run starts from the same icon positions and an empty
// undo history, as a session's first change does; the second click finds the entry of
// the first.
struct ClickCost {
  int icons = 0;
  int runs = 0;
  std::vector<double> first;        // BM_CLICK on "left" to its return
  std::vector<double> first_floor;  // the same reads, then the same placements
  std::vector<double> second;       // then BM_CLICK on "top"
  std::vector<double> second_floor;
};

// Starts a stand-in desktop of `icons` icons with cheap painting and vandrel.exe beside
// it in a data folder of its own; checks that the clicks lay exactly the positions the
// floor replays and that each keeps its undo entry.
// Throws DriverError when a program does not start or answer, or a figure lands wrong.
ClickCost MeasureClickCost(const ClickCostOptions& options);

}  // namespace vandrel::bench
