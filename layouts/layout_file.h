// The file format of saved layouts and undo entries: one JSON document per file,
// carrying its format name and version. Reading checks everything: a file that is
// truncated, not JSON, of another format or version, of wrong types or too large is
// refused with an error that names it, before anything moves.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

#include "layouts/snapshot.h"

namespace vandrel::layouts {

inline constexpr char kFormatName[] = "vandrel-layout";
// Version 2 keeps screen coordinates and every monitor; version 1 files, which keep the
// view's coordinates and no monitors, are still read (and written back as they were).
inline constexpr int kFormatVersion = 2;
inline constexpr int kViewPositionsVersion = 1;
// Far above any real desktop (5,000 icons with long labels stay under 2 MB).
inline constexpr std::size_t kMaxFileBytes = 8u << 20;

struct LayoutRecord {
  std::string name;       // empty for an undo entry
  bool original = false;  // saved by Vandrel itself before its first change on that display
  Snapshot snapshot;
  // The order layouts were saved in, a counter that only grows (0: saved before there
  // was one). The clock can be put back or run ahead; this cannot.
  std::uint64_t sequence = 0;
  // Kept by the watcher: the display's last layout that held still.
  bool automatic = false;
  friend bool operator==(const LayoutRecord&, const LayoutRecord&) = default;
};

// A file that cannot be used; what() names the file and says why.
class LayoutFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// "Cannot use the layout file "<file>": <why>."
LayoutFileError FileError(std::string_view file, std::string_view why);

// Text that is not valid UTF-8 is written with U+FFFD in place of the bad bytes.
std::string FormatLayout(const LayoutRecord& record);
// Throws LayoutFileError; `file` names the source in the message.
LayoutRecord ParseLayout(std::string_view bytes, std::string_view file);

LayoutRecord ReadLayoutFile(const std::filesystem::path& path);
// The same, naming the file `shown_as` in errors (a file read under a temporary name).
LayoutRecord ReadLayoutFile(const std::filesystem::path& path, std::string_view shown_as);
// A temporary file in the same folder, then a replacing move: a crash or a full disk
// leaves the previous file whole.
void WriteLayoutFile(const std::filesystem::path& path, const LayoutRecord& record);

// A path as UTF-8, whatever the system's code page: a Chinese user name in the data
// folder or a Chinese layout name must neither throw nor turn into question marks.
std::string PathText(const std::filesystem::path& path);

}  // namespace vandrel::layouts
