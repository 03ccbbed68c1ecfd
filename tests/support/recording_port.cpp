#include "tests/support/recording_port.h"

#include <cstdio>

#include "desktop/icon_position.h"

namespace vandrel {
namespace {

std::string Quote(std::string_view s) { return "\"" + std::string(s) + "\""; }

// Message-box texts in the log: ASCII as it is, anything else as \uXXXX.
std::string Printable(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) {
    if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(c));
      out += buf;
    }
  }
  return out;
}

std::string MetricName(SystemMetric metric) {
  switch (metric) {
    case SystemMetric::ScreenWidth: return "SM_CXSCREEN";
    case SystemMetric::ScreenHeight: return "SM_CYSCREEN";
    case SystemMetric::IconWidth: return "SM_CXICON";
    case SystemMetric::IconHeight: return "SM_CYICON";
    case SystemMetric::IconSpacingY: return "SM_CYICONSPACING";
    case SystemMetric::MonitorCount: return "SM_CMONITORS";
  }
  return std::to_string(static_cast<int>(metric));
}

}  // namespace

std::string Hex(std::uint64_t value) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "0x%llX", static_cast<unsigned long long>(value));
  return value == 0 ? "0" : buf;
}

std::string MessageName(std::uint32_t message) {
  switch (message) {
    case lvm::kGetItemCount: return "LVM_GETITEMCOUNT";
    case lvm::kSetItemPosition: return "LVM_SETITEMPOSITION";
    case lvm::kGetItemPosition: return "LVM_GETITEMPOSITION";
    case lvm::kRedrawItems: return "LVM_REDRAWITEMS";
    case lvm::kGetTextColor: return "LVM_GETTEXTCOLOR";
    case lvm::kSetTextColor: return "LVM_SETTEXTCOLOR";
    case lvm::kGetTextBkColor: return "LVM_GETTEXTBKCOLOR";
    case lvm::kSetTextBkColor: return "LVM_SETTEXTBKCOLOR";
    case lvm::kGetItemTextA: return "LVM_GETITEMTEXTA";
    case lvm::kGetItemSpacing: return "LVM_GETITEMSPACING";
    case lvm::kSetExtendedListViewStyle: return "LVM_SETEXTENDEDLISTVIEWSTYLE";
    case lvm::kGetExtendedListViewStyle: return "LVM_GETEXTENDEDLISTVIEWSTYLE";
  }
  return Hex(message);
}

std::vector<Placement> RecordingPort::placements() const {
  std::vector<Placement> out;
  for (const SentMessage& m : messages_) {
    if (m.message != lvm::kSetItemPosition) continue;
    const auto packed = static_cast<std::uint32_t>(m.lparam);
    out.push_back({static_cast<std::int32_t>(static_cast<std::uint32_t>(m.wparam)), PackedX(packed),
                   PackedY(packed)});
  }
  return out;
}

std::vector<std::uint32_t> RecordingPort::message_numbers() const {
  std::vector<std::uint32_t> out;
  for (const SentMessage& m : messages_) out.push_back(m.message);
  return out;
}

void RecordingPort::Clear() {
  lines_.clear();
  messages_.clear();
  boxes_.clear();
  run_lengths_.clear();
}

WindowHandle RecordingPort::FindTopLevel(std::string_view class_name) {
  const WindowHandle r = inner_.FindTopLevel(class_name);
  Log("FindWindowA(" + Quote(class_name) + ") = " + Hex(r));
  return r;
}

WindowHandle RecordingPort::FindNextTopLevel(WindowHandle after, std::string_view class_name) {
  const WindowHandle r = inner_.FindNextTopLevel(after, class_name);
  Log("FindWindowExA(0, " + Hex(after) + ", " + Quote(class_name) + ") = " + Hex(r));
  return r;
}

WindowHandle RecordingPort::FindChild(WindowHandle parent, std::string_view class_name) {
  const WindowHandle r = inner_.FindChild(parent, class_name);
  Log("FindWindowExA(" + Hex(parent) + ", 0, " + Quote(class_name) + ") = " + Hex(r));
  return r;
}

