#include "remote_list_view.h"

#include <commctrl.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#include "driver_error.h"
#include "window_search.h"

namespace vandrel::e2e {
namespace {

// An LVITEMA and its text in the view's process, where the view reads and writes them:
// the pointers inside must be valid there. This program is built for the view's bitness.
class RemoteItem {
 public:
  static constexpr std::size_t kTextRoom = 260;

  RemoteItem(HANDLE process, LVITEMA item, const std::string& text) : process_(process) {
    block_ = static_cast<char*>(
        VirtualAllocEx(process_, nullptr, sizeof item + kTextRoom, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (block_ == nullptr) ThrowLastError("VirtualAllocEx in the list view's process");
    item.pszText = block_ + sizeof item;
    item.cchTextMax = static_cast<int>(kTextRoom);
    std::string room = text.substr(0, kTextRoom - 1);
    room.resize(kTextRoom, '\0');
    if (!Write(0, &item, sizeof item) || !Write(sizeof item, room.data(), room.size())) {
      VirtualFreeEx(process_, block_, 0, MEM_RELEASE);
      ThrowLastError("WriteProcessMemory");
    }
  }
  ~RemoteItem() { VirtualFreeEx(process_, block_, 0, MEM_RELEASE); }
  RemoteItem(const RemoteItem&) = delete;
  RemoteItem& operator=(const RemoteItem&) = delete;

  LPARAM item() const { return reinterpret_cast<LPARAM>(block_); }
  std::string Text() const {
    char text[kTextRoom] = {};
    SIZE_T moved = 0;
    if (!ReadProcessMemory(process_, block_ + sizeof(LVITEMA), text, sizeof text, &moved)) {
      ThrowLastError("ReadProcessMemory");
    }
    // Wine fills the whole room, unterminated, when a label does not fit.
    return std::string(text, strnlen(text, sizeof text - 1));
  }

 private:
  bool Write(std::size_t at, const void* bytes, std::size_t size) {
    SIZE_T moved = 0;
    return WriteProcessMemory(process_, block_ + at, bytes, size, &moved) && moved == size;
  }

  HANDLE process_;
  char* block_ = nullptr;
};

}  // namespace

RemoteListView::RemoteListView(HWND view) : view_(view) {
  if (view_ == nullptr || !IsWindow(view_)) throw DriverError("no list view to read");
  process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, ProcessOf(view_));
  if (process_ == nullptr) ThrowLastError("OpenProcess of the list view's owner");
  point_ = VirtualAllocEx(process_, nullptr, sizeof(POINT), MEM_COMMIT, PAGE_READWRITE);
  if (point_ == nullptr) {
    CloseHandle(process_);
    ThrowLastError("VirtualAllocEx in the list view's process");
  }
}

RemoteListView::~RemoteListView() {
  VirtualFreeEx(process_, point_, 0, MEM_RELEASE);
  CloseHandle(process_);
}

LRESULT RemoteListView::Send(UINT message, WPARAM wparam, LPARAM lparam) const {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(view_, message, wparam, lparam, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                           static_cast<UINT>(kActionTimeout.count()), &result)) {
    char name[32];
    std::snprintf(name, sizeof name, "0x%04X", message);
    ThrowLastError(std::string("list view message ") + name + " got no answer");
  }
  return static_cast<LRESULT>(result);
}

int RemoteListView::ItemCount() const { return static_cast<int>(Send(LVM_GETITEMCOUNT, 0, 0)); }

Position RemoteListView::ItemPosition(int index) const {
  // A stale answer from the item before must not pass for this one.
  const POINT unset{INT_MIN, INT_MIN};
  SIZE_T moved = 0;
  if (!WriteProcessMemory(process_, point_, &unset, sizeof unset, &moved) || moved != sizeof unset) {
    ThrowLastError("WriteProcessMemory");
  }
  if (!Send(LVM_GETITEMPOSITION, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(point_))) {
    throw DriverError("LVM_GETITEMPOSITION failed for item " + std::to_string(index));
  }
  POINT point{};
  if (!ReadProcessMemory(process_, point_, &point, sizeof point, &moved) || moved != sizeof point) {
    ThrowLastError("ReadProcessMemory");
  }
  return {point.x, point.y};
}

std::vector<Position> RemoteListView::Positions() const {
  std::vector<Position> positions;
  const int count = ItemCount();
  for (int i = 0; i < count; ++i) positions.push_back(ItemPosition(i));
  return positions;
}

void RemoteListView::SetItemPosition(int index, Position at) const {
  const auto packed = (static_cast<DWORD>(static_cast<WORD>(at.y)) << 16) | static_cast<WORD>(at.x);
  Send(LVM_SETITEMPOSITION, static_cast<WPARAM>(index), static_cast<LPARAM>(packed));
}

std::string RemoteListView::Label(int index) const {
  LVITEMA item{};
  item.iSubItem = 0;
  const RemoteItem remote(process_, item, {});
  Send(LVM_GETITEMTEXTA, static_cast<WPARAM>(index), remote.item());
  return remote.Text();
}

void RemoteListView::InsertItem(int index, const std::string& label) const {
  LVITEMA item{};
  item.mask = LVIF_TEXT | LVIF_IMAGE;
  item.iItem = index;
  item.iImage = 0;  // the stand-in's one icon
  const RemoteItem remote(process_, item, label);
  if (Send(LVM_INSERTITEMA, 0, remote.item()) != index) {
    throw DriverError("LVM_INSERTITEMA did not insert \"" + label + "\" at " + std::to_string(index));
  }
}

void RemoteListView::DeleteItem(int index) const {
  if (!Send(LVM_DELETEITEM, static_cast<WPARAM>(index), 0)) {
    throw DriverError("LVM_DELETEITEM failed for item " + std::to_string(index));
  }
}

DWORD RemoteListView::Style() const { return static_cast<DWORD>(GetWindowLongW(view_, GWL_STYLE)); }

void RemoteListView::SetStyle(DWORD style) const {
  SetLastError(0);
  // Zero is also the answer when the previous style was zero: only the error code tells.
  if (SetWindowLongW(view_, GWL_STYLE, static_cast<LONG>(style)) == 0 && GetLastError() != 0) {
    ThrowLastError("SetWindowLongW on the list view");
  }
}

DWORD RemoteListView::ExtendedStyle() const { return static_cast<DWORD>(Send(LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0)); }

void RemoteListView::SetExtendedStyle(DWORD mask, DWORD value) const {
  Send(LVM_SETEXTENDEDLISTVIEWSTYLE, mask, static_cast<LPARAM>(value));
}

COLORREF RemoteListView::TextColor() const { return static_cast<COLORREF>(Send(LVM_GETTEXTCOLOR, 0, 0)); }

COLORREF RemoteListView::TextBackgroundColor() const { return static_cast<COLORREF>(Send(LVM_GETTEXTBKCOLOR, 0, 0)); }

DWORD RemoteListView::ItemSpacing(bool small) const {
  return static_cast<DWORD>(Send(LVM_GETITEMSPACING, small ? TRUE : FALSE, 0));
}

RECT WorkArea() {
  RECT area{};
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0)) ThrowLastError("SPI_GETWORKAREA");
  return area;
}

}  // namespace vandrel::e2e
