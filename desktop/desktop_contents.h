// What Vandrel reads of a desktop to be able to put it back: the display it is laid
// out on, the view's arrangement bits and label colours, and every icon's label and
// position, as one pass over the shell's list view gives them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "desktop/desktop_port.h"

namespace vandrel {

// A layout belongs to the display it was made on: the same icon positions mean
// something else on another screen size, DPI or set of monitors.
struct DisplayConfiguration {
  Rect work_area;
  std::int32_t screen_width = 0;   // the primary screen
  std::int32_t screen_height = 0;
  std::uint32_t dpi = 96;
  std::int32_t monitors = 1;
  // Every monitor, numbered (NumberMonitors); empty for a layout from before they were kept.
  std::vector<Monitor> monitor_list = {};
  friend bool operator==(const DisplayConfiguration&, const DisplayConfiguration&) = default;
};

// The view settings a figure or a restore changes, read so they can be put back.
struct ViewState {
  bool auto_arrange = false;  // LVS_AUTOARRANGE in the style word
  bool snap_to_grid = false;  // LVS_EX_SNAPTOGRID in the extended style
  std::uint32_t text_colour = 0;
  std::uint32_t background_colour = kNoColour;
  friend bool operator==(const ViewState&, const ViewState&) = default;
};

struct IconReading {
  std::string label;  // the shell's ANSI bytes, no terminator; cut at kSnapshotLabelRoom - 1 bytes
  std::int32_t x = 0;
  std::int32_t y = 0;
  friend bool operator==(const IconReading&, const IconReading&) = default;
};

// Room for one label in a whole-desktop read, terminator included: a desktop label is
// a file name, which Windows keeps under MAX_PATH.
inline constexpr std::size_t kSnapshotLabelRoom = 260;

struct DesktopContents {
  ViewState view;
  std::vector<IconReading> icons;  // in index order
};

}  // namespace vandrel
