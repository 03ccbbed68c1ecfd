#include "product_clicks.h"

#include <commctrl.h>

#include <string>

#include "arrange/numeric.h"
#include "driver_error.h"

namespace vandrel::bench {

using e2e::DriverError;
using e2e::Position;

void Click(HWND button, const char* caption) {
  DWORD_PTR result = 0;
  // Not SMTO_ABORTIFHUNG: a thread busy in a long figure is not hung.
  if (!SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_NORMAL, kClickLimitMs, &result)) {
    throw DriverError(std::string("the click on \"") + caption + "\" got no answer");
  }
}

void Replay(HWND view, const std::vector<std::uint32_t>& placements) {
  for (std::size_t i = 0; i < placements.size(); ++i) {
    SendMessageW(view, LVM_SETITEMPOSITION, i, static_cast<LPARAM>(placements[i]));
  }
}

void ExpectPlaced(const e2e::RemoteListView& view, const std::vector<std::uint32_t>& placements,
                  const std::vector<std::size_t>& indices, const char* what) {
  for (const std::size_t i : indices) {
    const Position want{numeric::PackedX(placements[i]), numeric::PackedY(placements[i])};
    const Position got = view.ItemPosition(static_cast<int>(i));
    if (got != want) {
      throw DriverError(std::string(what) + ": icon " + std::to_string(i) + " at (" + std::to_string(got.x) + ", " +
                        std::to_string(got.y) + "), expected (" + std::to_string(want.x) + ", " +
                        std::to_string(want.y) + ")");
    }
  }
}

std::vector<std::size_t> AllOf(std::size_t count) {
  std::vector<std::size_t> all(count);
  for (std::size_t i = 0; i < count; ++i) all[i] = i;
  return all;
}

std::vector<std::size_t> SampleOf(std::size_t count) { return {0, count / 2, count - 1}; }

void Settle(e2e::Product& product) {
  WaitForInputIdle(product.process().handle(), 2000);
  Sleep(20);
}

}  // namespace vandrel::bench
