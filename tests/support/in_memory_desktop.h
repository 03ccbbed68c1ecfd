// A desktop held in memory that answers like the Windows shell: a window tree with
// the shell's "Progman" window (in any of the layouts Windows has used), a list view
// with icons, label texts, colours, style bits and spacing, the shell's process
// memory for the label reads, the work area, the system metrics and DPI. The figures run
// against it in unit tests exactly as they run against the real shell.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "desktop/desktop_port.h"

namespace vandrel {

// Where the shell keeps its icon view.
enum class ShellLayout {
  Progman,      // "Progman" > "SHELLDLL_DefView" > "SysListView32"
  Windows10WorkerW,  // empty "Progman"; top-level "WorkerW" > "SHELLDLL_DefView" > list view
  Windows11_24H2,    // "Progman" > { empty "WorkerW", "SHELLDLL_DefView" > list view }
  None,         // no shell window at all
};

struct DesktopIcon {
  std::string label;
  std::int16_t x = 0;
  std::int16_t y = 0;
};

class InMemoryDesktop : public DesktopPort {
 public:
  static constexpr std::uint32_t kShellProcessId = 4242;
  static constexpr std::uint32_t kInitialStyle = 0x56000140;  // visible child, auto-arrange, shared images
  static constexpr std::uint32_t kInitialExtendedStyle = 0x00080400;  // snap to grid, and one more bit

  explicit InMemoryDesktop(std::int32_t icon_count = 0, ShellLayout layout = ShellLayout::Progman);

  // --- The desktop's make-up ---
  std::vector<DesktopIcon>& icons() { return icons_; }
  const std::vector<DesktopIcon>& icons() const { return icons_; }
  void SetIconCount(std::int32_t count);  // labels "Icon 0", "Icon 1", ...
  WindowHandle list_view() const { return list_view_; }
  WindowHandle progman() const { return progman_; }
  void SetWorkArea(Rect area) { work_area_ = area; }
  void FailWorkAreaRead(bool fail) { work_area_fails_ = fail; }
  void SetMetric(SystemMetric metric, std::int32_t value) { metrics_[metric] = value; }
  void SetSystemDpi(std::uint32_t dpi) { dpi_ = dpi; }
  // The monitors in the order the system lists them; none set: the primary screen alone.
  void SetMonitors(std::vector<Monitor> monitors) { monitors_ = std::move(monitors); }
  // Where the list view's client area starts on the virtual screen: its (0, 0) in screen
  // coordinates, the virtual screen's top-left corner as the shell places it.
  void SetViewOrigin(Point origin) { view_origin_ = origin; }
  // Where a window of the program lies, for the choice of a figure's monitor.
  void SetWindowRect(WindowHandle window, Rect rect) { window_rects_[window] = rect; }
  void SetSpacing(bool small, std::uint16_t cx, std::uint16_t cy);
  void SetShellPointerBits(int bits) { shell_pointer_bits_ = bits; }
  void FailOpenProcess(bool fail) { open_fails_ = fail; }
  void FailAllocation(bool fail) { allocation_fails_ = fail; }
  // The view answers LVM_GETITEMCOUNT with this rather than its icon count, as a view
  // whose icons come and go between two messages, or that answers nonsense, would.
  void ReportItemCount(std::optional<std::intptr_t> count) { reported_count_ = count; }
  // The list view goes, as when the shell ends: its handle then names no window.
  void DestroyListView();
  // Wine's list view fills every byte of a label that does not fit, without a terminator.
  void FillOverlongLabels(bool fill) { fill_overlong_labels_ = fill; }
  // The view answers this many more messages, then stops answering, as a hung shell
  // does: every later message raises ShellNotAnswering.
  void StopAnsweringAfter(std::size_t messages) { answers_left_ = messages; }
  // Runs after the view has answered a message: lets a test change the desktop mid-figure.
  std::function<void(std::uint32_t message, std::uintptr_t wparam)> after_message;
  // Runs when a message box is shown (and "closed").
  std::function<void(std::u16string_view)> on_message_box;

  // A folder view over the list view, as the shell has since Windows 10 1809; none
  // unless a test sets one.
  struct FolderView {
    ShellCommit outcome = ShellCommit::Kept;
    std::vector<std::string> parsing_names;  // answered when asked for exactly as many labels
    std::vector<std::vector<PlacedIcon>> commits;  // what it was handed, call by call
    // Runs when positions are handed over: lets a test move icons of the list view, as
    // a shell that puts them elsewhere would.
    std::function<void(const std::vector<PlacedIcon>&)> on_commit;
    // The positions it holds other than the list view's, by list-view index; an index
    // given nullopt is not among its items.
    std::map<std::int32_t, std::optional<Point>> elsewhere;
    bool unreadable = false;  // its items cannot be read
  };
  std::optional<FolderView> folder_view;
  std::size_t open_folder_views() const { return open_folder_views_; }

