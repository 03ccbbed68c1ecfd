// The figure operations as the two window classes carry them, under their own names.
// The main window and the test window both derive from FigureHost, so one
// implementation serves both and the same click sends the same messages from either.
#pragma once

#include <cstdint>

#include "arrange/cross_figures.h"
#include "arrange/line_figures.h"
#include "arrange/wave_figures.h"
#include "desktop/desktop_icon_view.h"
#include "desktop/readouts.h"

namespace vandrel {

class FigureHost {
 public:
  explicit FigureHost(DesktopIconView& desktop) : desktop_(desktop) {}

  WindowHandle GetDesktopListView() { return desktop_.GetDesktopListView(); }
  void SetTextColor(std::uint32_t text_colour, std::uint32_t background_colour) {
    desktop_.SetTextColor(text_colour, background_colour);
  }

  void AlignLeft(std::int32_t a) { arrange::AlignLeft(desktop_, a); }
  void AlignRight(std::int32_t a) { arrange::AlignRight(desktop_, a); }
  void AlignTop(std::int32_t a) { arrange::AlignTop(desktop_, a); }
  void AlignBottom(std::int32_t a) { arrange::AlignBottom(desktop_, a); }
  void zhengxuan() { arrange::zhengxuan(desktop_); }
  void shizi(std::int32_t p) { arrange::shizi(desktop_, p); }
  void huanrao(std::int32_t p) { arrange::huanrao(desktop_, p); }

  // The metric read-out in a message box.
  void width_height() { desktop_.ShowMessage(IconMetricsText(desktop_)); }

 protected:
  DesktopIconView& desktop_;
};

}  // namespace vandrel
