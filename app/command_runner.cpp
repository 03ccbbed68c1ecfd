#include "app/command_runner.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <iterator>
#include <memory>
#include <stdexcept>

#include "app/command_figures.h"
#include "app/command_line.h"
#include "app/data_folder.h"
#include "app/doctor.h"
#include "app/program_name.h"
#include "app/standard_streams.h"
#include "app/watch_control.h"
#include "app/watcher.h"
#include "desktop/desktop_icon_view.h"
#include "desktop/win32_desktop_port.h"
#include "layouts/display_match.h"
#include "layouts/layouts.h"
#include "ui/error_text.h"
#include "ui/figure_arguments.h"
#include "ui/figure_host.h"
#include "win32/entry.h"
#include "win32/handles.h"
#include "win32/text.h"

namespace vandrel::cli {
namespace {

// The figures' messages (the rings' after every ring, the walk's warning) go to
// stdout: a command line has no box to wait on.
class PrintingPort : public Win32DesktopPort {
 public:
  explicit PrintingPort(StandardStreams& streams) : Win32DesktopPort(u"vandrel"), streams_(streams) {}
  void ShowMessage(std::u16string_view text) override { streams_.Out(win32::ToUtf8(text) + "\n"); }

 private:
  StandardStreams& streams_;
};

// A --monitor that names none of the monitors: bad usage, as a malformed number is.
class UnknownMonitor : public std::runtime_error {
 public:
  explicit UnknownMonitor(std::int32_t number)
      : std::runtime_error("--monitor: there is no monitor " + std::to_string(number) +
                           "; \"vandrel monitors\" lists them") {}
};

void RunFigure(const Command& command, DesktopIconView& desktop, layouts::Layouts& layouts) {
  if (command.monitor && static_cast<std::size_t>(*command.monitor) > desktop.ReadMonitors().size()) {
    throw UnknownMonitor(*command.monitor);
  }
  // A window's figure that finds no desktop view places nothing and says nothing; a
  // script that asked for a figure must learn that none was laid out.
  if (desktop.GetDesktopListView() == 0) throw layouts::NoDesktopView();
  CommandLineFigures host(desktop);
  if (command.monitor) host.set_monitor(*command.monitor);
  host.set_before_change([&layouts, &desktop]() {
    auto hold = std::make_shared<layouts::Layouts::Hold>(layouts.BeginChange());
    // Then what the main window does when it is shown, before any of its figures can
    // run: without it the shell would arrange the icons again at once. After the
    // snapshot, so that an undo puts the arrangement back too. A shell that does not
    // answer here stops the figure at its first message.
    try {
      desktop.SetAutoArrange(false);
      desktop.ClearSnapToGrid();
    } catch (...) {
    }
    return hold;
  });
  const FigureRow& row = *std::find_if(std::begin(kFigures), std::end(kFigures),
                                       [&](const FigureRow& r) { return r.figure == command.figure; });
  row.call(host, row.option == FigureOption::Radius ? command.radius : command.step);
}

// "2026-12-08 14:05:09", local time; the seconds themselves when no calendar holds them.
std::string LocalTime(std::int64_t seconds) {
  constexpr std::int64_t kFrom1601 = 11644473600;
  constexpr std::int64_t kTicksPerSecond = 10000000;
  if (seconds >= -kFrom1601 && seconds <= INT64_MAX / kTicksPerSecond - kFrom1601) {
    const auto ticks = static_cast<std::uint64_t>((seconds + kFrom1601) * kTicksPerSecond);
    const FILETIME file_time{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME utc;
    SYSTEMTIME local;
    if (FileTimeToSystemTime(&file_time, &utc) && SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) {
      char text[32];
      std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", local.wYear, local.wMonth, local.wDay,
                    local.wHour, local.wMinute, local.wSecond);
      return text;
    }
  }
  return std::to_string(seconds);
}

// name, display, icons, saved; tab-separated so that scripts can cut the fields.
std::string ListLine(const layouts::LayoutSummary& layout) {
  std::string line = layout.name;
  line += '\t';
  line += layouts::Layouts::Describe(layout.display);
  line += '\t';
  line += std::to_string(layout.icons);
  line += layout.icons == 1 ? " icon" : " icons";
  line += '\t';
  line += LocalTime(layout.saved_at);
  if (layout.original) line += "\t(original)";
  if (layout.automatic) line += "\t(automatic)";
  line += '\n';
  return line;
}

void Run(const Command& command, StandardStreams& streams, std::string_view version) {
  if (command.action == Action::Watch) {
    const std::string line = watch::RunWatcher(DataFolder());
    if (!line.empty()) streams.Out(line + "\n");
    return;
  }
  if (command.action == Action::StopWatching) {
    const std::string why = watch::StopWatcher();
    if (!why.empty()) throw std::runtime_error(why);
    streams.Out("Vandrel stopped watching.\n");
    return;
  }
  layouts::LayoutStore store(DataFolder());
  PrintingPort port(streams);
  DesktopIconView desktop(port);
  layouts::Layouts layouts(desktop, store);
  layouts.set_keep_undo(!command.no_undo);
  // Its own line on stderr: stdout keeps only what was done.
  const layouts::Layouts::Warn warn = [&streams](std::string_view line) { streams.Err(std::string(line) + "\n"); };

  switch (command.action) {
    case Action::SaveLayout:
      streams.Out(layouts.Save(command.name.value_or(""), command.replace) + "\n");
      break;
    case Action::RestoreLayout:
      streams.Out(layouts.Restore(command.name, warn) + "\n");
      break;
    case Action::ListLayouts:
      for (const layouts::LayoutSummary& layout : layouts.List()) streams.Out(ListLine(layout));
      break;
    case Action::DeleteLayout:
      layouts.Delete(command.name.value_or(""));
      streams.Out("Deleted layout \"" + command.name.value_or("") + "\".\n");
      break;
    case Action::Undo:
      streams.Out(layouts.Undo() + "\n");
      break;
    case Action::Redo:
      streams.Out(layouts.Redo() + "\n");
      break;
    case Action::Figure:
      RunFigure(command, desktop, layouts);
      break;
    case Action::Watch:
    case Action::StopWatching: break;
    case Action::ListMonitors: {
      const std::vector<Monitor> monitors = desktop.ReadMonitors();
      for (std::size_t i = 0; i < monitors.size(); ++i) streams.Out(layouts::MonitorLine(i + 1, monitors[i]) + "\n");
      break;
    }
    case Action::Doctor:
      RunDoctor(streams, desktop, port, version);
      break;
  }
}

std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text + "\n";
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& arguments, std::string_view version) {
  StandardStreams streams;
  try {
    const ParsedCommandLine parsed = ParseCommandLine(arguments, version);
    streams.Out(parsed.output);
    streams.Err(parsed.error);
    if (!parsed.command) return parsed.exit_status;
    Run(*parsed.command, streams, version);
    return 0;
  } catch (const UnknownMonitor& e) {
    streams.Err(OneLine(e.what()));
    return kBadUsage;
  } catch (const std::exception& e) {
    streams.Err(OneLine(e.what()));
  } catch (...) {
    streams.Err("Unknown error\n");
  }
  return 1;
}

std::vector<std::string> ProcessArguments() {
  std::vector<std::string> out;
  const std::wstring_view rest = ArgumentsAfterProgramName(GetCommandLineW());
  if (rest.empty()) return out;
  // The arguments by the usual rules, after a stand-in name that splits plainly.
  const std::wstring line = L"vandrel " + std::wstring(rest);
  int count = 0;
  const auto split = win32::Entry<decltype(&CommandLineToArgvW)>(L"shell32.dll", "CommandLineToArgvW");
  const win32::LocalMemory<LPWSTR*> arguments(split != nullptr ? split(line.c_str(), &count) : nullptr);
  if (!arguments) return out;
  for (int i = 1; i < count; ++i) out.push_back(win32::ToUtf8(std::wstring_view(arguments.get()[i])));
  return out;
}

}  // namespace vandrel::cli
