// The stand-in desktop's list view, read and set from the test's process. Positions
// come back through a POINT allocated inside the view's own process: the list view
// writes to the address it is given in its own memory.
#pragma once

#include <windows.h>

#include <ostream>
#include <string>
#include <vector>

#include "wait.h"

namespace vandrel::e2e {

struct Position {
  int x = 0;
  int y = 0;
  friend bool operator==(const Position&, const Position&) = default;
  friend std::ostream& operator<<(std::ostream& out, const Position& at) {
    return out << "(" << at.x << ", " << at.y << ")";
  }
};

class RemoteListView {
 public:
  // Opens the view's process and allocates the POINT; throws DriverError when either fails.
  explicit RemoteListView(HWND view);
  ~RemoteListView();
  RemoteListView(const RemoteListView&) = delete;
  RemoteListView& operator=(const RemoteListView&) = delete;

  HWND window() const { return view_; }
  int ItemCount() const;
  Position ItemPosition(int index) const;
  // Items 0 .. n - 1.
  std::vector<Position> Positions() const;
  // Moves one icon as a figure does: the position packed in lParam, each coordinate cut to 16 bits.
  void SetItemPosition(int index, Position at) const;
  // The label's ANSI bytes, up to 259 of them.
  std::string Label(int index) const;
  // An icon comes or goes, as when a file is added to or removed from the desktop; the
  // icons after it change their index.
  void InsertItem(int index, const std::string& label) const;
  void DeleteItem(int index) const;

  DWORD Style() const;
  void SetStyle(DWORD style) const;
  DWORD ExtendedStyle() const;
  // Sets the bits of `mask` to those of `value`, leaving the others.
  void SetExtendedStyle(DWORD mask, DWORD value) const;

  // The label colours; CLR_NONE (0xFFFFFFFF) as the background means none.
  COLORREF TextColor() const;
  COLORREF TextBackgroundColor() const;
  // LVM_GETITEMSPACING as the view answers it: the vertical spacing in the high word,
  // the horizontal in the low one.
  DWORD ItemSpacing(bool small) const;

 private:
  LRESULT Send(UINT message, WPARAM wparam, LPARAM lparam) const;

  HWND view_;
  HANDLE process_ = nullptr;
  void* point_ = nullptr;  // in the view's process
};

// The work area the test's own process sees (SPI_GETWORKAREA), as the product reads it.
RECT WorkArea();

}  // namespace vandrel::e2e
