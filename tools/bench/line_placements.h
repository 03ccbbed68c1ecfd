// What the main window's "left", "right" and "top" send, computed by the figures themselves
// against a desktop that only answers and records: the benchmark replays the very
// same placements to the list view to time the floor the product is held to.
#pragma once

#include <cstdint>
#include <vector>

#include "desktop/desktop_port.h"

namespace vandrel::bench {

enum class LineFigure { Left, Right, Top };

// The packed position of items 0, 1, ... n - 1, in the order the figure sends them.
// Throws when the figure does not send exactly one placement per icon, in order.
std::vector<std::uint32_t> LinePlacements(LineFigure figure, Rect work_area, std::int32_t icon_spacing,
                                          std::int32_t icons);

}  // namespace vandrel::bench
