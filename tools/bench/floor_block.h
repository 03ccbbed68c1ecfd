// The floor of a snapshot: the same reads the product's one-pass read of the desktop
// sends, sent by the benchmark itself into a block of its own in the stand-in's process.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "desktop/desktop_contents.h"
#include "desktop/label_request.h"
#include "remote_list_view.h"

namespace vandrel::bench {

// Every icon's label record, text area and POINT, committed and filled before the
// timing, as the product fills its own.
class FloorBlock {
 public:
  // Throws DriverError when the stand-in's process cannot be opened or given the block.
  FloorBlock(HWND view, int icons);
  ~FloorBlock();
  FloorBlock(const FloorBlock&) = delete;
  FloorBlock& operator=(const FloorBlock&) = delete;

  // Two messages an icon (LVM_GETITEMPOSITION, LVM_GETITEMTEXTA), then one read of the
  // whole block back.
  void Read(HWND view);
  e2e::Position PointOf(std::size_t i) const;

 private:
  static constexpr std::size_t kRecord = LabelRequestLayoutFor(64).record_size;  // a 64-bit shell's LVITEMA
  std::uint8_t* Record(std::size_t i) const { return at_ + i * kRecord; }
  std::uint8_t* Text(std::size_t i) const { return at_ + icons_ * kRecord + i * kSnapshotLabelRoom; }
  std::uint8_t* Point(std::size_t i) const { return at_ + icons_ * (kRecord + kSnapshotLabelRoom) + i * sizeof(POINT); }

  std::size_t icons_;
  HANDLE process_ = nullptr;
  std::uint8_t* at_ = nullptr;
  std::size_t size_ = 0;
  std::vector<std::uint8_t> local_;
};

}  // namespace vandrel::bench
