// What the click benchmarks do to the product and the stand-in alike: click a button
// and wait for its return, send placements bare, check where the icons are, and let
// the product settle between timed runs.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "product.h"
#include "remote_list_view.h"

namespace vandrel::bench {

// A figure of thousands of icons under Wine takes seconds; a hang should still end
// the run rather than the machine's patience.
inline constexpr UINT kClickLimitMs = 300000;
// A run of 100 icons lasts a few milliseconds, where one stray wake-up of another
// process shows: smaller desktops are run until each kind has sent about this many
// placements.
inline constexpr int kPlacementsPerKind = 20000;

// BM_CLICK, waiting for the handler to return.
void Click(HWND button, const char* caption);
// One synchronous LVM_SETITEMPOSITION an icon, from this thread.
void Replay(HWND view, const std::vector<std::uint32_t>& placements);
// Throws DriverError naming `what` unless each icon of `indices` is where `placements`
// put it, read back as the list view holds it: each coordinate a signed 16-bit value.
void ExpectPlaced(const e2e::RemoteListView& view, const std::vector<std::uint32_t>& placements,
                  const std::vector<std::size_t>& indices, const char* what);
std::vector<std::size_t> AllOf(std::size_t count);
// The first, middle and last icon: enough to tell a click that did its work.
std::vector<std::size_t> SampleOf(std::size_t count);
// Lets the product finish what a click left behind (repainting its radio buttons)
// before the next timed run, so that it does not compete with it for the CPU.
void Settle(e2e::Product& product);

}  // namespace vandrel::bench
