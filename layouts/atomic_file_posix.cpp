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

// No sharing modes here: a file that is there opens, whoever else holds it.
bool OpenForReading(std::ifstream& in, const fs::path& path) {
  in.open(path, std::ios::binary);
  return static_cast<bool>(in);
}

fs::path WriteNewFile(const fs::path& path, std::string_view suffix, std::string_view bytes) {
  // The serial starts anew in every process: a file left by an earlier process of the
  // same id, killed mid-write, may hold the name. The next serial is tried then.
  fs::path file;
  int fd = -1;
  for (int attempt = 0; fd < 0; ++attempt) {
    file = path;
    file += "." + std::to_string(CurrentProcessId()) + "-" + std::to_string(NextSerial()) + std::string(suffix);
    fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0 && (errno != EEXIST || attempt + 1 == kTemporaryNameAttempts)) {
      Fail("Cannot create a file", file, errno);
    }
  }
  // Flushed before any move: a crash right after the rename must not leave an empty file.
  const bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
  const int write_error = errno;
  const bool closed = ::close(fd) == 0;
  if (!written || !closed) {
    const int error = !written ? write_error : errno;
    ::unlink(file.c_str());
    Fail("Cannot write a file", file, error);
  }
  return file;
}

void WriteFileAtomically(const fs::path& path, std::string_view bytes) {
  const fs::path temporary = WriteNewFile(path, ".tmp", bytes);
  if (::rename(temporary.c_str(), path.c_str()) != 0) {
    const int error = errno;
    ::unlink(temporary.c_str());
    Fail("Cannot replace a file", path, error);
  }
}

bool MoveIfAbsent(const fs::path& from, const fs::path& to) {
  // rename() would replace `to`; link() refuses an existing one, so of two processes
  // moving to one name (keeping "original" at once) exactly one succeeds.
  if (::link(from.c_str(), to.c_str()) == 0) {
    if (::unlink(from.c_str()) == 0) return true;
    // Two processes linked one `from` to names of their own: the one whose unlink found
    // it gone lost, and gives its name back.
    const int error = errno;
    ::unlink(to.c_str());
    if (error == ENOENT) return false;
    Fail("Cannot move a file", from, error);
  }
  if (errno == EEXIST || errno == ENOENT) return false;
  if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP && errno != ENOSYS) {
    Fail("Cannot move a file", from, errno);
  }
  // A file system without hard links (FAT): the check before the move races with
  // another writer of the same `to`, but rename still lets one process only have `from`.
  struct stat existing {};
  if (::lstat(to.c_str(), &existing) == 0) return false;
  if (::rename(from.c_str(), to.c_str()) == 0) return true;
  if (errno == ENOENT) return false;
  Fail("Cannot move a file", from, errno);
}

}  // namespace vandrel::layouts
