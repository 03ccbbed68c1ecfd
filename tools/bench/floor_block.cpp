#include "floor_block.h"

#include <commctrl.h>

#include <cstring>

#include "driver_error.h"

namespace vandrel::bench {

using e2e::DriverError;

FloorBlock::FloorBlock(HWND view, int icons) : icons_(static_cast<std::size_t>(icons)) {
  DWORD process_id = 0;
  GetWindowThreadProcessId(view, &process_id);
  process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, process_id);
  if (process_ == nullptr) throw DriverError("cannot open the stand-in's process");
  size_ = icons_ * (kRecord + kSnapshotLabelRoom + sizeof(POINT));
  at_ = static_cast<std::uint8_t*>(VirtualAllocEx(process_, nullptr, size_, MEM_COMMIT, PAGE_READWRITE));
  if (at_ == nullptr) {
    CloseHandle(process_);
    throw DriverError("cannot allocate the floor's block in the stand-in");
  }
  std::vector<std::uint8_t> records(icons_ * kRecord);
  for (std::size_t i = 0; i < icons_; ++i) {
    // The floor's text areas lie after all the records, as the product's do.
    PutLabelRequest(64, records.data() + i * kRecord, reinterpret_cast<std::uintptr_t>(Text(i)), 0,
                    static_cast<std::int32_t>(kSnapshotLabelRoom));
  }
  SIZE_T written = 0;
  if (!WriteProcessMemory(process_, at_, records.data(), records.size(), &written)) {
    VirtualFreeEx(process_, at_, 0, MEM_RELEASE);
    CloseHandle(process_);
    throw DriverError("cannot write the floor's records into the stand-in");
  }
  local_.resize(size_);
}

FloorBlock::~FloorBlock() {
  VirtualFreeEx(process_, at_, 0, MEM_RELEASE);
  CloseHandle(process_);
}

void FloorBlock::Read(HWND view) {
  for (std::size_t i = 0; i < icons_; ++i) {
    SendMessageW(view, LVM_GETITEMPOSITION, i, reinterpret_cast<LPARAM>(Point(i)));
    SendMessageW(view, LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(Record(i)));
  }
  SIZE_T read = 0;
  ReadProcessMemory(process_, at_, local_.data(), size_, &read);
}

e2e::Position FloorBlock::PointOf(std::size_t i) const {
  POINT p;
  std::memcpy(&p, local_.data() + (Point(i) - at_), sizeof p);
  return {p.x, p.y};
}

}  // namespace vandrel::bench
