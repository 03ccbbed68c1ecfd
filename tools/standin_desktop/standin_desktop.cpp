// standin_desktop: plays the Windows shell's desktop icon view where there is no
// shell (Wine has no "Progman"), for the end-to-end tests, the demo and benchmarks.
// It builds one of the window trees the shell keeps its icon list view in, fills the
// view with icons, says "ready", and then only answers messages.

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// windows.h first: commctrl.h and shellapi.h need its types.
#include <commctrl.h>
#include <shellapi.h>

#include <fcntl.h>
#include <io.h>

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "standin_explorer.h"
#include "standin_options.h"

namespace {

using standin::Layout;
using standin::Options;

enum ExitCode : int { kClosed = 0, kStartFailed = 1, kUsage = 2, kTimedOut = 3, kCrashed = 4 };

constexpr wchar_t kControlClass[] = L"VandrelStandinControl";
constexpr COLORREF kDesktopColour = RGB(0, 128, 128);
constexpr int kAppIcon = 1;  // the resource id in standin_desktop.rc

// Set while the stand-in orders its own top-level windows; no one else may.
bool g_restacking = false;


LRESULT CALLBACK ShellWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CLOSE:
      // Whoever closes the desktop ends the program; the windows go with the process.
      PostQuitMessage(kClosed);
      return 0;
    case WM_DISPLAYCHANGE:
      standin::OnDisplayChange(window);
      return DefWindowProcW(window, message, wparam, lparam);
    case WM_MOUSEACTIVATE:
      // The desktop never comes to the front: a click on it leaves the product's
      // window and message boxes above it.
      return MA_NOACTIVATE;
    case WM_WINDOWPOSCHANGING:
      // Nor when it is moved up or activated from outside. SWP_NOZORDER alone is not
      // enough: a SetWindowPos that activates brings the window to the top anyway.
      if (GetParent(window) == nullptr && !g_restacking) {
        reinterpret_cast<WINDOWPOS*>(lparam)->flags |= SWP_NOZORDER | SWP_NOACTIVATE;
      }
      return DefWindowProcW(window, message, wparam, lparam);
    default:
      if (standin::OnRequest(message, wparam)) return 0;
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

// The faults of --hang-after and --exit-after, played inside the list view's own
// window procedure: the product sees them exactly where a real shell would show them,
// in the answer to a placement it sent.
struct Faults {
  WNDPROC list_view_proc = nullptr;
  std::uint32_t placements = 0;  // carried out so far
  std::optional<std::uint32_t> hang_after;
  std::uint32_t style_writes = 0;  // carried out so far
  std::optional<std::uint32_t> hang_on_style;
  std::uint32_t hang_ms = 0;
  std::optional<std::uint32_t> exit_after;
};
Faults g_faults;

LRESULT CALLBACK FaultyListViewProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  // SetWindowLong's writer waits until the view has taken WM_STYLECHANGING: holding it
  // here holds the writer, as a hung shell does.
  if (message == WM_STYLECHANGING && static_cast<int>(wparam) == GWL_STYLE) {
    if (g_faults.hang_on_style && g_faults.style_writes == *g_faults.hang_on_style) {
      g_faults.hang_on_style.reset();
      Sleep(g_faults.hang_ms);
    }
    ++g_faults.style_writes;
  }
  if (message == LVM_SETITEMPOSITION || message == LVM_SETITEMPOSITION32) {
    if (g_faults.exit_after && g_faults.placements == *g_faults.exit_after) {
      // As a crash ends a shell: no answer, no window destroyed, no DLL told. The
      // system takes the windows down with the process.
      TerminateProcess(GetCurrentProcess(), kCrashed);
    }
    if (g_faults.hang_after && g_faults.placements == *g_faults.hang_after) {
      g_faults.hang_after.reset();
      // Neither answering nor pumping: senders wait, and after 5 s the system counts
      // the thread as hung. The held placement is carried out afterwards, as a shell
      // that was only slow would do; the sender has long stopped waiting for it.
      Sleep(g_faults.hang_ms);
    }
    ++g_faults.placements;
  }
  return CallWindowProcW(g_faults.list_view_proc, window, message, wparam, lparam);
}

void InstallFaults(HWND view, const Options& options) {
  if (!options.hang_after && !options.exit_after && !options.hang_on_style) return;
  g_faults.hang_after = options.hang_after;
  g_faults.hang_on_style = options.hang_on_style;
  g_faults.hang_ms = options.hang_ms;
  g_faults.exit_after = options.exit_after;
  g_faults.list_view_proc =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrW(view, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FaultyListViewProc)));
}

bool RegisterShellClasses(HINSTANCE instance) {
  const HBRUSH background = CreateSolidBrush(kDesktopColour);
  const HICON icon = LoadIconW(instance, MAKEINTRESOURCEW(kAppIcon));
  for (const wchar_t* name : {L"Progman", L"WorkerW", L"SHELLDLL_DefView", kControlClass}) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = ShellWindowProc;
    wc.hInstance = instance;
    wc.hIcon = icon;
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    if (RegisterClassExW(&wc) == 0) return false;
  }
  return true;
}

