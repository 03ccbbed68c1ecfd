#include "layout_cost.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "bench_clock.h"
#include "desktop/desktop_icon_view.h"
#include "desktop/label_request.h"
#include "desktop/win32_desktop_port.h"
#include "driver_error.h"
#include "layouts/layouts.h"
#include "layouts/restore.h"
#include "layouts/snapshot.h"
#include "remote_list_view.h"
#include "standin_desktop.h"
#include "temp_folder.h"

namespace vandrel::bench {
namespace {

using e2e::DriverError;
using e2e::Position;

// Small desktops are run until each kind has handled about this many icons (see
// figure_cost.cpp: one stray wake-up shows in a run of a few milliseconds).
constexpr int kIconsPerKind = 20000;

// The floor's block in the stand-in's process: every icon's label record, text area
// and POINT, allocated and filled before the timing, as the product fills its own.
class FloorBlock {
 public:
  FloorBlock(HWND view, int icons) : icons_(static_cast<std::size_t>(icons)) {
    DWORD process_id = 0;
    GetWindowThreadProcessId(view, &process_id);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, process_id);
    if (process_ == nullptr) throw DriverError("cannot open the stand-in's process");
    size_ = icons_ * (kRecord + kSnapshotLabelRoom + sizeof(POINT));
    at_ = static_cast<std::uint8_t*>(VirtualAllocEx(process_, nullptr, size_, MEM_COMMIT, PAGE_READWRITE));
    if (at_ == nullptr) throw DriverError("cannot allocate the floor's block in the stand-in");
    std::vector<std::uint8_t> records(icons_ * kRecord);
    for (std::size_t i = 0; i < icons_; ++i) {
      // The floor's text areas lie after all the records, as the product's do.
      PutLabelRequest(64, records.data() + i * kRecord, reinterpret_cast<std::uintptr_t>(Text(i)), 0,
                      static_cast<std::int32_t>(kSnapshotLabelRoom));
    }
    SIZE_T written = 0;
    if (!WriteProcessMemory(process_, at_, records.data(), records.size(), &written)) {
      throw DriverError("cannot write the floor's records into the stand-in");
    }
    local_.resize(size_);
  }
  ~FloorBlock() {
    if (at_ != nullptr) VirtualFreeEx(process_, at_, 0, MEM_RELEASE);
    if (process_ != nullptr) CloseHandle(process_);
  }
  FloorBlock(const FloorBlock&) = delete;
  FloorBlock& operator=(const FloorBlock&) = delete;

  // Two messages an icon, then one read of the whole block back.
  void Read(HWND view) {
    for (std::size_t i = 0; i < icons_; ++i) {
      SendMessageW(view, LVM_GETITEMPOSITION, i, reinterpret_cast<LPARAM>(Point(i)));
      SendMessageW(view, LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(Record(i)));
    }
    SIZE_T read = 0;
    ReadProcessMemory(process_, at_, local_.data(), size_, &read);
  }
  Position PointOf(std::size_t i) const {
    POINT p;
    std::memcpy(&p, local_.data() + (Point(i) - at_), sizeof p);
    return {p.x, p.y};
  }

 private:
  static constexpr std::size_t kRecord = LabelRequestLayoutFor(64).record_size;  // a 64-bit shell's LVITEMA
  std::uint8_t* Record(std::size_t i) const { return at_ + i * kRecord; }
  std::uint8_t* Text(std::size_t i) const { return at_ + icons_ * kRecord + i * kSnapshotLabelRoom; }
  std::uint8_t* Point(std::size_t i) const {
    return at_ + icons_ * (kRecord + kSnapshotLabelRoom) + i * sizeof(POINT);
  }

