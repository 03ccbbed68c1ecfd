// A click whose handler may show message boxes one after another, each modal: the
// click's handler goes on only once the box is closed, so the driver must read and
// close every box for the click to end.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "wait.h"

namespace vandrel::e2e {

struct SeenBox {
  std::wstring text;
  bool icon = false;  // the error box shows one; the product's messages none
  friend bool operator==(const SeenBox&, const SeenBox&) = default;
};

// Called while the box is still open, that is while the handler waits in it: what the
// click did up to that box can be read then, before it goes on.
using BoxVisitor = std::function<void(const SeenBox&)>;

// Clicks `button` (BM_CLICK, sent from a thread of its own), reads and closes with OK
// every message box of `process_id` until the click's handler has returned, and gives
// the boxes in the order they came. Throws DriverError when a box will not close or
// the click does not end within `timeout`; an exception of `on_box` is rethrown once
// the click has ended.
std::vector<SeenBox> ClickThroughBoxes(HWND button, DWORD process_id, const BoxVisitor& on_box = {},
                                       Millis timeout = kActionTimeout);

}  // namespace vandrel::e2e
