// The resident watcher as other Vandrel processes see it: whether one runs in this
// logon session, starting and ending it, and starting it with Windows.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string>

namespace vandrel::watch {

// One watcher per logon session: the holder of this mutex is it.
inline constexpr wchar_t kMutexName[] = L"Local\\Vandrel-watcher";
// Its hidden window, a top-level one: message-only windows get no broadcasts, and the
// display, work-area, power and "TaskbarCreated" messages are all broadcasts.
inline constexpr wchar_t kWindowClass[] = L"VandrelWatcher";
inline constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr wchar_t kRunValue[] = L"Vandrel";

bool WatcherRunning();
// Starts `vandrel.exe watch` as a program of its own; false when it cannot be started.
bool StartWatcher();
// Asks the watcher of this session to end and waits for it. Empty when it ended, else why not.
std::string StopWatcher();

// The program's own path, quoted, with "watch": what the Run value holds.
std::wstring StartCommand();
bool StartsWithWindows();
// Writes or removes the Run value; false when the registry refused.
bool SetStartWithWindows(bool on);

// Starts this program again with `arguments` (empty: the main window).
bool StartSelf(const std::wstring& arguments);

}  // namespace vandrel::watch
