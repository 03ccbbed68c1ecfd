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
};
Explorer g_explorer;

constexpr UINT_PTR kGridTimer = 0x5A1;

// Under Wine a running program's SPI_GETWORKAREA stays what it was at its start, and the
// monitor's own work area wanders after a change (800 x 748 on an 800 x 600 screen): the
// work area at the start, kept within the primary monitor as it is now.
RECT PrimaryWorkArea() {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info);
  RECT work = info.rcMonitor;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  RECT area{};
  IntersectRect(&area, &work, &info.rcMonitor);
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
  const int spacing = std::max(1, GetSystemMetrics(SM_CYICONSPACING));
  const int rows = std::max(1, static_cast<int>((area.bottom - area.top) / spacing));
  for (int i = 0; i < count; ++i) SetPosition(view, i, 19 + spacing * (i / rows), 2 + spacing * (i % rows));
}

void FitToScreen() {
  const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  const int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  for (HWND window : g_explorer.top_levels) {
    SetWindowPos(window, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  const HWND defview = GetParent(g_explorer.view);
  SetWindowPos(defview, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  const RECT area = PrimaryWorkArea();
  SetWindowPos(g_explorer.view, nullptr, area.left - left, area.top - top, area.right - area.left,
               area.bottom - area.top, SWP_NOZORDER | SWP_NOACTIVATE);
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
  RECT area = PrimaryWorkArea();
  POINT origin{0, 0};
  ClientToScreen(defview, &origin);
  OffsetRect(&area, -origin.x, -origin.y);
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
