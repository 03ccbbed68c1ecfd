// A snapshot of the desktop: where every icon was, on which display, with which view
// settings. Icons are known by their parsing name where the shell's folder view gives
// one, and by their label and its occurrence, since the shell's item indices change
// whenever an icon comes or goes.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "desktop/desktop_contents.h"
#include "desktop/desktop_icon_view.h"
#include "desktop/utf8_text.h"

namespace vandrel::layouts {

struct IconPlace {
  std::string label;            // UTF-8, decoded from the shell's ANSI code page
  std::int32_t occurrence = 0;  // 0 for the first icon with this label in index order, 1 for the second, ...
  std::int32_t x = 0;
  std::int32_t y = 0;
  // The item's full name in the shell's namespace (UTF-8; a file's path, a shell
  // object's GUID path), which tells apart icons of one label. Empty when unknown.
  std::string parsing_name = {};
  friend bool operator==(const IconPlace&, const IconPlace&) = default;
};

struct Snapshot {
  DisplayConfiguration display;
  ViewState view;
  // Screen coordinates, which stay put when a monitor left of or above the primary comes
  // or goes; the view's own in a file from before (positions_in_view).
  std::vector<IconPlace> icons;
  bool positions_in_view = false;
  std::int64_t taken_at = 0;  // seconds since 1970-01-01 UTC
  friend bool operator==(const Snapshot&, const Snapshot&) = default;
};

// The desktop's view could not be found or read: nothing to snapshot or restore to.
class NoDesktopView : public std::runtime_error {
 public:
  NoDesktopView() : std::runtime_error("No desktop icon view was found") {}
};

// Reads the whole desktop in one pass. Throws NoDesktopView, or ShellNotAnswering.
Snapshot TakeSnapshot(DesktopIconView& desktop);

// Labels decoded, occurrences numbered in index order, and the parsing names of the
// icons of `view` added where the shell's folder view gives them.
std::vector<IconPlace> IconPlaces(DesktopIconView& desktop, WindowHandle view, const std::vector<IconReading>& icons);

}  // namespace vandrel::layouts
