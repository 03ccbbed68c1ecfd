#include "arrange/figure_start.h"

#include "arrange/numeric.h"

namespace vandrel::arrange {

FigureStart BeginFigure(DesktopIconView& desktop) {
  const WindowHandle view = desktop.GetDesktopListView();
  const Rect area = desktop.WorkArea();
  const std::int32_t width = numeric::WrapSub(area.right, area.left);
  const std::int32_t height = numeric::WrapSub(area.bottom, area.top);
  return {view, width, height, desktop.GetItemCount(view)};
}

}  // namespace vandrel::arrange
