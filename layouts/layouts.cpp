#include "layouts/layouts.h"

#include <algorithm>
#include <filesystem>
#include <tuple>

#include "layouts/display_match.h"

namespace vandrel::layouts {
namespace {

// Originals are named "original", "original 2", ...; far more displays than anyone has.
constexpr int kMostOriginals = 1000;

std::string Quoted(std::string_view name) { return "\"" + std::string(name) + "\""; }

std::string OtherDisplayLine(std::string_view name, const DisplayConfiguration& saved,
                             const DisplayConfiguration& here) {
  return "Layout " + Quoted(name) + " was saved for " + Layouts::Describe(saved) + "; this display is " +
         Layouts::Describe(here) + ".";
}

// Last saved first, by the counter that only grows; the time only among layouts saved
// before there was one, and the name settles a tie, so that the order is the same
// every time.
bool Newer(const LayoutSummary& a, const LayoutSummary& b) {
  return std::tie(b.sequence, b.saved_at, a.name) < std::tie(a.sequence, a.saved_at, b.name);
}

// Of the originals Vandrel kept, the first saved for `display`, or for any display
// without one. Two processes may both have kept one at the same moment: the first
// one counts.
std::optional<LayoutSummary> FirstOriginal(const std::vector<LayoutSummary>& layouts,
                                           const DisplayConfiguration* display) {
  const LayoutSummary* first = nullptr;
  for (const LayoutSummary& layout : layouts) {
    if (!layout.original || (display && !SameDisplay(layout.display, *display))) continue;
    if (!first || Newer(*first, layout)) first = &layout;
  }
  if (!first) return std::nullopt;
  return *first;
}

// "the folder "C:\...\history" (Not a directory)": what a person can act on, without
// the library's own wording.
std::string StorageReason(const std::filesystem::filesystem_error& e) {
  std::string reason = e.code().message();
  while (!reason.empty() &&
         (reason.back() == '.' || reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' ')) {
    reason.pop_back();
  }
  if (e.path1().empty()) return reason;
  return "\"" + PathText(e.path1()) + "\" (" + reason + ")";
}

}  // namespace

Layouts::Hold Layouts::Lock() {
  Hold hold = lock_->Take();
  // Whoever claimed an entry and still has it would hold the lock: the process ended.
  store_.ReturnClaimsOfEndedProcesses();
  return hold;
}

std::optional<Snapshot> Layouts::TryTakeSnapshot() {
  try {
    return TakeSnapshot(desktop_);
  } catch (const NoDesktopView&) {
  } catch (const ShellNotAnswering&) {
  }
  return std::nullopt;
}

void Layouts::WithoutUndo(const std::string& reason) {
  if (!ask_without_undo_) throw NoUndoCopy(reason);
  if (!ask_without_undo_(reason)) throw ChangeDeclined();
}

void Layouts::KeepCopy(const std::optional<Snapshot>& now, Stack stack, bool clear_redo) {
  if (!keep_undo_) return;
  try {
    if (now) {
      store_.Push(*now, stack);
    } else {
      store_.MakeFolder(stack);
    }
  } catch (const std::filesystem::filesystem_error& e) {
    WithoutUndo(StorageReason(e));
  }
  if (clear_redo) {
    // A redo entry left over would put back a desktop that no longer follows on
    // from this one.
    try {
      store_.ClearRedo();
    } catch (const std::filesystem::filesystem_error&) {
    }
  }
}

Layouts::Hold Layouts::BeginChange() {
  Hold hold = Lock();
  if (!keep_undo_) return hold;
  // A folder that cannot be made is known before the desktop is read for nothing.
  try {
    store_.MakeFolder(Stack::Undo);
  } catch (const std::filesystem::filesystem_error& e) {
    WithoutUndo(StorageReason(e));
    return hold;
  }
  const std::optional<Snapshot> now = TryTakeSnapshot();
  if (!now) return hold;
  KeepCopy(now, Stack::Undo, true);
  KeepOriginal(*now);
  return hold;
}

Layouts::Hold Layouts::BeginFreePlacement() {
  Hold hold = Lock();
  if (!keep_undo_) return hold;
  // Every start comes here: with both switches off and this display's original kept,
  // there is nothing to record, and the whole desktop is not read for nothing.
  if (const WindowHandle view = desktop_.GetDesktopListView(); view != 0) {
    const ViewState state = desktop_.ReadViewState(view);
    if (!state.auto_arrange && !state.snap_to_grid && OriginalKept(desktop_.ReadDisplay())) return hold;
  }
  const std::optional<Snapshot> now = TryTakeSnapshot();
  if (!now) return hold;
  // The original first: once the switches are off, no copy could show them on.
  KeepOriginal(*now);
  if (now->view.auto_arrange || now->view.snap_to_grid) KeepCopy(now, Stack::Undo, true);
  return hold;
}

bool Layouts::OriginalKept(const DisplayConfiguration& display) noexcept {
  try {
    if (original_known_ && SameDisplay(*original_known_, display)) return true;
    if (!FirstOriginal(store_.List(kOriginalName), &display)) return false;
    original_known_ = display;
    return true;
  } catch (...) {
    return false;
  }
}

void Layouts::KeepOriginal(const Snapshot& now) noexcept {
  try {
    if (original_known_ && SameDisplay(*original_known_, now.display)) return;
    if (!FirstOriginal(store_.List(kOriginalName), &now.display)) {
      // "original" may be another display's original or a layout of the user's: never
      // replaced, the next free "original N" is taken instead.
      LayoutRecord record{kOriginalName, true, now};
      for (int n = 1;; ++n) {
        if (n > kMostOriginals) return;
        if (n > 1) record.name = std::string(kOriginalName) + " " + std::to_string(n);
        if (store_.SaveIfAbsent(record)) break;
      }
    }
    original_known_ = now.display;
  } catch (...) {
    // The undo copy is what the change needs; an original missing is kept next time.
  }
}

std::string Layouts::Undo() { return Step(Stack::Undo, Stack::Redo); }

std::string Layouts::Redo() { return Step(Stack::Redo, Stack::Undo); }

std::string Layouts::Step(Stack from, Stack to) {
  const Hold hold = Lock();
  std::optional<LayoutStore::Claim> claim = store_.ClaimNewest(from);
  if (!claim && from == Stack::Undo) throw NothingToUndo();
  if (!claim) throw NothingToRedo();
  // The desktop as it is goes onto the other list first, so that the step can be taken back.
  const Snapshot now = TakeSnapshot(desktop_);
  KeepCopy(now, to, false);
  const RestoreResult result = RestoreSnapshot(desktop_, claim->snapshot(), now);
  claim->Keep();
  return result.Summary();
}

std::string Layouts::Save(const std::string& name, bool replace) {
  const std::string why = CheckSaveName(name);
  if (!why.empty()) throw LayoutNameError(why);
  const Hold hold = Lock();
  if (!replace && store_.Exists(name)) throw LayoutExists(name);
  const LayoutRecord record{name, false, TakeSnapshot(desktop_)};
  store_.Save(record);
  return "Saved the layout " + Quoted(name) + ": " + IconCount(std::ssize(record.snapshot.icons)) + ".";
}

std::string Layouts::Restore(const std::optional<std::string>& name, const Warn& warn) {
  const Hold hold = Lock();
  if (name) {
    const LayoutRecord target = store_.Load(*name);
    return RestoreRecord(target, desktop_.ReadDisplay(), warn);
  }
  const DisplayConfiguration here = desktop_.ReadDisplay();
  std::optional<LayoutSummary> newest;
  for (LayoutSummary& layout : store_.List()) {
    if (SameDisplay(layout.display, here) && (!newest || Newer(layout, *newest))) newest = std::move(layout);
  }
  if (!newest) throw LayoutNameError("There is no layout saved for this display (" + Describe(here) + ").");
  return RestoreRecord(store_.Load(newest->name), here, warn);
}

std::string Layouts::RestoreOriginal(const Warn& warn) {
  const Hold hold = Lock();
  const DisplayConfiguration here = desktop_.ReadDisplay();
  const std::vector<LayoutSummary> originals = store_.List(kOriginalName);
  if (const std::optional<LayoutSummary> original = FirstOriginal(originals, &here)) {
    return RestoreRecord(store_.Load(original->name), here, warn);
  }
  std::optional<LayoutRecord> target;
  if (store_.Exists(kOriginalName)) {
    target = store_.Load(kOriginalName);
  } else if (const std::optional<LayoutSummary> oldest = FirstOriginal(originals, nullptr)) {
    target = store_.Load(oldest->name);
  }
  if (!target) throw LayoutNameError("There is no original layout yet: Vandrel has not changed this desktop.");
  // Of another display, RestoreRecord says so itself.
  if (SameDisplay(target->snapshot.display, here) && warn) {
    warn("Vandrel has no original of this display; restoring the layout " + Quoted(target->name) + " instead.");
  }
  return RestoreRecord(*target, here, warn);
}

std::string Layouts::RestoreRecord(const LayoutRecord& target, const DisplayConfiguration& here, const Warn& warn) {
  if (!SameDisplay(target.snapshot.display, here) && warn) {
    warn(OtherDisplayLine(target.name, target.snapshot.display, here));
  }
  const Snapshot now = TakeSnapshot(desktop_);
  KeepCopy(now, Stack::Undo, true);
  KeepOriginal(now);
  return RestoreSnapshot(desktop_, target.snapshot, now).Summary();
}

void Layouts::Delete(const std::string& name) {
  if (IsReservedName(name) && CheckLayoutName(name).empty() && store_.Exists(name)) {
    const LayoutRecord record = store_.Load(name);
    if (record.name != name) {
      throw LayoutNameError("An original is deleted by its exact name: " + Quoted(record.name) + ".");
    }
  }
  store_.Delete(name);
  original_known_.reset();
}

std::vector<LayoutSummary> Layouts::List() {
  const DisplayConfiguration here = desktop_.ReadDisplay();
  std::vector<LayoutSummary> layouts = store_.List();
  std::sort(layouts.begin(), layouts.end(), [&](const LayoutSummary& a, const LayoutSummary& b) {
    const bool a_here = SameDisplay(a.display, here);
    const bool b_here = SameDisplay(b.display, here);
    if (a_here != b_here) return a_here;
    return Newer(a, b);
  });
  return layouts;
}

std::string Layouts::Describe(const DisplayConfiguration& display) {
  if (display.monitor_list.size() > 1) {
    return DescribeMonitors(display.monitor_list) + " at " + std::to_string(display.dpi) + " dpi";
  }
  const Rect& area = display.work_area;
  const std::int64_t width = std::int64_t{area.right} - area.left;
  const std::int64_t height = std::int64_t{area.bottom} - area.top;
  return std::to_string(width) + "x" + std::to_string(height) + " at " + std::to_string(display.dpi) + " dpi, " +
         std::to_string(display.monitors) + (display.monitors == 1 ? " monitor" : " monitors");
}

}  // namespace vandrel::layouts
