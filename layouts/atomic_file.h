// Writing a file so that it is either the old one or the new one, never half of each.
#pragma once

#include <filesystem>
#include <string_view>

namespace vandrel::layouts {

// Writes `bytes` to a temporary file beside `path`, flushes it, then moves it over
// `path` (MoveFileExW with MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH on
// Windows, rename elsewhere). Throws std::filesystem::filesystem_error; on failure the
// temporary file is removed and `path` is as it was.
void WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// Moves `from` to `to` only if `to` does not exist yet: false when it does, or when
// `from` is gone (another process took it first).
bool MoveIfAbsent(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace vandrel::layouts
