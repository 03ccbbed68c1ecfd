// A DesktopPort that logs every call, in order, and passes it on to another port
// (usually an InMemoryDesktop) for the answer. Tests read the log back whole, as
// the list-view messages alone, or as the icon placements alone.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "desktop/desktop_port.h"

namespace vandrel {

struct SentMessage {
  WindowHandle window;
  std::uint32_t message;
  std::uintptr_t wparam;
  std::intptr_t lparam;
  friend bool operator==(const SentMessage&, const SentMessage&) = default;
};

// One LVM_SETITEMPOSITION, decoded as the view reads it.
struct Placement {
  std::int32_t index;
  std::int32_t x;
  std::int32_t y;
  friend bool operator==(const Placement&, const Placement&) = default;
};

class RecordingPort : public DesktopPort {
 public:
  explicit RecordingPort(DesktopPort& inner) : inner_(inner) {}

  // Every call as one readable line, e.g. "SendMessage(0x10030, LVM_GETITEMCOUNT, 0, 0) = 15".
  const std::vector<std::string>& lines() const { return lines_; }
  const std::vector<SentMessage>& messages() const { return messages_; }
  std::vector<Placement> placements() const;
  // The messages alone, by number: {LVM_GETITEMCOUNT, LVM_SETITEMPOSITION, ...}.
  std::vector<std::uint32_t> message_numbers() const;
  const std::vector<std::u16string>& boxes() const { return boxes_; }
  // The length of each run handed over whole (SendRun), in order; its messages are in
  // the log as if sent one by one.
  const std::vector<std::size_t>& run_lengths() const { return run_lengths_; }
  void Clear();

  WindowHandle FindTopLevel(std::string_view class_name) override;
  WindowHandle FindNextTopLevel(WindowHandle after, std::string_view class_name) override;
  WindowHandle FindChild(WindowHandle parent, std::string_view class_name) override;
  WindowHandle FirstChild(WindowHandle window) override;
  std::string ClassName(WindowHandle window) override;
  std::uint32_t GetStyle(WindowHandle window) override;
  std::uint32_t SetStyle(WindowHandle window, std::uint32_t style) override;
  std::intptr_t Send(WindowHandle window, std::uint32_t message, std::uintptr_t wparam,
                     std::intptr_t lparam) override;
  void SendRun(WindowHandle window, std::uint32_t message, std::span<const MessageParameters> run) override;
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
  void Log(std::string line) { lines_.push_back(std::move(line)); }

  DesktopPort& inner_;
  std::vector<std::string> lines_;
  std::vector<SentMessage> messages_;
  std::vector<std::u16string> boxes_;
  std::vector<std::size_t> run_lengths_;
};

// "0x10030", "0": handles and addresses as the log writes them.
std::string Hex(std::uint64_t value);
// "LVM_GETITEMCOUNT", or the number in hex for a message without a name.
std::string MessageName(std::uint32_t message);

}  // namespace vandrel
