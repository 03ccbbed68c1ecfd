// Finding windows by class and caption, top-level and nested, with the W functions
// (so that a Chinese caption matches whatever the ANSI code page).
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "wait.h"

namespace vandrel::e2e {

std::wstring ClassOf(HWND window);
std::wstring TextOf(HWND window);
DWORD ProcessOf(HWND window);

// What a window must match; an empty field matches anything, process 0 any process.
struct WindowQuery {
  std::wstring class_name = {};
  std::optional<std::wstring> caption = std::nullopt;
  DWORD process_id = 0;
  bool visible_only = false;
};

bool Matches(HWND window, const WindowQuery& query);

// Top-level windows in Z order.
std::vector<HWND> FindTopLevels(const WindowQuery& query);
HWND FindTopLevel(const WindowQuery& query);
// Every descendant of `parent`, children of children included, in EnumChildWindows order.
std::vector<HWND> FindDescendants(HWND parent, const WindowQuery& query);
HWND FindDescendant(HWND parent, const WindowQuery& query);
// The first match among the descendants of every top-level window of `process_id`.
HWND FindInProcess(DWORD process_id, const WindowQuery& query);

// Null when nothing matched within `timeout`.
HWND WaitForTopLevel(const WindowQuery& query, Millis timeout);

}  // namespace vandrel::e2e
