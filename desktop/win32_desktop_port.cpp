#include "desktop/win32_desktop_port.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <memory>

#include "desktop/win32_modal_box.h"
#include "win32/dpi.h"
#include "win32/entry.h"
#include "win32/error.h"
#include "win32/handles.h"
#include "win32/text.h"

namespace vandrel {
namespace {

HWND Hwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }
WindowHandle Handle(HWND window) { return reinterpret_cast<WindowHandle>(window); }
HANDLE Process(ProcessHandle process) { return reinterpret_cast<HANDLE>(process); }
void* Address(RemoteAddress at) { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(at)); }

// One style write, shared between the caller and the thread that carries it out: a
// write the caller gave up on still finishes into it once the shell answers.
struct StyleWrite {
  HWND window;
  LONG style;
  LONG previous = 0;
};

DWORD WINAPI WriteStyle(void* context) {
  const std::unique_ptr<std::shared_ptr<StyleWrite>> write(static_cast<std::shared_ptr<StyleWrite>*>(context));
  (*write)->previous = SetWindowLongA((*write)->window, GWL_STYLE, (*write)->style);
  return 0;
}

// One message, with the port's own limit: false when the window's thread did not
// answer in time. A window that is gone, or the null window, answers nothing: the
// message reaches no one, as a plain SendMessage to it would.
bool SendWithLimit(HWND window, UINT message, WPARAM wparam, LPARAM lparam, unsigned limit_ms, DWORD_PTR& answer) {
  // SMTO_ABORTIFHUNG gives up at once on a thread the system already knows to be hung,
  // the limit on one that is merely slow to answer.
  SetLastError(ERROR_SUCCESS);
  if (SendMessageTimeoutA(window, message, wparam, lparam, SMTO_NORMAL | SMTO_ABORTIFHUNG, limit_ms, &answer) != 0) {
    return true;
  }
  answer = 0;
  const DWORD error = GetLastError();
  if (error == ERROR_TIMEOUT) return false;
  // A window that is still there and failed without a reason was given up on as hung
  // (not every Windows release says ERROR_TIMEOUT then). One that refused with a reason
  // (a process of higher integrity) answers nothing, as a plain SendMessage would.
  return !(error == ERROR_SUCCESS && IsWindow(window));
}

}  // namespace

// Sends runs of one message from a thread that owns no windows. Under Wine a thread
// that owns windows also looks at the display's connection each time it waits for an
// answer, which makes every message from it about a sixth dearer; on Windows the
// hand-over costs two event signals a run.
class RunSender {
 public:
  // Throws Win32Error when the events or the thread cannot be had.
  explicit RunSender(unsigned limit_ms) : limit_ms_(limit_ms) {
    win32::Checked(go_.get(), "Cannot make the run sender's events");
    win32::Checked(done_.get(), "Cannot make the run sender's events");
    thread_.reset(
        win32::Checked(CreateThread(nullptr, 0, &RunSender::Loop, this, 0, nullptr), "Cannot start the run sender"));
  }
  ~RunSender() {
    // The thread is idle here: every run is waited for before Send returns.
    quit_ = true;
    SetEvent(go_.get());
    WaitForSingleObject(thread_.get(), INFINITE);
  }
  RunSender(const RunSender&) = delete;
  RunSender& operator=(const RunSender&) = delete;

  // While a run is under way, the waiting thread may take a message sent to it that
  // starts another (a click sent from another program): that one goes without the thread.
  bool busy() const { return busy_; }

