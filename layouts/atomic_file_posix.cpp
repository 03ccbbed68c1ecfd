#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <system_error>

#include "layouts/atomic_file.h"

namespace vandrel::layouts {
namespace {

namespace fs = std::filesystem;

[[noreturn]] void Fail(const char* what, const fs::path& path, int error) {
  throw fs::filesystem_error(what, path, std::error_code(error, std::generic_category()));
}

// The whole buffer, however many calls the kernel takes for it.
bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

}  // namespace

std::uint32_t CurrentProcessId() { return static_cast<std::uint32_t>(::getpid()); }

void WriteFileAtomically(const fs::path& path, std::string_view bytes) {
  fs::path temporary = path;
  temporary += "." + std::to_string(CurrentProcessId()) + "-" + std::to_string(NextSerial()) + ".tmp";

  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) Fail("Cannot create a file", temporary, errno);
  // Flushed before the move: a crash right after the rename must not leave an empty file.
  const bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
  const int write_error = errno;
  const bool closed = ::close(fd) == 0;
  if (!written || !closed) {
    const int error = !written ? write_error : errno;
    ::unlink(temporary.c_str());
    Fail("Cannot write a file", temporary, error);
  }
  if (::rename(temporary.c_str(), path.c_str()) != 0) {
    const int error = errno;
    ::unlink(temporary.c_str());
    Fail("Cannot replace a file", path, error);
  }
}

bool MoveIfAbsent(const fs::path& from, const fs::path& to) {
  // rename() would replace `to`. The names moved to here are each made by one writer
  // only, so the check before it races with nobody; the move itself is what two
  // processes race on, and rename lets exactly one of them have `from`.
  struct stat existing {};
  if (::lstat(to.c_str(), &existing) == 0) return false;
  if (::rename(from.c_str(), to.c_str()) == 0) return true;
  if (errno == ENOENT) return false;
  Fail("Cannot move a file", from, errno);
}

}  // namespace vandrel::layouts
