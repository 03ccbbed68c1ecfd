#include "app/watcher.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// windows.h first: these need its types.
#include <shellapi.h>
#include <wtsapi32.h>

#include <algorithm>
#include <deque>
#include <optional>
#include <stdexcept>
#include <vector>

#include "app/save_layout_dialog.h"
#include "app/watch_control.h"
#include "desktop/desktop_icon_view.h"
#include "desktop/win32_desktop_port.h"
#include "layouts/automatic_layouts.h"
#include "layouts/layouts.h"
#include "layouts/watch_rules.h"
#include "win32/entry.h"
#include "win32/handles.h"
#include "win32/text.h"

namespace vandrel::watch {
namespace {

// The notification area's one call, through the shell32 loaded on first use.
BOOL NotifyIcon(DWORD message, NOTIFYICONDATAW* data) {
  const auto notify = win32::Entry<decltype(&Shell_NotifyIconW)>(L"shell32.dll", "Shell_NotifyIconW");
  return notify != nullptr && notify(message, data);
}

// Session notifications, from a wtsapi32 loaded by the watcher alone: linked, it would
// load at every start of the window and of every command.
template <class F>
F SessionEntry(const char* name) {
  return win32::Entry<F>(L"wtsapi32.dll", name);
}

using layouts::WatchEvent;
using layouts::WatchTime;

constexpr UINT kIconMessage = WM_APP + 1;
constexpr UINT kPumpMessage = WM_APP + 2;
constexpr UINT_PTR kTickTimer = 1;
constexpr UINT kIconId = 1;

WatchTime Now() { return WatchTime{static_cast<std::int64_t>(GetTickCount64())}; }

// The user's last key or mouse input on the same clock as Now(); GetLastInputInfo
// counts in the 32-bit tick, which wraps every 49 days.
WatchTime LastInput(WatchTime now) {
  LASTINPUTINFO info{sizeof info, 0};
  if (!GetLastInputInfo(&info)) return WatchTime{0};
  const DWORD ago = GetTickCount() - info.dwTime;
  return now - WatchTime{ago};
}

// Under Wine a running program's SPI_GETWORKAREA stays what it was when the program
// started, whatever the display does since, and the monitors' own work areas wander
// after a change (800 x 748 on an 800 x 600 screen); the primary monitor's rectangle
// follows the changes. The work area is kept within it: on Windows, where the work area
// always lies within the primary monitor, this changes nothing. The messages a change
// shows go to the notification area: the watcher has no window to hold a box.
class WatcherPort : public Win32DesktopPort {
 public:
  explicit WatcherPort(std::function<void(const std::string&)> notify)
      : Win32DesktopPort(u"vandrel"), notify_(std::move(notify)) {}
  bool ReadWorkArea(Rect& area) override {
    if (!Win32DesktopPort::ReadWorkArea(area)) return false;
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info)) {
      const RECT& screen = info.rcMonitor;
      area = Rect{std::max<std::int32_t>(area.left, screen.left), std::max<std::int32_t>(area.top, screen.top),
                  std::min<std::int32_t>(area.right, screen.right), std::min<std::int32_t>(area.bottom, screen.bottom)};
    }
    return true;
  }
  // The same for every monitor's work area: the primary's as above, the others' kept
  // within their monitors.
  std::vector<Monitor> Monitors() override {
    std::vector<Monitor> monitors = Win32DesktopPort::Monitors();
    for (Monitor& monitor : monitors) {
      Rect primary;
      if (monitor.primary && ReadWorkArea(primary)) {
        monitor.work_area = primary;
        continue;
      }
      const Rect& a = monitor.area;
      Rect& w = monitor.work_area;
      w = Rect{std::max(w.left, a.left), std::max(w.top, a.top), std::min(w.right, a.right),
               std::min(w.bottom, a.bottom)};
    }
    return monitors;
  }
  void ShowMessage(std::u16string_view text) override { notify_(win32::ToUtf8(text)); }

 private:
  std::function<void(const std::string&)> notify_;
};

// Copies `text` into a fixed array of the notification data, cut to fit.
template <std::size_t N>
void CopyInto(wchar_t (&field)[N], const std::wstring& text) {
  const std::size_t length = std::min(text.size(), N - 1);
  std::copy_n(text.data(), length, field);
  field[length] = L'\0';
}

class Watcher : public layouts::WatchWorld {
 public:
  explicit Watcher(const std::filesystem::path& data)
      : port_([this](const std::string& text) { Notify(text); }),
        desktop_(port_),
        store_(data),
        layouts_(desktop_, store_),
        automatic_(store_),
        rules_(*this) {}

  ~Watcher() override {
    if (window_ != nullptr) DestroyWindow(window_);
  }

