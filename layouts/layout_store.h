// Where layouts live: one JSON file per named layout under <data>/layouts/, and the
// undo history as one file per entry under <data>/history/. Every Vandrel process
// shares them: files are written whole and entries are claimed by an atomic move, so
// two processes at once lose nothing.
//
// A layout's file name is its name folded (name_fold.h: NFC, case folded), a-z 0-9 _ -
// as they are and every other byte as %XX: "Work 2" is "work%202.json", "桌面" is
// "%E6%A1%8C%E9%9D%A2.json". Names that look the same are one layout; nothing else in a
// name can clash with another name, a device or a path. The name as the user wrote it
// is kept inside the file. Files named before names were folded beyond ASCII (only
// A-Z in lower case) are still found under any name that folds alike.
//
// The redo list is kept as the history is, under <data>/redo/.
//
// A history entry is named "<time in ns>-<process id>-<serial>.json", all digits, of
// fixed widths: sorted by name, the entries are in the order they were pushed.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "layouts/layout_file.h"

namespace vandrel::layouts {

inline constexpr std::size_t kHistoryLimit = 50;
inline constexpr std::size_t kMaxNameLength = 64;  // UTF-8 bytes
inline constexpr char kOriginalName[] = "original";

// Empty, too long, a path character (\ / : * ? " < > |), a control character, "..",
// a name Windows reserves for a device, or one whose file name would be longer than 150
// characters: the reason, in one line; empty when valid. Layouts saved before that last
// limit are still listed, loaded and deleted; they are only not saved anew.
std::string CheckLayoutName(std::string_view name);

// "original" and "original N", in any case: the names of the originals Vandrel keeps.
bool IsReservedName(std::string_view name);
// CheckLayoutName, and no reserved name: what a user may save under.
std::string CheckSaveName(std::string_view name);

// A layout name the user gave that is not valid or not there.
class LayoutNameError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct LayoutSummary {
  std::string name;
  bool original = false;
  DisplayConfiguration display;
  std::int64_t saved_at = 0;
  std::size_t icons = 0;
  std::uint64_t sequence = 0;  // see LayoutRecord::sequence
  bool automatic = false;
};

enum class Stack { Undo, Redo };

class LayoutStore {
 public:
  // `data` replaces %LOCALAPPDATA%\Vandrel; the folders are made when first written.
  explicit LayoutStore(std::filesystem::path data);

  // --- Named layouts ---
  // Saves (or replaces) the layout `name`, with the next sequence number. Throws
  // LayoutNameError, filesystem_error.
  void Save(const LayoutRecord& record);
  // Saves the layout only if there is none of that name yet, even with another process
  // saving the same name at the same moment: false when there is.
  bool SaveIfAbsent(const LayoutRecord& record);
  // Throws LayoutNameError when there is no such layout, LayoutFileError when its file is unusable.
  LayoutRecord Load(const std::string& name) const;
  bool Exists(const std::string& name) const;
  // Every readable layout, or those whose name starts with `prefix` (ignoring the case
  // of ASCII letters); unreadable files are left out (Load names them).
  std::vector<LayoutSummary> List(std::string_view prefix = {}) const;
  // Throws LayoutNameError when there is no such layout.
  void Delete(const std::string& name);

  // --- Undo history and redo list ---
  // Adds an entry; the oldest go once there are more than kHistoryLimit.
  void Push(const Snapshot& snapshot, Stack stack = Stack::Undo);
  // Makes the folder of `stack`; throws filesystem_error when it cannot be made, so
  // that no one reads the desktop for an entry that cannot be kept.
  void MakeFolder(Stack stack = Stack::Undo) const;
  std::size_t HistorySize(Stack stack = Stack::Undo) const;
  void ClearRedo();
  // Only under the change lock: every claim left then is one of a process that ended
  // mid-undo, and goes back where it was.
  void ReturnClaimsOfEndedProcesses() const;

  // The newest entry, taken out of the history so that no other process takes it too.
  // Keep() when it has been restored; otherwise the destructor puts it back.
  class Claim {
   public:
    Claim(Claim&&) noexcept;
    Claim& operator=(Claim&&) = delete;
    ~Claim();
    const Snapshot& snapshot() const { return snapshot_; }
    void Keep();

   private:
    friend class LayoutStore;
    Claim(std::filesystem::path claimed, std::filesystem::path home, Snapshot snapshot);
    std::filesystem::path claimed_;
    std::filesystem::path home_;
    Snapshot snapshot_;
    bool done_ = false;
  };
  // Empty when the history is empty. Throws LayoutFileError when the newest entry is
  // unusable: it is set aside beside the history (renamed, never removed), the message
  // names it, and the next claim takes the entry before it.
  std::optional<Claim> ClaimNewest(Stack stack = Stack::Undo);

 private:
  std::filesystem::path LayoutsFolder() const { return data_ / "layouts"; }
  std::filesystem::path HistoryFolder(Stack stack) const { return data_ / (stack == Stack::Undo ? "history" : "redo"); }
  // Only builds the path: each public member checks the name once itself, for saving
  // with the file name's limit, for reading without.
  std::filesystem::path LayoutPath(std::string_view name) const;
  // Where the layout `name` is: under its folded name, or under its file name of before.
  std::optional<std::filesystem::path> FindLayoutFile(std::string_view name) const;
  std::uint64_t NextSequence() const;
  std::vector<std::filesystem::path> HistoryEntries(Stack stack) const;

  std::filesystem::path data_;
};

}  // namespace vandrel::layouts
