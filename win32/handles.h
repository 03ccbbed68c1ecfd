// Owners for what the system hands out and wants back: kernel objects, LocalAlloc'd
// memory, GDI objects, icons, image lists, memory DCs and registry keys. Each closes
// its handle once, when it goes; a move hands the duty on.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <commctrl.h>

#include <utility>

namespace vandrel::win32 {

// `Traits` names the handle's type, the value that means "none" and how it is closed.
template <class Traits>
class Owned {
 public:
  using Type = typename Traits::Type;

  Owned() noexcept = default;
  explicit Owned(Type value) noexcept : value_(value) {}
  ~Owned() { Close(); }
  Owned(Owned&& other) noexcept : value_(other.release()) {}
  Owned& operator=(Owned&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;

  Type get() const noexcept { return value_; }
  explicit operator bool() const noexcept { return value_ != Traits::None(); }
  // Gives the handle up without closing it.
  Type release() noexcept { return std::exchange(value_, Traits::None()); }
  void reset(Type value = Traits::None()) noexcept {
    Close();
    value_ = value;
  }
  // For calls that write a handle out: the one held before is closed first.
  Type* put() noexcept {
    reset();
    return &value_;
  }

 private:
  void Close() noexcept {
    if (value_ != Traits::None()) Traits::Close(value_);
  }

  Type value_ = Traits::None();
};

// A handle of type T that is null when there is none and is given back with `close`.
template <class T, auto close>
struct NullIsNone {
  using Type = T;
  static Type None() { return nullptr; }
  static void Close(Type handle) { close(handle); }
};
// What CreateFileW opens: INVALID_HANDLE_VALUE when there is none.
struct FileHandleTraits {
  using Type = HANDLE;
  static Type None() { return INVALID_HANDLE_VALUE; }
  static void Close(Type handle) { CloseHandle(handle); }
};

// Processes, threads, events, mutexes, jobs.
using Handle = Owned<NullIsNone<HANDLE, &CloseHandle>>;
using FileHandle = Owned<FileHandleTraits>;
// What FormatMessage (FORMAT_MESSAGE_ALLOCATE_BUFFER) and CommandLineToArgvW allocate.
template <class Pointer>
using LocalMemory = Owned<NullIsNone<Pointer, &LocalFree>>;
// A control keeps using the font or image list it was given until it is given another,
// so the order is always: make the new one, give it to the controls, then let the owner
// drop the old one (move-assign).
template <class GdiHandle>
using GdiObject = Owned<NullIsNone<GdiHandle, &DeleteObject>>;
using Font = GdiObject<HFONT>;
using Brush = GdiObject<HBRUSH>;
using Pen = GdiObject<HPEN>;
using Bitmap = GdiObject<HBITMAP>;
using Icon = Owned<NullIsNone<HICON, &DestroyIcon>>;
using ImageList = Owned<NullIsNone<HIMAGELIST, &ImageList_Destroy>>;
using MemoryDc = Owned<NullIsNone<HDC, &DeleteDC>>;
using RegistryKey = Owned<NullIsNone<HKEY, &RegCloseKey>>;

// A started process's two handles, both closed when it goes.
struct OwnedProcess {
  OwnedProcess() = default;
  explicit OwnedProcess(const PROCESS_INFORMATION& started)
      : process(started.hProcess), thread(started.hThread), id(started.dwProcessId) {}
  Handle process;
  Handle thread;
  DWORD id = 0;
};

}  // namespace vandrel::win32
