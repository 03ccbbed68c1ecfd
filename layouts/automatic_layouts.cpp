#include "layouts/automatic_layouts.h"

#include "layouts/display_match.h"

namespace vandrel::layouts {
namespace {

// Far more displays of one size than anyone has.
constexpr int kMostOfOneSize = 100;

std::string BaseName(const DisplayConfiguration& display) {
  return std::string(kAutomaticName) + " " + std::to_string(display.screen_width) + "x" +
         std::to_string(display.screen_height);
}

}  // namespace

std::optional<LayoutRecord> AutomaticLayouts::Hinted(const DisplayConfiguration& display) const {
  for (const auto& [shown, name] : hints_) {
    if (!SameDisplay(shown, display)) continue;
    try {
      LayoutRecord record = store_.Load(name);
      if (record.automatic && SameDisplay(record.snapshot.display, display)) return record;
    } catch (const std::exception&) {
      // Gone or spoilt: the list says where it is now, if anywhere.
    }
    return std::nullopt;
  }
  return std::nullopt;
}

std::optional<std::string> AutomaticLayouts::NameOf(const DisplayConfiguration& display) const {
  std::erase_if(hints_, [&](const auto& hint) { return SameDisplay(hint.first, display); });
  for (const LayoutSummary& layout : store_.List(kAutomaticName)) {
    if (layout.automatic && SameDisplay(layout.display, display)) {
      hints_.emplace_back(display, layout.name);
      return layout.name;
    }
  }
  return std::nullopt;
}

std::optional<LayoutRecord> AutomaticLayouts::Find(const DisplayConfiguration& display) const {
  if (std::optional<LayoutRecord> hinted = Hinted(display)) return hinted;
  const std::optional<std::string> name = NameOf(display);
  if (!name) return std::nullopt;
  try {
    LayoutRecord record = store_.Load(*name);
    if (record.automatic && SameDisplay(record.snapshot.display, display)) return record;
  } catch (const std::exception&) {
    // Deleted or spoilt since it was listed: as if there were none.
  }
  return std::nullopt;
}

void AutomaticLayouts::Keep(const Snapshot& snapshot) {
  LayoutRecord record{{}, false, snapshot};
  record.automatic = true;
  std::optional<std::string> name;
  if (const std::optional<LayoutRecord> hinted = Hinted(snapshot.display)) name = hinted->name;
  if (!name) name = NameOf(snapshot.display);
  if (name) {
    record.name = *name;
    store_.Save(record);
    return;
  }
  const std::string base = BaseName(snapshot.display);
  for (int n = 1; n <= kMostOfOneSize; ++n) {
    record.name = n == 1 ? base : base + " " + std::to_string(n);
    if (store_.SaveIfAbsent(record)) {
      hints_.emplace_back(snapshot.display, record.name);
      return;
    }
  }
}

void AutomaticLayouts::Forget(const DisplayConfiguration& display) {
  if (const std::optional<std::string> name = NameOf(display)) {
    try {
      store_.Delete(*name);
    } catch (const LayoutNameError&) {
      // Deleted by someone else meanwhile.
    }
  }
}

std::size_t AutomaticLayouts::Count() const {
  std::size_t count = 0;
  for (const LayoutSummary& layout : store_.List(kAutomaticName)) count += layout.automatic ? 1 : 0;
  return count;
}

}  // namespace vandrel::layouts
