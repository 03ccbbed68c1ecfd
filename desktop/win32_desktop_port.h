// The product's DesktopPort: the Windows shell, reached through user32 and kernel32.
// This is the one place in Vandrel that calls FindWindowA, GetWindow, SendMessageA,
// OpenProcess, VirtualAllocEx and their kin.
#pragma once

#include <memory>
#include <string>

#include "desktop/desktop_port.h"

namespace vandrel {

class Win32DesktopPort : public DesktopPort {
 public:
  // Message boxes carry `title` as caption and belong to the window `owner`
  // (0 while the program has no window yet).
  // A message that the shell's thread has not answered after this long stops the
  // figure that sent it.
  static constexpr unsigned kAnswerLimitMs = 3000;

  explicit Win32DesktopPort(std::u16string title, unsigned answer_limit_ms = kAnswerLimitMs);
  ~Win32DesktopPort() override;
  Win32DesktopPort(const Win32DesktopPort&) = delete;
  Win32DesktopPort& operator=(const Win32DesktopPort&) = delete;
  void set_owner(WindowHandle owner) { owner_ = owner; }

  WindowHandle FindTopLevel(std::string_view class_name) override;
  WindowHandle FindNextTopLevel(WindowHandle after, std::string_view class_name) override;
  WindowHandle FindChild(WindowHandle parent, std::string_view class_name) override;
  WindowHandle FirstChild(WindowHandle window) override;
  std::string ClassName(WindowHandle window) override;
  std::uint32_t GetStyle(WindowHandle window) override;
  std::uint32_t SetStyle(WindowHandle window, std::uint32_t style) override;
  std::intptr_t Send(WindowHandle window, std::uint32_t message, std::uintptr_t wparam,
                     std::intptr_t lparam) override;
  // A run of 16 messages or more goes from a thread of the port's own, which owns no
  // windows; meanwhile the calling thread takes the messages sent to it, as it does
  // while it waits for a single answer.
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
  // In win32_monitors.cpp.
  std::vector<Monitor> Monitors() override;
  bool ClientOrigin(WindowHandle window, Point& origin) override;
  bool WindowRect(WindowHandle window, Rect& rect) override;
  void ShowMessage(std::u16string_view text) override;
  std::u16string FromAnsi(std::string_view bytes) override;

  // The shell's folder view (win32_shell_positions.cpp): reached through COM from a
  // thread of each step's own, which the caller waits for up to the same limit as a
  // list-view message.
  FolderViewHandle OpenFolderView(WindowHandle list_view) override;
  ShellCommit CommitToShell(FolderViewHandle view, const ShellHandOver& hand_over) override;
  std::vector<std::string> ParsingNames(FolderViewHandle view, const std::vector<std::string>& labels) override;
  std::vector<std::optional<Point>> ShellPositions(FolderViewHandle view, const std::vector<std::string>& labels,
                                                  std::size_t first) override;
  void CloseFolderView(FolderViewHandle view) override;

 private:
  std::u16string title_;
  unsigned answer_limit_ms_;
  WindowHandle owner_ = 0;
  // Started with the first long run; null when it could not be, and runs go from the caller.
  std::unique_ptr<class RunSender> run_sender_;
  bool run_sender_tried_ = false;
};

}  // namespace vandrel
