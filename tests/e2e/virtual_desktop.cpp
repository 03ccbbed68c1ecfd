#include "virtual_desktop.h"

#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "child_process.h"

namespace vandrel::e2e {
namespace {

// Set for the program inside: where it writes its status. explorer.exe, which runs it,
// ends with a status of its own.
constexpr wchar_t kStatusFile[] = L"VANDREL_VIRTUAL_DESKTOP_STATUS_FILE";

}  // namespace

std::optional<int> RunInVirtualDesktop(const std::wstring& program, const std::wstring& arguments) {
  if (GetEnvironmentVariableW(kStatusFile, nullptr, 0) != 0) return std::nullopt;
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  const std::wstring file = std::wstring(folder) + L"vandrel-virtual-desktop-" + std::to_wstring(GetCurrentProcessId());
  SetEnvironmentVariableW(kStatusFile, file.c_str());
  DeleteFileW(file.c_str());
  std::wstring line =
      L"explorer.exe /desktop=vandrel-watch,1024x768 " + QuoteArgument(ProgramFolder() + L"\\" + program);
  if (!arguments.empty()) line += L" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
    std::fprintf(stderr, "cannot start the virtual desktop\n");
    return 1;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  int status = 1;
  std::ifstream read{std::filesystem::path(file)};
  if (!(read >> status)) std::fprintf(stderr, "the program inside the virtual desktop left no status\n");
  read.close();
  DeleteFileW(file.c_str());
  return status;
}

void ReportVirtualDesktopStatus(int status) {
  wchar_t file[MAX_PATH];
  if (GetEnvironmentVariableW(kStatusFile, file, MAX_PATH) == 0) return;
  std::ofstream(std::filesystem::path(file)) << status;
}

bool SetResolution(int width, int height) {
  if (GetSystemMetrics(SM_CXSCREEN) == width && GetSystemMetrics(SM_CYSCREEN) == height) return true;
  DEVMODEW mode{};
  mode.dmSize = sizeof mode;
  mode.dmPelsWidth = static_cast<DWORD>(width);
  mode.dmPelsHeight = static_cast<DWORD>(height);
  mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
  const LONG result = ChangeDisplaySettingsExW(nullptr, &mode, nullptr, 0, nullptr);
  if (result != DISP_CHANGE_SUCCESSFUL) std::fprintf(stderr, "ChangeDisplaySettingsExW: %ld\n", result);
  return result == DISP_CHANGE_SUCCESSFUL;
}

}  // namespace vandrel::e2e
