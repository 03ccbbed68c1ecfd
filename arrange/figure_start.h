// How every figure begins: it takes the desktop view, reads the work area, then asks
// the view for its icon count, in that order and afresh for each run.
#pragma once

#include <cstdint>

#include "desktop/desktop_icon_view.h"

namespace vandrel::arrange {

struct FigureStart {
  WindowHandle view;
  std::int32_t width;   // W = right - left; positions are measured from 0
  std::int32_t height;  // H = bottom - top
  std::int32_t count;   // n, as the view answers it; no icon is placed when n <= 0
};

FigureStart BeginFigure(DesktopIconView& desktop);

}  // namespace vandrel::arrange
