// Icons in straight lines along one edge of the work area: columns from the left or
// right edge, rows from the top edge, or rows lowered against the bottom edge. The
// step a is the distance between neighbouring icons along a line and between lines;
// a line takes icons while a * place <= its bound (H for columns, W for rows).
#pragma once

#include <cstdint>

#include "desktop/desktop_icon_view.h"

namespace vandrel::arrange {

void AlignLeft(DesktopIconView& desktop, std::int32_t a);
void AlignRight(DesktopIconView& desktop, std::int32_t a);
void AlignTop(DesktopIconView& desktop, std::int32_t a);
void AlignBottom(DesktopIconView& desktop, std::int32_t a);

}  // namespace vandrel::arrange
