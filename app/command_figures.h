// The command line's figures, one row each: the name, the option it takes, what it
// gets when the option is left out, and the call that lays it out. The same rows make
// the parser, the help's list of figures and the run, so none of them can name a
// figure the others do not know.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string_view>

#include "app/command_line.h"
#include "desktop/desktop_port.h"
#include "ui/figure_arguments.h"
#include "ui/figure_host.h"

namespace vandrel::cli {

// Every figure of both windows, from the one implementation they share.
class CommandLineFigures : public FigureHost {
 public:
  using FigureHost::FigureHost;
  using FigureHost::Circle;
  using FigureHost::p_Circle;
  using FigureHost::RingCircle;
  using FigureHost::yuxuan;
  // What the main window passes its line figures as their step.
  std::int32_t IconSpacing() { return desktop_.Metric(SystemMetric::IconSpacingY); }
};

enum class FigureOption { None, Step, Radius };
using FigureValue = std::optional<std::int32_t>;

struct FigureRow {
  Figure figure;
  std::string_view name;
  FigureOption option;
  // What the figure gets when the option is left out; nullopt leaves the choice to the
  // call, and `own_default` tells the help what it chooses.
  FigureValue default_value;
  std::string_view own_default;
  // The option's value (or its default) goes in as `value`.
  void (*call)(CommandLineFigures& figures, FigureValue value);
};

// Rows next to each other with the same option and default share one note in the help.
inline constexpr FigureRow kFigures[] = {
    {Figure::Left, "left", FigureOption::Step, std::nullopt, ", default: the system's icon spacing",
     [](CommandLineFigures& f, FigureValue step) { f.AlignLeft(step.value_or(f.IconSpacing())); }},
    {Figure::Right, "right", FigureOption::Step, std::nullopt, ", default: the system's icon spacing",
     [](CommandLineFigures& f, FigureValue step) { f.AlignRight(step.value_or(f.IconSpacing())); }},
    {Figure::Top, "top", FigureOption::Step, std::nullopt, ", default: the system's icon spacing",
     [](CommandLineFigures& f, FigureValue step) { f.AlignTop(step.value_or(f.IconSpacing())); }},
    {Figure::Bottom, "bottom", FigureOption::Step, std::nullopt, ", default: the system's icon spacing",
     [](CommandLineFigures& f, FigureValue step) { f.AlignBottom(step.value_or(f.IconSpacing())); }},
    {Figure::Sine, "sine", FigureOption::None, std::nullopt, "",
     [](CommandLineFigures& f, FigureValue) { f.zhengxuan(); }},
    {Figure::Cosine, "cosine", FigureOption::None, std::nullopt, "",
     [](CommandLineFigures& f, FigureValue) { f.yuxuan(); }},
    {Figure::Circle, "circle", FigureOption::Radius, std::nullopt, "; without it the main window's circle",
     [](CommandLineFigures& f, FigureValue radius) {
       if (radius) {
         f.Circle(*radius);
       } else {
         f.p_Circle();
       }
     }},
    // The test window's figures, with the arguments its buttons hand them.
    {Figure::Cross, "cross", FigureOption::Step, kTestWindowStep, "",
     [](CommandLineFigures& f, FigureValue step) { f.shizi(step.value()); }},
    {Figure::Walk, "walk", FigureOption::Step, kTestWindowStep, "",
     [](CommandLineFigures& f, FigureValue step) { f.huanrao(step.value()); }},
    {Figure::Rings, "rings", FigureOption::Radius, kTestWindowRadius, "",
     [](CommandLineFigures& f, FigureValue radius) { f.RingCircle(radius.value()); }},
    {Figure::RedLabels, "red-labels", FigureOption::None, std::nullopt, "",
     [](CommandLineFigures& f, FigureValue) { f.SetTextColor(kRedLabels, kNoColour); }},
};
static_assert(std::size(kFigures) == static_cast<std::size_t>(Figure::RedLabels) + 1, "one row per figure");

}  // namespace vandrel::cli