  // False when a message was not answered in time; the run stops there.
  bool Send(HWND window, UINT message, std::span<const MessageParameters> run) {
    busy_ = true;
    window_ = window;
    message_ = message;
    run_ = run;
    SetEvent(go_.get());
    const HANDLE done = done_.get();
    for (;;) {
      const DWORD woken = MsgWaitForMultipleObjectsEx(1, &done, INFINITE, QS_SENDMESSAGE, 0);
      if (woken == WAIT_OBJECT_0) break;
      if (woken != WAIT_OBJECT_0 + 1) {
        WaitForSingleObject(done, INFINITE);
        break;
      }
      // Runs what other threads have sent to this one, and takes nothing from its queue.
      MSG ignored;
      PeekMessageW(&ignored, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    busy_ = false;
    return answered_;
  }

 private:
  static DWORD WINAPI Loop(void* context) {
    auto& self = *static_cast<RunSender*>(context);
    for (;;) {
      WaitForSingleObject(self.go_.get(), INFINITE);
      if (self.quit_) return 0;
      self.answered_ = true;
      for (const MessageParameters& parameters : self.run_) {
        DWORD_PTR ignored = 0;
        if (!SendWithLimit(self.window_, self.message_, parameters.wparam, parameters.lparam, self.limit_ms_,
                           ignored)) {
          self.answered_ = false;
          break;
        }
      }
      SetEvent(self.done_.get());
    }
  }

  const unsigned limit_ms_;
  win32::Handle go_{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
  win32::Handle done_{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
  win32::Handle thread_;
  // Written by the caller before go_ is set, and by the thread before done_ is: the
  // events order the two threads' reads and writes.
  HWND window_ = nullptr;
  UINT message_ = 0;
  std::span<const MessageParameters> run_;
  bool answered_ = true;
  bool quit_ = false;
  bool busy_ = false;  // the calling thread's alone
};

Win32DesktopPort::Win32DesktopPort(std::u16string title, unsigned answer_limit_ms)
    : title_(std::move(title)), answer_limit_ms_(answer_limit_ms) {}

Win32DesktopPort::~Win32DesktopPort() = default;

WindowHandle Win32DesktopPort::FindTopLevel(std::string_view class_name) {
  const std::string name(class_name);
  return Handle(FindWindowA(name.c_str(), nullptr));
}

WindowHandle Win32DesktopPort::FindNextTopLevel(WindowHandle after, std::string_view class_name) {
  const std::string name(class_name);
  return Handle(FindWindowExA(nullptr, Hwnd(after), name.c_str(), nullptr));
}

WindowHandle Win32DesktopPort::FindChild(WindowHandle parent, std::string_view class_name) {
  const std::string name(class_name);
  return Handle(FindWindowExA(Hwnd(parent), nullptr, name.c_str(), nullptr));
}

WindowHandle Win32DesktopPort::FirstChild(WindowHandle window) { return Handle(GetWindow(Hwnd(window), GW_CHILD)); }

std::string Win32DesktopPort::ClassName(WindowHandle window) {
  char name[256];
  const int length = window != 0 ? GetClassNameA(Hwnd(window), name, sizeof name) : 0;
  return std::string(name, static_cast<std::size_t>(length > 0 ? length : 0));
}

std::uint32_t Win32DesktopPort::GetStyle(WindowHandle window) {
  return static_cast<std::uint32_t>(GetWindowLongA(Hwnd(window), GWL_STYLE));
}

std::uint32_t Win32DesktopPort::SetStyle(WindowHandle window, std::uint32_t style) {
  // SetWindowLongA on another process's window waits, with no limit, until the
  // window's thread has taken WM_STYLECHANGING and WM_STYLECHANGED. It gets the
  // messages' own limit: first a WM_NULL, which gives up at once on a thread known to
  // be hung, then the write itself from a thread of its own, waited for no longer.
  DWORD_PTR ignored = 0;
  if (!SendWithLimit(Hwnd(window), WM_NULL, 0, 0, answer_limit_ms_, ignored)) throw ShellNotAnswering();
  // The null or a vanished window: no style to write, as SetWindowLongA would answer.
  if (!IsWindow(Hwnd(window))) return 0;
  const auto write = std::make_shared<StyleWrite>(StyleWrite{Hwnd(window), static_cast<LONG>(style)});
  auto* context = new std::shared_ptr<StyleWrite>(write);
  const win32::Handle thread(CreateThread(nullptr, 0, WriteStyle, context, 0, nullptr));
  if (!thread) {
    const DWORD code = GetLastError();
    delete context;
    // Not written here without its limit: the write is refused instead.
    win32::ThrowLastError("Cannot start the style write", code);
  }
  const DWORD waited = WaitForSingleObject(thread.get(), answer_limit_ms_);
  // Given up on, the write goes on and lands when the shell wakes, as a held message does.
  if (waited != WAIT_OBJECT_0) throw ShellNotAnswering();
  return static_cast<std::uint32_t>(write->previous);
}

std::intptr_t Win32DesktopPort::Send(WindowHandle window, std::uint32_t message, std::uintptr_t wparam,
                                     std::intptr_t lparam) {
  // Still one synchronous message per call, but a shell that has stopped answering
  // must not freeze Vandrel with it.
  DWORD_PTR answer = 0;
  if (!SendWithLimit(Hwnd(window), message, wparam, static_cast<LPARAM>(lparam), answer_limit_ms_, answer)) {
    throw ShellNotAnswering();
  }
  return static_cast<std::intptr_t>(answer);
}

void Win32DesktopPort::SendRun(WindowHandle window, std::uint32_t message, std::span<const MessageParameters> run) {
  // A short run is not worth the hand-over.
  constexpr std::size_t kShortestRunForTheSender = 16;
  if (run.size() >= kShortestRunForTheSender && !run_sender_tried_) {
    run_sender_tried_ = true;
    try {
      run_sender_ = std::make_unique<RunSender>(answer_limit_ms_);
    } catch (const win32::Win32Error&) {
      // Without the thread, the run goes from here: dearer under Wine, the same messages.
    }
  }
  if (run.size() < kShortestRunForTheSender || run_sender_ == nullptr || run_sender_->busy()) {
    DesktopPort::SendRun(window, message, run);
    return;
  }
  if (!run_sender_->Send(Hwnd(window), message, run)) throw ShellNotAnswering();
}

std::uint32_t Win32DesktopPort::WindowProcessId(WindowHandle window) {
  DWORD process_id = 0;
  GetWindowThreadProcessId(Hwnd(window), &process_id);
  return process_id;
}

ProcessHandle Win32DesktopPort::OpenProcess(std::uint32_t access, std::uint32_t process_id) {
  return reinterpret_cast<ProcessHandle>(::OpenProcess(access, FALSE, process_id));
}

int Win32DesktopPort::PointerBits(std::uint32_t process_id) {
  // A handle of its own: the label read's handle carries only the memory rights.
  const win32::Handle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process_id));
  BOOL wow64 = FALSE;
  if (process && !IsWow64Process(process.get(), &wow64)) wow64 = FALSE;
  // Only a 32-bit process runs under WOW64 on 64-bit Windows.
  return wow64 ? 32 : static_cast<int>(8 * sizeof(void*));
}

RemoteAddress Win32DesktopPort::AllocateBlock(ProcessHandle process, std::size_t size) {
  return reinterpret_cast<std::uintptr_t>(
      VirtualAllocEx(Process(process), nullptr, size, MEM_COMMIT, PAGE_READWRITE));
}

bool Win32DesktopPort::Write(ProcessHandle process, RemoteAddress at, const void* bytes, std::size_t size) {
  SIZE_T written = 0;
  return WriteProcessMemory(Process(process), Address(at), bytes, size, &written) && written == size;
}

bool Win32DesktopPort::Read(ProcessHandle process, RemoteAddress at, void* bytes, std::size_t size) {
  SIZE_T read = 0;
  return ReadProcessMemory(Process(process), Address(at), bytes, size, &read) && read == size;
}

void Win32DesktopPort::FreeBlock(ProcessHandle process, RemoteAddress at, std::size_t size) {
  VirtualFreeEx(Process(process), Address(at), size, MEM_DECOMMIT);
}

void Win32DesktopPort::ReleaseBlock(ProcessHandle process, RemoteAddress at) {
  VirtualFreeEx(Process(process), Address(at), 0, MEM_RELEASE);
}

// The handle OpenProcess gave out comes back to be closed.
void Win32DesktopPort::CloseProcess(ProcessHandle process) { win32::Handle(Process(process)).reset(); }

bool Win32DesktopPort::ReadWorkArea(Rect& area) {
  RECT r{};
  if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0)) return false;
  area = Rect{r.left, r.top, r.right, r.bottom};
  return true;
}

std::int32_t Win32DesktopPort::GetMetric(SystemMetric metric) { return GetSystemMetrics(static_cast<int>(metric)); }

std::uint32_t Win32DesktopPort::SystemDpi() { return win32::SystemDpi(); }

std::u16string Win32DesktopPort::FromAnsi(std::string_view bytes) { return win32::FromAnsiCodePage(bytes); }

void Win32DesktopPort::ShowMessage(std::u16string_view text) {
  const std::wstring body(text.begin(), text.end());
  const std::wstring caption(title_.begin(), title_.end());
  ShowModalBox(Hwnd(owner_), body.c_str(), caption.c_str(), MB_OK);
}

}  // namespace vandrel
