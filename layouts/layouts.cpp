#include "layouts/layouts.h"

#include <algorithm>
#include <tuple>

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

std::string Icons(std::size_t n) { return std::to_string(n) + (n == 1 ? " icon" : " icons"); }

// Newest first; the name settles a tie, so that the order is the same every time.
bool Newer(const LayoutSummary& a, const LayoutSummary& b) {
  return std::tie(b.saved_at, a.name) < std::tie(a.saved_at, b.name);
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
  if (original_known_ == now.display) return;
  if (!FindOriginal(now.display)) {
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

std::optional<LayoutSummary> Layouts::FindOriginal(const DisplayConfiguration& display) {
  std::optional<LayoutSummary> found;
  for (LayoutSummary& layout : store_.List(kOriginalName)) {
    if (!layout.original || layout.display != display) continue;
    // Two processes may both have saved one at the same moment: the first one counts.
    if (!found || Newer(*found, layout)) found = std::move(layout);
  }
  return found;
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
  return "Saved the layout " + Quoted(name) + ": " + Icons(record.snapshot.icons.size()) + ".";
}

std::string Layouts::Restore(const std::optional<std::string>& name, const Warn& warn) {
  if (name) return RestoreRecord(store_.Load(*name), warn);
  const DisplayConfiguration here = desktop_.ReadDisplay();
  std::optional<LayoutSummary> newest;
  for (LayoutSummary& layout : store_.List()) {
    if (layout.display == here && (!newest || Newer(layout, *newest))) newest = std::move(layout);
  }
  if (!newest) throw LayoutNameError("There is no layout saved for this display (" + Describe(here) + ").");
  return RestoreRecord(store_.Load(newest->name), warn);
}

std::string Layouts::RestoreOriginal(const Warn& warn) {
  const DisplayConfiguration here = desktop_.ReadDisplay();
  if (const std::optional<LayoutSummary> original = FindOriginal(here)) {
    return RestoreRecord(store_.Load(original->name), warn);
  }
  std::optional<LayoutRecord> target;
  if (store_.Exists(kOriginalName)) {
    target = store_.Load(kOriginalName);
  } else {
    std::optional<LayoutSummary> oldest;
    for (LayoutSummary& layout : store_.List(kOriginalName)) {
      if (layout.original && (!oldest || Newer(*oldest, layout))) oldest = std::move(layout);
    }
    if (oldest) target = store_.Load(oldest->name);
  }
  if (!target) throw LayoutNameError("There is no original layout yet: Vandrel has not changed this desktop.");
  // Of another display, RestoreRecord says so itself.
  if (target->snapshot.display == here && warn) {
    warn("Vandrel has no original of this display; restoring the layout " + Quoted(target->name) + " instead.");
  }
  return RestoreRecord(*target, warn);
}

std::string Layouts::RestoreRecord(const LayoutRecord& target, const Warn& warn) {
  const DisplayConfiguration here = desktop_.ReadDisplay();
  if (target.snapshot.display != here && warn) warn(OtherDisplayLine(target.name, target.snapshot.display, here));
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
    const bool a_here = a.display == here;
    const bool b_here = b.display == here;
    if (a_here != b_here) return a_here;
    return Newer(a, b);
  });
  return layouts;
}

std::string Layouts::Describe(const DisplayConfiguration& display) {
  const Rect& area = display.work_area;
  const std::int64_t width = std::int64_t{area.right} - area.left;
  const std::int64_t height = std::int64_t{area.bottom} - area.top;
  return std::to_string(width) + "x" + std::to_string(height) + " at " + std::to_string(display.dpi) + " dpi, " +
         std::to_string(display.monitors) + (display.monitors == 1 ? " monitor" : " monitors");
}

}  // namespace vandrel::layouts
