#include "standin_explorer.h"

#include <commctrl.h>

#include <algorithm>

namespace standin {
namespace {

struct Explorer {
  HWND view = nullptr;
  std::vector<HWND> top_levels;
  MakeView make_view;
  UINT scramble = 0;
  UINT restart = 0;
  RECT insets{};  // what the work area leaves of the primary monitor on each side
};
Explorer g_explorer;

constexpr UINT_PTR kGridTimer = 0x5A1;

MONITORINFO PrimaryMonitor() {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info);
  return info;
}

// Under Wine a running program's SPI_GETWORKAREA, and the monitor's own work area, wander
// after a display change (800 x 748 on an 800 x 600 screen); the monitor's rectangle does
// not. The work area is the monitor less what the taskbar took of it at the start.
RECT PrimaryWorkArea() {
  RECT area = PrimaryMonitor().rcMonitor;
  area.left += g_explorer.insets.left;
  area.top += g_explorer.insets.top;
  area.right -= g_explorer.insets.right;
  area.bottom -= g_explorer.insets.bottom;
  return area;
}

void SetPosition(HWND view, int index, int x, int y) {
  SendMessageW(view, LVM_SETITEMPOSITION, static_cast<WPARAM>(index), MAKELPARAM(x, y));
}

// Column after column from the top left corner, as Explorer fills its grid.
void LayIntoGrid() {
  const HWND view = g_explorer.view;
  const int count = static_cast<int>(SendMessageW(view, LVM_GETITEMCOUNT, 0, 0));
  const RECT area = PrimaryWorkArea();
  const int left = area.left - GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int top = area.top - GetSystemMetrics(SM_YVIRTUALSCREEN);
  const int spacing = std::max(1, GetSystemMetrics(SM_CYICONSPACING));
  const int rows = std::max(1, static_cast<int>((area.bottom - area.top) / spacing));
  for (int i = 0; i < count; ++i) {
    SetPosition(view, i, left + 19 + spacing * (i / rows), top + 2 + spacing * (i % rows));
  }
}

void FitToScreen() {
  const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  const int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  for (HWND window : g_explorer.top_levels) {
    SetWindowPos(window, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  // The view covers the virtual screen, as the shell's does.
  SetWindowPos(GetParent(g_explorer.view), nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowPos(g_explorer.view, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CALLBACK GridTimer(HWND window, UINT, UINT_PTR id, DWORD) {
  KillTimer(window, id);
  LayIntoGrid();
}

void Scramble(unsigned seed) {
  const HWND view = g_explorer.view;
  const int count = static_cast<int>(SendMessageW(view, LVM_GETITEMCOUNT, 0, 0));
  const RECT area = PrimaryWorkArea();
  const unsigned width = static_cast<unsigned>(std::max(1L, area.right - area.left - 80));
  const unsigned height = static_cast<unsigned>(std::max(1L, area.bottom - area.top - 80));
  unsigned state = seed * 2654435761u + 1u;
  for (int i = 0; i < count; ++i) {
    state = state * 1664525u + 1013904223u;
    const int x = static_cast<int>((state >> 8) % width);
    state = state * 1664525u + 1013904223u;
    SetPosition(view, i, x, static_cast<int>((state >> 8) % height));
  }
}

void Restart() {
  // The old view goes as Explorer's goes when it ends; the new one starts in the shell's
  // own order, and whoever keeps an icon in the notification area is told.
  // The view comes back with the user's settings: auto-arrange as it was.
  const HWND defview = GetParent(g_explorer.view);
  const LONG_PTR style = GetWindowLongPtrW(g_explorer.view, GWL_STYLE);
  const LRESULT extended = SendMessageW(g_explorer.view, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
  DestroyWindow(g_explorer.view);
  RECT area{};
  GetClientRect(defview, &area);
  g_explorer.view = g_explorer.make_view(defview, area);
  if (g_explorer.view != nullptr) {
    SetWindowLongPtrW(g_explorer.view, GWL_STYLE, style);
    SendMessageW(g_explorer.view, LVM_SETEXTENDEDLISTVIEWSTYLE, static_cast<WPARAM>(-1), extended);
    LayIntoGrid();
  }
  SendNotifyMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
}

}  // namespace

void ActLikeExplorer(HWND view, std::vector<HWND> top_levels, MakeView make_view) {
  g_explorer.view = view;
  g_explorer.top_levels = std::move(top_levels);
  g_explorer.make_view = std::move(make_view);
  g_explorer.scramble = RegisterWindowMessageW(kScrambleMessage);
  g_explorer.restart = RegisterWindowMessageW(kRestartMessage);
  const MONITORINFO primary = PrimaryMonitor();
  RECT work = primary.rcWork;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  g_explorer.insets =
      RECT{std::max(0L, work.left - primary.rcMonitor.left), std::max(0L, work.top - primary.rcMonitor.top),
           std::max(0L, primary.rcMonitor.right - work.right), std::max(0L, primary.rcMonitor.bottom - work.bottom)};
}

void OnDisplayChange(HWND window) {
  // Every top-level window gets the message: the first one does the work.
  if (g_explorer.view == nullptr || GetParent(window) != nullptr || window != g_explorer.top_levels.back()) return;
  FitToScreen();
  SetTimer(window, kGridTimer, kGridDelayMs, &GridTimer);
}

bool OnRequest(UINT message, WPARAM wparam) {
  if (g_explorer.view == nullptr || message == 0) return false;
  if (message == g_explorer.scramble) {
    Scramble(static_cast<unsigned>(wparam));
    return true;
  }
  if (message == g_explorer.restart) {
    Restart();
    return true;
  }
  return false;
}

}  // namespace standin
