#include "window_thread.h"

#include "bench_clock.h"

namespace vandrel::bench {

WindowThread::WindowThread() {
  thread_ = std::thread([this] { Main(); });
  // The thread signals once it is settled.
  WaitForSingleObject(job_done_, INFINITE);
}

WindowThread::~WindowThread() {
  stop_ = true;
  SetEvent(job_ready_);
  thread_.join();
  CloseHandle(job_ready_);
  CloseHandle(job_done_);
}

void WindowThread::Run(const std::function<void()>& job) {
  job_ = &job;
  SetEvent(job_ready_);
  WaitForSingleObject(job_done_, INFINITE);
  job_ = nullptr;
}

void WindowThread::Pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

void WindowThread::Main() {
  const HWND window = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, L"STATIC", L"", WS_POPUP | WS_VISIBLE, -8,
                                      -8, 1, 1, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  // What showing a window sets off (X events, paints) is over before any timing.
  for (const Stopwatch shown; shown.Seconds() < 0.1;) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    Pump();
  }
  SetEvent(job_done_);
  // Between jobs the thread waits as a GUI thread does: on its queue as well.
  for (;;) {
    if (MsgWaitForMultipleObjects(1, &job_ready_, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
      Pump();
      continue;
    }
    if (stop_) break;
    (*job_)();
    Pump();
    SetEvent(job_done_);
  }
  if (window != nullptr) DestroyWindow(window);
}

}  // namespace vandrel::bench