  // --- What the view holds now ---
  std::uint32_t style() const { return windows_.at(list_view_).style; }
  void set_style(std::uint32_t style) { windows_.at(list_view_).style = style; }
  std::uint32_t extended_style() const { return extended_style_; }
  void set_extended_style(std::uint32_t style) { extended_style_ = style; }
  std::uint32_t text_colour() const { return text_colour_; }
  std::uint32_t background_colour() const { return background_colour_; }
  struct Range { std::int64_t first, last; };
  const std::vector<Range>& redraws() const { return redraws_; }
  const std::vector<std::u16string>& messages_shown() const { return messages_shown_; }
  // Process handles still open and blocks still allocated in the shell's memory.
  std::size_t open_process_handles() const { return open_processes_.size(); }
  std::size_t allocated_blocks() const { return blocks_.size(); }
  std::size_t last_allocated_size() const { return last_allocated_size_; }

  // --- DesktopPort ---
  WindowHandle FindTopLevel(std::string_view class_name) override;
  WindowHandle FindNextTopLevel(WindowHandle after, std::string_view class_name) override;
  WindowHandle FindChild(WindowHandle parent, std::string_view class_name) override;
  WindowHandle FirstChild(WindowHandle window) override;
  std::string ClassName(WindowHandle window) override;
  std::uint32_t GetStyle(WindowHandle window) override;
  std::uint32_t SetStyle(WindowHandle window, std::uint32_t style) override;
  std::intptr_t Send(WindowHandle window, std::uint32_t message, std::uintptr_t wparam,
                     std::intptr_t lparam) override;
  std::uint32_t WindowProcessId(WindowHandle window) override;
  ProcessHandle OpenProcess(std::uint32_t access, std::uint32_t process_id) override;
  int PointerBits(std::uint32_t process_id) override;
  RemoteAddress AllocateBlock(ProcessHandle process, std::size_t size) override;
  bool Write(ProcessHandle process, RemoteAddress at, const void* bytes, std::size_t size) override;
  bool Read(ProcessHandle process, RemoteAddress at, void* bytes, std::size_t size) override;
  void FreeBlock(ProcessHandle process, RemoteAddress at, std::size_t size) override;
  void ReleaseBlock(ProcessHandle process, RemoteAddress at) override;
  void CloseProcess(ProcessHandle process) override;
  bool ReadWorkArea(Rect& area) override;
  std::int32_t GetMetric(SystemMetric metric) override;
  std::uint32_t SystemDpi() override;
  std::vector<Monitor> Monitors() override;
  bool ClientOrigin(WindowHandle window, Point& origin) override;
  bool WindowRect(WindowHandle window, Rect& rect) override;
  void ShowMessage(std::u16string_view text) override;
  std::u16string FromAnsi(std::string_view bytes) override;
  FolderViewHandle OpenFolderView(WindowHandle list_view) override;
  ShellCommit CommitToShell(FolderViewHandle view, const ShellHandOver& hand_over) override;
  std::vector<std::string> ParsingNames(FolderViewHandle view, const std::vector<std::string>& labels) override;
  std::vector<std::optional<Point>> ShellPositions(FolderViewHandle view, const std::vector<std::string>& labels,
                                                  std::size_t first) override;
  void CloseFolderView(FolderViewHandle view) override;

 private:
  struct Window {
    std::string class_name;
    WindowHandle parent = 0;
    std::vector<WindowHandle> children;  // top of the Z order first
    std::uint32_t style = 0;
  };
  struct Block {
    std::vector<std::uint8_t> bytes;
    bool freed = false;
  };

  WindowHandle AddWindow(std::string class_name, WindowHandle parent);
  std::intptr_t Answer(std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam);
  std::intptr_t AnswerGetItemText(std::uintptr_t index, RemoteAddress record);
  std::uint8_t* Memory(RemoteAddress at, std::size_t size);
  bool IsOpen(ProcessHandle process) const;

  std::map<WindowHandle, Window> windows_;
  std::vector<WindowHandle> top_level_;
  WindowHandle next_window_ = 0x10010;
  WindowHandle progman_ = 0;
  WindowHandle list_view_ = 0;

  std::vector<DesktopIcon> icons_;
  std::uint32_t extended_style_ = kInitialExtendedStyle;
  std::uint32_t text_colour_ = 0x00FFFFFF;
  std::uint32_t background_colour_ = 0x00A56E3A;
  std::uint32_t small_spacing_ = 0x004B004B;
  std::uint32_t large_spacing_ = 0x004B004B;
  std::vector<Range> redraws_;

  Rect work_area_{0, 0, 1024, 738};
  bool work_area_fails_ = false;
  std::map<SystemMetric, std::int32_t> metrics_;
  std::uint32_t dpi_ = 96;
  std::vector<Monitor> monitors_;
  Point view_origin_;
  std::map<WindowHandle, Rect> window_rects_;
  std::optional<std::intptr_t> reported_count_;

  int shell_pointer_bits_ = 64;
  bool open_fails_ = false;
  bool allocation_fails_ = false;
  bool fill_overlong_labels_ = false;
  std::vector<ProcessHandle> open_processes_;
  ProcessHandle next_process_ = 0x200;
  std::map<RemoteAddress, Block> blocks_;
  RemoteAddress next_block_ = 0;
  std::size_t last_allocated_size_ = 0;

  std::vector<std::u16string> messages_shown_;
  std::optional<std::size_t> answers_left_;
  std::size_t open_folder_views_ = 0;
};

}  // namespace vandrel