WindowHandle RecordingPort::FirstChild(WindowHandle window) {
  const WindowHandle r = inner_.FirstChild(window);
  Log("GetWindow(" + Hex(window) + ", GW_CHILD) = " + Hex(r));
  return r;
}

std::string RecordingPort::ClassName(WindowHandle window) {
  std::string r = inner_.ClassName(window);
  Log("GetClassNameA(" + Hex(window) + ") = " + Quote(r));
  return r;
}

std::uint32_t RecordingPort::GetStyle(WindowHandle window) {
  const std::uint32_t r = inner_.GetStyle(window);
  Log("GetWindowLongA(" + Hex(window) + ", GWL_STYLE) = " + Hex(r));
  return r;
}

std::uint32_t RecordingPort::SetStyle(WindowHandle window, std::uint32_t style) {
  const std::uint32_t r = inner_.SetStyle(window, style);
  Log("SetWindowLongA(" + Hex(window) + ", GWL_STYLE, " + Hex(style) + ") = " + Hex(r));
  return r;
}

std::intptr_t RecordingPort::Send(WindowHandle window, std::uint32_t message, std::uintptr_t wparam,
                                  std::intptr_t lparam) {
  messages_.push_back({window, message, wparam, lparam});
  const std::intptr_t r = inner_.Send(window, message, wparam, lparam);
  Log("SendMessage(" + Hex(window) + ", " + MessageName(message) + ", " + Hex(wparam) + ", " +
      Hex(static_cast<std::uint64_t>(lparam)) + ") = " + std::to_string(r));
  return r;
}

void RecordingPort::SendRun(WindowHandle window, std::uint32_t message, std::span<const MessageParameters> run) {
  run_lengths_.push_back(run.size());
  DesktopPort::SendRun(window, message, run);
}

std::uint32_t RecordingPort::WindowProcessId(WindowHandle window) {
  const std::uint32_t r = inner_.WindowProcessId(window);
  Log("GetWindowThreadProcessId(" + Hex(window) + ") = " + std::to_string(r));
  return r;
}

ProcessHandle RecordingPort::OpenProcess(std::uint32_t access, std::uint32_t process_id) {
  const ProcessHandle r = inner_.OpenProcess(access, process_id);
  Log("OpenProcess(" + Hex(access) + ", FALSE, " + std::to_string(process_id) + ") = " + Hex(r));
  return r;
}

int RecordingPort::PointerBits(std::uint32_t process_id) {
  const int r = inner_.PointerBits(process_id);
  Log("PointerBits(" + std::to_string(process_id) + ") = " + std::to_string(r));
  return r;
}

RemoteAddress RecordingPort::AllocateBlock(ProcessHandle process, std::size_t size) {
  const RemoteAddress r = inner_.AllocateBlock(process, size);
  Log("VirtualAllocEx(" + Hex(process) + ", 0, " + std::to_string(size) + ", MEM_COMMIT, PAGE_READWRITE) = " +
      Hex(r));
  return r;
}

bool RecordingPort::Write(ProcessHandle process, RemoteAddress at, const void* bytes, std::size_t size) {
  const bool r = inner_.Write(process, at, bytes, size);
  Log("WriteProcessMemory(" + Hex(process) + ", " + Hex(at) + ", " + std::to_string(size) + ") = " +
      std::to_string(r));
  return r;
}

bool RecordingPort::Read(ProcessHandle process, RemoteAddress at, void* bytes, std::size_t size) {
  const bool r = inner_.Read(process, at, bytes, size);
  Log("ReadProcessMemory(" + Hex(process) + ", " + Hex(at) + ", " + std::to_string(size) + ") = " +
      std::to_string(r));
  return r;
}

void RecordingPort::FreeBlock(ProcessHandle process, RemoteAddress at, std::size_t size) {
  inner_.FreeBlock(process, at, size);
  Log("VirtualFreeEx(" + Hex(process) + ", " + Hex(at) + ", " + std::to_string(size) + ", MEM_DECOMMIT)");
}

void RecordingPort::ReleaseBlock(ProcessHandle process, RemoteAddress at) {
  inner_.ReleaseBlock(process, at);
  Log("VirtualFreeEx(" + Hex(process) + ", " + Hex(at) + ", 0, MEM_RELEASE)");
}

