// The figure operations as the two window classes carry them, under their own names:
// the windows' glue to arrange/. The main window and the test window both derive from
// FigureHost (and so does the command line), so one implementation serves all of them
// and the same click sends the same messages from either window.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>

#include "arrange/circle_figures.h"
#include "arrange/cross_figures.h"
#include "arrange/line_figures.h"
#include "arrange/wave_figures.h"
#include "desktop/desktop_icon_view.h"
#include "desktop/readouts.h"

namespace vandrel {

class FigureHost {
 public:
  explicit FigureHost(DesktopIconView& desktop) : desktop_(desktop) {}

  // Runs before every operation that moves icons or recolours their labels, so that
  // what it is about to change can be put back. What it returns is held until the
  // change has ended (the change lock); null leaves the change undone (the user would
  // not go on without an undo copy). An error it throws ends the handler unchanged.
  using BeforeChangeHook = std::function<std::shared_ptr<void>()>;
  void set_before_change(BeforeChangeHook before_change) { before_change_ = std::move(before_change); }
  // The monitor the figures go to: the one that holds the larger part of `window` (the
  // windows' own), or monitor `number` (the command line's; 1, the primary, by default).
  void set_monitor_window(WindowHandle window) { monitor_.window = window; }
  void set_monitor(std::int32_t number) { monitor_ = {number, 0}; }

  WindowHandle GetDesktopListView() { return desktop_.GetDesktopListView(); }
  void SetTextColor(std::uint32_t text_colour, std::uint32_t background_colour) {
    const std::shared_ptr<void> hold = BeforeChange();
    if (hold) desktop_.SetTextColor(text_colour, background_colour);
  }

  void AlignLeft(std::int32_t a) { Change([&] { arrange::AlignLeft(desktop_, a); }); }
  void AlignRight(std::int32_t a) { Change([&] { arrange::AlignRight(desktop_, a); }); }
  void AlignTop(std::int32_t a) { Change([&] { arrange::AlignTop(desktop_, a); }); }
  void AlignBottom(std::int32_t a) { Change([&] { arrange::AlignBottom(desktop_, a); }); }
  void zhengxuan() { Change([&] { arrange::zhengxuan(desktop_); }); }
  void shizi(std::int32_t p) { Change([&] { arrange::shizi(desktop_, p); }); }
  void huanrao(std::int32_t p) { Change([&] { arrange::huanrao(desktop_, p); }); }

  // The metric read-out in a message box.
  void width_height() { desktop_.ShowMessage(IconMetricsText(desktop_)); }

 protected:
  // The figures only one of the windows carries; each window makes its own public.
  void yuxuan() { Change([&] { arrange::yuxuan(desktop_); }); }
  void p_Circle() { Change([&] { arrange::p_Circle(desktop_); }); }
  void Circle(std::int32_t radius) { Change([&] { arrange::Circle(desktop_, radius); }); }
  void RingCircle(std::int32_t radius) { Change([&] { arrange::RingCircle(desktop_, radius); }); }

  DesktopIconView& desktop_;

 private:
  // Not null when the change may go ahead.
  std::shared_ptr<void> BeforeChange() {
    if (before_change_) return before_change_();
    return std::make_shared<int>(0);
  }
  // The snapshot first; then the figure, every message and box of its own as ever; then,
  // once it has ended well, the positions it left handed to the shell's folder view.
  template <class Figure>
  void Change(Figure&& figure) {
    const std::shared_ptr<void> hold = BeforeChange();
    if (!hold) return;
    DesktopIconView::Change change(desktop_);
    {
      // Closed before the hand-over: what that sends is in the view's own coordinates.
      const DesktopIconView::OnMonitor on_monitor(desktop_, monitor_);
      figure();
    }
    change.Finish();
  }

  BeforeChangeHook before_change_;
  DesktopIconView::MonitorChoice monitor_;
};

}  // namespace vandrel
