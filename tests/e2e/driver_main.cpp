// vandrel_driver.exe: the driver's few moves as commands, for scripts (tools/run-demo).
//   wait-product [SECONDS]   waits until Vandrel's main window is visible
//   click CAPTION            clicks that button of the main window and returns once its
//                            figure has run and the screen shows it, pressing OK on every
//                            message box it opens
//   paint                    has every window paint what is pending, as a click does
//                            before it returns (after a `vandrel layout restore`)
//   show-bench               brings up Vandrel's hidden test window "Form1" in front
//   close                    closes Vandrel and the stand-in desktop
//   resolution W H           changes the display to W x H (in a Wine virtual desktop)
//   hand-layout              lays the stand-in's icons out as by hand, auto-arrange off,
//                            and presses a key, as the user who moved them did
// Exit status: 0 done, 1 failed, 2 usage, 3 no such button.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "buttons.h"
#include "child_process.h"
#include "driver_error.h"
#include "message_box.h"
#include "product.h"
#include "remote_list_view.h"
#include "test_bench.h"
#include "virtual_desktop.h"
#include "window_search.h"

namespace vandrel::e2e {
namespace {

constexpr int kDone = 0, kFailed = 1, kUsage = 2, kNoButton = 3;

HWND MainWindow() { return FindTopLevel({kMainWindowClass, std::nullopt, 0, true}); }

int WaitProduct(Millis timeout) {
  if (WaitForTopLevel({kMainWindowClass, std::nullopt, 0, true}, timeout) != nullptr) return kDone;
  std::fprintf(stderr, "vandrel_driver: no visible Vandrel window\n");
  return kFailed;
}

// Has every visible window paint what is pending now, so that a screenshot taken next
// shows the icons where the figure put them rather than where they were.
void PaintPending() {
  for (const HWND window : FindTopLevels({L"", std::nullopt, 0, true})) {
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    Answers(window);
  }
}

int ClickButton(const std::wstring& caption) {
  const HWND main = MainWindow();
  if (main == nullptr) {
    std::fprintf(stderr, "vandrel_driver: Vandrel is not running\n");
    return kFailed;
  }
  const HWND button = FindDescendant(main, {L"Button", caption});
  if (button == nullptr) return kNoButton;
  const DWORD process_id = ProcessOf(main);

  // The click is sent from a thread of its own: should the figure open a message box,
  // the click only returns once the box is closed, and this thread closes it.
  std::atomic<bool> done{false};
  bool answered = false;
  std::thread clicking([&] {
    answered = Click(button, Millis{600000});
    done = true;
  });
  WaitUntil(
      [&] {
        if (const HWND box = FindMessageBox(process_id)) {
          std::printf("message: %s\n", Narrow(MessageBoxText(box)).c_str());
          std::fflush(stdout);
          PressOk(box);
        }
        return done.load();
      },
      Millis{600000}, Millis{20});
  if (!done) {
    clicking.detach();
    std::fprintf(stderr, "vandrel_driver: the click on \"%s\" did not finish\n", Narrow(caption).c_str());
    return kFailed;
  }
  clicking.join();
  if (!answered) return kFailed;
  PaintPending();
  return kDone;
}

int ShowBench() {
  const HWND main = MainWindow();
  if (main == nullptr) {
    std::fprintf(stderr, "vandrel_driver: Vandrel is not running\n");
    return kFailed;
  }
  const TestBench bench(ProcessOf(main));
  bench.Show();
  SetForegroundWindow(bench.window());
  PaintPending();
  return kDone;
}

int CloseAll() {
  bool closed = true;
  for (const wchar_t* name : {kMainWindowClass, L"Progman", L"VandrelStandinControl"}) {
    for (const HWND window : FindTopLevels({name})) {
      PostMessageW(window, WM_CLOSE, 0, 0);
      closed = WaitUntil([&] { return !IsWindow(window); }, Millis{10000}) && closed;
    }
  }
  return closed ? kDone : kFailed;
}

// A wide V of icons: unlike any grid the shell lays.
Position HandPlace(int i) { return {150 + 48 * i, 90 + 36 * (i < 7 ? i : 14 - i)}; }

std::unique_ptr<RemoteListView> StandinView() {
  const HWND progman = FindTopLevel({L"Progman"});
  const HWND view = progman != nullptr ? FindDescendant(progman, {L"SysListView32"}) : nullptr;
  if (view == nullptr) throw DriverError("no stand-in desktop");
  return std::make_unique<RemoteListView>(view);
}

int HandLayout() {
  const std::unique_ptr<RemoteListView> view = StandinView();
  view->SetStyle(view->Style() & ~static_cast<DWORD>(LVS_AUTOARRANGE));
  for (int i = 0; i < view->ItemCount(); ++i) view->SetItemPosition(i, HandPlace(i));
  INPUT keys[2]{};
  keys[0].type = keys[1].type = INPUT_KEYBOARD;
  keys[0].ki.wVk = keys[1].ki.wVk = VK_SHIFT;
  keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, keys, sizeof(INPUT));
  PaintPending();
  return kDone;
}

int Resolution(int width, int height) { return SetResolution(width, height) ? kDone : kFailed; }

int Run(int argc, wchar_t** argv) {
  const std::wstring command = argc > 1 ? argv[1] : L"";
  if (command == L"wait-product" && argc <= 3) {
    return WaitProduct(argc == 3 ? Millis{1000 * _wtoi(argv[2])} : kStartTimeout);
  }
  if (command == L"click" && argc == 3) return ClickButton(argv[2]);
  if (command == L"paint" && argc == 2) {
    PaintPending();
    return kDone;
  }
  if (command == L"show-bench" && argc == 2) return ShowBench();
  if (command == L"close" && argc == 2) return CloseAll();
  if (command == L"resolution" && argc == 4) return Resolution(_wtoi(argv[2]), _wtoi(argv[3]));
  if (command == L"hand-layout" && argc == 2) return HandLayout();
  std::fprintf(stderr,
               "usage: vandrel_driver wait-product [SECONDS] | click CAPTION | paint | show-bench | close |\n"
               "       resolution W H | hand-layout\n");
  return kUsage;
}

}  // namespace
}  // namespace vandrel::e2e

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  try {
    return vandrel::e2e::Run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "vandrel_driver: %s\n", e.what());
    return 1;
  }
}
