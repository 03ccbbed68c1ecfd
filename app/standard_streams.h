// Where the command line writes. vandrel.exe is a windowed program, so it has no
// console of its own: it writes to the standard handles it inherited when they lead
// somewhere (a file, a pipe, a console given with them), else to the console of the
// program that started it. A redirect or a pipe gets UTF-8, a console UTF-16.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string_view>

#include "win32/handles.h"

namespace vandrel::cli {

class StandardStreams {
 public:
  StandardStreams() = default;
  StandardStreams(const StandardStreams&) = delete;
  StandardStreams& operator=(const StandardStreams&) = delete;

  // UTF-8 text; every '\n' goes out as "\r\n". Nothing is written when there is
  // nowhere to write (started from Explorer, say).
  void Out(std::string_view text) { Write(out_, text); }
  void Err(std::string_view text) { Write(err_, text); }

 private:
  struct Stream {
    DWORD which;
    bool resolved = false;
    HANDLE handle = nullptr;
    bool console = false;
  };
  void Write(Stream& stream, std::string_view text);
  void Resolve(Stream& stream);
  HANDLE ParentConsole();

  Stream out_{STD_OUTPUT_HANDLE};
  Stream err_{STD_ERROR_HANDLE};
  bool attach_tried_ = false;
  win32::FileHandle console_;
};

}  // namespace vandrel::cli
