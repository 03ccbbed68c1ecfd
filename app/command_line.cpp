#include "app/command_line.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>
#include <iterator>
#include <sstream>
#include <string>

#include "app/command_figures.h"

namespace vandrel::cli {
namespace {

constexpr char kDescription[] =
    "Vandrel lays the desktop icons out in figures. Without arguments it opens its window;\n"
    "with a command it does that one job, writes what it did, and ends.";
constexpr char kFooter[] =
    "Every figure, and every restore, can be taken back with \"vandrel undo\", and an undo with \"vandrel redo\".\n"
    "Where no undo copy can be kept, a change is refused unless --no-undo is given;\n"
    "\"vandrel --no-undo\" alone opens the window keeping no undo copies.\n"
    "The names \"original\" and \"original N\" are kept for the originals Vandrel saves.\n"
    "Layouts live in %LOCALAPPDATA%\\Vandrel, or in the folder VANDREL_DATA_DIR names.\n"
    "Exit status: 0 done, 1 failed (the reason on stderr), 2 bad usage.";

// Decimal only: CLI11's own integers take a leading 0 for octal, and "--step 077"
// must not mean 63.
std::optional<std::int32_t> ParseInt32(std::string_view text) {
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (text.empty() || text.front() == '+' || text.front() == '-') return std::nullopt;
  }
  std::int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

ParsedCommandLine BadUsage(std::string reason) {
  ParsedCommandLine parsed;
  parsed.exit_status = kBadUsage;
  parsed.error = std::move(reason) + "\nRun \"vandrel --help\" to see the commands.\n";
  return parsed;
}

// "(--step, default 77)": the option a row takes and what it gets without it.
std::string OptionNote(const FigureRow& row) {
  if (row.option == FigureOption::None) return {};
  std::string note = row.option == FigureOption::Step ? "(--step" : "(--radius";
  note += row.default_value ? ", default " + std::to_string(*row.default_value) : std::string(row.own_default);
  return note + ")";
}

// "Figures: left, right, ...", every row once, each run of rows with the same note
// followed by it once, the lines broken between rows.
std::string FigureList() {
  // The widest line a row may end; the rest of the help keeps to about the same.
  constexpr std::size_t kWidth = 100;
  std::string text;
  std::string line = "Figures:";
  for (std::size_t i = 0; i < std::size(kFigures); ++i) {
    const FigureRow& row = kFigures[i];
    const bool last = i + 1 == std::size(kFigures);
    const std::string note = OptionNote(row);
    std::string item(row.name);
    if (!note.empty() && (last || OptionNote(kFigures[i + 1]) != note)) item += " " + note;
    item += last ? "." : ",";
    if (line.size() + 1 + item.size() > kWidth) {
      text += line + "\n";
      line = item;
    } else {
      line += " " + item;
    }
  }
  return text + line + "\n";
}

const FigureRow* FigureNamed(std::string_view name) {
  const auto row =
      std::find_if(std::begin(kFigures), std::end(kFigures), [name](const FigureRow& r) { return r.name == name; });
  return row != std::end(kFigures) ? row : nullptr;
}

}  // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments, std::string_view version) {
  CLI::App app{kDescription, "vandrel"};
  app.set_version_flag("--version", "vandrel " + std::string(version));
  app.require_subcommand(1);

  std::string name;
  CLI::App* layout = app.add_subcommand("layout", "Save, restore, list or delete a named layout of the icons");
  layout->require_subcommand(1);
  bool no_undo = false;
  bool replace = false;
  constexpr char kNoUndoHelp[] = "Change the icons even where no undo copy can be kept, and keep none";
  CLI::App* save = layout->add_subcommand("save", "Save where the icons are now under NAME");
  save->add_option("name", name, "The layout's name")->required()->type_name("NAME");
  save->add_flag("--replace", replace, "Replace a layout of that name");
  CLI::App* restore = layout->add_subcommand(
      "restore", "Put the icons back where the layout NAME has them; without NAME, the newest layout of this display");
  CLI::Option* restore_name = restore->add_option("name", name, "The layout's name")->type_name("NAME");
  restore->add_flag(kNoUndoOption, no_undo, kNoUndoHelp);
  CLI::App* list = layout->add_subcommand(
      "list", "One line per layout: name, display, icons, when saved; this display's first, newest first");
  CLI::App* remove = layout->add_subcommand("delete", "Delete the layout NAME");
  remove->add_option("name", name, "The layout's name")->required()->type_name("NAME");

