#include "layouts/layouts.h"

#include <algorithm>
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

// Newest first; the name settles a tie, so that the order is the same every time.
bool Newer(const LayoutSummary& a, const LayoutSummary& b) {
  return std::tie(b.saved_at, a.name) < std::tie(a.saved_at, b.name);
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

}  // namespace

void Layouts::BeforeChange() noexcept {
  try {
    // A snapshot that could not be kept would only slow the change down.
    if (!store_.HistoryWritable()) return;
    RecordBeforeChange(TakeSnapshot(desktop_));
  } catch (...) {
    // No snapshot: the change goes ahead all the same.
  }
}

void Layouts::RecordBeforeChange(const Snapshot& now) noexcept {
  try {
    store_.Push(now);
  } catch (...) {
    // A folder that cannot be written leaves nothing to undo, and no more.
  }
  try {
    KeepOriginal(now);
  } catch (...) {
  }
}

void Layouts::KeepOriginal(const Snapshot& now) {
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
}

std::string Layouts::Undo() {
  std::optional<LayoutStore::Claim> claim = store_.ClaimNewest();
  if (!claim) throw NothingToUndo();
  const RestoreResult result = RestoreSnapshot(desktop_, claim->snapshot());
  claim->Commit();
  return result.Summary();
}

std::string Layouts::Save(const std::string& name) {
  const std::string why = CheckLayoutName(name);
  if (!why.empty()) throw LayoutNameError(why);
  const LayoutRecord record{name, false, TakeSnapshot(desktop_)};
  store_.Save(record);
  return "Saved the layout " + Quoted(name) + ": " + IconCount(std::ssize(record.snapshot.icons)) + ".";
}

std::string Layouts::Restore(const std::optional<std::string>& name, const Warn& warn) {
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
  RecordBeforeChange(now);
  return RestoreSnapshot(desktop_, target.snapshot, now).Summary();
}

void Layouts::Delete(const std::string& name) {
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
