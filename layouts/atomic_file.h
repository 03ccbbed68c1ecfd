// Writing a file so that it is either the old one or the new one, never half of each.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string_view>

namespace vandrel::layouts {

// Writes `bytes` to a temporary file beside `path`, flushes it to the disk, then moves
// it over `path` (MoveFileExW with MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH
// on Windows, rename elsewhere). Throws std::filesystem::filesystem_error; on failure
// the temporary file is removed and `path` is as it was.
void WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// Creates a file beside `path`, named as `path` with ".<process id>-<serial>" and
// `suffix` after it, writes `bytes` and flushes them to the disk: its path. The file is
// created only where none is (O_EXCL, CREATE_NEW), so no other writer shares it.
// Throws std::filesystem::filesystem_error; on failure no file is left.
std::filesystem::path WriteNewFile(const std::filesystem::path& path, std::string_view suffix, std::string_view bytes);

// Moves `from` to `to` only if `to` does not exist yet: false when it does, or when
// `from` is gone (another process took it first). Throws filesystem_error otherwise.
bool MoveIfAbsent(const std::filesystem::path& from, const std::filesystem::path& to);

// Opens `path` for binary reading into `in`: false when it cannot be opened. On
// Windows a file another process holds for a moment (to move or delete it) refuses to
// open: that is tried again a few times.
bool OpenForReading(std::ifstream& in, const std::filesystem::path& path);

std::uint32_t CurrentProcessId();

// How many serials WriteNewFile tries before giving up: names left by killed
// processes whose id came back hold a few of the first serials at most.
inline constexpr int kTemporaryNameAttempts = 100;

// A number no other call in this process gets: with the process id it names a file
// that no other writer on the machine picks at the same time.
inline std::uint64_t NextSerial() {
  static std::atomic<std::uint64_t> serial{0};
  return serial.fetch_add(1, std::memory_order_relaxed) + 1;
}

}  // namespace vandrel::layouts
