// Where layouts live: one JSON file per named layout under <data>/layouts/, and the
// undo history as one file per entry under <data>/history/. Every Vandrel process
// shares them: files are written whole and entries are claimed by an atomic move, so
// two processes at once lose nothing.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "layouts/layout_file.h"

namespace vandrel::layouts {

inline constexpr std::size_t kHistoryLimit = 50;
inline constexpr std::size_t kMaxNameLength = 64;  // UTF-8 bytes
inline constexpr char kOriginalName[] = "original";

// Empty, too long, a path character (\ / : * ? " < > |), a control character, "..",
// or a name Windows reserves for a device: the reason, in one line; empty when valid.
std::string CheckLayoutName(std::string_view name);

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
};

class LayoutStore {
 public:
  // `data` replaces %LOCALAPPDATA%\Vandrel; the folders are made when first written.
  explicit LayoutStore(std::filesystem::path data);

  const std::filesystem::path& data() const { return data_; }

  // --- Named layouts ---
  // Saves (or replaces) the layout `name`. Throws LayoutNameError, filesystem_error.
  void Save(const LayoutRecord& record);
  // Throws LayoutNameError when there is no such layout, LayoutFileError when its file is unusable.
  LayoutRecord Load(const std::string& name) const;
  bool Exists(const std::string& name) const;
  // Every readable layout; unreadable files are left out (Load names them).
  std::vector<LayoutSummary> List() const;
  // Throws LayoutNameError when there is no such layout.
  void Delete(const std::string& name);

  // --- Undo history ---
  // Adds an entry; the oldest go once there are more than kHistoryLimit.
  void Push(const Snapshot& snapshot);
  std::size_t HistorySize() const;

  // The newest entry, taken out of the history so that no other process takes it too.
  // Commit() when it has been restored; otherwise the destructor puts it back.
  class Claim {
   public:
    Claim(Claim&&) noexcept;
    Claim& operator=(Claim&&) = delete;
    ~Claim();
    const Snapshot& snapshot() const { return snapshot_; }
    void Commit();

   private:
    friend class LayoutStore;
    Claim(std::filesystem::path claimed, std::filesystem::path home, Snapshot snapshot);
    std::filesystem::path claimed_;
    std::filesystem::path home_;
    Snapshot snapshot_;
    bool done_ = false;
  };
  // Empty when the history is empty. Throws LayoutFileError when the newest entry is
  // unusable (it stays where it is, and the message names it).
  std::optional<Claim> ClaimNewest();

 private:
  std::filesystem::path data_;
};

}  // namespace vandrel::layouts
