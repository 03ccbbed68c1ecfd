#include "tests/support/in_memory_desktop.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "desktop/icon_position.h"
#include "desktop/label_request.h"

namespace vandrel {
namespace {

constexpr RemoteAddress kBlockBase32 = 0x00A10000;
// High enough that a 64-bit address loses its top half when cut to 32 bits.
constexpr RemoteAddress kBlockBase64 = 0x00007FF6A0000000;
constexpr RemoteAddress kPageSize = 0x1000;

}  // namespace

InMemoryDesktop::InMemoryDesktop(std::int32_t icon_count, ShellLayout layout) {
  switch (layout) {
    case ShellLayout::Progman: {
      progman_ = AddWindow("Progman", 0);
      const WindowHandle defview = AddWindow("SHELLDLL_DefView", progman_);
      list_view_ = AddWindow("SysListView32", defview);
      break;
    }
    case ShellLayout::Windows10WorkerW: {
      progman_ = AddWindow("Progman", 0);
      AddWindow("WorkerW", 0);  // the wallpaper's own, without a view
      const WindowHandle worker = AddWindow("WorkerW", 0);
      const WindowHandle defview = AddWindow("SHELLDLL_DefView", worker);
      list_view_ = AddWindow("SysListView32", defview);
      break;
    }
    case ShellLayout::Windows11_24H2: {
      progman_ = AddWindow("Progman", 0);
      AddWindow("WorkerW", progman_);
      const WindowHandle defview = AddWindow("SHELLDLL_DefView", progman_);
      list_view_ = AddWindow("SysListView32", defview);
      break;
    }
    case ShellLayout::None:
      break;
  }
  if (list_view_ != 0) windows_[list_view_].style = kInitialStyle;
  SetIconCount(icon_count);
}

WindowHandle InMemoryDesktop::AddWindow(std::string class_name, WindowHandle parent) {
  const WindowHandle handle = next_window_;
  next_window_ += 0x10;
  windows_[handle] = Window{std::move(class_name), parent, {}, 0x56000000};
  if (parent == 0) {
    top_level_.push_back(handle);
  } else {
    windows_[parent].children.push_back(handle);
  }
  return handle;
}

void InMemoryDesktop::DestroyListView() {
  if (list_view_ == 0) return;
  std::vector<WindowHandle>& siblings = windows_[windows_[list_view_].parent].children;
  siblings.erase(std::remove(siblings.begin(), siblings.end(), list_view_), siblings.end());
  windows_.erase(list_view_);
  list_view_ = 0;
}

void InMemoryDesktop::SetIconCount(std::int32_t count) {
  icons_.clear();
  for (std::int32_t i = 0; i < count; ++i) icons_.push_back({"Icon " + std::to_string(i), 0, 0});
}

void InMemoryDesktop::SetSpacing(bool small, std::uint16_t cx, std::uint16_t cy) {
  (small ? small_spacing_ : large_spacing_) = static_cast<std::uint32_t>(cx) | (static_cast<std::uint32_t>(cy) << 16);
}

WindowHandle InMemoryDesktop::FindTopLevel(std::string_view class_name) {
  return FindNextTopLevel(0, class_name);
}

WindowHandle InMemoryDesktop::FindNextTopLevel(WindowHandle after, std::string_view class_name) {
  auto it = top_level_.begin();
  if (after != 0) {
    it = std::find(top_level_.begin(), top_level_.end(), after);
    if (it == top_level_.end()) return 0;
    ++it;
  }
  for (; it != top_level_.end(); ++it) {
    if (SameWindowClass(windows_.at(*it).class_name, class_name)) return *it;
  }
  return 0;
}

WindowHandle InMemoryDesktop::FindChild(WindowHandle parent, std::string_view class_name) {
  if (parent == 0) return FindTopLevel(class_name);
  auto w = windows_.find(parent);
  if (w == windows_.end()) return 0;
  for (WindowHandle child : w->second.children) {
    if (SameWindowClass(windows_.at(child).class_name, class_name)) return child;
  }
  return 0;
}

WindowHandle InMemoryDesktop::FirstChild(WindowHandle window) {
  auto w = windows_.find(window);
  if (w == windows_.end() || w->second.children.empty()) return 0;
  return w->second.children.front();
}

std::string InMemoryDesktop::ClassName(WindowHandle window) {
  auto w = windows_.find(window);
  return w == windows_.end() ? std::string() : w->second.class_name;
}

std::uint32_t InMemoryDesktop::GetStyle(WindowHandle window) {
  auto w = windows_.find(window);
  return w == windows_.end() ? 0 : w->second.style;
}

std::uint32_t InMemoryDesktop::SetStyle(WindowHandle window, std::uint32_t style) {
  auto w = windows_.find(window);
  if (w == windows_.end()) return 0;
  const std::uint32_t previous = w->second.style;
  w->second.style = style;
  return previous;
}

std::intptr_t InMemoryDesktop::Send(WindowHandle window, std::uint32_t message, std::uintptr_t wparam,
                                    std::intptr_t lparam) {
  if (window == 0 || window != list_view_) return 0;
  if (answers_left_) {
    if (*answers_left_ == 0) throw ShellNotAnswering();
    --*answers_left_;
  }
  const std::intptr_t answer = Answer(message, wparam, lparam);
  if (after_message) after_message(message, wparam);
  return answer;
}

std::intptr_t InMemoryDesktop::Answer(std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam) {
  const std::uint32_t low = static_cast<std::uint32_t>(lparam);
  switch (message) {
    case lvm::kGetItemCount:
      return reported_count_ ? *reported_count_ : static_cast<std::intptr_t>(icons_.size());
    case lvm::kSetItemPosition: {
      const auto index = static_cast<std::int32_t>(static_cast<std::uint32_t>(wparam));
      if (index < 0 || static_cast<std::size_t>(index) >= icons_.size()) return 0;
      icons_[static_cast<std::size_t>(index)].x = PackedX(low);
      icons_[static_cast<std::size_t>(index)].y = PackedY(low);
      return 1;
    }
    case lvm::kGetItemPosition: {
      const auto index = static_cast<std::int32_t>(static_cast<std::uint32_t>(wparam));
      std::uint8_t* point = Memory(static_cast<RemoteAddress>(lparam), 8);
      if (index < 0 || static_cast<std::size_t>(index) >= icons_.size() || point == nullptr) return 0;
      const std::int32_t xy[2] = {icons_[static_cast<std::size_t>(index)].x, icons_[static_cast<std::size_t>(index)].y};
      std::memcpy(point, xy, sizeof xy);
      return 1;
    }
    case lvm::kRedrawItems:
      redraws_.push_back({static_cast<std::int32_t>(static_cast<std::uint32_t>(wparam)),
                          static_cast<std::int32_t>(low)});
      return 1;
    case lvm::kGetTextColor:
      return text_colour_;
    case lvm::kSetTextColor:
      text_colour_ = low;
      return 1;
    case lvm::kGetTextBkColor:
      return background_colour_;
    case lvm::kSetTextBkColor:
      background_colour_ = low;
      return 1;
    case lvm::kGetItemTextA:
      return AnswerGetItemText(wparam, static_cast<RemoteAddress>(lparam));
    case lvm::kGetItemSpacing:
      return wparam != 0 ? small_spacing_ : large_spacing_;
    case lvm::kSetExtendedListViewStyle: {
      const std::uint32_t previous = extended_style_;
      // A mask of 0 touches every bit.
      const std::uint32_t mask = wparam != 0 ? static_cast<std::uint32_t>(wparam) : 0xFFFFFFFFu;
      extended_style_ = (extended_style_ & ~mask) | (low & mask);
      return previous;
    }
    case lvm::kGetExtendedListViewStyle:
      return extended_style_;
    default:
      return 0;
  }
}

std::intptr_t InMemoryDesktop::AnswerGetItemText(std::uintptr_t index, RemoteAddress record_at) {
  const std::size_t record_size = LabelRequestLayoutFor(shell_pointer_bits_).record_size;
  const std::uint8_t* record = Memory(record_at, record_size);
  if (record == nullptr) return 0;
  const LabelRequest request = ParseLabelRequest(shell_pointer_bits_, record);
  if (request.capacity <= 0) return 0;
  const auto capacity = static_cast<std::size_t>(request.capacity);
  std::uint8_t* text = Memory(request.text, capacity);
  const auto item = static_cast<std::int32_t>(static_cast<std::uint32_t>(index));
  if (text == nullptr || item < 0 || static_cast<std::size_t>(item) >= icons_.size()) return 0;
  // An icon has no subitems: any other subitem reads as empty.
  const std::string label = request.subitem == 0 ? icons_[static_cast<std::size_t>(item)].label : std::string();
  if (fill_overlong_labels_ && label.size() >= capacity) {
    std::memcpy(text, label.data(), capacity);
    return static_cast<std::intptr_t>(capacity);
  }
  const std::size_t length = std::min(label.size(), capacity - 1);
  std::memcpy(text, label.data(), length);
  text[length] = 0;
  return static_cast<std::intptr_t>(length);
}

std::uint8_t* InMemoryDesktop::Memory(RemoteAddress at, std::size_t size) {
  auto it = blocks_.upper_bound(at);
  if (it == blocks_.begin()) return nullptr;
  --it;
  Block& block = it->second;
  if (block.freed) return nullptr;
  const RemoteAddress offset = at - it->first;
  if (offset > block.bytes.size() || size > block.bytes.size() - offset) return nullptr;
  return block.bytes.data() + offset;
}

bool InMemoryDesktop::IsOpen(ProcessHandle process) const {
  return std::find(open_processes_.begin(), open_processes_.end(), process) != open_processes_.end();
}

std::uint32_t InMemoryDesktop::WindowProcessId(WindowHandle window) {
  return windows_.count(window) != 0 ? kShellProcessId : 0;
}

ProcessHandle InMemoryDesktop::OpenProcess(std::uint32_t access, std::uint32_t process_id) {
  if (open_fails_ || process_id != kShellProcessId || (access & kLabelReadAccess) != kLabelReadAccess) return 0;
  const ProcessHandle handle = next_process_;
  next_process_ += 4;
  open_processes_.push_back(handle);
  return handle;
}

int InMemoryDesktop::PointerBits(std::uint32_t process_id) {
  return process_id == kShellProcessId ? shell_pointer_bits_ : 64;
}

RemoteAddress InMemoryDesktop::AllocateBlock(ProcessHandle process, std::size_t size) {
  if (allocation_fails_ || !IsOpen(process) || size == 0) return 0;
  if (next_block_ == 0) next_block_ = shell_pointer_bits_ == 32 ? kBlockBase32 : kBlockBase64;
  const RemoteAddress at = next_block_;
  next_block_ += (size + kPageSize - 1) / kPageSize * kPageSize + kPageSize;
  blocks_[at] = Block{std::vector<std::uint8_t>(size, 0), false};
  last_allocated_size_ = size;
  return at;
}

bool InMemoryDesktop::Write(ProcessHandle process, RemoteAddress at, const void* bytes, std::size_t size) {
  std::uint8_t* to = IsOpen(process) ? Memory(at, size) : nullptr;
  if (to == nullptr) return false;
  std::memcpy(to, bytes, size);
  return true;
}

bool InMemoryDesktop::Read(ProcessHandle process, RemoteAddress at, void* bytes, std::size_t size) {
  const std::uint8_t* from = IsOpen(process) ? Memory(at, size) : nullptr;
  if (from == nullptr) return false;
  std::memcpy(bytes, from, size);
  return true;
}

void InMemoryDesktop::FreeBlock(ProcessHandle process, RemoteAddress at, std::size_t size) {
  auto it = blocks_.find(at);
  if (IsOpen(process) && it != blocks_.end() && size == it->second.bytes.size()) it->second.freed = true;
}

void InMemoryDesktop::ReleaseBlock(ProcessHandle process, RemoteAddress at) {
  if (IsOpen(process)) blocks_.erase(at);
}

void InMemoryDesktop::CloseProcess(ProcessHandle process) {
  auto it = std::find(open_processes_.begin(), open_processes_.end(), process);
  if (it != open_processes_.end()) open_processes_.erase(it);
}

bool InMemoryDesktop::ReadWorkArea(Rect& area) {
  if (work_area_fails_) return false;
  area = work_area_;
  return true;
}

std::int32_t InMemoryDesktop::GetMetric(SystemMetric metric) {
  auto it = metrics_.find(metric);
  if (it != metrics_.end()) return it->second;
  switch (metric) {
    case SystemMetric::ScreenWidth: return 1024;
    case SystemMetric::ScreenHeight: return 768;
    case SystemMetric::IconWidth:
    case SystemMetric::IconHeight: return 32;
    case SystemMetric::IconSpacingY: return 75;
    case SystemMetric::MonitorCount: return 1;
  }
  return 0;
}

std::uint32_t InMemoryDesktop::SystemDpi() { return dpi_; }

std::vector<Monitor> InMemoryDesktop::Monitors() {
  if (monitors_.empty()) return DesktopPort::Monitors();
  return monitors_;
}

bool InMemoryDesktop::ClientOrigin(WindowHandle window, Point& origin) {
  if (window == 0 || !windows_.contains(window)) return false;
  // Only the list view matters here; the shell's other windows cover the same screen.
  origin = view_origin_;
  return true;
}

bool InMemoryDesktop::WindowRect(WindowHandle window, Rect& rect) {
  const auto found = window_rects_.find(window);
  if (found == window_rects_.end()) return false;
  rect = found->second;
  return true;
}

// The in-memory shell's code page is Latin-1: each byte is its own character.
std::u16string InMemoryDesktop::FromAnsi(std::string_view bytes) {
  std::u16string text;
  for (char c : bytes) text += static_cast<char16_t>(static_cast<unsigned char>(c));
  return text;
}

void InMemoryDesktop::ShowMessage(std::u16string_view text) {
  messages_shown_.emplace_back(text);
  if (on_message_box) on_message_box(text);
}

namespace {
constexpr FolderViewHandle kFolderView = 0xF01D;
}  // namespace

FolderViewHandle InMemoryDesktop::OpenFolderView(WindowHandle list_view) {
  if (!folder_view || list_view == 0 || list_view != list_view_) return 0;
  ++open_folder_views_;
  return kFolderView;
}

ShellCommit InMemoryDesktop::CommitToShell(FolderViewHandle view, const ShellHandOver& hand_over) {
  if (!folder_view || view != kFolderView) return ShellCommit::Skipped;
  folder_view->commits.push_back(hand_over.placed);
  if (folder_view->on_commit) folder_view->on_commit(hand_over.placed);
  return folder_view->outcome;
}

std::vector<std::string> InMemoryDesktop::ParsingNames(FolderViewHandle view, const std::vector<std::string>& labels) {
  if (!folder_view || view != kFolderView || folder_view->parsing_names.size() != labels.size()) {
    return {};
  }
  return folder_view->parsing_names;
}

std::vector<std::optional<Point>> InMemoryDesktop::ShellPositions(FolderViewHandle view,
                                                                 const std::vector<std::string>& labels,
                                                                 std::size_t first) {
  if (!folder_view || view != kFolderView || folder_view->unreadable) return {};
  std::vector<std::optional<Point>> positions;
  for (std::size_t i = 0; i < std::min({first, labels.size(), icons_.size()}); ++i) {
    const auto moved = folder_view->elsewhere.find(static_cast<std::int32_t>(i));
    positions.push_back(moved != folder_view->elsewhere.end() ? moved->second
                                                              : std::optional(Point{icons_[i].x, icons_[i].y}));
  }
  return positions;
}

void InMemoryDesktop::CloseFolderView(FolderViewHandle view) {
  if (view == kFolderView && open_folder_views_ > 0) --open_folder_views_;
}

}  // namespace vandrel
