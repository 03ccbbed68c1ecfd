#include "line_placements.h"

#include <stdexcept>
#include <string>
#include <utility>

#include "arrange/line_figures.h"
#include "bench/desktop_stub.h"

namespace vandrel::bench {
namespace {

class CapturingDesktop : public DesktopStub {
 public:
  using DesktopStub::DesktopStub;

  std::intptr_t Send(WindowHandle window, std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam) override {
    if (message != lvm::kSetItemPosition) return DesktopStub::Send(window, message, wparam, lparam);
    // A replay sends item i as the i-th message; anything else would time another figure.
    if (wparam != placements_.size()) {
      throw std::logic_error("the figure placed item " + std::to_string(wparam) + " where item " +
                             std::to_string(placements_.size()) + " was due");
    }
    placements_.push_back(static_cast<std::uint32_t>(lparam));
    return 0;
  }

  std::vector<std::uint32_t> placements_;
};

}  // namespace

std::vector<std::uint32_t> LinePlacements(LineFigure figure, Rect work_area, std::int32_t icon_spacing,
                                          std::int32_t icons) {
  CapturingDesktop port(icons, work_area, icon_spacing);
  DesktopIconView desktop(port);
  // The main window's step is the icon spacing (SM_CYICONSPACING), as RadioButton3Click
  // to RadioButton5Click pass it.
  switch (figure) {
    case LineFigure::Left: arrange::AlignLeft(desktop, icon_spacing); break;
    case LineFigure::Right: arrange::AlignRight(desktop, icon_spacing); break;
    case LineFigure::Top: arrange::AlignTop(desktop, icon_spacing); break;
  }
  if (port.placements_.size() != static_cast<std::size_t>(icons < 0 ? 0 : icons)) {
    throw std::logic_error("the figure placed " + std::to_string(port.placements_.size()) + " of " +
                           std::to_string(icons) + " icons");
  }
  return std::move(port.placements_);
}

}  // namespace vandrel::bench
