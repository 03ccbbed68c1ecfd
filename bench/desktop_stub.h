// A desktop that answers a figure as a shell with one list view of n icons would,
// and does nothing else: no window manager, no other process, no memory of where
// the icons went. The benchmarks' ports derive from it and look only at what the
// figures send, so what they time is the figures' own work.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "desktop/desktop_port.h"

namespace vandrel::bench {

class DesktopStub : public DesktopPort {
 public:
  DesktopStub(std::int32_t icons, Rect work_area, std::int32_t icon_spacing)
      : icons_(icons), work_area_(work_area), icon_spacing_(icon_spacing) {}

  // "progman" > its first child > the list view: the lookup ends at its first try.
  WindowHandle FindTopLevel(std::string_view) override { return kShell; }
  WindowHandle FindNextTopLevel(WindowHandle, std::string_view) override { return 0; }
  WindowHandle FindChild(WindowHandle, std::string_view) override { return 0; }
  WindowHandle FirstChild(WindowHandle window) override {
    return window == kShell ? kDefView : window == kDefView ? kListView : 0;
  }
  std::string ClassName(WindowHandle window) override { return window == kListView ? "SysListView32" : ""; }
  std::uint32_t GetStyle(WindowHandle) override { return 0; }
  std::uint32_t SetStyle(WindowHandle, std::uint32_t) override { return 0; }
  std::intptr_t Send(WindowHandle window, std::uint32_t message, std::uintptr_t, std::intptr_t) override {
    return window == kListView && message == lvm::kGetItemCount ? icons_ : 0;
  }

  std::uint32_t WindowProcessId(WindowHandle) override { return 0; }
  ProcessHandle OpenProcess(std::uint32_t, std::uint32_t) override { return 0; }
  int PointerBits(std::uint32_t) override { return 64; }
  RemoteAddress AllocateBlock(ProcessHandle, std::size_t) override { return 0; }
  bool Write(ProcessHandle, RemoteAddress, const void*, std::size_t) override { return false; }
  bool Read(ProcessHandle, RemoteAddress, void*, std::size_t) override { return false; }
  void FreeBlock(ProcessHandle, RemoteAddress, std::size_t) override {}
  void ReleaseBlock(ProcessHandle, RemoteAddress) override {}
  void CloseProcess(ProcessHandle) override {}

  bool ReadWorkArea(Rect& area) override {
    area = work_area_;
    return true;
  }
  std::int32_t GetMetric(SystemMetric metric) override {
    switch (metric) {
      case SystemMetric::ScreenWidth: return work_area_.right;
      case SystemMetric::ScreenHeight: return work_area_.bottom;
      case SystemMetric::IconWidth:
      case SystemMetric::IconHeight: return 32;
      case SystemMetric::IconSpacingY: return icon_spacing_;
      case SystemMetric::MonitorCount: return 1;
    }
    return 0;
  }
  std::uint32_t SystemDpi() override { return 96; }
  // RingCircle's boxes close at once.
  void ShowMessage(std::u16string_view) override {}
  std::u16string FromAnsi(std::string_view) override { return {}; }

  static constexpr WindowHandle kListView = 3;

 private:
  static constexpr WindowHandle kShell = 1;
  static constexpr WindowHandle kDefView = 2;

  std::int32_t icons_;
  Rect work_area_;
  std::int32_t icon_spacing_;
};

}  // namespace vandrel::bench
