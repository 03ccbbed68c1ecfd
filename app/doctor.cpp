#include "app/doctor.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/data_folder.h"
#include "desktop/diagnosis.h"
#include "layouts/display_match.h"
#include "layouts/layout_file.h"
#include "win32/entry.h"

namespace vandrel::cli {
namespace {

// What the system says it is, not what the manifest lets GetVersionEx say: RtlGetVersion
// answers the real version whatever the program declares itself compatible with.
std::string WindowsVersion() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  using GetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
  const auto get_version = win32::Entry<GetVersion>(ntdll, "RtlGetVersion");
  std::string text = "unknown";
  if (get_version != nullptr && get_version(&info) == 0) {
    text = std::to_string(info.dwMajorVersion) + "." + std::to_string(info.dwMinorVersion) + "." +
           std::to_string(info.dwBuildNumber);
  }
  // Wine says which Windows it plays; its own version is what a report on it needs.
  using WineVersion = const char*(CDECL*)();
  const auto wine_version = win32::Entry<WineVersion>(ntdll, "wine_get_version");
  if (wine_version != nullptr) text += ", under Wine " + std::string(wine_version());
  return text;
}

std::string Hex(WindowHandle window) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(window));
  return text;
}

std::string OnOff(bool on) { return on ? "on" : "off"; }

std::string PointText(Point point) { return std::to_string(point.x) + "," + std::to_string(point.y); }

std::string FolderViewLine(const FolderViewCheck& check) {
  switch (check.reach) {
    case FolderViewCheck::Reach::NotAsked: return "not asked (no desktop view was read)";
    case FolderViewCheck::Reach::NoShellWindow:
      return "none: no shell window owns the desktop's list view (as under Wine or on a stand-in desktop)";
    case FolderViewCheck::Reach::Unreadable: return "could not be read";
    case FolderViewCheck::Reach::Read: break;
  }
  const std::string first = "the first " + std::to_string(check.compared) + " icons";
  if (check.differences.empty()) return "reachable; " + first + " are where the list view has them";
  std::string line = "reachable; " + std::to_string(check.differences.size()) + " of " + first +
                     " are elsewhere than in the list view:";
  for (const FolderViewCheck::Difference& difference : check.differences) {
    line += " #" + std::to_string(difference.index) + " at " + PointText(difference.list_view) + " in the list view, ";
    line += difference.folder_view ? PointText(*difference.folder_view) : std::string("not found");
    line += " in the folder view;";
  }
  line.pop_back();
  return line;
}

std::string Counted(std::size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

void RunDoctor(StandardStreams& streams, DesktopIconView& desktop, DesktopPort& port, std::string_view version) {
  const auto line = [&streams](std::string text) { streams.Out(text + "\n"); };
  line("Vandrel: " + std::string(version) + ", " + std::to_string(sizeof(void*) * 8) + "-bit");
  line("Windows: " + WindowsVersion());

  const Diagnosis diagnosis = Diagnose(desktop, port);
  line("Desktop view: " + std::string(diagnosis.chain.empty() ? "not found" : "found") + ", shape " +
       ShapeName(diagnosis.shape));
  for (const ChainLink& link : diagnosis.chain) {
    line("  " + link.class_name + "\t" + Hex(link.window) + "\tprocess " + std::to_string(link.process_id));
  }
  if (diagnosis.shell_process != 0) {
    line("Shell: process " + std::to_string(diagnosis.shell_process) + ", " + std::to_string(diagnosis.shell_bits) +
         "-bit");
  }
  if (diagnosis.contents) {
    line("Icons: " + std::to_string(diagnosis.contents->icons.size()) + ", auto-arrange " +
         OnOff(diagnosis.contents->view.auto_arrange) + ", snap-to-grid " +
         OnOff(diagnosis.contents->view.snap_to_grid));
  }
  line("Folder view: " + FolderViewLine(diagnosis.folder_view));
  for (std::size_t i = 0; i < diagnosis.monitors.size(); ++i) {
    line("Monitor " + layouts::MonitorLine(i + 1, diagnosis.monitors[i]));
  }

  std::vector<std::string> problems = diagnosis.problems;
  try {
    const std::filesystem::path folder = DataFolder();
    const layouts::LayoutStore store(folder);
    line("Data folder: " + layouts::PathText(folder) + ": " + Counted(store.List().size(), "layout", "layouts") + ", " +
         Counted(store.HistorySize(), "history entry", "history entries"));
  } catch (const std::exception& e) {
    problems.push_back(std::string("the data folder could not be read: ") + e.what());
  }
  if (problems.empty()) return;
  std::string reasons = "doctor: ";
  for (const std::string& problem : problems) reasons += problem + "; ";
  reasons.resize(reasons.size() - 2);
  throw std::runtime_error(reasons);
}

}  // namespace vandrel::cli
