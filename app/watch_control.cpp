#include "app/watch_control.h"

#include <vector>

#include "win32/handles.h"

namespace vandrel::watch {
namespace {

std::wstring OwnPath() {
  std::vector<wchar_t> path(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) return std::wstring(path.data(), length);
    path.resize(path.size() * 2);
  }
}

constexpr DWORD kStopWaitMs = 10000;

}  // namespace

bool WatcherRunning() {
  return static_cast<bool>(win32::Handle(OpenMutexW(SYNCHRONIZE, FALSE, kMutexName)));
}

bool StartSelf(const std::wstring& arguments) {
  const std::wstring path = OwnPath();
  if (path.empty()) return false;
  std::wstring line = L"\"" + path + L"\"";
  if (!arguments.empty()) line += L" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(path.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    return false;
  }
  // Not waited for: the handles go at once.
  const win32::OwnedProcess started(process);
  return true;
}

bool StartWatcher() { return StartSelf(L"watch"); }

std::string StopWatcher() {
  const HWND window = FindWindowW(kWindowClass, nullptr);
  if (window == nullptr) {
    return WatcherRunning() ? "The watcher of this session has no window to be asked through."
                            : "Vandrel is not keeping watch in this session.";
  }
  DWORD process_id = 0;
  GetWindowThreadProcessId(window, &process_id);
  const win32::Handle process(OpenProcess(SYNCHRONIZE, FALSE, process_id));
  PostMessageW(window, WM_CLOSE, 0, 0);
  if (!process) return {};
  const DWORD waited = WaitForSingleObject(process.get(), kStopWaitMs);
  return waited == WAIT_OBJECT_0 ? std::string() : "The watcher did not end within 10 s.";
}

std::wstring StartCommand() { return L"\"" + OwnPath() + L"\" watch"; }

bool StartsWithWindows() {
  DWORD type = 0;
  return RegGetValueW(HKEY_CURRENT_USER, kRunKey, kRunValue, RRF_RT_REG_SZ, &type, nullptr, nullptr) == ERROR_SUCCESS;
}

bool SetStartWithWindows(bool on) {
  win32::RegistryKey key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  LSTATUS status = ERROR_SUCCESS;
  if (on) {
    const std::wstring command = StartCommand();
    status = RegSetValueExW(key.get(), kRunValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                            static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
  } else {
    status = RegDeleteValueW(key.get(), kRunValue);
    if (status == ERROR_FILE_NOT_FOUND) status = ERROR_SUCCESS;
  }
  return status == ERROR_SUCCESS;
}

}  // namespace vandrel::watch
