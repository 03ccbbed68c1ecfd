#include "desktop/desktop_icon_view.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "desktop/icon_position.h"
#include "desktop/label_request.h"
#include "desktop/placement_batch.h"

namespace vandrel {
namespace {

constexpr char kShellWindow[] = "progman";
constexpr char kListViewClass[] = "SysListView32";
constexpr char kDefViewClass[] = "SHELLDLL_DefView";
constexpr char kWorkerClass[] = "WorkerW";

}  // namespace

DesktopChain DesktopIconView::FindDesktopChain() {
  const WindowHandle progman = port_.FindTopLevel(kShellWindow);
  const WindowHandle child = port_.FirstChild(progman);
  const WindowHandle view = port_.FirstChild(child);
  if (view != 0 && SameWindowClass(port_.ClassName(view), kListViewClass)) {
    return DesktopChain{ViewShape::Progman, {progman, child, view}};
  }
  return FindMovedListView(progman);
}

// Where the shell keeps its icon view when "progman" -> child -> child is not it:
//   Windows 7 to 11 before 24H2, after a wallpaper slideshow step or Win+D:
//     "Progman" (empty) ... top-level "WorkerW" > "SHELLDLL_DefView" > "SysListView32"
//   Windows 11 24H2:
//     "Progman" > { "WorkerW" (empty, first), "SHELLDLL_DefView" > "SysListView32" }
DesktopChain DesktopIconView::FindMovedListView(WindowHandle progman) {
  DesktopChain chain{ViewShape::Shell24H2, {progman}};
  WindowHandle defview = progman != 0 ? port_.FindChild(progman, kDefViewClass) : 0;
  for (WindowHandle worker = 0; defview == 0;) {
    worker = port_.FindNextTopLevel(worker, kWorkerClass);
    if (worker == 0) return DesktopChain{};
    defview = port_.FindChild(worker, kDefViewClass);
    chain = DesktopChain{ViewShape::WorkerW, {worker}};
  }
  const WindowHandle view = port_.FindChild(defview, kListViewClass);
  if (view == 0) return DesktopChain{};
  chain.windows.push_back(defview);
  chain.windows.push_back(view);
  return chain;
}

bool DesktopIconView::SetAutoArrange(bool flag) {
  const WindowHandle view = GetDesktopListView();
  if (view == 0) return false;
  std::uint32_t style = port_.GetStyle(view);
  style = flag ? (style | kAutoArrangeStyle) : (style & ~kAutoArrangeStyle);
  // Written even when the bit already has the wanted value.
  return port_.SetStyle(view, style) != 0;
}

void DesktopIconView::ClearSnapToGrid() {
  const WindowHandle view = GetDesktopListView();
  port_.Send(view, lvm::kSetExtendedListViewStyle, kSnapToGrid, 0);
}

std::int32_t DesktopIconView::GetItemCount(WindowHandle view) {
  return static_cast<std::int32_t>(port_.Send(view, lvm::kGetItemCount, 0, 0));
}

void DesktopIconView::SetItemPosition(WindowHandle view, std::int32_t index, std::uint32_t packed_position) {
  // The index travels as the 32-bit pattern; a negative index names no item.
  const std::uintptr_t wparam = static_cast<std::uint32_t>(index);
  port_.Send(view, lvm::kSetItemPosition, wparam, static_cast<std::intptr_t>(FromMonitor(view, packed_position)));
  NotePlaced(view, wparam);
}

void DesktopIconView::SetItemPositions(WindowHandle view, std::span<const MessageParameters> placements) {
  // Noted before the run: a run the shell stops answering throws, and a change that
  // throws hands nothing over.
  for (const MessageParameters& placement : placements) NotePlaced(view, placement.wparam);
  // A shift of 0 in 16 bits moves no position: the run goes as it was given.
  if (frame_ && FromMonitor(view, 0) != 0) {
    std::vector<MessageParameters> moved(placements.begin(), placements.end());
    for (MessageParameters& placement : moved) {
      placement.lparam = static_cast<std::intptr_t>(FromMonitor(view, static_cast<std::uint32_t>(placement.lparam)));
    }
    port_.SendRun(view, lvm::kSetItemPosition, moved);
    return;
  }
  port_.SendRun(view, lvm::kSetItemPosition, placements);
}

std::uint32_t DesktopIconView::FromMonitor(WindowHandle view, std::uint32_t packed) {
  if (!frame_) return packed;
  if (frame_->view != view) {
    const Rect& area = frame_->monitor.area;
    frame_->shift = FrameShift(Point{area.left, area.top}, ViewOrigin(view));
    frame_->view = view;
  }
  return ShiftPacked(packed, frame_->shift);
}

void DesktopIconView::NotePlaced(WindowHandle view, std::uintptr_t wparam) {
  if (!journal_) return;
  // The view reads the index from the low 32 bits, as a signed value.
  const auto index = static_cast<std::int32_t>(static_cast<std::uint32_t>(wparam & 0xFFFFFFFFu));
  if (index < 0) return;
  if (journal_->view != view) *journal_ = Journal{view, {}};
  journal_->placed.push_back(index);
}

void DesktopIconView::SetTextColor(std::uint32_t text_colour, std::uint32_t background_colour) {
  SetColoursAndRedraw(GetDesktopListView(), text_colour, background_colour);
}

void DesktopIconView::SetColoursAndRedraw(WindowHandle view, std::uint32_t text_colour,
                                          std::uint32_t background_colour) {
  port_.Send(view, lvm::kSetTextColor, 0, static_cast<std::intptr_t>(text_colour));
  port_.Send(view, lvm::kSetTextBkColor, 0, static_cast<std::intptr_t>(background_colour));
  const std::int32_t n = GetItemCount(view);
  // An empty view asks for 0 to -1, which repaints nothing. The last index travels
  // as a signed value, as the view reads it.
  const std::int32_t last = static_cast<std::int32_t>(static_cast<std::uint32_t>(n) - 1u);
  port_.Send(view, lvm::kRedrawItems, 0, static_cast<std::intptr_t>(last));
}

std::int32_t DesktopIconView::GetItemSpacing(WindowHandle view, bool small) {
  return static_cast<std::int32_t>(port_.Send(view, lvm::kGetItemSpacing, small ? 1 : 0, 0));
}

namespace {

// The shell's process behind a view, open for the length of one read.
class OpenedProcess {
 public:
  OpenedProcess(DesktopPort& port, WindowHandle view)
      : port_(port), id_(port.WindowProcessId(view)), handle_(port.OpenProcess(kLabelReadAccess, id_)) {}
  ~OpenedProcess() {
    if (handle_ != 0) port_.CloseProcess(handle_);
  }
  OpenedProcess(const OpenedProcess&) = delete;
  OpenedProcess& operator=(const OpenedProcess&) = delete;
  ProcessHandle get() const { return handle_; }
  // The width of the shell's pointers, which fixes the layout of its label records.
  int PointerBits() const { return port_.PointerBits(id_); }