  std::size_t icons_;
  HANDLE process_ = nullptr;
  std::uint8_t* at_ = nullptr;
  std::size_t size_ = 0;
  std::vector<std::uint8_t> local_;
};

// Two layouts every run moves between: a grid, and the same grid turned around, so
// that every placement moves its icon (Wine skips a placement that does not).
std::vector<Position> Grid(int icons, bool turned) {
  std::vector<Position> at;
  for (int i = 0; i < icons; ++i) {
    const int k = turned ? icons - 1 - i : i;
    at.push_back({(k % 12) * 80, (k / 12) % 9 * 80});
  }
  return at;
}

void Place(HWND view, const std::vector<Position>& at) {
  for (std::size_t i = 0; i < at.size(); ++i) {
    SendMessageW(view, LVM_SETITEMPOSITION, i, MAKELPARAM(at[i].x, at[i].y));
  }
}

void ExpectPositions(const e2e::RemoteListView& view, const std::vector<Position>& want, const char* what) {
  for (const std::size_t i : {std::size_t{0}, want.size() / 2, want.size() - 1}) {
    const Position got = view.ItemPosition(static_cast<int>(i));
    if (got != want[i]) {
      throw DriverError(std::string(what) + ": icon " + std::to_string(i) + " is not where it should be");
    }
  }
}

// The snapshot of the desktop laid out as `at`, labels as the stand-in gives them.
layouts::Snapshot LayoutOf(const layouts::Snapshot& like, const std::vector<Position>& at) {
  layouts::Snapshot layout = like;
  for (std::size_t i = 0; i < at.size(); ++i) {
    layout.icons[i].x = at[i].x;
    layout.icons[i].y = at[i].y;
  }
  return layout;
}

}  // namespace

LayoutCost MeasureLayoutCost(const LayoutCostOptions& options) {
  LayoutCost cost;
  cost.icons = options.icons;
  e2e::StandinDesktop standin({.icons = options.icons, .layout = L"progman", .cheap_paint = true});
  const e2e::RemoteListView view(standin.list_view());
  const HWND list = view.window();
  if (view.ItemCount() != options.icons) throw DriverError("the stand-in holds another number of icons");

  Win32DesktopPort port(u"wine_bench");
  DesktopIconView desktop(port);
  FloorBlock floor(list, options.icons);

  const e2e::TempFolder data;
  layouts::LayoutStore store(data.path());
  layouts::Layouts service(desktop, store);

  const std::vector<Position> grid = Grid(options.icons, false);
  const std::vector<Position> turned = Grid(options.icons, true);
  Place(list, grid);
  const layouts::Snapshot first = layouts::TakeSnapshot(desktop);
  if (first.icons.size() != static_cast<std::size_t>(options.icons)) {
    throw DriverError("the snapshot holds " + std::to_string(first.icons.size()) + " icons");
  }
  const layouts::Snapshot to_turned = LayoutOf(first, turned);

  cost.runs = std::max(options.repeats, (kIconsPerKind + options.icons - 1) / options.icons);
  for (int run = 0; run < cost.runs; ++run) {
    Place(list, grid);
    Stopwatch watch;
    const layouts::Snapshot now = layouts::TakeSnapshot(desktop);
    cost.snapshot.push_back(watch.Seconds());
    if (now.icons.back().x != grid.back().x || now.icons.back().y != grid.back().y) {
      throw DriverError("the snapshot read another position than the icon's");
    }

    watch.Restart();
    floor.Read(list);
    cost.snapshot_floor.push_back(watch.Seconds());
    if (floor.PointOf(grid.size() - 1) != grid.back()) {
      throw DriverError("the floor read another position than the icon's");
    }

    watch.Restart();
    layouts::RestoreSnapshot(desktop, to_turned, now);
    cost.restore.push_back(watch.Seconds());
    ExpectPositions(view, turned, "the restore");

    Place(list, grid);
    watch.Restart();
    Place(list, turned);
    cost.restore_floor.push_back(watch.Seconds());
    ExpectPositions(view, turned, "the floor's placements");

    watch.Restart();
    service.BeforeChange();
    cost.before_change.push_back(watch.Seconds());
  }
  return cost;
}

}  // namespace vandrel::bench
