// DesktopIconView: the one way to the shell's desktop list view. It finds the view
// afresh for every operation; the only state it holds beyond the port it talks through
// is the note of which icons the change under way has placed.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "desktop/desktop_contents.h"
#include "desktop/desktop_port.h"
#include "desktop/monitors.h"

namespace vandrel {

// The monitor figures are laid on, and what their points move by on the way into a view.
// Where the shell keeps its icon view: the windows Vandrel's lookup knows.
enum class ViewShape {
  None,       // no list view found
  Progman,    // "Progman" > its first child > that child's first child
  WorkerW,    // a top-level "WorkerW" > "SHELLDLL_DefView" > "SysListView32"
  Shell24H2,  // "Progman" > "SHELLDLL_DefView" > "SysListView32", beside an empty "WorkerW"
};

// The windows from the top-level one down to the desktop's list view, as found.
struct DesktopChain {
  ViewShape shape = ViewShape::None;
  std::vector<WindowHandle> windows;  // empty for None; the list view last
  WindowHandle view() const { return windows.empty() ? 0 : windows.back(); }
};

struct MonitorFrame {
  Monitor monitor;
  WindowHandle view = 0;  // the view `shift` was read for; 0 before the first placement
  Point shift;
};

class DesktopIconView {
 public:
  explicit DesktopIconView(DesktopPort& port) : port_(port) {}

  // "progman", its first child, that child's first child. When that is not a list
  // view (the shell has moved its icon view into a "WorkerW" window), the view is
  // looked for where the shell keeps it then. Null when there is none.
  WindowHandle GetDesktopListView() { return FindDesktopChain().view(); }
  // The same lookup, with the windows it went through.
  DesktopChain FindDesktopChain();
  // Sets or clears LVS_AUTOARRANGE; true when the view was found and the style written.
  bool SetAutoArrange(bool flag);
  void ClearSnapToGrid();
  std::int32_t GetItemCount(WindowHandle view);
  void SetItemPosition(WindowHandle view, std::int32_t index, std::uint32_t packed_position);
  // LVM_SETITEMPOSITION with each of `placements` in turn, handed to the port as one run
  // (see PlacementBatch): the parameters as SetItemPosition sends them.
  void SetItemPositions(WindowHandle view, std::span<const MessageParameters> placements);
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
  // The arrangement bits and label colours alone: four messages, no icon read.
  ViewState ReadViewState(WindowHandle view);
  // Clears LVS_AUTOARRANGE and LVS_EX_SNAPTOGRID on `view`, so that positions set
  // next stay where they are put.
  void FreePlacement(WindowHandle view);
  // Puts back the arrangement bits and label colours of `state`; when the colours were
  // others, asks the view to redraw every item.
  void ApplyViewState(WindowHandle view, const ViewState& state);

  // The most icons ReadDesktop takes a count for: far beyond any real desktop, and
  // its block (at most 356 bytes an icon) stays under 36 MB in the shell's process.
  static constexpr std::int32_t kMostIconsRead = 100000;
  // The work area, the primary screen, the DPI and the number of monitors now.
  DisplayConfiguration ReadDisplay();

  // The work area a figure lays out on: the primary's, or, while an OnMonitor lives, its
  // monitor's. When the system cannot say, the primary screen stands in for it.
  Rect WorkArea();
  // The monitors, numbered (see NumberMonitors): element 0 is number 1, the primary.
  std::vector<Monitor> ReadMonitors();
  // Where the view's client area starts on the virtual screen: a view point plus this is
  // a screen point. (0, 0) when the system cannot say.
  Point ViewOrigin(WindowHandle view);

  // The monitor figures go to: number `number` (1, the primary, by default), or, when
  // `window` is set, the one that holds the larger part of that window.
  struct MonitorChoice {
    std::int32_t number = 1;
    WindowHandle window = 0;
  };
  // While it lives, the figures are laid on the chosen monitor: WorkArea() answers its
  // work area (the primary's read as ever), and every placement is moved from the
  // monitor's frame (0 at its top-left corner) into the view's. A number that names no
  // monitor chooses the primary. With one monitor, or the primary at the view's origin,
  // no placement changes.
  class OnMonitor {
   public:
    OnMonitor(DesktopIconView& desktop, MonitorChoice choice);
    ~OnMonitor();
    OnMonitor(const OnMonitor&) = delete;
    OnMonitor& operator=(const OnMonitor&) = delete;