// Top-level windows start hidden and are shown without activation once filled;
// children are visible from the start, so they show with their parent.
HWND CreateShellWindow(const wchar_t* class_name, const wchar_t* title, HWND parent, const RECT& r,
                       bool visible_child = true) {
  const DWORD style = parent != nullptr
                          ? WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | (visible_child ? WS_VISIBLE : 0)
                          : WS_POPUP | WS_CLIPCHILDREN;
  const DWORD ex_style = parent != nullptr ? 0 : WS_EX_TOOLWINDOW;  // no taskbar button for a desktop
  return CreateWindowExW(ex_style, class_name, title, style, r.left, r.top, r.right - r.left, r.bottom - r.top, parent,
                         nullptr, GetModuleHandleW(nullptr), nullptr);
}

HWND CreateIconView(HWND parent, const RECT& area) {
  // Icon mode with auto-arrange and snap-to-grid on, as the real shell starts its
  // view: the product has to switch both off itself.
  const HWND view = CreateWindowExW(
      0, WC_LISTVIEWW, L"FolderView", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | LVS_ICON | LVS_AUTOARRANGE,
      area.left, area.top, area.right - area.left, area.bottom - area.top, parent,
      nullptr, GetModuleHandleW(nullptr), nullptr);
  if (view == nullptr) return nullptr;
  SendMessageW(view, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_SNAPTOGRID, LVS_EX_SNAPTOGRID);

  const HIMAGELIST images = ImageList_Create(32, 32, ILC_COLOR32 | ILC_MASK, 1, 1);
  HICON icon = static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kAppIcon), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
  if (icon == nullptr) icon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512));  // IDI_APPLICATION
  if (images == nullptr || ImageList_AddIcon(images, icon) < 0) return nullptr;
  SendMessageW(view, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(images));

  // White labels over the desktop colour. The label background is that colour too,
  // not CLR_NONE, so that a switch to "no background" shows in LVM_GETTEXTBKCOLOR.
  SendMessageW(view, LVM_SETBKCOLOR, 0, kDesktopColour);
  SendMessageW(view, LVM_SETTEXTCOLOR, 0, RGB(255, 255, 255));
  SendMessageW(view, LVM_SETTEXTBKCOLOR, 0, kDesktopColour);
  return view;
}

bool FillIconView(HWND view, std::vector<std::string>& labels) {
  // Each insert with redraw on invalidates and rescrolls the view: under Wine 20,000
  // icons then take 6 s to fill instead of 2 s.
  SendMessageW(view, WM_SETREDRAW, FALSE, 0);
  SendMessageW(view, LVM_SETITEMCOUNT, labels.size(), 0);
  for (std::size_t i = 0; i < labels.size(); ++i) {
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = static_cast<int>(i);
    // The view copies the text up to its first zero byte.
    item.pszText = labels[i].data();
    item.iImage = 0;
    if (SendMessageA(view, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)) != static_cast<LRESULT>(i)) {
      return false;
    }
  }
  SendMessageW(view, WM_SETREDRAW, TRUE, 0);
  return true;
}

struct Shell {
  std::vector<HWND> shown;  // visible top-level windows, shown once the view is filled
  std::vector<HWND> stack;  // top-level windows whose z-order matters, top first
  HWND view = nullptr;
};

