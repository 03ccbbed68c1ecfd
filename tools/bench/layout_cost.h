// What a snapshot and a restore cost under Wine, each against its floor:
//   snapshot: the product's one-pass read of the whole desktop, against the same reads
//     sent by the benchmark itself (LVM_GETITEMPOSITION and LVM_GETITEMTEXTA an icon,
//     into a block allocated beforehand, and one read of that block back);
//   restore: the product's restore of a layout, given the snapshot taken just before it
//     (as every restore takes one), against the same placements sent bare.
// Also the cost of what runs before every figure (snapshot, history entry written), so
// that a figure's own part can be told from its click.
#pragma once

#include <vector>

namespace vandrel::bench {

struct LayoutCostOptions {
  int icons = 1000;
  int repeats = 5;
};

// Seconds, one entry per run.
struct LayoutCost {
  int icons = 0;
  int runs = 0;
  std::vector<double> snapshot;
  std::vector<double> snapshot_floor;
  std::vector<double> restore;
  std::vector<double> restore_floor;
  std::vector<double> before_change;  // snapshot + history entry + its file, as before a figure
};

// Starts a stand-in desktop of `icons` icons with cheap painting; checks that every
// snapshot reads what the floor reads and every restore lays exactly the layout.
// Throws DriverError when something does not start, answer or land.
LayoutCost MeasureLayoutCost(const LayoutCostOptions& options);

}  // namespace vandrel::bench
