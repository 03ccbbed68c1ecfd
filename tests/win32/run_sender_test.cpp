// The Win32 port's runs of messages, sent from a thread of its own: in order, with the
// calling thread still taking the messages sent to it meanwhile, a run started from one
// of those going without the thread, and a run that meets a hung window stopping there.
#include <gtest/gtest.h>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <atomic>
#include <future>
#include <thread>
#include <vector>

#include "desktop/win32_desktop_port.h"

namespace vandrel {
namespace {

constexpr UINT kPlaced = WM_APP + 1;     // to the receiver: one message of a run
constexpr UINT kNestedRun = WM_APP + 2;  // to the caller's window: start a second run
constexpr WPARAM kNestedFirst = 1000;

// Message-only: the tests run without a display.
HWND MessageWindow() {
  return CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
}

// A window on a thread of its own, as the shell's list view is: it notes the wparam of
// every kPlaced it takes, in order. Given `call_back` and `at`, it sends `call_back` a
// kNestedRun when it takes that wparam; given `hang_at`, it sleeps there for `hang_ms`,
// the first time.
class Receiver {
 public:
  struct Options {
    HWND call_back = nullptr;
    WPARAM at = 0;
    WPARAM hang_at = ~WPARAM{0};
    DWORD hang_ms = 0;
  };
  explicit Receiver(Options options) : options_(options) {
    std::promise<HWND> made;
    auto window = made.get_future();
    thread_ = std::thread([this, &made] { Run(made); });
    window_ = window.get();
  }
  ~Receiver() {
    if (window_ != nullptr) PostMessageW(window_, WM_CLOSE, 0, 0);
    thread_.join();
  }
  HWND window() const { return window_; }
  // Read once the runs are over: the receiving thread writes it only while it answers.
  const std::vector<WPARAM>& taken() const { return taken_; }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* self = reinterpret_cast<Receiver*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == kPlaced && self != nullptr) {
      self->taken_.push_back(wparam);
      if (self->options_.call_back != nullptr && wparam == self->options_.at) {
        SendMessageW(self->options_.call_back, kNestedRun, 0, 0);
      }
      if (wparam == self->options_.hang_at) {
        self->options_.hang_at = ~WPARAM{0};  // once
        Sleep(self->options_.hang_ms);
      }
      return TRUE;
    }
    if (message == WM_CLOSE) {
      DestroyWindow(window);
      PostQuitMessage(0);
      return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
  }
  void Run(std::promise<HWND>& made) {
    const HWND window = MessageWindow();
    made.set_value(window);
    if (window == nullptr) return;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc));
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  }

  Options options_;
  std::thread thread_;
  HWND window_ = nullptr;
  std::vector<WPARAM> taken_;
};

std::vector<MessageParameters> RunOf(WPARAM first, std::size_t length) {
  std::vector<MessageParameters> run;
  for (std::size_t i = 0; i < length; ++i) run.push_back({first + i, 0});
  return run;
}

std::vector<WPARAM> Numbers(WPARAM first, std::size_t length) {
  std::vector<WPARAM> numbers;
  for (std::size_t i = 0; i < length; ++i) numbers.push_back(first + i);
  return numbers;
}

// The caller's window: a kNestedRun sent to it starts a second run to `target`.
struct Caller {
  Win32DesktopPort* port = nullptr;
  HWND target = nullptr;
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* self = reinterpret_cast<Caller*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == kNestedRun && self != nullptr) {
      const auto run = RunOf(kNestedFirst, 20);
      self->port->SendRun(reinterpret_cast<WindowHandle>(self->target), kPlaced, run);
      return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
  }
};

TEST(RunSender, ARunStartedFromAMessageTakenWhileWaitingGoesInBetweenAndNothingIsLost) {
  Win32DesktopPort port(u"test");
  Caller caller{&port};
  const HWND own = MessageWindow();
  ASSERT_NE(own, nullptr);
  SetWindowLongPtrW(own, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&caller));
  SetWindowLongPtrW(own, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Caller::Proc));
  {
    Receiver receiver({.call_back = own, .at = 10});
    ASSERT_NE(receiver.window(), nullptr);
    caller.target = receiver.window();
    // Twice: the thread serves a second run as it served the first.
    for (int round = 0; round < 2; ++round) {
      const auto run = RunOf(0, 100);
      port.SendRun(reinterpret_cast<WindowHandle>(receiver.window()), kPlaced, run);
    }
    std::vector<WPARAM> expected;
    for (int round = 0; round < 2; ++round) {
      for (const auto& part : {Numbers(0, 11), Numbers(kNestedFirst, 20), Numbers(11, 89)}) {
        expected.insert(expected.end(), part.begin(), part.end());
      }
    }
    EXPECT_EQ(receiver.taken(), expected);
  }
  DestroyWindow(own);
}

TEST(RunSender, ARunStopsAtAMessageNotAnsweredInTimeAndTheNextRunGoesThrough) {
  Win32DesktopPort port(u"test", /*answer_limit_ms=*/200);
  Receiver receiver({.hang_at = 5, .hang_ms = 1500});
  ASSERT_NE(receiver.window(), nullptr);
  const auto window = reinterpret_cast<WindowHandle>(receiver.window());
  const auto run = RunOf(0, 40);
  EXPECT_THROW(port.SendRun(window, kPlaced, run), ShellNotAnswering);
  // Once the window answers again, the next run goes from its start to its end.
  Sleep(1500);
  port.SendRun(window, kPlaced, run);
  std::vector<WPARAM> expected = Numbers(0, 6);
  const std::vector<WPARAM> second = Numbers(0, 40);
  expected.insert(expected.end(), second.begin(), second.end());
  EXPECT_EQ(receiver.taken(), expected);
}

}  // namespace
}  // namespace vandrel
