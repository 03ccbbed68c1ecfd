// The narrow seam between Vandrel and the desktop it works on. Everything a figure
// touches outside the program goes through DesktopPort: finding windows, their
// style words, list-view messages, the few process-memory calls of the label reads,
// the work area, the system metrics and DPI, and the modal message box.
//
// Three implementations: the Win32 backend (the product), an in-memory desktop that
// answers like the shell's list view, and a recorder that logs every call in order.
#pragma once

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vandrel {

// A window of the desktop; 0 is the null window. Wide enough for an HWND.
using WindowHandle = std::uintptr_t;
// An open process; 0 when the process could not be opened.
using ProcessHandle = std::uintptr_t;
// An address inside another process; 0 when a block could not be allocated.
using RemoteAddress = std::uint64_t;

struct Rect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

struct Point {
  std::int32_t x = 0;
  std::int32_t y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

// One monitor of the virtual screen, in screen coordinates (the primary's top-left
// corner is (0, 0); others may lie left of or above it).
struct Monitor {
  Rect area = {};       // rcMonitor
  Rect work_area = {};  // rcWork: the monitor less the taskbars on it
  std::uint32_t dpi = 96;
  bool primary = false;
  friend bool operator==(const Monitor&, const Monitor&) = default;
};

// The system metrics Vandrel reads, with their Win32 index.
enum class SystemMetric : int {
  ScreenWidth = 0,        // SM_CXSCREEN
  ScreenHeight = 1,       // SM_CYSCREEN
  IconWidth = 11,         // SM_CXICON
  IconHeight = 12,        // SM_CYICON
  IconSpacingY = 39,      // SM_CYICONSPACING
  MonitorCount = 80,      // SM_CMONITORS
};

// List-view messages (the ANSI entries where there are two).
namespace lvm {
inline constexpr std::uint32_t kGetItemCount = 0x1004;
inline constexpr std::uint32_t kSetItemPosition = 0x100F;
inline constexpr std::uint32_t kGetItemPosition = 0x1010;
inline constexpr std::uint32_t kRedrawItems = 0x1015;
inline constexpr std::uint32_t kGetTextColor = 0x1023;
inline constexpr std::uint32_t kSetTextColor = 0x1024;
inline constexpr std::uint32_t kGetTextBkColor = 0x1025;
inline constexpr std::uint32_t kSetTextBkColor = 0x1026;
inline constexpr std::uint32_t kGetItemTextA = 0x102D;
inline constexpr std::uint32_t kGetItemSpacing = 0x1033;
inline constexpr std::uint32_t kSetExtendedListViewStyle = 0x1036;
inline constexpr std::uint32_t kGetExtendedListViewStyle = 0x1037;
}  // namespace lvm

inline constexpr std::uint32_t kAutoArrangeStyle = 0x100;  // LVS_AUTOARRANGE
inline constexpr std::uint32_t kSnapToGrid = 0x80000;      // LVS_EX_SNAPTOGRID
inline constexpr std::uint32_t kNoColour = 0xFFFFFFFF;     // CLR_NONE

// PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE
inline constexpr std::uint32_t kLabelReadAccess = 0x38;

// The shell's thread did not answer a message within the time limit (it is hung, or
// too busy). The figure that sent it stops there; the icons placed so far stay.
class ShellNotAnswering : public std::runtime_error {
 public:
  ShellNotAnswering() : std::runtime_error("The desktop did not answer in time; the icons stay where they are") {}
};

// An icon a change placed, at the position the list view holds for it.
struct PlacedIcon {
  std::int32_t index;
  std::int32_t x;
  std::int32_t y;
  friend bool operator==(const PlacedIcon&, const PlacedIcon&) = default;
};

// The parameters of one message of a run: the same message to the same window, many times.
struct MessageParameters {
  std::uintptr_t wparam;
  std::intptr_t lparam;
};

// What became of positions handed to the shell's folder view.
enum class ShellCommit {
  Skipped,       // no call was made: there was nothing to hand over
  Kept,          // the folder view holds every position as it was given
  NotKept,       // the folder view took the positions and holds others
  Snapped,       // ... others, each within one grid step: the shell put them on its grid
  Arranging,     // no call was made: the shell arranges the icons itself and would not stop
  Unidentified,  // those handed over were kept, but not every icon could be found to hand over
  Failed,        // the folder view could not be reached, failed or did not answer in time
};

// A change's positions for the shell's folder view, from one read of the list view.
struct ShellHandOver {
  std::vector<PlacedIcon> placed;  // at the positions the list view holds
  // Every icon's label (the shell's ANSI bytes), by list-view index: the folder view's
  // items are in an order of their own and are found by their names.
  std::vector<std::string> labels;
  // The arrangement the change leaves the list view in, which the folder view's own
  // settings follow once the positions are handed over.
  bool auto_arrange = false;
  bool snap_to_grid = false;
};

// The shell's folder view of the desktop, open for one step; 0 for none.
using FolderViewHandle = std::uintptr_t;

// Window class names compare without regard to case, as Windows compares them.
inline bool SameWindowClass(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

class DesktopPort {
 public:
  virtual ~DesktopPort() = default;

  // --- Windows ---
  // FindWindowA(class_name, nullptr): a top-level window of that class, any title.
  virtual WindowHandle FindTopLevel(std::string_view class_name) = 0;
  // FindWindowExA(nullptr, after, class_name, nullptr): the next top-level window of
  // that class after `after` (0: the first).
  virtual WindowHandle FindNextTopLevel(WindowHandle after, std::string_view class_name) = 0;
  // FindWindowExA(parent, nullptr, class_name, nullptr): its first child of that class.
  virtual WindowHandle FindChild(WindowHandle parent, std::string_view class_name) = 0;
  // GetWindow(window, GW_CHILD): the child at the top of the Z order.
  virtual WindowHandle FirstChild(WindowHandle window) = 0;
  // GetClassNameA; empty for the null or a vanished window.
  virtual std::string ClassName(WindowHandle window) = 0;
  // GetWindowLongA / SetWindowLongA with GWL_STYLE. SetStyle answers the previous
  // style word, 0 on failure.
  virtual std::uint32_t GetStyle(WindowHandle window) = 0;
  virtual std::uint32_t SetStyle(WindowHandle window, std::uint32_t style) = 0;
  // SendMessageA: synchronous, the answer of the window's owner; 0 from the null or a
  // vanished window. Throws ShellNotAnswering when the owner does not answer in time.
  virtual std::intptr_t Send(WindowHandle window, std::uint32_t message, std::uintptr_t wparam,
                             std::intptr_t lparam) = 0;
  // `message` with each of `run`'s parameters, in order, as that many Send calls would
  // send them; the answers are not kept. Throws ShellNotAnswering as Send does, with the
  // messages before the one not answered sent. A port may carry a long run from a thread
  // of its own.
  virtual void SendRun(WindowHandle window, std::uint32_t message, std::span<const MessageParameters> run) {
    for (const MessageParameters& parameters : run) Send(window, message, parameters.wparam, parameters.lparam);
  }

  // --- Another process's memory (the label reads) ---
  // GetWindowThreadProcessId: the owner's process id, 0 for no window.
  virtual std::uint32_t WindowProcessId(WindowHandle window) = 0;
  virtual ProcessHandle OpenProcess(std::uint32_t access, std::uint32_t process_id) = 0;
  // 32 or 64: the width of a pointer inside that process, which fixes the layout of
  // the records it reads.
  virtual int PointerBits(std::uint32_t process_id) = 0;
  // VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE): a zero-filled block.
  virtual RemoteAddress AllocateBlock(ProcessHandle process, std::size_t size) = 0;
  virtual bool Write(ProcessHandle process, RemoteAddress at, const void* bytes, std::size_t size) = 0;
  virtual bool Read(ProcessHandle process, RemoteAddress at, void* bytes, std::size_t size) = 0;
  // VirtualFreeEx with MEM_DECOMMIT, then with MEM_RELEASE.
  virtual void FreeBlock(ProcessHandle process, RemoteAddress at, std::size_t size) = 0;
  virtual void ReleaseBlock(ProcessHandle process, RemoteAddress at) = 0;
  virtual void CloseProcess(ProcessHandle process) = 0;

  // --- The system ---
  // SystemParametersInfoA(SPI_GETWORKAREA); false when the read failed.
  virtual bool ReadWorkArea(Rect& area) = 0;
  virtual std::int32_t GetMetric(SystemMetric metric) = 0;
  // The system's DPI (GetDpiForSystem where there is one), which a layout is made for.
  virtual std::uint32_t SystemDpi() = 0;
  // The monitors as EnumDisplayMonitors and GetMonitorInfo give them, each with its
  // DPI. Where a port cannot tell, the primary screen alone, with the work area.
  virtual std::vector<Monitor> Monitors() {
    const Rect screen{0, 0, GetMetric(SystemMetric::ScreenWidth), GetMetric(SystemMetric::ScreenHeight)};
    Rect work = screen;
    if (!ReadWorkArea(work)) work = screen;
    return {Monitor{screen, work, SystemDpi(), true}};
  }
  // ClientToScreen of (0, 0): where a window's client area starts on the virtual screen.
  // Works for another process's window. False for the null or a vanished window.
  virtual bool ClientOrigin(WindowHandle /*window*/, Point& /*origin*/) { return false; }
  // GetWindowRect; false for the null or a vanished window.
  virtual bool WindowRect(WindowHandle /*window*/, Rect& /*rect*/) { return false; }
  // A modal box with an OK button and the application title; returns when closed.
  virtual void ShowMessage(std::u16string_view text) = 0;
  // Text in the system's ANSI code page, as the shell's labels come, decoded.
  virtual std::u16string FromAnsi(std::string_view bytes) = 0;

  // --- The shell's folder view, where there is one ---
  // Since Windows 10 1809 the shell keeps its own record of where the desktop's icons
  // are, and loses positions set through the list view alone whenever the desktop is
  // refreshed. Its folder view is the way into that record. The defaults answer as a
  // desktop without one (Wine, a stand-in: no shell window), so that a port need not
  // know of it.
  //
  // The folder view whose window is the parent of `list_view`; 0 when the desktop has
  // none (no shell window owns the list view). Held until CloseFolderView. A shell's
  // view that then cannot be reached answers Failed to what it is asked.
  virtual FolderViewHandle OpenFolderView(WindowHandle /*list_view*/) { return 0; }
  // Positions `hand_over.placed` in one call, then reads each position back from the
  // folder view. An icon whose item cannot be told apart by its name is left out.
  virtual ShellCommit CommitToShell(FolderViewHandle /*view*/, const ShellHandOver& /*hand_over*/) {
    return ShellCommit::Skipped;
  }
  // The parsing name (UTF-8) of each icon of `labels`, found as CommitToShell finds it;
  // "" for one that cannot be found. Empty when the folder view cannot be read.
  virtual std::vector<std::string> ParsingNames(FolderViewHandle /*view*/, const std::vector<std::string>& /*labels*/) {
    return {};
  }
  // The folder view's position of each of the first `first` icons of `labels` (every label
  // of one read, in index order), found as CommitToShell finds them; nullopt for one that
  // cannot be found. Empty when the folder view cannot be read.
  virtual std::vector<std::optional<Point>> ShellPositions(FolderViewHandle /*view*/,
                                                          const std::vector<std::string>& /*labels*/,
                                                          std::size_t /*first*/) {
    return {};
  }
  virtual void CloseFolderView(FolderViewHandle /*view*/) {}
};

}  // namespace vandrel
