// standin_check: starts standin_desktop.exe (next to this program) with one set of
// options after another and checks what the product and the end-to-end tests rely
// on: the window tree of each layout, the icons and their labels, the view's styles,
// that positions set from another process read back, the ready signals and the ways
// the stand-in ends. Run under Wine in a virtual display; ends with "N passed, N failed".
//   standin_check             every check
//   standin_check --bench N   times N placements with and without --cheap-paint

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// windows.h first: commctrl.h needs its types.
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "standin_options.h"

namespace {

int g_passed = 0;
int g_failed = 0;
std::string g_case;

void Check(bool ok, const std::string& what) {
  ++(ok ? g_passed : g_failed);
  if (!ok) std::printf("FAILED [%s] %s\n", g_case.c_str(), what.c_str());
}

std::wstring Directory() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dir(path, length);
  return dir.substr(0, dir.find_last_of(L"\\/") + 1);
}

struct Standin {
  PROCESS_INFORMATION process{};
  HANDLE out = nullptr;  // the read end of its stdout
  HANDLE ready = nullptr;

  // Starts the stand-in; waits for its ready event unless it ends first. With
  // errors_too its stderr comes through the same pipe as its stdout.
  bool Start(const std::vector<std::wstring>& args, DWORD wait_ms = 30000, bool errors_too = false) {
    static int serial = 0;
    const std::wstring event =
        L"VandrelStandinCheck" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++serial);
    ready = CreateEventW(nullptr, TRUE, FALSE, event.c_str());
    std::wstring command = L"\"" + Directory() + L"standin_desktop.exe\" --ready-event " + event;
    for (const auto& arg : args) command += L" \"" + arg + L"\"";

    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE write_end = nullptr;
    CreatePipe(&out, &write_end, &inherit, 0);
    SetHandleInformation(out, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = write_end;
    startup.hStdError = errors_too ? write_end : GetStdHandle(STD_ERROR_HANDLE);
    const bool started =
        CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    CloseHandle(write_end);
    if (!started) return false;
    const HANDLE either[] = {ready, process.hProcess};
    return WaitForMultipleObjects(2, either, FALSE, wait_ms) == WAIT_OBJECT_0;
  }

  std::string ReadLine() {
    std::string line;
    char c = 0;
    DWORD got = 0;
    while (ReadFile(out, &c, 1, &got, nullptr) && got == 1 && c != '\n') line += c;
    return line;
  }

  // Waits for the end; answers the exit code, or -1 when it does not end in time.
  long Finish(DWORD wait_ms) {
    DWORD code = 0;
    const bool ended = WaitForSingleObject(process.hProcess, wait_ms) == WAIT_OBJECT_0;
    if (!ended) TerminateProcess(process.hProcess, 99);
    GetExitCodeProcess(process.hProcess, &code);
    return ended ? static_cast<long>(code) : -1;
  }

  ~Standin() {
    if (process.hProcess != nullptr && WaitForSingleObject(process.hProcess, 0) != WAIT_OBJECT_0) {
      TerminateProcess(process.hProcess, 99);
    }
    for (HANDLE h : {process.hProcess, process.hThread, out, ready}) {
      if (h != nullptr) CloseHandle(h);
    }
  }
};

// A block inside the stand-in's process for the list-view answers that come back
// through a pointer.
struct Remote {
  HANDLE process;
  char* block;
  explicit Remote(DWORD pid)
      : process(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid)),
        block(static_cast<char*>(VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE))) {}
  ~Remote() {
    VirtualFreeEx(process, block, 0, MEM_RELEASE);
    CloseHandle(process);
  }

  std::string Text(HWND view, int index) {
    LVITEMA item{};
    item.pszText = block + sizeof item;
    item.cchTextMax = 1024;
    WriteProcessMemory(process, block, &item, sizeof item, nullptr);
    const auto length =
        SendMessageA(view, LVM_GETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(block));
    char text[1024] = {};
    ReadProcessMemory(process, block + sizeof item, text, sizeof text, nullptr);
    return std::string(text, static_cast<std::size_t>(length > 0 ? length : 0));
  }

  POINT Position(HWND view, int index) {
    POINT at{-12345, -12345};
    SendMessageA(view, LVM_GETITEMPOSITION, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(block));
    ReadProcessMemory(process, block, &at, sizeof at, nullptr);
    return at;
  }
};

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

bool Is(HWND window, const wchar_t* class_name, DWORD pid) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  return window != nullptr && ClassOf(window) == class_name && owner == pid;
}

