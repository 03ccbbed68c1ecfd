// The placements of a figure or a restore, held until a run of them is sent. The
// messages stay the same and in the same order; what changes is that the port gets
// them as one run, which the Win32 port sends from a thread that owns no windows, where
// each costs less under Wine (see RunSender).
//
// Send() must be called before the caller touches the desktop in any other way (a
// count, a message box) and at the end: placements still held when the batch goes are
// dropped, as they are when a figure stops on a shell that does not answer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "desktop/desktop_icon_view.h"

namespace vandrel {

class PlacementBatch {
 public:
  PlacementBatch(DesktopIconView& desktop, WindowHandle view) : desktop_(desktop), view_(view) {}
  PlacementBatch(const PlacementBatch&) = delete;
  PlacementBatch& operator=(const PlacementBatch&) = delete;

  void Place(std::int32_t index, std::uint32_t packed_position) {
    // As SetItemPosition sends them: the index as its 32-bit pattern, the packed position as lParam.
    held_.push_back({static_cast<std::uint32_t>(index), static_cast<std::intptr_t>(packed_position)});
    // A count the view answers may run into the billions: what is held stays bounded.
    if (held_.size() >= kLongestRun) Send();
  }

  // Sends what is held, as one run. Throws ShellNotAnswering as SetItemPosition does;
  // what was held is dropped either way.
  void Send() {
    if (held_.empty()) return;
    std::vector<MessageParameters> run;
    run.swap(held_);
    desktop_.SetItemPositions(view_, run);
  }

 private:
  static constexpr std::size_t kLongestRun = 4096;

  DesktopIconView& desktop_;
  WindowHandle view_;
  std::vector<MessageParameters> held_;
};

}  // namespace vandrel
