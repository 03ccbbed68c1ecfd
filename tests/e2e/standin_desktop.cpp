#include "standin_desktop.h"

#include <atomic>

#include "driver_error.h"
#include "window_search.h"

namespace vandrel::e2e {
namespace {

class Event {
 public:
  explicit Event(const std::wstring& name) : handle_(CreateEventW(nullptr, TRUE, FALSE, name.c_str())) {
    if (handle_ == nullptr) ThrowLastError("CreateEventW " + Narrow(name));
  }
  ~Event() { CloseHandle(handle_); }
  HANDLE handle() const { return handle_; }

 private:
  HANDLE handle_;
};

std::wstring UniqueEventName() {
  static std::atomic<int> counter{0};
  return L"vandrel-e2e-ready-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
}

}  // namespace

StandinDesktop::StandinDesktop(const StandinOptions& options) {
  // Made before the start, so that the stand-in cannot signal an event nobody holds yet.
  const std::wstring event_name = UniqueEventName();
  const Event ready(event_name);
  std::vector<std::wstring> arguments = {
      L"--icons", std::to_wstring(options.icons), L"--layout", options.layout, L"--ready-event", event_name};
  if (options.cheap_paint) arguments.push_back(L"--cheap-paint");
  arguments.insert(arguments.end(), options.more.begin(), options.more.end());
  process_ = std::make_unique<ChildProcess>(ProgramFolder() + L"\\standin_desktop.exe", arguments);

  const HANDLE waits[] = {ready.handle(), process_->handle()};
  switch (WaitForMultipleObjects(2, waits, FALSE, static_cast<DWORD>(kStartTimeout.count()))) {
    case WAIT_OBJECT_0:
      return;
    case WAIT_OBJECT_0 + 1:
      throw DriverError("standin_desktop.exe ended before it was ready, exit code " +
                        std::to_string(process_->exit_code()));
    default:
      throw DriverError("standin_desktop.exe did not get ready in time");
  }
}

StandinDesktop::~StandinDesktop() { Close(); }

HWND StandinDesktop::list_view() const { return FindInProcess(process_->id(), {L"SysListView32"}); }

bool StandinDesktop::Close() {
  // "Progman" ends it; with no shell window its hidden control window does.
  HWND window = FindTopLevel({L"Progman", std::nullopt, process_->id()});
  if (window == nullptr) window = FindTopLevel({L"VandrelStandinControl", std::nullopt, process_->id()});
  return process_->Close(window, Millis{10000});
}

}  // namespace vandrel::e2e
