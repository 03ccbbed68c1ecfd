#include "window_search.h"

#include <functional>

namespace vandrel::e2e {
namespace {

using Visitor = std::function<bool(HWND)>;  // false stops the enumeration

BOOL CALLBACK Visit(HWND window, LPARAM visitor) {
  return (*reinterpret_cast<Visitor*>(visitor))(window) ? TRUE : FALSE;
}

void EachTopLevel(Visitor visitor) { EnumWindows(Visit, reinterpret_cast<LPARAM>(&visitor)); }
void EachDescendant(HWND parent, Visitor visitor) {
  EnumChildWindows(parent, Visit, reinterpret_cast<LPARAM>(&visitor));
}

}  // namespace

std::wstring ClassOf(HWND window) {
  wchar_t name[256];
  const int length = GetClassNameW(window, name, 256);
  return std::wstring(name, static_cast<std::size_t>(length > 0 ? length : 0));
}

std::wstring TextOf(HWND window) {
  // For a window of another process GetWindowTextW reads the stored caption without
  // sending WM_GETTEXT (GetWindowTextLengthW would send one), so a program busy in a
  // figure cannot stall the read.
  std::wstring text(256, L'\0');
  for (;;) {
    const int got = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    if (got < 0 || static_cast<std::size_t>(got) + 1 < text.size()) {
      text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
      return text;
    }
    text.resize(text.size() * 2);
  }
}

DWORD ProcessOf(HWND window) {
  DWORD process_id = 0;
  GetWindowThreadProcessId(window, &process_id);
  return process_id;
}

bool Matches(HWND window, const WindowQuery& query) {
  if (query.process_id != 0 && ProcessOf(window) != query.process_id) return false;
  if (query.visible_only && !IsWindowVisible(window)) return false;
  // Class names are not case-sensitive in Windows ("progman" finds "Progman").
  if (!query.class_name.empty() && lstrcmpiW(ClassOf(window).c_str(), query.class_name.c_str()) != 0) return false;
  return !query.caption || TextOf(window) == *query.caption;
}

std::vector<HWND> FindTopLevels(const WindowQuery& query) {
  std::vector<HWND> found;
  EachTopLevel([&](HWND window) {
    if (Matches(window, query)) found.push_back(window);
    return true;
  });
  return found;
}

HWND FindTopLevel(const WindowQuery& query) {
  HWND found = nullptr;
  EachTopLevel([&](HWND window) {
    if (Matches(window, query)) found = window;
    return found == nullptr;
  });
  return found;
}

std::vector<HWND> FindDescendants(HWND parent, const WindowQuery& query) {
  std::vector<HWND> found;
  EachDescendant(parent, [&](HWND window) {
    if (Matches(window, query)) found.push_back(window);
    return true;
  });
  return found;
}

HWND FindDescendant(HWND parent, const WindowQuery& query) {
  HWND found = nullptr;
  EachDescendant(parent, [&](HWND window) {
    if (Matches(window, query)) found = window;
    return found == nullptr;
  });
  return found;
}

HWND FindInProcess(DWORD process_id, const WindowQuery& query) {
  HWND found = nullptr;
  EachTopLevel([&](HWND top) {
    if (ProcessOf(top) != process_id) return true;
    // The search itself may be for a process's own top-level window.
    found = Matches(top, query) ? top : FindDescendant(top, query);
    return found == nullptr;
  });
  return found;
}

HWND WaitForTopLevel(const WindowQuery& query, Millis timeout) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindTopLevel(query)) != nullptr; }, timeout);
  return found;
}

}  // namespace vandrel::e2e