// Finds the list view the way the layout hides it, checking the tree on the way.
HWND FindView(standin::Layout layout, DWORD pid) {
  const HWND progman = FindWindowW(L"Progman", nullptr);
  const HWND first_worker = FindWindowExW(nullptr, nullptr, L"WorkerW", nullptr);
  HWND defview = nullptr;
  switch (layout) {
    case standin::Layout::Progman:
      Check(Is(progman, L"Progman", pid), "a Progman window of the stand-in");
      defview = GetWindow(progman, GW_CHILD);
      Check(first_worker == nullptr, "no WorkerW");
      break;
    case standin::Layout::Win10: {
      Check(Is(progman, L"Progman", pid) && GetWindow(progman, GW_CHILD) == nullptr, "an empty Progman");
      Check(!IsWindowVisible(progman), "Progman hidden, so that Wine keeps it below the WorkerW");
      Check(Is(first_worker, L"WorkerW", pid) && GetWindow(first_worker, GW_CHILD) == nullptr &&
                !IsWindowVisible(first_worker),
            "the first WorkerW is empty and hidden");
      const HWND worker = FindWindowExW(nullptr, first_worker, L"WorkerW", nullptr);
      Check(Is(worker, L"WorkerW", pid) && IsWindowVisible(worker), "a second, visible WorkerW");
      Check(FindWindowExW(nullptr, worker, L"WorkerW", nullptr) == nullptr, "no third WorkerW");
      HWND below = worker;
      while (below != nullptr && below != progman) below = GetWindow(below, GW_HWNDNEXT);
      Check(below == progman, "Progman lies below the WorkerW with the view");
      defview = GetWindow(worker, GW_CHILD);
      break;
    }
    case standin::Layout::Win24H2: {
      Check(Is(progman, L"Progman", pid), "a Progman window of the stand-in");
      const HWND first = GetWindow(progman, GW_CHILD);
      Check(Is(first, L"WorkerW", pid) && GetWindow(first, GW_CHILD) == nullptr && !IsWindowVisible(first),
            "Progman's first child is an empty, hidden WorkerW");
      Check(first_worker == nullptr, "no top-level WorkerW");
      defview = FindWindowExW(progman, nullptr, L"SHELLDLL_DefView", nullptr);
      Check(GetWindow(defview, GW_HWNDNEXT) == nullptr, "SHELLDLL_DefView is Progman's last child");
      break;
    }
    case standin::Layout::None:
      Check(progman == nullptr && first_worker == nullptr, "no shell window");
      Check(Is(FindWindowW(L"VandrelStandinControl", nullptr), L"VandrelStandinControl", pid), "a control window");
      return nullptr;
  }
  Check(Is(defview, L"SHELLDLL_DefView", pid), "a SHELLDLL_DefView");
  const HWND view = GetWindow(defview, GW_CHILD);
  Check(Is(view, L"SysListView32", pid) && GetWindow(view, GW_HWNDNEXT) == nullptr,
        "SysListView32 is the only child of SHELLDLL_DefView");
  return view;
}

