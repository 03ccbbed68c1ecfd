// The only file of layouts/ that talks to Windows itself.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <fstream>
#include <string>
#include <system_error>

#include "layouts/atomic_file.h"
#include "win32/handles.h"
#include "win32/retry.h"

namespace vandrel::layouts {
namespace {

namespace fs = std::filesystem;

[[noreturn]] void Fail(const char* what, const fs::path& path, DWORD error) {
  throw fs::filesystem_error(what, path, std::error_code(static_cast<int>(error), std::system_category()));
}

bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = bytes.size() > 0x40000000u ? 0x40000000u : static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr)) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

}  // namespace

std::uint32_t CurrentProcessId() { return GetCurrentProcessId(); }

fs::path WriteNewFile(const fs::path& path, std::string_view suffix, std::string_view bytes) {
  // The serial starts anew in every process: a file left by an earlier process of the
  // same id, killed mid-write, may hold the name. The next serial is tried then.
  fs::path file;
  win32::FileHandle handle;
  for (int attempt = 0; !handle; ++attempt) {
    file = path;
    file += L"." + std::to_wstring(CurrentProcessId()) + L"-" + std::to_wstring(NextSerial());
    file += suffix;
    handle.reset(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (handle) break;
    const DWORD error = GetLastError();
    if ((error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) || attempt + 1 == kTemporaryNameAttempts) {
      Fail("Cannot create a file", file, error);
    }
  }
  // Flushed before any move: a crash right after it must not leave an empty file.
  const bool written = WriteAll(handle.get(), bytes) && FlushFileBuffers(handle.get());
  const DWORD write_error = GetLastError();
  handle.reset();
  if (!written) {
    DeleteFileW(file.c_str());
    Fail("Cannot write a file", file, write_error);
  }
  return file;
}

void WriteFileAtomically(const fs::path& path, std::string_view bytes) {
  const fs::path temporary = WriteNewFile(path, ".tmp", bytes);
  // Another process reading the old file holds it open without FILE_SHARE_DELETE for
  // the moment the read takes.
  const DWORD error = win32::RetryWhileShared([&]() -> DWORD {
    if (MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return ERROR_SUCCESS;
    }
    return GetLastError();
  });
  if (error == ERROR_SUCCESS) return;
  DeleteFileW(temporary.c_str());
  Fail("Cannot replace a file", path, error);
}

bool MoveIfAbsent(const fs::path& from, const fs::path& to) {
  // Another process moving or deleting the same file holds it for a moment. Without
  // MOVEFILE_REPLACE_EXISTING the move itself refuses an existing target.
  const DWORD error = win32::RetryWhileShared([&]() -> DWORD {
    return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) ? ERROR_SUCCESS : GetLastError();
  });
  if (error == ERROR_SUCCESS) return true;
  if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS || error == ERROR_FILE_NOT_FOUND) return false;
  Fail("Cannot move a file", from, error);
}

bool OpenForReading(std::ifstream& in, const fs::path& path) {
  // A file that is there but will not open is held by another process moving or
  // deleting it: the runtime's open keeps no reason worth trusting, the file's
  // presence tells the two apart.
  const DWORD error = win32::RetryWhileShared([&]() -> DWORD {
    in.open(path, std::ios::binary);
    if (in) return ERROR_SUCCESS;
    in.clear();
    std::error_code ignored;
    return fs::exists(path, ignored) ? ERROR_SHARING_VIOLATION : ERROR_FILE_NOT_FOUND;
  });
  return error == ERROR_SUCCESS;
}

}  // namespace vandrel::layouts
