// Another process that reads, moves or deletes a file holds it, without sharing, for
// the moment that takes: what fails for that alone is worth a few more tries.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace vandrel::win32 {

inline constexpr int kSharedTries = 10;
inline constexpr DWORD kSharedPauseMs = 20;

// A file open without FILE_SHARE_DELETE, or one whose deletion is pending, refuses
// with ERROR_ACCESS_DENIED rather than ERROR_SHARING_VIOLATION.
inline bool HeldByAnother(DWORD error) { return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED; }

// Runs `attempt`, which returns ERROR_SUCCESS when it did its work and the system's
// error otherwise, until it succeeds, fails for another reason, or has been tried
// `tries` times with `pause_ms` between tries. Returns its last answer.
template <class Attempt>
DWORD RetryWhileShared(Attempt&& attempt, int tries = kSharedTries, DWORD pause_ms = kSharedPauseMs) {
  DWORD error = ERROR_SUCCESS;
  for (int tried = 0; tried < tries; ++tried) {
    if (tried > 0) Sleep(pause_ms);
    error = attempt();
    if (!HeldByAnother(error)) break;
  }
  return error;
}

}  // namespace vandrel::win32
