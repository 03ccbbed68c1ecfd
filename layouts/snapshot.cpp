#include "layouts/snapshot.h"

#include <chrono>
#include <unordered_map>

namespace vandrel::layouts {

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    const bool high = c >= 0xD800 && c <= 0xDBFF;
    if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::vector<IconPlace> IconPlaces(DesktopIconView& desktop, WindowHandle view, const std::vector<IconReading>& icons) {
  std::vector<std::string> names = desktop.ReadParsingNames(view, static_cast<std::int32_t>(icons.size()));
  // Read after the labels: a desktop whose icons came or went meanwhile gives no names.
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
  snapshot.taken_at =
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
  return snapshot;
}

}  // namespace vandrel::layouts