 private:
  DesktopPort& port_;
  std::uint32_t id_;
  ProcessHandle handle_;
};

// A block allocated in the shell's process: freed, then released when the read
// ends, unless the shell may still write into it.
class RemoteBlock {
 public:
  RemoteBlock(DesktopPort& port, const OpenedProcess& process, std::size_t size)
      : port_(port), process_(process.get()), size_(size), at_(port.AllocateBlock(process_, size)) {}
  ~RemoteBlock() {
    if (at_ == 0 || abandoned_) return;
    port_.FreeBlock(process_, at_, size_);
    port_.ReleaseBlock(process_, at_);
  }
  RemoteBlock(const RemoteBlock&) = delete;
  RemoteBlock& operator=(const RemoteBlock&) = delete;
  RemoteAddress at() const { return at_; }
  bool Write(std::size_t offset, const void* bytes, std::size_t size) {
    return port_.Write(process_, at_ + offset, bytes, size);
  }
  bool Read(std::size_t offset, void* bytes, std::size_t size) {
    return port_.Read(process_, at_ + offset, bytes, size);
  }

  // Runs `requests`, the messages that make the shell write into the block. One that
  // timed out is still in the shell's queue, and when the shell gets to it, it writes
  // into the block: freed, that memory could by then hold something else of the
  // shell's, so the block is left to the shell for good.
  template <class Requests>
  void Send(Requests&& requests) {
    try {
      requests();
    } catch (const ShellNotAnswering&) {
      abandoned_ = true;
      throw;
    }
  }

