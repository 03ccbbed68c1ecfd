#include "layouts/snapshot.h"

#include <chrono>
#include <unordered_map>

namespace vandrel::layouts {

std::vector<IconPlace> IconPlaces(DesktopIconView& desktop, WindowHandle view, const std::vector<IconReading>& icons) {
  std::vector<std::string> labels;
  labels.reserve(icons.size());
  for (const IconReading& icon : icons) labels.push_back(icon.label);
  // Each icon's item is found in the folder view by its label: one that came or went
  // since the labels were read gets no name, and the others keep theirs.
  std::vector<std::string> names = desktop.ReadParsingNames(view, labels);
  if (names.size() != icons.size()) names.assign(icons.size(), std::string());
  std::vector<IconPlace> places;
  places.reserve(icons.size());
  std::unordered_map<std::string, std::int32_t> seen;
  for (std::size_t i = 0; i < icons.size(); ++i) {
    const IconReading& icon = icons[i];
    IconPlace place{Utf16ToUtf8(desktop.DecodeLabel(icon.label)), 0, icon.x, icon.y, std::move(names[i])};
    // A list view holds fewer than 2^31 items, so the count cannot wrap.
    place.occurrence = seen[place.label]++;
    places.push_back(std::move(place));
  }
  return places;
}

Snapshot TakeSnapshot(DesktopIconView& desktop) {
  const WindowHandle view = desktop.GetDesktopListView();
  if (view == 0) throw NoDesktopView();
  std::optional<DesktopContents> contents = desktop.ReadDesktop(view);
  if (!contents) throw NoDesktopView();
  Snapshot snapshot;
  snapshot.display = desktop.ReadDisplay();
  snapshot.view = contents->view;
  snapshot.icons = IconPlaces(desktop, view, contents->icons);
  const Point origin = desktop.ViewOrigin(view);
  for (IconPlace& icon : snapshot.icons) {
    const Point screen = ViewToScreen(Point{icon.x, icon.y}, origin);
    icon.x = screen.x;
    icon.y = screen.y;
  }
  snapshot.taken_at =
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
  return snapshot;
}

}  // namespace vandrel::layouts
