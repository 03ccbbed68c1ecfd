#include "app/standard_streams.h"

#include <string>

#include "win32/text.h"

namespace vandrel::cli {
namespace {

bool Usable(HANDLE handle) {
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

bool IsConsole(HANDLE handle) {
  DWORD mode = 0;
  return GetConsoleMode(handle, &mode) != 0;
}

// Writes `size` characters in pieces of at most `most`; false when nothing at all could
// be written. A reader that went away (`vandrel layout list | head -1`) ends the
// output, not the job.
template <class Char, class Write>
bool WriteInPieces(const Char* text, std::size_t size, std::size_t most, Write write) {
  for (bool first = true; size > 0; first = false) {
    const auto piece = static_cast<DWORD>(size > most ? most : size);
    DWORD written = 0;
    if (!write(text, piece, written) || written == 0) return !first;
    text += written;
    size -= written;
  }
  return true;
}

bool WriteAll(HANDLE handle, const char* bytes, std::size_t size) {
  return WriteInPieces(bytes, size, 0x10000, [handle](const char* at, DWORD n, DWORD& written) {
    return WriteFile(handle, at, n, &written, nullptr) != 0;
  });
}

bool WriteAllConsole(HANDLE handle, const wchar_t* text, std::size_t size) {
  return WriteInPieces(text, size, 0x4000, [handle](const wchar_t* at, DWORD n, DWORD& written) {
    return WriteConsoleW(handle, at, n, &written, nullptr) != 0;
  });
}

bool WriteTo(HANDLE handle, bool console, const std::string& text) {
  if (!console) return WriteAll(handle, text.data(), text.size());
  const std::wstring wide = win32::WideFromUtf8(text);
  return WriteAllConsole(handle, wide.data(), wide.size());
}

}  // namespace

HANDLE StandardStreams::ParentConsole() {
  if (!attach_tried_) {
    attach_tried_ = true;
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
      // The standard handles of a windowed program stay empty after the attach on
      // older Windows: open the console's screen buffer by its name.
      console_.reset(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, 0, nullptr));
    }
  }
  // Null, not INVALID_HANDLE_VALUE, stands for nowhere to write.
  return console_ ? console_.get() : nullptr;
}

void StandardStreams::Resolve(Stream& stream) {
  stream.resolved = true;
  HANDLE handle = GetStdHandle(stream.which);
  if (!Usable(handle)) handle = ParentConsole();
  if (handle == nullptr) return;
  stream.handle = handle;
  stream.console = IsConsole(handle);
}

void StandardStreams::Write(Stream& stream, std::string_view text) {
  if (!stream.resolved) Resolve(stream);
  if (stream.handle == nullptr || text.empty()) return;
  std::string lines;
  lines.reserve(text.size() + text.size() / 16);
  char previous = 0;
  for (char c : text) {
    if (c == '\n' && previous != '\r') lines += '\r';
    lines += c;
    previous = c;
  }
  if (WriteTo(stream.handle, stream.console, lines) || stream.handle == console_.get()) return;
  // A console handle inherited from a console this process is not attached to is
  // refused as invalid: the parent's console is the way there.
  if (GetLastError() != ERROR_INVALID_HANDLE) return;
  HANDLE console = ParentConsole();
  if (console == nullptr) return;
  stream.handle = console;
  stream.console = IsConsole(console);
  WriteTo(stream.handle, stream.console, lines);
}

}  // namespace vandrel::cli
