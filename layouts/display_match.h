// A layout and the display it meets: whether they are the same display, how a display of
// several monitors is named to the user, and where an icon goes whose saved place lies on
// no monitor here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "desktop/desktop_contents.h"

namespace vandrel::layouts {

// The same monitors, each with the same rectangle, work area and DPI, and the same one
// primary. A layout from before the monitors were kept matches as it always did: by the
// primary's work area, the screen size, the DPI and the count of monitors.
bool SameDisplay(const DisplayConfiguration& a, const DisplayConfiguration& b);

// "1920x1080 + 1280x1024 left": the primary's size, then each other monitor's with
// where it lies beside the primary. Empty for an empty list.
std::string DescribeMonitors(const std::vector<Monitor>& numbered);

// One line of `vandrel monitors`, tab-separated:
// "2\t800x600\tat -800,0\twork area 800x600 at -800,0\t96 dpi", and "\tprimary" on the primary's.
std::string MonitorLine(std::size_t number, const Monitor& monitor);

// Nothing when `place` (screen coordinates) lies on one of `monitors`; else the place
// nearest to it inside the work area of the monitor nearest to it, with the whole cell
// of `cell` pixels from there inside too (as much of it as fits). Nothing when there are
// no monitors.
std::optional<Point> PullIn(Point place, Point cell, const std::vector<Monitor>& monitors);

}  // namespace vandrel::layouts
