// Every figure as the product's windows run it, with the arguments they give: the
// main window's step is the icon spacing (75 in the benchmarks), the test window's
// 77 and its circle's radius 350.
#pragma once

#include <cstdint>

#include "arrange/circle_figures.h"
#include "arrange/cross_figures.h"
#include "arrange/line_figures.h"
#include "arrange/wave_figures.h"
#include "desktop/desktop_icon_view.h"

namespace vandrel::bench {

inline constexpr std::int32_t kIconSpacing = 75;

struct Figure {
  const char* name;
  void (*run)(DesktopIconView&);
  // False for the figures that may stop before the last icon: RingCircle runs out of
  // radius, huanrao's walk may end early.
  bool places_every_icon;
};

// huanrao gets 0, the smallest step a caller can accept: the test window's 77 refuses
// every desktop of more than 41 icons and places nothing.
inline constexpr Figure kFigures[] = {
    {"AlignLeft", [](DesktopIconView& d) { arrange::AlignLeft(d, kIconSpacing); }, true},
    {"AlignRight", [](DesktopIconView& d) { arrange::AlignRight(d, kIconSpacing); }, true},
    {"AlignTop", [](DesktopIconView& d) { arrange::AlignTop(d, kIconSpacing); }, true},
    {"AlignBottom", [](DesktopIconView& d) { arrange::AlignBottom(d, kIconSpacing); }, true},
    {"zhengxuan", [](DesktopIconView& d) { arrange::zhengxuan(d); }, true},
    {"yuxuan", [](DesktopIconView& d) { arrange::yuxuan(d); }, true},
    {"p_Circle", [](DesktopIconView& d) { arrange::p_Circle(d); }, true},
    {"Circle", [](DesktopIconView& d) { arrange::Circle(d, 350); }, true},
    {"RingCircle", [](DesktopIconView& d) { arrange::RingCircle(d, 350); }, false},
    {"shizi", [](DesktopIconView& d) { arrange::shizi(d, 77); }, true},
    {"huanrao", [](DesktopIconView& d) { arrange::huanrao(d, 0); }, false},
};

}  // namespace vandrel::bench
