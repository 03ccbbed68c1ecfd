#include "click_through_boxes.h"

#include <atomic>
#include <exception>
#include <thread>

#include "buttons.h"
#include "driver_error.h"
#include "message_box.h"

namespace vandrel::e2e {

std::vector<SeenBox> ClickThroughBoxes(HWND button, DWORD process_id, const BoxVisitor& on_box, Millis timeout) {
  // The clicking thread is always joined, never detached: its own send gives up after
  // `timeout`, so the join below is bounded even when a box stays open.
  std::atomic<bool> done{false};
  bool answered = false;
  std::thread clicking([&] {
    answered = Click(button, timeout);
    done = true;
  });

  std::vector<SeenBox> seen;
  std::exception_ptr failure;
  bool stuck = false;
  WaitUntil(
      [&] {
        if (const HWND box = FindMessageBox(process_id)) {
          SeenBox read{MessageBoxText(box), ShowsIcon(box)};
          if (on_box && failure == nullptr) {
            try {
              on_box(read);
            } catch (...) {
              failure = std::current_exception();
            }
          }
          seen.push_back(std::move(read));
          // A box that stays would be read again and again: give up on it.
          if (!PressOk(box)) stuck = true;
        }
        return stuck || done.load();
      },
      timeout + Millis{5000});
  clicking.join();

  if (failure != nullptr) std::rethrow_exception(failure);
  if (stuck) throw DriverError("a message box did not close on OK: \"" + Narrow(seen.back().text) + "\"");
  if (!answered) throw DriverError("the click did not end within its time (a message box left open, or a hang)");
  return seen;
}

}  // namespace vandrel::e2e
