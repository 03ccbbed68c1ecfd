// One change to the desktop at a time, across every Vandrel process of the logon
// session: snapshot, change and commit run under this lock, so that two undos cannot
// restore at once and a figure never snapshots a desktop half restored.
//
// The lock is the system's own (a named mutex on Windows, a file lock elsewhere): the
// system frees it when its holder ends, however it ends, so a killed process leaves no
// claim that has to be judged by its age or by the clock.
#pragma once

#include <chrono>
#include <memory>
#include <stdexcept>

namespace vandrel::layouts {

// How long a change waits for another process's before it gives up.
inline constexpr std::chrono::milliseconds kChangeLockPatience{30000};

class AnotherVandrelIsChanging : public std::runtime_error {
 public:
  AnotherVandrelIsChanging() : std::runtime_error("Another Vandrel is changing the icons.") {}
};

class ChangeLock {
 public:
  virtual ~ChangeLock() = default;

  // Taken again by the thread that holds it, it only counts: a restore inside a change
  // does not wait for itself.
  class Hold {
   public:
    Hold() = default;
    Hold(Hold&& other) noexcept : lock_(other.lock_) { other.lock_ = nullptr; }
    Hold& operator=(Hold&& other) noexcept {
      if (this != &other) {
        Release();
        lock_ = other.lock_;
        other.lock_ = nullptr;
      }
      return *this;
    }
    ~Hold() { Release(); }
    void Release() noexcept {
      if (lock_ != nullptr && --lock_->depth_ == 0) lock_->Unlock();
      lock_ = nullptr;
    }

   private:
    friend class ChangeLock;
    explicit Hold(ChangeLock* lock) : lock_(lock) {}
    ChangeLock* lock_ = nullptr;
  };

  // Throws AnotherVandrelIsChanging when another process still holds it after `patience`.
  Hold Take(std::chrono::milliseconds patience = kChangeLockPatience) {
    if (depth_ == 0 && !Lock(patience)) throw AnotherVandrelIsChanging();
    ++depth_;
    return Hold(this);
  }

 protected:
  // False when the lock could not be had within `patience`.
  virtual bool Lock(std::chrono::milliseconds patience) = 0;
  virtual void Unlock() noexcept = 0;

 private:
  int depth_ = 0;
};

// The lock every Vandrel process of this logon session shares.
std::unique_ptr<ChangeLock> SessionChangeLock();

}  // namespace vandrel::layouts