 private:
  DesktopPort& port_;
  ProcessHandle process_;
  std::size_t size_;
  RemoteAddress at_;
  bool abandoned_ = false;
};

}  // namespace

std::int32_t DesktopIconView::GetItemTextRemote(WindowHandle view, std::int32_t index, std::int32_t subitem,
                                                char* buffer, std::int32_t size) {
  if (view == 0 || size < 0) return 0;
  const OpenedProcess process(port_, view);
  if (process.get() == 0) return 0;

  const int bits = process.PointerBits();
  const LabelRequestLayout layout = LabelRequestLayoutFor(bits);
  const auto text_size = static_cast<std::size_t>(size);
  RemoteBlock block(port_, process, layout.record_size + text_size);
  if (block.at() == 0) return 0;

  std::int32_t answer = 0;
  const std::vector<std::uint8_t> record = BuildLabelRequest(bits, block.at(), subitem, size);
  if (block.Write(0, record.data(), record.size())) {
    block.Send([&] {
      answer = static_cast<std::int32_t>(port_.Send(view, lvm::kGetItemTextA, static_cast<std::uint32_t>(index),
                                                    static_cast<std::intptr_t>(block.at())));
    });
  }
  // Read into a scratch area first: a failed read leaves the caller's buffer as it was.
  std::vector<char> text(text_size);
  if (text_size > 0 && block.Read(layout.record_size, text.data(), text_size)) {
    // Wine's list view fills every byte of a label that does not fit and writes no
    // terminator; Windows always ends the text within the room it was given.
    text[text_size - 1] = '\0';
    std::memcpy(buffer, text.data(), text_size);
  }
  return answer;
}

ViewState DesktopIconView::ReadViewState(WindowHandle view) {
  ViewState state;
  state.auto_arrange = (port_.GetStyle(view) & kAutoArrangeStyle) != 0;
  const auto extended = static_cast<std::uint32_t>(port_.Send(view, lvm::kGetExtendedListViewStyle, 0, 0));
  state.snap_to_grid = (extended & kSnapToGrid) != 0;
  state.text_colour = static_cast<std::uint32_t>(port_.Send(view, lvm::kGetTextColor, 0, 0));
  state.background_colour = static_cast<std::uint32_t>(port_.Send(view, lvm::kGetTextBkColor, 0, 0));
  return state;
}

std::optional<DesktopContents> DesktopIconView::ReadDesktop(WindowHandle view) {
  if (view == 0) return std::nullopt;
  const std::int32_t n = GetItemCount(view);
  if (n > kMostIconsRead) return std::nullopt;
  DesktopContents contents;
  contents.view = ReadViewState(view);
  // A view gone since it was found answers 0 to every message: that is not an empty
  // desktop with black labels, and it must not be kept as one (an undo, or a display's
  // original, would then put black labels back).
  if (n <= 0) return port_.WindowProcessId(view) != 0 ? std::optional(contents) : std::nullopt;

  const OpenedProcess process(port_, view);
  if (process.get() == 0) return std::nullopt;
  const int bits = process.PointerBits();

  // The records side by side first, so that one write puts them all in place; the
  // points and the labels after them, filled by the view, come back with one read.
  constexpr std::size_t kPointSize = 8;  // POINT: two 32-bit coordinates
  const auto count = static_cast<std::size_t>(n);
  const std::size_t record_size = LabelRequestLayoutFor(bits).record_size;
  const std::size_t points_at = count * record_size;
  const std::size_t labels_at = points_at + count * kPointSize;
  const std::size_t block_size = labels_at + count * kSnapshotLabelRoom;
  RemoteBlock block(port_, process, block_size);
  if (block.at() == 0) return std::nullopt;

  std::vector<std::uint8_t> bytes(block_size);
  for (std::size_t i = 0; i < count; ++i) {
    PutLabelRequest(bits, bytes.data() + i * record_size, block.at() + labels_at + i * kSnapshotLabelRoom, 0,
                    static_cast<std::int32_t>(kSnapshotLabelRoom));
  }
  if (!block.Write(0, bytes.data(), points_at)) return std::nullopt;

  std::size_t present = count;
  block.Send([&] {
    for (std::size_t i = 0; i < count; ++i) {
      const RemoteAddress point = block.at() + points_at + i * kPointSize;
      // Refused only for an index past the view's end: the desktop lost icons since
      // the count, and the ones from here on are not there to be read.
      if (port_.Send(view, lvm::kGetItemPosition, i, static_cast<std::intptr_t>(point)) == 0) {
        present = std::min(present, i);
      }
      port_.Send(view, lvm::kGetItemTextA, i, static_cast<std::intptr_t>(block.at() + i * record_size));
    }
  });
  if (!block.Read(0, bytes.data(), block_size)) return std::nullopt;
  // Gone during the read: the icons after that read as refused.
  if (port_.WindowProcessId(view) == 0) return std::nullopt;

  contents.icons.resize(present);
  for (std::size_t i = 0; i < present; ++i) {
    IconReading& icon = contents.icons[i];
    std::int32_t xy[2];
    std::memcpy(xy, bytes.data() + points_at + i * kPointSize, sizeof xy);
    icon.x = xy[0];
    icon.y = xy[1];
    // Wine fills the whole room of a label that does not fit, without a terminator:
    // the last byte is never part of the label.
    const char* label = reinterpret_cast<const char*>(bytes.data() + labels_at + i * kSnapshotLabelRoom);
    const void* end = std::memchr(label, 0, kSnapshotLabelRoom - 1);
    icon.label.assign(label, end != nullptr ? static_cast<const char*>(end) : label + kSnapshotLabelRoom - 1);
  }
  return contents;
}

// Each bit is written only when it changes: each SetWindowLongA on the shell's view
// costs two cross-process messages (WM_STYLECHANGING, WM_STYLECHANGED), and a list view
// that is sent its extended style lays out and repaints every item, a few milliseconds
// under Wine, where reading it back is one plain message.
void DesktopIconView::SetPlacementBits(WindowHandle view, bool auto_arrange, bool snap_to_grid) {
  const std::uint32_t style = port_.GetStyle(view);
  const std::uint32_t wanted = auto_arrange ? (style | kAutoArrangeStyle) : (style & ~kAutoArrangeStyle);
  if (wanted != style) port_.SetStyle(view, wanted);
  const auto extended = static_cast<std::uint32_t>(port_.Send(view, lvm::kGetExtendedListViewStyle, 0, 0));
  if (((extended & kSnapToGrid) != 0) == snap_to_grid) return;
  const std::uint32_t snap = snap_to_grid ? kSnapToGrid : 0;
  port_.Send(view, lvm::kSetExtendedListViewStyle, kSnapToGrid, static_cast<std::intptr_t>(snap));
}

void DesktopIconView::FreePlacement(WindowHandle view) {
  if (view != 0) SetPlacementBits(view, false, false);
}

void DesktopIconView::ApplyViewState(WindowHandle view, const ViewState& state) {
  if (view == 0) return;
  SetPlacementBits(view, state.auto_arrange, state.snap_to_grid);
  // The placements have repainted their icons already: a redraw of every item is only
  // for colours that change.
  const auto text = static_cast<std::uint32_t>(port_.Send(view, lvm::kGetTextColor, 0, 0));
  const auto background = static_cast<std::uint32_t>(port_.Send(view, lvm::kGetTextBkColor, 0, 0));
  if (text == state.text_colour && background == state.background_colour) return;
  SetColoursAndRedraw(view, state.text_colour, state.background_colour);
}

namespace {

// The shell's folder view, open for one step.
class OpenedFolderView {
 public:
  OpenedFolderView(DesktopPort& port, WindowHandle list_view) : port_(port), handle_(port.OpenFolderView(list_view)) {}
  ~OpenedFolderView() {
    if (handle_ != 0) port_.CloseFolderView(handle_);
  }
  OpenedFolderView(const OpenedFolderView&) = delete;
  OpenedFolderView& operator=(const OpenedFolderView&) = delete;
  FolderViewHandle get() const { return handle_; }