   private:
    DesktopIconView& desktop_;
    std::optional<MonitorFrame> outer_;
  };
  std::int32_t Metric(SystemMetric metric);
  void ShowMessage(std::u16string_view text);

  // A label as the shell gives it, in the system's ANSI code page, decoded.
  std::u16string DecodeLabel(std::string_view ansi) { return port_.FromAnsi(ansi); }

  // A change (a figure, a restore) from start to end. While it lives, the view notes
  // which icons are placed; Finish, once the change has sent its last message, hands
  // their positions, as the list view holds them then, to the shell's folder view, so
  // that the shell keeps them (Windows 10 1809 and later). Where there is no folder
  // view, that costs the port's lookup and nothing more. A change that throws never
  // reaches Finish and hands nothing over. A change opened inside another belongs to
  // the outer one.
  class Change {
   public:
    explicit Change(DesktopIconView& desktop);
    ~Change();
    Change(const Change&) = delete;
    Change& operator=(const Change&) = delete;
    // When the folder view holds other positions than the list view after the hand-over,
    // the list view's are sent again and one message box says so; a shell that could not
    // be given the positions (it arranges them itself, some icons are not among its items,
    // its folder view failed) is told of once a session. Never throws
    // ShellNotAnswering: the icons are placed by then, and a shell that stops answering
    // now leaves them where they are.
    void Finish();

   private:
    DesktopIconView& desktop_;
    bool outermost_;
  };
  static constexpr std::u16string_view kPositionsNotKept =
      u"The shell did not keep the icons' positions: they may move back when the desktop is refreshed.";
  static constexpr std::u16string_view kPositionsSnapped =
      u"The shell moved the icons onto its grid. To keep them where Vandrel puts them, right-click the desktop "
      u"and untick View > Align icons to grid.";
  // The three below are said once a session: they hold for every change after.
  static constexpr std::u16string_view kShellArranges =
      u"The shell arranges the desktop icons itself, so it was not given their positions: they will move back "
      u"when the desktop is refreshed. Right-click the desktop and untick View > Auto arrange icons.";
  static constexpr std::u16string_view kIconsNotFound =
      u"Some icons could not be found among the shell's own items, so the shell was not given their positions: "
      u"they may move back when the desktop is refreshed.";
  static constexpr std::u16string_view kShellUnreachable =
      u"The shell's folder view did not answer, so the shell was not given the icons' positions: they may move "
      u"back when the desktop is refreshed.";

  // The parsing name (UTF-8) of each icon of `labels` (every label of one read, in index
  // order), from the shell's folder view; "" for an icon it cannot find, and empty where
  // there is none.
  std::vector<std::string> ReadParsingNames(WindowHandle view, const std::vector<std::string>& labels);

 private:
  struct Journal {
    WindowHandle view = 0;
    std::vector<std::int32_t> placed;  // indices, in the order sent, repeats included
  };
  // Notes a placement sent with `wparam` for the change under way, if any.
  void NotePlaced(WindowHandle view, std::uintptr_t wparam);
  void CommitToShell(const Journal& journal);
  bool StayedPut(WindowHandle view, const std::vector<PlacedIcon>& icons);
  // Shows `text` the first time `outcome` comes in this session.
  void TellOnce(ShellCommit outcome, std::u16string_view text);

  DesktopChain FindMovedListView(WindowHandle progman);
  void SetPlacementBits(WindowHandle view, bool auto_arrange, bool snap_to_grid);
  void SetColoursAndRedraw(WindowHandle view, std::uint32_t text_colour, std::uint32_t background_colour);

  // A placement in the frame of the monitor figures go to, in the view's.
  std::uint32_t FromMonitor(WindowHandle view, std::uint32_t packed);

  DesktopPort& port_;
  std::optional<Journal> journal_;
  std::uint32_t told_ = 0;  // a bit for each ShellCommit said once
  std::optional<MonitorFrame> frame_;
};

}  // namespace vandrel
