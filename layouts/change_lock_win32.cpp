// A named mutex of the logon session ("Local\"): Windows hands it to the next waiter
// with WAIT_ABANDONED when its owner ends without releasing it.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "layouts/change_lock.h"
#include "win32/handles.h"

namespace vandrel::layouts {
namespace {

constexpr wchar_t kMutexName[] = L"Local\\Vandrel.ChangeLock";

class MutexLock : public ChangeLock {
 public:
  MutexLock() : mutex_(CreateMutexW(nullptr, FALSE, kMutexName)) {}
  ~MutexLock() override = default;
  MutexLock(const MutexLock&) = delete;
  MutexLock& operator=(const MutexLock&) = delete;

 protected:
  bool Lock(std::chrono::milliseconds patience) override {
    // Without a mutex (the session's namespace refused it) changes go unordered, as
    // they did before there was a lock, rather than not at all.
    if (!mutex_) return true;
    const DWORD waited = WaitForSingleObject(mutex_.get(), static_cast<DWORD>(patience.count()));
    held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    return held_ || waited == WAIT_FAILED;
  }
  void Unlock() noexcept override {
    if (held_) ReleaseMutex(mutex_.get());
    held_ = false;
  }

 private:
  win32::Handle mutex_;
  bool held_ = false;
};

}  // namespace

std::unique_ptr<ChangeLock> SessionChangeLock() { return std::make_unique<MutexLock>(); }

}  // namespace vandrel::layouts
