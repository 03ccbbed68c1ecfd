// DesktopIconView: the one way to the shell's desktop list view. It finds the view
// afresh for every operation and holds no state beyond the port it talks through.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "desktop/desktop_contents.h"
#include "desktop/desktop_port.h"

namespace vandrel {

class DesktopIconView {
 public:
  explicit DesktopIconView(DesktopPort& port) : port_(port) {}

  // "progman", its first child, that child's first child. When that is not a list
  // view (the shell has moved its icon view into a "WorkerW" window), the view is
  // looked for where the shell keeps it then. Null when there is none.
  WindowHandle GetDesktopListView();
  // Sets or clears LVS_AUTOARRANGE; true when the view was found and the style written.
  bool SetAutoArrange(bool flag);
  void ClearSnapToGrid();
  std::int32_t GetItemCount(WindowHandle view);
  void SetItemPosition(WindowHandle view, std::int32_t index, std::uint32_t packed_position);
  // Label colours, then a redraw of every item from 0 to n - 1.
  void SetTextColor(std::uint32_t text_colour, std::uint32_t background_colour);
  std::int32_t GetItemSpacing(WindowHandle view, bool small);
  // Reads one label out of the shell's process into buffer (at least `size` bytes),
  // ending it with a zero within those bytes. Answers the view's character count,
  // or 0, with the buffer untouched, when the view, the process or the block is missing.
  std::int32_t GetItemTextRemote(WindowHandle view, std::int32_t index, std::int32_t subitem, char* buffer,
                                 std::int32_t size);

  // Every icon's label and position and the view's state, in one pass: one block in
  // the shell's process for all the records, points and labels, one write of the
  // records, two messages an icon, one read back. A view that answers a negative
  // count reads as empty; icons that vanish mid-read (the view refuses their
  // position) are left out. Empty when there is no view, the count passes
  // kMostIconsRead, or the shell's process cannot be opened, given the block, written
  // or read. Throws ShellNotAnswering as the figures' messages do.
  std::optional<DesktopContents> ReadDesktop(WindowHandle view);
  // Clears LVS_AUTOARRANGE and LVS_EX_SNAPTOGRID on `view`, so that positions set
  // next stay where they are put.
  void FreePlacement(WindowHandle view);
  // Puts back the arrangement bits and label colours of `state`, then asks the view to
  // redraw every item.
  void ApplyViewState(WindowHandle view, const ViewState& state);

  // The most icons ReadDesktop takes a count for: far beyond any real desktop, and
  // its block (at most 356 bytes an icon) stays under 36 MB in the shell's process.
  static constexpr std::int32_t kMostIconsRead = 100000;
  // The work area, the primary screen, the DPI and the number of monitors now.
  DisplayConfiguration ReadDisplay();

  // The work area a figure lays out on. When the system cannot say, the primary
  // screen stands in for it.
  Rect WorkArea();
  std::int32_t Metric(SystemMetric metric);
  void ShowMessage(std::u16string_view text);

  DesktopPort& port() { return port_; }

 private:
  WindowHandle FindMovedListView(WindowHandle progman);
  ViewState ReadViewState(WindowHandle view);
  void SetPlacementBits(WindowHandle view, bool auto_arrange, bool snap_to_grid);
  void SetColoursAndRedraw(WindowHandle view, std::uint32_t text_colour, std::uint32_t background_colour);

  DesktopPort& port_;
};

}  // namespace vandrel
