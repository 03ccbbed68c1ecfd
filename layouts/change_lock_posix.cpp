// For the native tests and any POSIX build: flock() on a file of the user's in the
// temporary folder, which the kernel frees when its holder ends.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <thread>

#include "layouts/change_lock.h"

namespace vandrel::layouts {
namespace {

class FileLock : public ChangeLock {
 public:
  FileLock() {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    const std::string path =
        (error ? std::string("/tmp") : folder.string()) + "/vandrel-change-" + std::to_string(getuid()) + ".lock";
    fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  }
  ~FileLock() override {
    if (fd_ >= 0) close(fd_);
  }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

 protected:
  bool Lock(std::chrono::milliseconds patience) override {
    if (fd_ < 0) return true;  // no lock file: unordered, as before there was a lock
    const auto until = std::chrono::steady_clock::now() + patience;
    for (;;) {
      if (flock(fd_, LOCK_EX | LOCK_NB) == 0) return true;
      if (std::chrono::steady_clock::now() >= until) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  void Unlock() noexcept override {
    if (fd_ >= 0) flock(fd_, LOCK_UN);
  }

 private:
  int fd_ = -1;
};

}  // namespace

std::unique_ptr<ChangeLock> SessionChangeLock() { return std::make_unique<FileLock>(); }

}  // namespace vandrel::layouts
