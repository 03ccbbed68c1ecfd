// Icons on circles around the middle of the work area. Angle 0 points straight down
// (x = cx + r sin a, y = cy + r cos a), so Circle runs counter-clockwise on the screen
// from its lowest point, and a ring of PlaceRing clockwise, ending at its lowest point.
#pragma once

#include <cstdint>

#include "desktop/desktop_icon_view.h"

namespace vandrel::arrange {

// Main window: every icon on one circle whose centre sits 30 pixels above the middle
// of the work area, as large as fits above that centre and across half the width.
void p_Circle(DesktopIconView& desktop);

// Test window: every icon on one circle around the middle of the work area, with the
// given radius or, when that does not fit, half the width or height.
void Circle(DesktopIconView& desktop, std::int32_t radius);

// Items first..last, evenly on one ring of the given radius around (cx, cy), sent to
// `view`. Nothing is placed when last < first.
void PlaceRing(DesktopIconView& desktop, std::int32_t radius, std::int32_t first, std::int32_t last, std::int32_t cx,
               std::int32_t cy, WindowHandle view);

// Concentric rings from the given radius inwards, each holding as many icons as fit
// about half the icon spacing apart, the next one smaller by the spacing plus 20.
// A modal message follows every ring; the run ends when the radius falls below the
// spacing. When the first ring would hold more than every icon, this is Circle.
void RingCircle(DesktopIconView& desktop, std::int32_t radius);

}  // namespace vandrel::arrange