// Builds the window tree of the layout. As the shell's, every window covers the whole
// virtual screen, every monitor of it: view position (0, 0) is the virtual screen's top
// left corner, left of or above the primary monitor when a monitor lies there, and the
// primary's own (0, 0) on one monitor.
bool BuildShell(Layout layout, Shell& shell) {
  const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  const int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  const RECT virtual_screen{left, top, left + width, top + height};
  const RECT screen{0, 0, width, height};  // a child's, inside its parent
  HWND defview = nullptr;

  switch (layout) {
    case Layout::Progman: {
      const HWND progman = CreateShellWindow(L"Progman", L"Program Manager", nullptr, virtual_screen);
      defview = progman != nullptr ? CreateShellWindow(L"SHELLDLL_DefView", L"", progman, screen) : nullptr;
      shell.shown = {progman};
      break;
    }
    case Layout::Win10: {
      const HWND progman = CreateShellWindow(L"Progman", L"Program Manager", nullptr, virtual_screen);
      const HWND worker = CreateShellWindow(L"WorkerW", L"", nullptr, virtual_screen);
      const HWND empty_worker = CreateShellWindow(L"WorkerW", L"", nullptr, virtual_screen);
      if (progman == nullptr || worker == nullptr || empty_worker == nullptr) return false;
      defview = CreateShellWindow(L"SHELLDLL_DefView", L"", worker, screen);
      // Top to bottom: the empty "WorkerW", the one with the view, then "Progman". A
      // lookup walking the "WorkerW" windows in z-order meets the empty one first and
      // has to go on to the next. Only the one with the view is shown: when X exposes a
      // window, Wine raises it above any visible window that overlaps it, so two
      // visible full-screen windows could swap places for a while after the start.
      shell.stack = {empty_worker, worker, progman};
      shell.shown = {worker};
      break;
    }
    case Layout::Win24H2: {
      const HWND progman = CreateShellWindow(L"Progman", L"Program Manager", nullptr, virtual_screen);
      if (progman == nullptr) return false;
      defview = CreateShellWindow(L"SHELLDLL_DefView", L"", progman, screen);
      // Hidden, and on top of its siblings: GW_CHILD answers the topmost child, so
      // "Progman" -> first child -> first child leads nowhere here.
      const HWND empty_worker = CreateShellWindow(L"WorkerW", L"", progman, screen, false);
      if (empty_worker == nullptr) return false;
      SetWindowPos(empty_worker, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      shell.shown = {progman};
      break;
    }
    case Layout::None:
      // Nothing for the product to find; a hidden window to be closed through.
      return CreateShellWindow(kControlClass, L"", nullptr, RECT{}) != nullptr;
  }
  if (defview == nullptr || shell.shown.front() == nullptr) return false;
  shell.view = CreateIconView(defview, screen);
  return shell.view != nullptr;
}

bool Signal(const std::wstring& ready_event) {
  if (!ready_event.empty()) {
    // Left open until the process ends: a waiter that opens the event late still
    // finds it set.
    const HANDLE event = CreateEventW(nullptr, TRUE, FALSE, ready_event.c_str());
    if (event == nullptr || !SetEvent(event)) return false;
  }
  // Under Wine our stdout is whatever the launcher gave: a pipe needs the flush, and
  // binary mode keeps the CRT from writing "ready\r\n", which a shell's read keeps.
  _setmode(_fileno(stdout), _O_BINARY);
  std::fputs("ready\n", stdout);
  std::fflush(stdout);
  return true;
}

int Run(Options& options) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  Shell shell;
  if (!RegisterShellClasses(GetModuleHandleW(nullptr)) || !BuildShell(options.layout, shell)) {
    std::fputs("standin_desktop: cannot create the desktop windows\n", stderr);
    return kStartFailed;
  }
  if (shell.view != nullptr) {
    if (!FillIconView(shell.view, options.labels)) {
      std::fputs("standin_desktop: cannot fill the icon view\n", stderr);
      return kStartFailed;
    }
    for (HWND window : shell.shown) {
      ShowWindow(window, SW_SHOWNA);
      UpdateWindow(window);
    }
    g_restacking = true;
    for (std::size_t i = 1; i < shell.stack.size(); ++i) {
      SetWindowPos(shell.stack[i], shell.stack[i - 1], 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    g_restacking = false;
    // Keeps the icons of the first paint on screen but repaints nothing after: Wine
    // repaints every item after each placement, a cost growing with the icon count.
    // Positions are still set and read back as usual.
    if (options.cheap_paint) SendMessageW(shell.view, WM_SETREDRAW, FALSE, 0);
    // Installed last: the faults count only placements sent once the view is ready.
    InstallFaults(shell.view, options);
  }
  if (shell.view != nullptr) {
    std::vector<HWND> top_levels = shell.stack;
    top_levels.insert(top_levels.end(), shell.shown.begin(), shell.shown.end());
    standin::ActLikeExplorer(shell.view, top_levels, [&options](HWND parent, const RECT& work_area) -> HWND {
      const HWND view = CreateIconView(parent, work_area);
      if (view == nullptr || !FillIconView(view, options.labels)) return nullptr;
      if (options.cheap_paint) SendMessageW(view, WM_SETREDRAW, FALSE, 0);
      return view;
    });
  }
  if (!Signal(options.ready_event)) {
    std::fputs("standin_desktop: cannot set the ready event\n", stderr);
    return kStartFailed;
  }

  SetTimer(nullptr, 0, options.timeout_seconds * 1000u, nullptr);
  MSG message{};
  BOOL got = 0;
  while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) {
    // A thread timer (no window) is the --timeout.
    if (message.message == WM_TIMER && message.hwnd == nullptr) {
      std::fprintf(stderr, "standin_desktop: no WM_CLOSE within %u s, quitting\n",
                   static_cast<unsigned>(options.timeout_seconds));
      return kTimedOut;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return got == 0 ? static_cast<int>(message.wParam) : kStartFailed;
}

}  // namespace

int main() {
  // Wide arguments: the label file may have any name.
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::wstring> args;
  for (int i = 1; argv != nullptr && i < argc; ++i) args.emplace_back(argv[i]);
  LocalFree(argv);

  standin::ParseResult parsed = standin::ParseOptions(args);
  if (!parsed.options) {
    std::fprintf(stderr, "standin_desktop: %s (--help lists the options)\n", parsed.error.c_str());
    return kUsage;
  }
  if (parsed.options->help) {
    std::fputs(standin::Usage().c_str(), stdout);
    return kClosed;
  }
  return Run(*parsed.options);
}