 private:
  DesktopPort& port_;
  FolderViewHandle handle_;
};

}  // namespace

DesktopIconView::Change::Change(DesktopIconView& desktop) : desktop_(desktop), outermost_(!desktop.journal_) {
  if (outermost_) desktop_.journal_.emplace();
}

DesktopIconView::Change::~Change() {
  if (outermost_) desktop_.journal_.reset();
}

void DesktopIconView::Change::Finish() {
  if (!outermost_ || !desktop_.journal_) return;
  const Journal journal = std::move(*desktop_.journal_);
  // Closed first: what the hand-over sends is not part of the change.
  desktop_.journal_.reset();
  try {
    desktop_.CommitToShell(journal);
  } catch (const ShellNotAnswering&) {
  }
}

void DesktopIconView::CommitToShell(const Journal& journal) {
  if (journal.view == 0 || journal.placed.empty()) return;
  const OpenedFolderView folder(port_, journal.view);
  if (folder.get() == 0) return;
  // The positions the list view holds now, not those sent: the view may have moved an
  // icon since (a placement outside its range, a repeat), and the shell must get what
  // the user sees.
  const std::optional<DesktopContents> contents = ReadDesktop(journal.view);
  if (!contents) return;
  std::vector<std::int32_t> indices = journal.placed;
  std::sort(indices.begin(), indices.end());
  indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
  ShellHandOver hand_over;
  hand_over.placed.reserve(indices.size());
  for (const std::int32_t index : indices) {
    const auto at = static_cast<std::size_t>(index);
    if (at >= contents->icons.size()) break;  // gone since it was placed
    hand_over.placed.push_back(PlacedIcon{index, contents->icons[at].x, contents->icons[at].y});
  }
  if (hand_over.placed.empty()) return;
  hand_over.labels.reserve(contents->icons.size());
  for (const IconReading& icon : contents->icons) hand_over.labels.push_back(icon.label);
  hand_over.auto_arrange = contents->view.auto_arrange;
  hand_over.snap_to_grid = contents->view.snap_to_grid;

  const ShellCommit result = port_.CommitToShell(folder.get(), hand_over);
  switch (result) {
    case ShellCommit::Skipped:
      return;
    case ShellCommit::Arranging:
      return TellOnce(result, kShellArranges);
    case ShellCommit::Failed:
      return TellOnce(result, kShellUnreachable);
    case ShellCommit::Kept:
    case ShellCommit::Unidentified:
      // The folder view may agree with itself and still have moved the list view's icons
      // (its points measured from elsewhere): only the list view shows what the user sees.
      if (StayedPut(journal.view, hand_over.placed)) {
        if (result == ShellCommit::Unidentified) TellOnce(result, kIconsNotFound);
        return;
      }
      break;
    case ShellCommit::NotKept:
    case ShellCommit::Snapped:
      break;
  }
  PlacementBatch batch(*this, journal.view);
  for (const PlacedIcon& icon : hand_over.placed) batch.Place(icon.index, PackPosition(icon.x, icon.y));
  batch.Send();
  port_.ShowMessage(result == ShellCommit::Snapped ? kPositionsSnapped : kPositionsNotKept);
}

void DesktopIconView::TellOnce(ShellCommit outcome, std::u16string_view text) {
  const std::uint32_t bit = 1u << static_cast<unsigned>(outcome);
  if ((told_ & bit) != 0) return;
  told_ |= bit;
  port_.ShowMessage(text);
}

bool DesktopIconView::StayedPut(WindowHandle view, const std::vector<PlacedIcon>& icons) {
  // A view that cannot be read again, or an icon gone meanwhile, shows no icon moved.
  const std::optional<DesktopContents> now = ReadDesktop(view);
  if (!now) return true;
  return std::all_of(icons.begin(), icons.end(), [&](const PlacedIcon& icon) {
    const auto at = static_cast<std::size_t>(icon.index);
    return at >= now->icons.size() || (now->icons[at].x == icon.x && now->icons[at].y == icon.y);
  });
}

std::vector<std::string> DesktopIconView::ReadParsingNames(WindowHandle view, const std::vector<std::string>& labels) {
  if (view == 0 || labels.empty()) return {};
  const OpenedFolderView folder(port_, view);
  if (folder.get() == 0) return {};
  return port_.ParsingNames(folder.get(), labels);
}

DisplayConfiguration DesktopIconView::ReadDisplay() {
  DisplayConfiguration display;
  display.work_area = WorkArea();
  display.screen_width = port_.GetMetric(SystemMetric::ScreenWidth);
  display.screen_height = port_.GetMetric(SystemMetric::ScreenHeight);
  display.dpi = port_.SystemDpi();
  display.monitors = port_.GetMetric(SystemMetric::MonitorCount);
  display.monitor_list = ReadMonitors();
  return display;
}

std::vector<Monitor> DesktopIconView::ReadMonitors() {
  std::vector<Monitor> monitors = port_.Monitors();
  if (monitors.empty()) monitors = port_.DesktopPort::Monitors();
  return NumberMonitors(std::move(monitors));
}

Point DesktopIconView::ViewOrigin(WindowHandle view) {
  Point origin;
  if (view == 0 || !port_.ClientOrigin(view, origin)) return Point{};
  return origin;
}

DesktopIconView::OnMonitor::OnMonitor(DesktopIconView& desktop, MonitorChoice choice)
    : desktop_(desktop), outer_(desktop.frame_) {
  const std::vector<Monitor> monitors = desktop.ReadMonitors();
  std::size_t chosen = 0;
  Rect window;
  if (choice.window != 0 && desktop.port_.WindowRect(choice.window, window)) {
    chosen = MonitorHolding(monitors, window);
  } else if (choice.number >= 1 && static_cast<std::size_t>(choice.number) <= monitors.size()) {
    chosen = static_cast<std::size_t>(choice.number) - 1;
  }
  desktop.frame_ = MonitorFrame{monitors[chosen], 0, Point{}};
}

DesktopIconView::OnMonitor::~OnMonitor() { desktop_.frame_ = outer_; }

Rect DesktopIconView::WorkArea() {
  if (frame_ && !frame_->monitor.primary) return frame_->monitor.work_area;
  Rect area;
  if (port_.ReadWorkArea(area)) return area;
  return Rect{0, 0, port_.GetMetric(SystemMetric::ScreenWidth), port_.GetMetric(SystemMetric::ScreenHeight)};
}

std::int32_t DesktopIconView::Metric(SystemMetric metric) { return port_.GetMetric(metric); }

void DesktopIconView::ShowMessage(std::u16string_view text) { port_.ShowMessage(text); }

}  // namespace vandrel