  void Create(HINSTANCE instance) {
    instance_ = instance;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &Watcher::Proc;
    wc.hInstance = instance;
    wc.lpszClassName = kWindowClass;
    if (RegisterClassExW(&wc) == 0) throw std::runtime_error("The watcher's window class cannot be registered.");
    // Never shown; WS_EX_TOOLWINDOW keeps it off the taskbar and Alt+Tab should
    // anything show it.
    window_ = CreateWindowExW(WS_EX_TOOLWINDOW, kWindowClass, L"Vandrel watcher", WS_POPUP, 0, 0, 0, 0, nullptr,
                              nullptr, instance, this);
    if (window_ == nullptr) throw std::runtime_error("The watcher's window cannot be made.");
    taskbar_created_ = RegisterWindowMessageW(L"TaskbarCreated");
    // A window of a lower integrity level may send it too (Explorer restarted as user).
    ChangeWindowMessageFilterEx(window_, taskbar_created_, MSGFLT_ALLOW, nullptr);
    if (const auto subscribe =
            SessionEntry<decltype(&WTSRegisterSessionNotification)>("WTSRegisterSessionNotification")) {
      subscribe(window_, NOTIFY_FOR_THIS_SESSION);
    }
    displays_ = automatic_.Count();
    AddIcon();
    Pump();
  }

  void Destroy() {
    if (const auto unsubscribe =
            SessionEntry<decltype(&WTSUnRegisterSessionNotification)>("WTSUnRegisterSessionNotification")) {
      unsubscribe(window_);
    }
    NotifyIcon(NIM_DELETE, &icon_);
  }

  // --- WatchWorld ---
  std::optional<layouts::Snapshot> Read() override {
    try {
      return layouts::TakeSnapshot(desktop_);
    } catch (...) {
      // No view (Explorer restarting), or one that does not answer: nothing read.
      return std::nullopt;
    }
  }
  std::optional<layouts::Snapshot> Automatic(const DisplayConfiguration& display) override {
    try {
      if (std::optional<layouts::LayoutRecord> record = automatic_.Find(display)) return std::move(record->snapshot);
    } catch (...) {
    }
    return std::nullopt;
  }
  void KeepAutomatic(const layouts::Snapshot& snapshot) override {
    try {
      automatic_.Keep(snapshot);
      displays_ = automatic_.Count();
    } catch (const std::exception& e) {
      Notify(std::string("Vandrel cannot keep the layout: ") + e.what());
    }
  }
  void ForgetAutomatic(const DisplayConfiguration& display) override {
    try {
      automatic_.Forget(display);
      displays_ = automatic_.Count();
    } catch (...) {
    }
  }
  std::string Restore(const layouts::Snapshot& layout) override {
    try {
      const std::optional<layouts::LayoutRecord> record = automatic_.Find(layout.display);
      if (!record) return "its automatic layout is gone";
      // Through the same way as every restore: one undo entry, the change lock, the
      // shell's folder view.
      layouts_.Restore(record->name, nullptr);
      return {};
    } catch (const std::exception& e) {
      return e.what();
    }
  }
  bool MouseButtonDown() override {
    return (GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0 || (GetAsyncKeyState(VK_RBUTTON) & 0x8000) != 0 ||
           (GetAsyncKeyState(VK_MBUTTON) & 0x8000) != 0;
  }
  void Notify(const std::string& text) override {
    icon_.uFlags = NIF_INFO;
    icon_.dwInfoFlags = NIIF_INFO;
    CopyInto(icon_.szInfoTitle, L"Vandrel");
    CopyInto(icon_.szInfo, win32::WideFromUtf8(text));
    NotifyIcon(NIM_MODIFY, &icon_);
  }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Watcher*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(window, message, wparam, lparam);
    return self->Handle(window, message, wparam, lparam);
  }