void RecordingPort::CloseProcess(ProcessHandle process) {
  inner_.CloseProcess(process);
  Log("CloseHandle(" + Hex(process) + ")");
}

bool RecordingPort::ReadWorkArea(Rect& area) {
  const bool r = inner_.ReadWorkArea(area);
  Log("SystemParametersInfoA(SPI_GETWORKAREA) = " + std::to_string(r));
  return r;
}

std::int32_t RecordingPort::GetMetric(SystemMetric metric) {
  const std::int32_t r = inner_.GetMetric(metric);
  Log("GetSystemMetrics(" + MetricName(metric) + ") = " + std::to_string(r));
  return r;
}

std::uint32_t RecordingPort::SystemDpi() {
  const std::uint32_t r = inner_.SystemDpi();
  Log("GetDpiForSystem() = " + std::to_string(r));
  return r;
}

std::vector<Monitor> RecordingPort::Monitors() {
  std::vector<Monitor> r = inner_.Monitors();
  Log("EnumDisplayMonitors() = " + std::to_string(r.size()));
  return r;
}

bool RecordingPort::ClientOrigin(WindowHandle window, Point& origin) {
  const bool r = inner_.ClientOrigin(window, origin);
  Log("ClientToScreen(" + Hex(window) + ") = " + std::to_string(r));
  return r;
}

bool RecordingPort::WindowRect(WindowHandle window, Rect& rect) {
  const bool r = inner_.WindowRect(window, rect);
  Log("GetWindowRect(" + Hex(window) + ") = " + std::to_string(r));
  return r;
}

std::u16string RecordingPort::FromAnsi(std::string_view bytes) { return inner_.FromAnsi(bytes); }

void RecordingPort::ShowMessage(std::u16string_view text) {
  boxes_.emplace_back(text);
  Log("MessageBox(\"" + Printable(text) + "\")");
  inner_.ShowMessage(text);
}

FolderViewHandle RecordingPort::OpenFolderView(WindowHandle list_view) {
  const FolderViewHandle r = inner_.OpenFolderView(list_view);
  Log("OpenFolderView(" + Hex(list_view) + ") = " + Hex(r));
  return r;
}

ShellCommit RecordingPort::CommitToShell(FolderViewHandle view, const ShellHandOver& hand_over) {
  const ShellCommit r = inner_.CommitToShell(view, hand_over);
  std::string items;
  for (const PlacedIcon& icon : hand_over.placed) {
    items += (items.empty() ? "" : ", ") + std::to_string(icon.index) + " (" + std::to_string(icon.x) + ", " +
             std::to_string(icon.y) + ")";
  }
  static const char* const kOutcomes[] = {"Skipped", "Kept", "NotKept", "Snapped", "Arranging", "Unidentified", "Failed"};
  Log("SelectAndPositionItems(" + Hex(view) + ", [" + items + "], SVSI_POSITIONITEM | SVSI_NOSTATECHANGE) = " +
      kOutcomes[static_cast<int>(r)]);
  return r;
}

std::vector<std::string> RecordingPort::ParsingNames(FolderViewHandle view, const std::vector<std::string>& labels) {
  std::vector<std::string> r = inner_.ParsingNames(view, labels);
  Log("ParsingNames(" + Hex(view) + ", " + std::to_string(labels.size()) + " labels) = " + std::to_string(r.size()) +
      " names");
  return r;
}

std::vector<std::optional<Point>> RecordingPort::ShellPositions(FolderViewHandle view,
                                                               const std::vector<std::string>& labels,
                                                               std::size_t first) {
  std::vector<std::optional<Point>> r = inner_.ShellPositions(view, labels, first);
  Log("ShellPositions(" + Hex(view) + ", " + std::to_string(labels.size()) + " labels, first " +
      std::to_string(first) + ") = " + std::to_string(r.size()) + " positions");
  return r;
}

void RecordingPort::CloseFolderView(FolderViewHandle view) {
  inner_.CloseFolderView(view);
  Log("CloseFolderView(" + Hex(view) + ")");
}

}  // namespace vandrel
