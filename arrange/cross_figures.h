// The two figures that take their step from the work area and the icon count
// rather than from the caller: a cross of columns from the horizontal middle, and a
// walk around the edge of the work area.
#pragma once

#include <cstdint>

#include "desktop/desktop_icon_view.h"

namespace vandrel::arrange {

// Columns that start at the horizontal middle and run right, each filled from the
// top edge down with the step s = round((W + H) / n); p is the distance between
// neighbouring columns. A column takes icons while s * place <= H.
void shizi(DesktopIconView& desktop, std::int32_t p);

// The icons clockwise around the edge: the top edge left to right, the right edge
// down, the bottom edge right to left, the left edge up, with the step
// s = round(2 (W + H) / (n + 4)). p is the smallest step the caller accepts: a
// smaller s moves nothing and says "应该多条曲线". A walk that reaches the top edge
// on its way up says how many icons it left where they were.
void huanrao(DesktopIconView& desktop, std::int32_t p);

}  // namespace vandrel::arrange
