#include "desktop/desktop_icon_view.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "desktop/label_request.h"

namespace vandrel {
namespace {

constexpr char kShellWindow[] = "progman";
constexpr char kListViewClass[] = "SysListView32";
constexpr char kDefViewClass[] = "SHELLDLL_DefView";
constexpr char kWorkerClass[] = "WorkerW";

}  // namespace

WindowHandle DesktopIconView::GetDesktopListView() {
  const WindowHandle progman = port_.FindTopLevel(kShellWindow);
  const WindowHandle view = port_.FirstChild(port_.FirstChild(progman));
  if (view != 0 && SameWindowClass(port_.ClassName(view), kListViewClass)) return view;
  return FindMovedListView(progman);
}

// Where the shell keeps its icon view when "progman" -> child -> child is not it:
//   Windows 7 to 11 before 24H2, after a wallpaper slideshow step or Win+D:
//     "Progman" (empty) ... top-level "WorkerW" > "SHELLDLL_DefView" > "SysListView32"
//   Windows 11 24H2:
//     "Progman" > { "WorkerW" (empty, first), "SHELLDLL_DefView" > "SysListView32" }
WindowHandle DesktopIconView::FindMovedListView(WindowHandle progman) {
  WindowHandle defview = progman != 0 ? port_.FindChild(progman, kDefViewClass) : 0;
  for (WindowHandle worker = 0; defview == 0;) {
    worker = port_.FindNextTopLevel(worker, kWorkerClass);
    if (worker == 0) return 0;
    defview = port_.FindChild(worker, kDefViewClass);
  }
  return port_.FindChild(defview, kListViewClass);
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
  port_.Send(view, lvm::kSetItemPosition, static_cast<std::uint32_t>(index),
             static_cast<std::intptr_t>(packed_position));
}

void DesktopIconView::SetTextColor(std::uint32_t text_colour, std::uint32_t background_colour) {
  const WindowHandle view = GetDesktopListView();
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

// The shell's process, open for the length of one label read.
class OpenedProcess {
 public:
  OpenedProcess(DesktopPort& port, ProcessHandle handle) : port_(port), handle_(handle) {}
  ~OpenedProcess() {
    if (handle_ != 0) port_.CloseProcess(handle_);
  }
  OpenedProcess(const OpenedProcess&) = delete;
  OpenedProcess& operator=(const OpenedProcess&) = delete;
  ProcessHandle get() const { return handle_; }

 private:
  DesktopPort& port_;
  ProcessHandle handle_;
};

// A block committed in the shell's process: decommitted, then released when the read
// ends, unless the shell may still write into it.
class CommittedBlock {
 public:
  CommittedBlock(DesktopPort& port, ProcessHandle process, std::size_t size)
      : port_(port), process_(process), size_(size), at_(port.Commit(process, size)) {}
  ~CommittedBlock() {
    if (at_ == 0 || abandoned_) return;
    port_.Decommit(process_, at_, size_);
    port_.Release(process_, at_);
  }
  CommittedBlock(const CommittedBlock&) = delete;
  CommittedBlock& operator=(const CommittedBlock&) = delete;
  RemoteAddress at() const { return at_; }
  // Leaves the block to the shell for good: a request that timed out is still in the
  // shell's queue, and when the shell gets to it, it writes the label into the block.
  // Freed, that memory could by then hold something else of the shell's.
  void Abandon() { abandoned_ = true; }

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
  const std::uint32_t process_id = port_.WindowProcessId(view);
  const OpenedProcess process(port_, port_.OpenProcess(kLabelReadAccess, process_id));
  if (process.get() == 0) return 0;

  const int bits = port_.PointerBits(process_id);
  const LabelRequestLayout layout = LabelRequestLayoutFor(bits);
  const auto text_size = static_cast<std::size_t>(size);
  CommittedBlock block(port_, process.get(), layout.record_size + text_size);
  if (block.at() == 0) return 0;

  std::int32_t answer = 0;
  const std::vector<std::uint8_t> record = BuildLabelRequest(bits, block.at(), subitem, size);
  if (port_.Write(process.get(), block.at(), record.data(), record.size())) {
    try {
      answer = static_cast<std::int32_t>(port_.Send(view, lvm::kGetItemTextA, static_cast<std::uint32_t>(index),
                                                    static_cast<std::intptr_t>(block.at())));
    } catch (const ShellNotAnswering&) {
      block.Abandon();
      throw;
    }
  }
  // Read into a scratch area first: a failed read leaves the caller's buffer as it was.
  std::vector<char> text(text_size);
  if (text_size > 0 && port_.Read(process.get(), block.at() + layout.record_size, text.data(), text_size)) {
    // Wine's list view fills every byte of a label that does not fit and writes no
    // terminator; Windows always ends the text within the room it was given.
    text[text_size - 1] = '\0';
    std::memcpy(buffer, text.data(), text_size);
  }
  return answer;
}

Rect DesktopIconView::WorkArea() {
  Rect area;
  if (port_.ReadWorkArea(area)) return area;
  return Rect{0, 0, port_.GetMetric(SystemMetric::ScreenWidth), port_.GetMetric(SystemMetric::ScreenHeight)};
}

std::int32_t DesktopIconView::Metric(SystemMetric metric) { return port_.GetMetric(metric); }

void DesktopIconView::ShowMessage(std::u16string_view text) { port_.ShowMessage(text); }

}  // namespace vandrel
