// What `vandrel ARGS...` asks for, read from the arguments alone: no desktop, no files.
// Kept apart from running the command so that the table of commands can be checked
// natively.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/figure_arguments.h"

namespace vandrel::cli {

enum class Action {
  SaveLayout,
  RestoreLayout,
  ListLayouts,
  DeleteLayout,
  Undo,
  Redo,
  Figure,
  ListMonitors,
  Watch,
  StopWatching,
  Doctor,
};

enum class Figure { Left, Right, Top, Bottom, Sine, Cosine, Circle, Cross, Walk, Rings, RedLabels };

// What a figure takes from the command line, and what it gets when the option is left out.
enum class FigureArgument {
  None,
  Step,         // --step; left out: the icon spacing, as the main window passes it
  FixedStep,    // --step; left out: kTestWindowStep, as the test window passes it
  Radius,       // --radius; left out: the main window's own circle
  RingsRadius,  // --radius; left out: kTestWindowRadius
};


struct FigureRow {
  Figure figure;
  std::string_view name;
  FigureArgument argument;
};
inline constexpr FigureRow kFigures[] = {
    {Figure::Left, "left", FigureArgument::Step},         {Figure::Right, "right", FigureArgument::Step},
    {Figure::Top, "top", FigureArgument::Step},           {Figure::Bottom, "bottom", FigureArgument::Step},
    {Figure::Sine, "sine", FigureArgument::None},         {Figure::Cosine, "cosine", FigureArgument::None},
    {Figure::Circle, "circle", FigureArgument::Radius},   {Figure::Cross, "cross", FigureArgument::FixedStep},
    {Figure::Walk, "walk", FigureArgument::FixedStep},    {Figure::Rings, "rings", FigureArgument::RingsRadius},
    {Figure::RedLabels, "red-labels", FigureArgument::None},
};

struct Command {
  Action action = Action::ListLayouts;
  std::optional<std::string> name;  // UTF-8; a layout's
  Figure figure = Figure::Left;
  std::optional<std::int32_t> step;
  std::optional<std::int32_t> radius;
  std::optional<std::int32_t> monitor;  // --monitor; left out: the primary
  bool no_undo = false;                 // --no-undo: change the desktop without keeping an undo copy
  bool replace = false;                 // --replace: save over a layout of the same name
};

// `vandrel --no-undo` alone: the window, keeping no undo copies (the figure benchmark).
inline constexpr char kNoUndoOption[] = "--no-undo";

// The outcome of reading the arguments: a command to run, or text to print and an exit
// status (0 after --help or --version, 2 after a bad usage, its reason in `error`).
struct ParsedCommandLine {
  std::optional<Command> command;
  int exit_status = 0;
  std::string output;  // UTF-8, lines ending in '\n'
  std::string error;
};

inline constexpr int kBadUsage = 2;

// `arguments` are UTF-8, without the program's name.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments, std::string_view version);

}  // namespace vandrel::cli
