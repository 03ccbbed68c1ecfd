// A thread that owns a visible window, as the product's GUI thread does, and runs the
// benchmark's jobs there. Under Wine such a thread also looks at its X connection
// whenever it waits for an answer, which costs something on every cross-process
// message: work timed to stand for the product's must be sent from such a thread.
#pragma once

#include <windows.h>

#include <functional>
#include <thread>

namespace vandrel::bench {

class WindowThread {
 public:
  // Starts the thread and waits until what showing its window set off is over.
  WindowThread();
  ~WindowThread();
  WindowThread(const WindowThread&) = delete;
  WindowThread& operator=(const WindowThread&) = delete;

  // Runs `job` on the thread and returns when it is done.
  void Run(const std::function<void()>& job);

 private:
  void Main();
  // Dispatches what has come in for the thread's window.
  static void Pump();

  HANDLE job_ready_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  HANDLE job_done_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  const std::function<void()>* job_ = nullptr;
  bool stop_ = false;
  std::thread thread_;
};

}  // namespace vandrel::bench
