// What the window menu and the command line offer: undo, and named layouts saved,
// restored, listed and deleted. Both call these, so the two behave the same.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "desktop/desktop_icon_view.h"
#include "layouts/layout_store.h"
#include "layouts/restore.h"

namespace vandrel::layouts {

// Results are one line of UTF-8 text. Failures throw an exception whose what() is the
// one-line reason in UTF-8 (LayoutNameError, LayoutFileError, NoDesktopView,
// ShellNotAnswering, NothingToUndo, std::filesystem::filesystem_error).
class NothingToUndo : public std::runtime_error {
 public:
  NothingToUndo() : std::runtime_error("There is nothing to undo.") {}
};

class Layouts {
 public:
  using Warn = std::function<void(std::string_view line)>;

  Layouts(DesktopIconView& desktop, LayoutStore& store) : desktop_(desktop), store_(store) {}

  // Before any figure or restore: the desktop as it is goes onto the undo history, and,
  // the first time Vandrel changes this display configuration, into the layout
  // "original" too. Never throws: a desktop that cannot be read or a folder that cannot
  // be written must not stop the change that follows.
  void BeforeChange() noexcept;

  // Restores the newest history entry and removes it; takes no snapshot itself.
  std::string Undo();
  std::string Save(const std::string& name);
  // Without a name: the newest layout saved for the current display configuration. A
  // layout of another display is restored after `warn`.
  std::string Restore(const std::optional<std::string>& name, const Warn& warn);
  // The original of this display: the layout Vandrel saved before its first change
  // here. Failing that, the layout named "original", or the original of another
  // display, after `warn`.
  std::string RestoreOriginal(const Warn& warn);
  void Delete(const std::string& name);
  // Those of the current display configuration first, newest first within each part.
  std::vector<LayoutSummary> List();
  // "1024x738 at 96 dpi, 1 monitor": the work area's size; with several monitors
  // "640x480 + 800x600 left at 96 dpi", the monitors' sizes.
  static std::string Describe(const DisplayConfiguration& display);

 private:
  // The desktop as `now` shows it onto the history, and kept as the display's original
  // when it has none.
  void RecordBeforeChange(const Snapshot& now) noexcept;
  void KeepOriginal(const Snapshot& now);
  // One read of the desktop serves the history and the matching; `here` is the display
  // as the caller has just read it.
  std::string RestoreRecord(const LayoutRecord& target, const DisplayConfiguration& here, const Warn& warn);

  DesktopIconView& desktop_;
  LayoutStore& store_;
  // The display whose original is known to be saved: no look in the folder before
  // every figure.
  std::optional<DisplayConfiguration> original_known_;
};

}  // namespace vandrel::layouts
