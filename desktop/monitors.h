// The monitors of the desktop and the one conversion between a monitor's frame and the
// shell's list view.
//
// A figure computes in its monitor's frame: positions from 0, the monitor's top-left
// corner, across the W and H of its work area. The shell's desktop list view covers the
// whole virtual screen, and its own (0, 0) is its client area's top-left corner, which
// lies left of or above the primary monitor whenever a monitor is placed there. A layout
// keeps screen coordinates, which stay put when a monitor comes or goes; only the list
// view speaks view coordinates.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "desktop/desktop_port.h"

namespace vandrel {

// The monitors numbered as the user sees them: number 1 (element 0) is the primary, the
// others follow left to right, then top to bottom.
std::vector<Monitor> NumberMonitors(std::vector<Monitor> monitors);

// The element of `numbered` that holds the larger part of `window`; 0 (the primary)
// when the window lies on none of them. A tie goes to the lower number.
std::size_t MonitorHolding(const std::vector<Monitor>& numbered, const Rect& window);

// What a point of the monitor at `corner` moves by to become a point of the view whose
// client area starts at `view_origin` (both in screen coordinates).
constexpr Point FrameShift(Point corner, Point view_origin) {
  // Wrapped as the 16-bit position the point travels in is: any overflow is cut there.
  return {static_cast<std::int32_t>(static_cast<std::uint32_t>(corner.x) - static_cast<std::uint32_t>(view_origin.x)),
          static_cast<std::int32_t>(static_cast<std::uint32_t>(corner.y) - static_cast<std::uint32_t>(view_origin.y))};
}

// A packed position moved by `shift`, cut to 16 bits a coordinate as PackPosition cuts:
// the same as packing (x + shift.x, y + shift.y). A shift of (0, 0) leaves it as it is.
constexpr std::uint32_t ShiftPacked(std::uint32_t packed, Point shift) {
  const std::uint32_t x = (packed + static_cast<std::uint32_t>(shift.x)) & 0xFFFFu;
  const std::uint32_t y = ((packed >> 16) + static_cast<std::uint32_t>(shift.y)) & 0xFFFFu;
  return x | (y << 16);
}

// A view point as a screen point, and back (32-bit, wrapping).
constexpr Point ViewToScreen(Point view_point, Point view_origin) {
  return {
      static_cast<std::int32_t>(static_cast<std::uint32_t>(view_point.x) + static_cast<std::uint32_t>(view_origin.x)),
      static_cast<std::int32_t>(static_cast<std::uint32_t>(view_point.y) + static_cast<std::uint32_t>(view_origin.y))};
}
constexpr Point ScreenToView(Point screen_point, Point view_origin) { return FrameShift(screen_point, view_origin); }

}  // namespace vandrel
