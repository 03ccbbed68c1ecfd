// `vandrel watch`: the resident watcher. A hidden window takes the display, work-area,
// session, power and "TaskbarCreated" messages and hands them to the watcher's rules
// (layouts/watch_rules.h) as events; a timer calls the rules when they ask; an icon in
// the notification area says what it keeps and carries its menu.
#pragma once

#include <filesystem>
#include <string>

namespace vandrel::watch {

// Runs until the watcher is told to stop (its menu, `vandrel watch --stop`, logoff).
// Answers the line to print: empty when it ran, else that another one runs. Throws
// std::runtime_error when it cannot make its window.
std::string RunWatcher(const std::filesystem::path& data);

// WM_COMMAND identifiers of the watcher's menu, also taken from other programs (the
// end-to-end tests) as commands.
enum MenuCommand : unsigned {
  kMenuUndo = 1,
  kMenuRedo = 2,
  kMenuSave = 3,
  kMenuRestoreOriginal = 4,
  kMenuOpen = 5,
  kMenuStartWithWindows = 6,
  kMenuStop = 7,
  // kMenuRestoreFirst + i restores the i-th layout in the order of `vandrel layout list`.
  kMenuRestoreFirst = 0x100,
  kMenuRestoreLimit = 256,
};

}  // namespace vandrel::watch