// What the product relies on in the view, and the labels it holds.
void CheckView(HWND view, DWORD pid, const std::vector<std::string>& labels) {
  if (view == nullptr) return;
  const auto style = static_cast<DWORD>(GetWindowLongW(view, GWL_STYLE));
  Check((style & LVS_TYPEMASK) == LVS_ICON && (style & LVS_AUTOARRANGE) != 0 && IsWindowVisible(view),
        "a visible view in icon mode with LVS_AUTOARRANGE");
  Check((SendMessageW(view, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_SNAPTOGRID) != 0, "LVS_EX_SNAPTOGRID set");
  Check(SendMessageW(view, LVM_GETIMAGELIST, LVSIL_NORMAL, 0) != 0, "an image list of large icons");
  Check(static_cast<COLORREF>(SendMessageW(view, LVM_GETTEXTBKCOLOR, 0, 0)) != CLR_NONE,
        "a label background other than CLR_NONE");
  const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  const RECT screen{left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN), top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
  RECT rect{};
  GetWindowRect(view, &rect);
  Check(EqualRect(&screen, &rect) != FALSE, "the view covers the virtual screen");

  const auto count = SendMessageW(view, LVM_GETITEMCOUNT, 0, 0);
  Check(count == static_cast<LRESULT>(labels.size()),
        "icon count " + std::to_string(count) + ", expected " + std::to_string(labels.size()));
  Remote remote(pid);
  for (std::size_t i = 0; i < labels.size() && static_cast<LRESULT>(i) < count; ++i) {
    const std::string text = remote.Text(view, static_cast<int>(i));
    Check(text == labels[i], "label " + std::to_string(i) + " is '" + text + "', expected '" + labels[i] + "'");
  }

  // What the product does on show, then a placement from this process.
  SetWindowLongW(view, GWL_STYLE, static_cast<LONG>(style & ~static_cast<DWORD>(LVS_AUTOARRANGE)));
  SendMessageW(view, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_SNAPTOGRID, 0);
  Check((GetWindowLongW(view, GWL_STYLE) & LVS_AUTOARRANGE) == 0 &&
            (SendMessageW(view, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_SNAPTOGRID) == 0,
        "both style switches read back cleared");
  // Raised from outside by a SetWindowPos that also activates, the desktop stays
  // under a window that was above it.
  const HWND desk = GetAncestor(view, GA_ROOT);
  const HWND above = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"above", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                     nullptr, nullptr, nullptr, nullptr);
  SetWindowPos(desk, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  HWND below = above;
  while (below != nullptr && below != desk) below = GetWindow(below, GW_HWNDNEXT);
  Check(above != nullptr && below == desk, "the desktop stays below a window raised over it");
  DestroyWindow(above);

  if (count > 0) {
    const int last = static_cast<int>(count - 1);
    SendMessageW(view, LVM_SETITEMPOSITION, static_cast<WPARAM>(last), MAKELPARAM(123, 456));
    const POINT at = remote.Position(view, last);
    Check(at.x == 123 && at.y == 456,
          "position read back (" + std::to_string(at.x) + ", " + std::to_string(at.y) + "), expected (123, 456)");
  }
}

std::vector<std::string> DefaultLabels(int count) {
  std::vector<std::string> labels;
  for (int i = 0; i < count; ++i) labels.push_back("Icon " + std::to_string(i));
  return labels;
}

// One run that should come up: checks the tree, the view, "ready", then closes it.
void CheckRun(const std::string& name, standin::Layout layout, const std::vector<std::wstring>& args,
              const std::vector<std::string>& labels) {
  g_case = name;
  Standin standin;
  const bool ready = standin.Start(args);
  Check(ready, "ready event set");
  if (ready) {
    Check(standin.ReadLine() == "ready", "\"ready\" on stdout");
    CheckView(FindView(layout, standin.process.dwProcessId), standin.process.dwProcessId, labels);
    const HWND closer = layout == standin::Layout::None ? FindWindowW(L"VandrelStandinControl", nullptr)
                                                        : FindWindowW(L"Progman", nullptr);
    PostMessageW(closer, WM_CLOSE, 0, 0);
  }
  Check(standin.Finish(10000) == 0, "ends with code 0 on WM_CLOSE");
}

void CheckRefused(const std::vector<std::wstring>& args) {
  g_case = "refused";
  for (const auto& arg : args) g_case += " " + std::string(arg.begin(), arg.end());
  Standin standin;
  Check(!standin.Start(args, 30000, true), "never ready");
  Check(standin.Finish(10000) == 2, "ends with code 2");
  Check(standin.ReadLine().rfind("standin_desktop: ", 0) == 0, "says why on stderr");
}

std::wstring WriteLabelFile(const wchar_t* name, const std::string& bytes) {
  wchar_t dir[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  const std::wstring path = std::wstring(dir) + name;
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return path;
}

// One placement with a time limit, as the product sends it; the time it took comes
// back in `took` and the error of a failed send in `error`.
bool Place(HWND view, int index, POINT at, UINT limit_ms, DWORD& took, DWORD& error) {
  DWORD_PTR answer = 0;
  const DWORD start = GetTickCount();
  SetLastError(ERROR_SUCCESS);
  const bool answered = SendMessageTimeoutW(view, LVM_SETITEMPOSITION, static_cast<WPARAM>(index),
                                            MAKELPARAM(at.x, at.y), SMTO_NORMAL, limit_ms, &answer) != 0;
  error = GetLastError();
  took = GetTickCount() - start;
  return answered;
}

bool SamePoint(POINT a, POINT b) { return a.x == b.x && a.y == b.y; }

// --hang-after and --exit-after as the sender of the placements sees them.
void CheckFaults() {
  DWORD took = 0, error = 0;
  {
    g_case = "hang";
    constexpr DWORD kHangMs = 2500;
    Standin standin;
    const bool ready = standin.Start({L"--icons", L"6", L"--hang-after", L"2", L"--hang-ms", std::to_wstring(kHangMs)});
    Check(ready, "ready event set");
    if (!ready) return;
    const DWORD pid = standin.process.dwProcessId;
    const HWND view = FindView(standin::Layout::Progman, pid);
    Remote remote(pid);
    for (int i = 0; i < 2; ++i) {
      Check(Place(view, i, {200 + i, 300}, 1000, took, error), "placement " + std::to_string(i) + " answered");
    }
    const DWORD hang_start = GetTickCount();
    Check(!Place(view, 2, {202, 300}, 500, took, error) && error == ERROR_TIMEOUT,
          "the third placement times out with ERROR_TIMEOUT (error " + std::to_string(error) + ")");
    DWORD_PTR answer = 0;
    Check(SendMessageTimeoutW(view, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &answer) != 0, "the view answers again");
    const DWORD hung = GetTickCount() - hang_start;
    Check(hung + 100 >= kHangMs && hung < kHangMs + 2000,
          "the hang lasts about " + std::to_string(kHangMs) + " ms, seen " + std::to_string(hung) + " ms");
    Check(SamePoint(remote.Position(view, 2), {202, 300}), "the held placement is carried out after the hang");
    Check(Place(view, 3, {203, 300}, 1000, took, error) && took < 1000, "it hangs only once");
    Check(SamePoint(remote.Position(view, 3), {203, 300}), "later placements are carried out");
    PostMessageW(FindWindowW(L"Progman", nullptr), WM_CLOSE, 0, 0);
    Check(standin.Finish(10000) == 0, "ends with code 0 on WM_CLOSE after a hang");
  }
  {
    g_case = "hang on a style write";
    constexpr DWORD kHangMs = 2500;
    Standin standin;
    const bool ready = standin.Start({L"--icons", L"2", L"--hang-on-style", L"1", L"--hang-ms", std::to_wstring(kHangMs)});
    Check(ready, "ready event set");
    if (!ready) return;
    const HWND view = FindView(standin::Layout::Progman, standin.process.dwProcessId);
    const LONG style = GetWindowLongW(view, GWL_STYLE);
    std::vector<DWORD> took_ms;
    for (const LONG written : {style & ~LVS_AUTOARRANGE, style, style & ~LVS_AUTOARRANGE}) {
      const DWORD start = GetTickCount();
      SetWindowLongW(view, GWL_STYLE, written);
      took_ms.push_back(GetTickCount() - start);
    }
    Check(took_ms[0] < 1000 && took_ms[2] < 1000, "the first write and the one after the hang are quick");
    Check(took_ms[1] + 100 >= kHangMs && took_ms[1] < kHangMs + 2000,
          "the second write waits out the hang, seen " + std::to_string(took_ms[1]) + " ms");
    Check(static_cast<LONG>(GetWindowLongW(view, GWL_STYLE)) == (style & ~LVS_AUTOARRANGE), "every write lands");
    PostMessageW(FindWindowW(L"Progman", nullptr), WM_CLOSE, 0, 0);
    Check(standin.Finish(10000) == 0, "ends with code 0 on WM_CLOSE");
  }
  {
    g_case = "exit";
    Standin standin;
    const bool ready = standin.Start({L"--icons", L"6", L"--exit-after", L"3", L"--cheap-paint"});
    Check(ready, "ready event set");
    if (!ready) return;
    const HWND view = FindView(standin::Layout::Progman, standin.process.dwProcessId);
    for (int i = 0; i < 3; ++i) {
      Check(Place(view, i, {100, 100 + i}, 1000, took, error), "placement " + std::to_string(i) + " answered");
    }
    Check(!Place(view, 3, {100, 103}, 5000, took, error) && took < 5000,
          "the placement that ends it fails without waiting out its limit");
    Check(standin.Finish(10000) == 4, "ends with code 4");
    Check(WaitForSingleObject(standin.process.hProcess, 0) == WAIT_OBJECT_0 && !IsWindow(view),
          "its windows are gone with it");
    Check(!Place(view, 4, {100, 104}, 1000, took, error) && took < 1000 && error != ERROR_TIMEOUT,
          "a placement to the vanished view fails at once, not as a timeout (error " + std::to_string(error) + ")");
  }
}

void CheckAll() {
  using standin::Layout;
  auto with_long = DefaultLabels(15);
  with_long[3] =
      "0123456789012345678901234567890123456789012345678901234567890123456789"
      "012345678901234567890123456789012345678901234567890123456789";
  CheckRun("progman", Layout::Progman, {L"--long-label", L"3"}, with_long);
  CheckRun("win10", Layout::Win10, {L"--layout", L"win10", L"--icons", L"7"}, DefaultLabels(7));
  CheckRun("24h2", Layout::Win24H2, {L"--layout", L"24h2", L"--icons", L"1"}, DefaultLabels(1));
  CheckRun("none", Layout::None, {L"--layout", L"none"}, {});
  CheckRun("no icons", Layout::Progman, {L"--icons", L"0"}, {});
  CheckRun("cheap paint", Layout::Progman, {L"--cheap-paint", L"--icons", L"40"}, DefaultLabels(40));

  const std::wstring mixed = WriteLabelFile(L"standin_labels_mixed.txt", "Alpha\r\nBeta\n\nGamma\r");
  const std::wstring empty = WriteLabelFile(L"standin_labels_empty.txt", "");
  const std::wstring ended = WriteLabelFile(L"standin_labels_ended.txt", "One\r\nTwo\r\n");
  CheckRun("label file", Layout::Progman, {L"--labels", mixed}, {"Alpha", "Beta", "", "Gamma"});
  CheckRun("label file, fewer icons", Layout::Win10, {L"--layout", L"win10", L"--labels", mixed, L"--icons", L"2"},
           {"Alpha", "Beta"});
  CheckRun("label file, more icons", Layout::Progman, {L"--labels", mixed, L"--icons", L"6", L"--long-label", L"1"},
           {"Alpha", standin::LongLabel(), "", "Gamma", "Icon 4", "Icon 5"});
  CheckRun("empty label file", Layout::Progman, {L"--labels", empty}, {});
  CheckRun("label file with a last newline", Layout::Win24H2, {L"--layout", L"24h2", L"--labels", ended},
           {"One", "Two"});

  for (const auto& args : std::vector<std::vector<std::wstring>>{{L"--icons", L"abc"},
                                                                 {L"--icons", L"-1"},
                                                                 {L"--icons", L"100001"},
                                                                 {L"--icons"},
                                                                 {L"--layout", L"xp"},
                                                                 {L"--long-label", L"15"},
                                                                 {L"--labels", mixed, L"--long-label", L"4"},
                                                                 {L"--labels", L"C:\\no\\such\\file.txt"},
                                                                 {L"--timeout", L"0"},
                                                                 {L"--hang-after", L"x"},
                                                                 {L"--exit-after", L"-1"},
                                                                 {L"--hang-ms", L"100"},
                                                                 {L"--hang-after", L"1", L"--hang-ms", L"0"},
                                                                 {L"--hang-after", L"1", L"--hang-ms", L"600001"},
                                                                 {L"--hang-on-style", L"-1"},
                                                                 {L"--hang-after", L"1", L"--hang-on-style", L"1"},
                                                                 {L"--bogus"}}) {
    CheckRefused(args);
  }

  CheckFaults();

  g_case = "timeout";
  Standin standin;
  Check(standin.Start({L"--layout", L"none", L"--timeout", L"1"}, 30000, true), "ready event set");
  Check(standin.Finish(15000) == 3, "ends by itself with code 3");
  Check(standin.ReadLine() == "ready" && standin.ReadLine().find("no WM_CLOSE within 1 s") != std::string::npos,
        "says so on stderr");
}

// Times n placements sent from here, as a figure sends them, one message each.
void Bench(int n) {
  for (bool cheap : {false, true}) {
    Standin standin;
    std::vector<std::wstring> args{L"--icons", std::to_wstring(n)};
    if (cheap) args.push_back(L"--cheap-paint");
    const DWORD start_fill = GetTickCount();
    if (!standin.Start(args, 600000)) return;
    const DWORD filled = GetTickCount();
    const HWND view = GetWindow(GetWindow(FindWindowW(L"Progman", nullptr), GW_CHILD), GW_CHILD);
    for (int i = 0; i < n; ++i)
      SendMessageW(view, LVM_SETITEMPOSITION, static_cast<WPARAM>(i), MAKELPARAM(i % 1000, i / 1000 * 10));
    // A last round trip, so that the paint the placements caused is counted too.
    SendMessageW(view, LVM_GETITEMCOUNT, 0, 0);
    std::printf("%d icons%s: started and filled in %lu ms, %d placements in %lu ms\n", n,
                cheap ? ", --cheap-paint" : "", filled - start_fill, n, GetTickCount() - filled);
    PostMessageW(FindWindowW(L"Progman", nullptr), WM_CLOSE, 0, 0);
    standin.Finish(60000);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--bench") {
    Bench(std::atoi(argv[2]));
    return 0;
  }
  CheckAll();
  std::printf("%d passed, %d failed\n", g_passed, g_failed);
  return g_failed == 0 ? 0 : 1;
}
