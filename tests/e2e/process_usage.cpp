#include "process_usage.h"

#include <psapi.h>

#include <set>
#include <string>
#include <vector>

#include "driver_error.h"

namespace vandrel::e2e {
namespace {

// Not in the SDK headers MinGW ships; the layout is the documented x64 one.
constexpr ULONG kSystemExtendedHandleInformation = 64;
constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);

struct HandleEntry {
  void* object;
  ULONG_PTR process_id;
  ULONG_PTR value;
  ULONG granted_access;
  USHORT creator_back_trace_index;
  USHORT object_type_index;
  ULONG attributes;
  ULONG reserved;
};

struct HandleTable {
  ULONG_PTR count;
  ULONG_PTR reserved;
  HandleEntry entries[1];
};

using QuerySystemInformation = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);

std::size_t HandlesInTable(DWORD process_id) {
  static const auto query = reinterpret_cast<QuerySystemInformation>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  if (query == nullptr) throw DriverError("ntdll has no NtQuerySystemInformation");
  // Every process's handles come in one answer, and the table may grow between the
  // question and the answer: grow the room until it fits.
  std::vector<ULONG_PTR> room(1 << 14);
  for (;;) {
    ULONG needed = 0;
    const LONG status = query(kSystemExtendedHandleInformation, room.data(),
                              static_cast<ULONG>(room.size() * sizeof(ULONG_PTR)), &needed);
    if (status == kInfoLengthMismatch) {
      room.resize(room.size() * 2 + needed / sizeof(ULONG_PTR));
      continue;
    }
    if (status < 0) throw DriverError("SystemExtendedHandleInformation failed, status " + std::to_string(status));
    break;
  }
  const auto* table = reinterpret_cast<const HandleTable*>(room.data());
  std::size_t handles = 0;
  for (ULONG_PTR i = 0; i < table->count; ++i) {
    if (table->entries[i].process_id == process_id) ++handles;
  }
  return handles;
}

}  // namespace

ProcessUsage MeasureUsage(HANDLE process) {
  ProcessUsage usage;
  if (!GetProcessHandleCount(process, &usage.handle_count)) ThrowLastError("GetProcessHandleCount");
  const DWORD process_id = GetProcessId(process);
  if (process_id == 0) ThrowLastError("GetProcessId");
  usage.handles_in_table = HandlesInTable(process_id);
  PROCESS_MEMORY_COUNTERS_EX memory{};
  if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory)) {
    ThrowLastError("GetProcessMemoryInfo");
  }
  usage.private_usage = memory.PrivateUsage;
  usage.pagefile_usage = memory.PagefileUsage;

  // Regions of one allocation lie side by side but may differ in state and protection:
  // count allocations by their base, not regions.
  std::set<void*> bases;
  SYSTEM_INFO system{};
  GetSystemInfo(&system);
  auto* at = static_cast<char*>(system.lpMinimumApplicationAddress);
  MEMORY_BASIC_INFORMATION region{};
  while (at < system.lpMaximumApplicationAddress && VirtualQueryEx(process, at, &region, sizeof region) != 0) {
    if (region.Type == MEM_PRIVATE && region.State != MEM_FREE) {
      bases.insert(region.AllocationBase);
      if (region.State == MEM_COMMIT) usage.committed_private += region.RegionSize;
    }
    at = static_cast<char*>(region.BaseAddress) + region.RegionSize;
  }
  usage.private_allocations = bases.size();
  return usage;
}

}  // namespace vandrel::e2e
