// Waiting for something another process does: poll until it holds or a deadline
// passes. Every wait in the end-to-end tests has a deadline, so that a hung program
// fails a test instead of the whole run.
#pragma once

#include <windows.h>

#include <chrono>

namespace vandrel::e2e {

using Millis = std::chrono::milliseconds;

// Long enough for a Wine program to start in a cold prefix, short enough to fail
// a run before ctest's own limit.
inline constexpr Millis kStartTimeout{60000};
// A figure, even with hundreds of icons, or a window appearing after a click.
inline constexpr Millis kActionTimeout{30000};

// Polls `holds` every `every` until it answers true (true) or `timeout` has passed (false).
template <class Predicate>
bool WaitUntil(Predicate holds, Millis timeout, Millis every = Millis{10}) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (holds()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    Sleep(static_cast<DWORD>(every.count()));
  }
}

}  // namespace vandrel::e2e
