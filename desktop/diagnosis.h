// What `vandrel doctor` reads of the desktop for a bug report: the way to the list view,
// the shell's process, the icons and the view's bits, whether the shell's folder view
// agrees with the list view, and the monitors. It reads only: nothing is moved or set.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "desktop/desktop_contents.h"
#include "desktop/desktop_icon_view.h"
#include "desktop/desktop_port.h"

namespace vandrel {

struct ChainLink {
  WindowHandle window = 0;
  std::string class_name;
  std::uint32_t process_id = 0;
};

// The folder view against the list view, for the first icons.
struct FolderViewCheck {
  enum class Reach {
    NotAsked,       // there was no list view, or it could not be read
    NoShellWindow,  // no shell window owns the list view (Wine, a stand-in desktop)
    Unreadable,     // it was looked for and could not be read
    Read,
  };
  struct Difference {
    std::int32_t index = 0;
    Point list_view;
    std::optional<Point> folder_view;  // nullopt: not among its items
  };
  Reach reach = Reach::NotAsked;
  std::size_t compared = 0;
  std::vector<Difference> differences;
};

struct Diagnosis {
  ViewShape shape = ViewShape::None;
  std::vector<ChainLink> chain;  // top-level window first, the list view last
  std::uint32_t shell_process = 0;
  int shell_bits = 0;
  std::optional<DesktopContents> contents;
  FolderViewCheck folder_view;
  std::vector<Monitor> monitors;  // numbered
  // Why something could not be read; empty when all of it was.
  std::vector<std::string> problems;
};

// How many icons the folder view is asked about: enough to see a shell that keeps
// other positions, few enough that a bug report stays short.
inline constexpr std::size_t kIconsCompared = 10;

// `port` is the one `desktop` talks through. Never throws ShellNotAnswering: a shell
// that stops answering is one of the problems.
Diagnosis Diagnose(DesktopIconView& desktop, DesktopPort& port, std::size_t compared = kIconsCompared);

// "progman", "under a WorkerW", "24H2", "none".
std::string ShapeName(ViewShape shape);

}  // namespace vandrel
