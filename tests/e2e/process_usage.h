// What another process holds, read from outside: the numbers that a leak in a repeated
// action makes grow. Under Wine (8.0 here) not all of them mean what they mean on
// Windows; each says what it rests on there.
#pragma once

#include <windows.h>

#include <cstddef>
#include <ostream>

namespace vandrel::e2e {

struct ProcessUsage {
  // GetProcessHandleCount. Wine answers 0, for any process.
  DWORD handle_count = 0;
  // The process's entries in the system handle table (NtQuerySystemInformation,
  // SystemExtendedHandleInformation): on Windows the same number, and under Wine the
  // true one, listed by the wine server.
  std::size_t handles_in_table = 0;
  // GetProcessMemoryInfo. Wine answers 0 as PrivateUsage, and takes PagefileUsage from
  // the Linux process (its resident anonymous memory), which moves with Wine's own
  // housekeeping too.
  SIZE_T private_usage = 0;
  SIZE_T pagefile_usage = 0;
  // A VirtualQueryEx walk of the whole address space: the distinct private allocations
  // (reserved or committed; one VirtualAllocEx left behind is one more) and the bytes of
  // their committed pages. Wine keeps these exactly as the process's own calls made them.
  std::size_t private_allocations = 0;
  SIZE_T committed_private = 0;

  friend std::ostream& operator<<(std::ostream& out, const ProcessUsage& u) {
    return out << u.handles_in_table << " handles in the system table (GetProcessHandleCount " << u.handle_count
               << "), " << u.private_allocations << " private allocations holding " << u.committed_private
               << " committed bytes, PagefileUsage " << u.pagefile_usage << ", PrivateUsage " << u.private_usage;
  }
};

// `process` needs PROCESS_QUERY_INFORMATION and PROCESS_VM_READ (a handle from
// CreateProcess has every right); throws DriverError when a read fails.
ProcessUsage MeasureUsage(HANDLE process);

}  // namespace vandrel::e2e