  CLI::App* undo = app.add_subcommand("undo", "Put the icons back where they were before the last figure or restore");
  undo->add_flag(kNoUndoOption, no_undo, "Undo even where no redo copy can be kept");
  CLI::App* redo = app.add_subcommand("redo", "Put the icons back where they were before the last undo");
  redo->add_flag(kNoUndoOption, no_undo, kNoUndoHelp);

  CLI::App* watch = app.add_subcommand(
      "watch", "Keep watch in the notification area: put the icons back after a display change or an Explorer restart");
  bool stop = false;
  watch->add_flag("--stop", stop, "End the watcher of this session");

  std::string figure_name;
  std::string step_text;
  std::string radius_text;
  std::vector<std::string> figure_names;
  for (const FigureRow& row : kFigures) figure_names.emplace_back(row.name);
  CLI::App* figure = app.add_subcommand("figure", "Lay the icons out in the figure FIGURE");
  figure->add_option("figure", figure_name, "The figure")->required()->type_name("FIGURE")->check(
      CLI::IsMember(figure_names));
  CLI::Option* step = figure->add_option("--step", step_text, "Distance between icons and lines, in pixels")
                          ->type_name("N");
  CLI::Option* radius = figure->add_option("--radius", radius_text, "Radius of the circle or outer ring, in pixels")
                            ->type_name("R");
  std::string monitor_text;
  CLI::Option* monitor =
      figure->add_option("--monitor", monitor_text, "The monitor to lay it on (vandrel monitors); default: the primary")
          ->type_name("N");
  figure->add_flag(kNoUndoOption, no_undo, kNoUndoHelp);
  CLI::App* monitors = app.add_subcommand("monitors", "One line per monitor: number, size, position, work area, DPI");
  CLI::App* doctor = app.add_subcommand("doctor", "What a bug report needs: the system, the desktop view, the data");

  // Last: a subcommand takes its parent's footer when it is made.
  app.footer(FigureList() + kFooter);

  std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
  try {
    app.parse(std::move(reversed));
  } catch (const CLI::ParseError& e) {
    std::ostringstream out;
    std::ostringstream err;
    if (app.exit(e, out, err) == 0) {
      ParsedCommandLine parsed;
      parsed.output = out.str();
      return parsed;
    }
    return BadUsage(e.what());
  }

  Command command;
  command.no_undo = no_undo;
  command.replace = replace;
  if (*save || *remove) {
    command.action = *save ? Action::SaveLayout : Action::DeleteLayout;
    command.name = name;
  } else if (*restore) {
    command.action = Action::RestoreLayout;
    if (restore_name->count() > 0) command.name = name;
  } else if (*list) {
    command.action = Action::ListLayouts;
  } else if (*undo) {
    command.action = Action::Undo;
  } else if (*redo) {
    command.action = Action::Redo;
  } else if (*monitors) {
    command.action = Action::ListMonitors;
  } else if (*doctor) {
    command.action = Action::Doctor;
  } else if (*watch) {
    command.action = stop ? Action::StopWatching : Action::Watch;
  } else {
    const FigureRow* found = FigureNamed(figure_name);
    if (found == nullptr) return BadUsage("figure: " + figure_name + " is no figure");
    const FigureRow& row = *found;
    command.action = Action::Figure;
    command.figure = row.figure;
    const bool takes_step = row.option == FigureOption::Step;
    const bool takes_radius = row.option == FigureOption::Radius;
    if (step->count() > 0) {
      if (!takes_step) return BadUsage("--step: the figure " + figure_name + " takes no step");
      command.step = ParseInt32(step_text);
      if (!command.step) return BadUsage("--step: " + step_text + " is not a whole number of pixels");
    }
    if (radius->count() > 0) {
      if (!takes_radius) return BadUsage("--radius: the figure " + figure_name + " takes no radius");
      command.radius = ParseInt32(radius_text);
      if (!command.radius) return BadUsage("--radius: " + radius_text + " is not a whole number of pixels");
    }
    if (monitor->count() > 0) {
      command.monitor = ParseInt32(monitor_text);
      if (!command.monitor || *command.monitor < 1) {
        return BadUsage("--monitor: " + monitor_text + " is no monitor's number");
      }
    }
    std::optional<std::int32_t>& value = takes_step ? command.step : command.radius;
    if (!value) value = row.default_value;
  }
  ParsedCommandLine parsed;
  parsed.command = std::move(command);
  return parsed;
}

}  // namespace vandrel::cli
