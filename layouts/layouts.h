// What the window menu and the command line offer: undo, and named layouts saved,
// restored, listed and deleted. Both call these, so the two behave the same.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "desktop/desktop_icon_view.h"
#include "layouts/change_lock.h"
#include "layouts/layout_store.h"
#include "layouts/restore.h"

namespace vandrel::layouts {

// Results are one line of UTF-8 text. Failures throw an exception whose what() is the
// one-line reason in UTF-8 (LayoutNameError, LayoutFileError, NoDesktopView,
// ShellNotAnswering, NothingToUndo, NothingToRedo, NoUndoCopy, AnotherVandrelIsChanging,
// std::filesystem::filesystem_error), or ChangeDeclined, which has nothing more to say.
class NothingToUndo : public std::runtime_error {
 public:
  NothingToUndo() : std::runtime_error("There is nothing to undo.") {}
};
class NothingToRedo : public std::runtime_error {
 public:
  NothingToRedo() : std::runtime_error("There is nothing to redo.") {}
};

// No undo copy of the desktop could be kept, and nothing was changed without one.
class NoUndoCopy : public std::runtime_error {
 public:
  explicit NoUndoCopy(const std::string& reason)
      : std::runtime_error("Vandrel cannot keep an undo copy of the icons: " + reason +
                           ". Give --no-undo to lay them out anyway."),
        reason_(reason) {}
  const std::string& reason() const { return reason_; }

 private:
  std::string reason_;
};

// The user chose not to change the desktop without an undo copy: nothing moved.
class ChangeDeclined : public std::runtime_error {
 public:
  ChangeDeclined() : std::runtime_error("Nothing was changed.") {}
};

// A layout of that name is there already, and replacing it was not asked for.
class LayoutExists : public LayoutNameError {
 public:
  explicit LayoutExists(const std::string& name)
      : LayoutNameError("There is a layout named \"" + name + "\" already; give --replace to replace it.") {}
};

class Layouts {
 public:
  using Warn = std::function<void(std::string_view line)>;
  // Asked, with the reason in words, when no undo copy can be kept: true to change the
  // desktop all the same.
  using AskWithoutUndo = std::function<bool(const std::string& reason)>;
  using Hold = ChangeLock::Hold;

  // `lock` orders the changes of every Vandrel process; the session's own by default.
  Layouts(DesktopIconView& desktop, LayoutStore& store, std::unique_ptr<ChangeLock> lock = SessionChangeLock())
      : desktop_(desktop), store_(store), lock_(std::move(lock)) {}

  // Without an answer, a change without an undo copy is refused (NoUndoCopy).
  void set_ask_without_undo(AskWithoutUndo ask) { ask_without_undo_ = std::move(ask); }
  // --no-undo: no copy is kept, and none is asked for.
  void set_keep_undo(bool keep) { keep_undo_ = keep; }

  // The change lock, for as long as the Hold lives. Throws AnotherVandrelIsChanging.
  Hold Lock();
  // Before any figure or restore, and held until it has ended: the lock, then the
  // desktop as it is onto the undo history (the redo list cleared), and, the first time
  // Vandrel changes this display configuration, into the layout "original" too. A
  // desktop that cannot be read is no reason to stop (a figure then places nothing);
  // a copy that cannot be kept is asked about, and throws NoUndoCopy or ChangeDeclined.
  Hold BeginChange();
  void BeforeChange() { BeginChange(); }
  // Before the main window switches the view to free placement: the display's original
  // taken first, and an undo entry pushed when a switch is on.
  Hold BeginFreePlacement();

  // Restores the newest history entry and removes it; the desktop as it was goes onto
  // the redo list first.
  std::string Undo();
  // Restores the newest redo entry and removes it; the desktop as it was goes onto the
  // undo history first, as before any change.
  std::string Redo();
  // Throws LayoutExists when there is one of that name and `replace` is false.
  std::string Save(const std::string& name, bool replace = false);
  // Without a name: the newest layout saved for the current display configuration. A
  // layout of another display is restored after `warn`.
  std::string Restore(const std::optional<std::string>& name, const Warn& warn);
  // The original of this display: the layout Vandrel saved before its first change
  // here. Failing that, the layout named "original", or the original of another
  // display, after `warn`.
  std::string RestoreOriginal(const Warn& warn);
  // An original only by its exact name.
  void Delete(const std::string& name);
  // Those of the current display configuration first, newest first within each part.
  std::vector<LayoutSummary> List();
  LayoutStore& store() { return store_; }
  // "1024x738 at 96 dpi, 1 monitor": the work area's size; with several monitors
  // "640x480 + 800x600 left at 96 dpi", the monitors' sizes.
  static std::string Describe(const DisplayConfiguration& display);

 private:
  // The desktop as `now` shows it onto `stack`, as the policy for a copy that cannot be
  // kept says; the redo list cleared for a change of the user's own.
  void KeepCopy(const std::optional<Snapshot>& now, Stack stack, bool clear_redo);
  // Restores the newest entry of `from`, the desktop as it was going onto `to`.
  std::string Step(Stack from, Stack to);
  // Asks, or throws NoUndoCopy.
  void WithoutUndo(const std::string& reason);
  // The desktop, or nothing when it cannot be read.
  std::optional<Snapshot> TryTakeSnapshot();
  void KeepOriginal(const Snapshot& now) noexcept;
  // Whether this display's original is saved (and known from now on); false when the
  // folder cannot say.
  bool OriginalKept(const DisplayConfiguration& display) noexcept;
  // One read of the desktop serves the history and the matching; `here` is the display
  // as the caller has just read it.
  std::string RestoreRecord(const LayoutRecord& target, const DisplayConfiguration& here, const Warn& warn);

  DesktopIconView& desktop_;
  LayoutStore& store_;
  std::unique_ptr<ChangeLock> lock_;
  AskWithoutUndo ask_without_undo_;
  bool keep_undo_ = true;
  // The display whose original is known to be saved: no look in the folder before
  // every figure.
  std::optional<DisplayConfiguration> original_known_;
};

}  // namespace vandrel::layouts