  LRESULT Handle(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == taskbar_created_ && message != 0) {
      // Explorer restarted: its notification area is new, and so is the desktop's view.
      AddIcon();
      Queue(WatchEvent::ShellRestarted);
      return 0;
    }
    switch (message) {
      case WM_DISPLAYCHANGE:
      case WM_DPICHANGED: Queue(WatchEvent::DisplayChanged); break;
      case WM_SETTINGCHANGE:
        if (wparam == SPI_SETWORKAREA) Queue(WatchEvent::DisplayChanged);
        break;
      case WM_WTSSESSION_CHANGE:
        switch (wparam) {
          case WTS_SESSION_LOCK: Queue(WatchEvent::SessionLocked); break;
          case WTS_SESSION_UNLOCK:
          case WTS_CONSOLE_CONNECT:
          case WTS_REMOTE_CONNECT: Queue(WatchEvent::SessionResumed); break;
          case WTS_SESSION_LOGOFF: Queue(WatchEvent::LoggingOff); break;
          default: break;
        }
        return 0;
      case WM_POWERBROADCAST:
        if (wparam == PBT_APMSUSPEND) {
          // Handled before the answer: the machine sleeps once every window has answered.
          Queue(WatchEvent::Suspending);
          Pump();
        } else if (wparam == PBT_APMRESUMESUSPEND || wparam == PBT_APMRESUMEAUTOMATIC) {
          Queue(WatchEvent::PowerResumed);
        }
        return TRUE;
      case WM_ENDSESSION:
        if (wparam != 0) {
          Queue(WatchEvent::LoggingOff);
          Pump();
        }
        return 0;
      case WM_TIMER:
        if (wparam == kTickTimer) Pump();
        return 0;
      case kPumpMessage: Pump(); return 0;
      case kIconMessage:
        if (lparam == WM_RBUTTONUP || lparam == WM_CONTEXTMENU) ShowMenu();
        if (lparam == WM_LBUTTONDBLCLK) StartSelf(L"");
        return 0;
      case WM_COMMAND: RunCommand(LOWORD(wparam)); return 0;
      case WM_CLOSE: DestroyWindow(window); return 0;
      case WM_DESTROY:
        Destroy();
        window_ = nullptr;
        PostQuitMessage(0);
        return 0;
      default: break;
    }
    return DefWindowProcW(window, message, wparam, lparam);
  }

  // Events come as sent messages, also while the rules wait on the shell inside a
  // read: they are queued and handed over once the rules are done.
  void Queue(WatchEvent event) {
    events_.push_back(event);
    PostMessageW(window_, kPumpMessage, 0, 0);
  }

  void Pump() {
    if (busy_) return;
    busy_ = true;
    std::optional<WatchTime> wake;
    do {
      while (!events_.empty()) {
        const WatchEvent event = events_.front();
        events_.pop_front();
        rules_.OnEvent(event, Now());
      }
      const WatchTime now = Now();
      wake = rules_.Tick(now, DesktopInput(now));
    } while (!events_.empty());
    busy_ = false;
    if (wake) {
      const std::int64_t delay = std::max<std::int64_t>((*wake - Now()).count(), USER_TIMER_MINIMUM);
      SetTimer(window_, kTickTimer, static_cast<UINT>(std::min<std::int64_t>(delay, 0x7FFFFFFF)), nullptr);
    } else {
      KillTimer(window_, kTickTimer);
    }
    UpdateTip();
  }

  // Only input that can have moved an icon asks for a read: input while the desktop was in
  // front (its own windows, or none). Typing into another program leaves the watcher
  // asleep; icons moved by programs are found by the read once a minute.
  WatchTime DesktopInput(WatchTime now) {
    const WatchTime input = LastInput(now);
    if (input > seen_input_) {
      seen_input_ = input;
      if (DesktopInFront()) desktop_input_ = input;
    }
    return desktop_input_;
  }

  bool DesktopInFront() {
    const HWND front = GetForegroundWindow();
    if (front == nullptr || front == GetDesktopWindow() || front == GetShellWindow()) return true;
    const HWND view = reinterpret_cast<HWND>(desktop_.GetDesktopListView());
    if (view == nullptr) return false;
    DWORD front_process = 0;
    DWORD view_process = 0;
    GetWindowThreadProcessId(front, &front_process);
    GetWindowThreadProcessId(view, &view_process);
    return front_process == view_process;
  }

  std::wstring Tip() const {
    if (rules_.AutoArrangeOn()) return L"Vandrel: auto-arrange is on, so the desktop places the icons itself";
    return L"Vandrel: keeping the icons of " + std::to_wstring(displays_) +
           (displays_ == 1 ? L" display" : L" displays");
  }

  void AddIcon() {
    icon_ = NOTIFYICONDATAW{};
    icon_.cbSize = sizeof icon_;
    icon_.hWnd = window_;
    icon_.uID = kIconId;
    icon_.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
    icon_.uCallbackMessage = kIconMessage;
    icon_.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(1));
    tip_ = Tip();
    CopyInto(icon_.szTip, tip_);
    // Fails when there is no notification area yet; "TaskbarCreated" brings it back.
    NotifyIcon(NIM_ADD, &icon_);
  }

  void UpdateTip() {
    const std::wstring tip = Tip();
    if (tip == tip_) return;
    tip_ = tip;
    icon_.uFlags = NIF_TIP;
    CopyInto(icon_.szTip, tip_);
    NotifyIcon(NIM_MODIFY, &icon_);
  }

  std::vector<std::string> LayoutNames() {
    std::vector<std::string> names;
    for (const layouts::LayoutSummary& layout : layouts_.List()) names.push_back(layout.name);
    return names;
  }

  void ShowMenu() {
    const HMENU menu = CreatePopupMenu();
    const HMENU restore = CreatePopupMenu();
    try {
      shown_names_ = LayoutNames();
    } catch (...) {
      shown_names_.emplace();
    }
    for (std::size_t i = 0; i < shown_names_->size() && i < kMenuRestoreLimit; ++i) {
      std::wstring text;
      for (wchar_t c : win32::WideFromUtf8((*shown_names_)[i])) text += c == L'&' ? L"&&" : std::wstring(1, c);
      AppendMenuW(restore, MF_STRING, kMenuRestoreFirst + i, text.c_str());
    }
    if (shown_names_->empty()) AppendMenuW(restore, MF_STRING | MF_GRAYED, 0, L"(none)");
    AppendMenuW(menu, MF_STRING, kMenuUndo, L"&Undo");
    AppendMenuW(menu, MF_STRING, kMenuRedo, L"&Redo");
    AppendMenuW(menu, MF_STRING, kMenuSave, L"Sa&ve layout...");
    AppendMenuW(menu, MF_STRING | MF_POPUP, reinterpret_cast<UINT_PTR>(restore), L"Restore &layout");
    AppendMenuW(menu, MF_STRING, kMenuRestoreOriginal, L"Restore &original layout");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, kMenuOpen, L"&Open Vandrel");
    AppendMenuW(menu, MF_STRING | (StartsWithWindows() ? MF_CHECKED : 0u), kMenuStartWithWindows,
                L"Start with &Windows");
    AppendMenuW(menu, MF_STRING, kMenuStop, L"&Stop watching");
    POINT at{};
    GetCursorPos(&at);
    // Without the foreground the menu does not close when the user clicks elsewhere,
    // and without the WM_NULL after it the next one may not open.
    SetForegroundWindow(window_);
    const UINT chosen = static_cast<UINT>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, window_, nullptr));
    PostMessageW(window_, WM_NULL, 0, 0);
    DestroyMenu(menu);  // the submenu with it
    if (chosen != 0) RunCommand(chosen);
  }

  void RunCommand(UINT command) {
    // Undo and restores read what the menu showed; a command sent without the menu
    // reads the names afresh.
    std::optional<std::vector<std::string>> names = std::move(shown_names_);
    shown_names_.reset();
    try {
      switch (command) {
        case kMenuUndo: Notify(layouts_.Undo()); break;
        case kMenuRedo: Notify(layouts_.Redo()); break;
        case kMenuSave:
          if (const std::optional<std::string> name = AskLayoutName(instance_, window_)) Notify(layouts_.Save(*name));
          break;
        case kMenuRestoreOriginal:
          Notify(layouts_.RestoreOriginal([this](std::string_view line) { Notify(std::string(line)); }));
          break;
        case kMenuOpen: StartSelf(L""); break;
        case kMenuStartWithWindows:
          if (!SetStartWithWindows(!StartsWithWindows())) Notify("Vandrel cannot change the Run key of the registry.");
          break;
        case kMenuStop: DestroyWindow(window_); break;
        default:
          if (command >= kMenuRestoreFirst && command < kMenuRestoreFirst + kMenuRestoreLimit) {
            if (!names) names = LayoutNames();
            const std::size_t index = command - kMenuRestoreFirst;
            if (index < names->size()) Notify(layouts_.Restore((*names)[index], nullptr));
          }
          break;
      }
    } catch (const std::exception& e) {
      Notify(e.what());
    }
  }

  WatcherPort port_;
  DesktopIconView desktop_;
  layouts::LayoutStore store_;
  layouts::Layouts layouts_;
  layouts::AutomaticLayouts automatic_;
  layouts::WatchRules rules_;
  HINSTANCE instance_ = nullptr;
  HWND window_ = nullptr;
  UINT taskbar_created_ = 0;
  NOTIFYICONDATAW icon_{};
  std::wstring tip_;
  std::size_t displays_ = 0;
  std::deque<WatchEvent> events_;
  bool busy_ = false;
  WatchTime seen_input_{0};
  WatchTime desktop_input_{0};
  std::optional<std::vector<std::string>> shown_names_;
};

}  // namespace

std::string RunWatcher(const std::filesystem::path& data) {
  // Held until the process ends: its existence is the watcher's.
  const win32::Handle mutex(CreateMutexW(nullptr, FALSE, kMutexName));
  if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) return "Vandrel is already keeping watch in this session.";
  Watcher watcher(data);
  watcher.Create(GetModuleHandleW(nullptr));
  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return {};
}

}  // namespace vandrel::watch
