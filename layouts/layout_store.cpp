#include "layouts/layout_store.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <system_error>

#include "layouts/atomic_file.h"
#include "layouts/name_fold.h"

namespace vandrel::layouts {
namespace {

namespace fs = std::filesystem;

constexpr char kClaimMark[] = ".claimed-";
// An entry that could not be read, set aside for the user: never read, trimmed or removed.
constexpr char kDamagedMark[] = ".damaged";
// A claim that was restored but could not be removed: never returned, never listed.
constexpr char kSpentMark[] = ".spent-";
// Windows refuses a path past 260 characters: %LOCALAPPDATA%\Vandrel\layouts\ takes
// about 60 of them, and ".json" with the suffix of a draft or temporary file 41 at most.
constexpr std::size_t kMaxStemLength = 150;

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// How files were named before names were folded beyond ASCII: still found.
std::string LegacyStem(std::string_view name) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string stem;
  for (char c : name) {
    c = LowerAscii(c);
    if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-') {
      stem += c;
    } else {
      const auto byte = static_cast<unsigned char>(c);
      stem += '%';
      stem += kHex[byte >> 4];
      stem += kHex[byte & 0xF];
    }
  }
  return stem;
}

std::string FileStem(std::string_view name) { return LegacyStem(FoldName(name)); }

// The name a stem was made from, with its ASCII letters in lower case; empty when it is
// no stem of ours.
std::string DecodedStem(std::string_view stem) {
  std::string name;
  for (std::size_t i = 0; i < stem.size(); ++i) {
    if (stem[i] != '%') {
      name += stem[i];
      continue;
    }
    if (stem.size() - i < 3) return {};
    unsigned value = 0;
    const auto [end, error] = std::from_chars(stem.data() + i + 1, stem.data() + i + 3, value, 16);
    if (error != std::errc() || end != stem.data() + i + 3) return {};
    name += static_cast<char>(value);
    i += 2;
  }
  return name;
}

// Decodes one UTF-8 sequence at the front of `text`; false when it is not valid
// (overlong forms and surrogates included).
bool NextCodePoint(std::string_view& text, char32_t& c) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  std::size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                                     : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
  if (length == 0 || text.size() < length) return false;
  c = static_cast<char32_t>(length == 1 ? lead : lead & (0x7Fu >> length));
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return false;
    c = (c << 6) | static_cast<char32_t>(byte(i) & 0x3Fu);
  }
  static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
  if (c < kLeast[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
  text.remove_prefix(length);
  return true;
}

// "CON", "com1.txt", "Lpt²": names Windows gives to devices, with any extension.
bool IsDeviceName(std::string_view name) {
  std::string stem(name.substr(0, name.find('.')));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  std::transform(stem.begin(), stem.end(), stem.begin(), LowerAscii);
  for (const char* device : {"con", "prn", "aux", "nul", "conin$", "conout$"}) {
    if (stem == device) return true;
  }
  if (stem.size() < 4 || (stem.compare(0, 3, "com") != 0 && stem.compare(0, 3, "lpt") != 0)) return false;
  const std::string_view digit = std::string_view(stem).substr(3);
  return (digit.size() == 1 && digit[0] >= '0' && digit[0] <= '9') || digit == "\xC2\xB9" || digit == "\xC2\xB2" ||
         digit == "\xC2\xB3";
}

std::int64_t NowNanoseconds() {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  return std::max<std::int64_t>(0, std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
}

std::string Digits(std::uint64_t value, std::size_t width) {
  const std::string digits = std::to_string(value);
  return std::string(width > digits.size() ? width - digits.size() : 0, '0') + digits;
}

std::optional<std::uint64_t> ParseDigits(std::string_view text) {
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// "<20 digits>-<10 digits>-<20 digits>.json"
constexpr std::size_t kEntryNameLength = 20 + 1 + 10 + 1 + 20 + 5;

bool IsHistoryEntry(std::string_view name) {
  if (name.size() != kEntryNameLength || name.substr(kEntryNameLength - 5) != ".json") return false;
  for (std::size_t i = 0; i < kEntryNameLength - 5; ++i) {
    const bool dash = i == 20 || i == 31;
    if (dash ? name[i] != '-' : (name[i] < '0' || name[i] > '9')) return false;
  }
  return true;
}

// "<20 digits>-<10 digits>-<20 digits>": no other process names a file so at the same
// time, and names made later sort after it as long as `stamp` grows.
std::string StampedName(std::uint64_t stamp) {
  return Digits(stamp, 20) + "-" + Digits(CurrentProcessId(), 10) + "-" + Digits(NextSerial(), 20);
}

struct FolderFile {
  fs::path path;
  std::string name;  // UTF-8
};

// Files whose names are not valid Unicode (NTFS allows an unpaired surrogate) cannot be
// Vandrel's own, and have no UTF-8 form: they are left out.
std::vector<FolderFile> FilesIn(const fs::path& folder) {
  std::vector<FolderFile> files;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    try {
      files.push_back(FolderFile{it->path(), PathText(it->path().filename())});
    } catch (const fs::filesystem_error&) {
      // Left out.
    }
  }
  return files;
}

// Everything CheckLayoutName asks but the length of the file name: layouts saved before
// that limit are still found, loaded and deleted.
std::string CheckNameText(std::string_view name) {
  if (name.empty()) return "A layout name cannot be empty.";
  if (name.size() > kMaxNameLength) {
    return "A layout name can be at most " + std::to_string(kMaxNameLength) + " bytes of UTF-8 long; this one has " +
           std::to_string(name.size()) + ".";
  }
  for (std::string_view rest = name; !rest.empty();) {
    char32_t c = 0;
    if (!NextCodePoint(rest, c)) return "A layout name must be valid UTF-8 text.";
    if (c < 0x20 || (c >= 0x7F && c < 0xA0)) return "A layout name cannot hold control characters.";
    if (std::u32string_view(U"\\/:*?\"<>|").find(c) != std::u32string_view::npos) {
      return "A layout name cannot hold any of \\ / : * ? \" < > |";
    }
  }
  if (name == "." || name.find("..") != std::string_view::npos) return "A layout name cannot be \".\" or hold \"..\".";
  if (name.front() == ' ' || name.back() == ' ') return "A layout name cannot begin or end with a space.";
  if (IsDeviceName(name)) return "\"" + std::string(name) + "\" is a name Windows keeps for a device.";
  return {};
}

void Require(const std::string& why) {
  if (!why.empty()) throw LayoutNameError(why);
}

}  // namespace

std::string CheckLayoutName(std::string_view name) {
  std::string why = CheckNameText(name);
  if (!why.empty()) return why;
  if (const std::size_t length = FileStem(name).size(); length > kMaxStemLength) {
    return "A layout name can take at most " + std::to_string(kMaxStemLength) +
           " characters as a file name; this one takes " + std::to_string(length) +
           ". Use fewer characters outside a-z, 0-9, _ and -.";
  }
  return {};
}

bool IsReservedName(std::string_view name) {
  const std::string folded = FoldName(name);
  const std::string_view base = kOriginalName;
  if (folded.compare(0, base.size(), base) != 0) return false;
  const std::string_view rest = std::string_view(folded).substr(base.size());
  if (rest.empty()) return true;
  if (rest.size() < 2 || rest[0] != ' ' || rest[1] == '0') return false;
  return std::all_of(rest.begin() + 1, rest.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string CheckSaveName(std::string_view name) {
  std::string why = CheckLayoutName(name);
  if (why.empty() && IsReservedName(name)) {
    why = "The names \"original\" and \"original N\" are kept for the originals Vandrel saves; choose another name.";
  }
  return why;
}

LayoutStore::LayoutStore(fs::path data) : data_(std::move(data)) {}

fs::path LayoutStore::LayoutPath(std::string_view name) const { return LayoutsFolder() / (FileStem(name) + ".json"); }

std::optional<fs::path> LayoutStore::FindLayoutFile(std::string_view name) const {
  std::error_code error;
  if (fs::path path = LayoutPath(name); fs::exists(path, error)) return path;
  // Saved before names were folded beyond ASCII: "Äpfel" is "%C3%84pfel.json".
  const std::string folded = FoldName(name);
  for (const auto& [path, file] : FilesIn(LayoutsFolder())) {
    if (path.extension() != ".json") continue;
    const std::string decoded = DecodedStem(std::string_view(file).substr(0, file.size() - 5));
    if (!decoded.empty() && CheckNameText(decoded).empty() && FoldName(decoded) == folded) return path;
  }
  return std::nullopt;
}

std::uint64_t LayoutStore::NextSequence() const {
  std::uint64_t newest = 0;
  for (const LayoutSummary& layout : List()) newest = std::max(newest, layout.sequence);
  return newest + 1;
}

void LayoutStore::Save(const LayoutRecord& record) {
  Require(CheckLayoutName(record.name));
  const fs::path path = LayoutPath(record.name);
  const std::optional<fs::path> old = FindLayoutFile(record.name);
  fs::create_directories(path.parent_path());
  LayoutRecord stamped = record;
  stamped.sequence = NextSequence();
  WriteLayoutFile(path, stamped);
  // The same name under its file name of before: the new file replaces it.
  std::error_code ignored;
  if (old && *old != path) fs::remove(*old, ignored);
}

bool LayoutStore::SaveIfAbsent(const LayoutRecord& record) {
  Require(CheckLayoutName(record.name));
  if (FindLayoutFile(record.name)) return false;
  const fs::path path = LayoutPath(record.name);
  fs::create_directories(path.parent_path());
  LayoutRecord stamped = record;
  stamped.sequence = NextSequence();
  // Written whole under a name of its own first; the move then either makes it the
  // layout or finds that another writer was first.
  const fs::path draft = WriteNewFile(path, ".new", FormatLayout(stamped));
  bool moved = false;
  try {
    moved = MoveIfAbsent(draft, path);
  } catch (...) {
    std::error_code ignored;
    fs::remove(draft, ignored);
    throw;
  }
  std::error_code ignored;
  if (!moved) fs::remove(draft, ignored);
  return moved;
}

LayoutRecord LayoutStore::Load(const std::string& name) const {
  Require(CheckNameText(name));
  const std::optional<fs::path> path = FindLayoutFile(name);
  if (!path) throw LayoutNameError("There is no layout named \"" + name + "\".");
  LayoutRecord record = ReadLayoutFile(*path);
  if (FoldName(record.name) != FoldName(name)) {
    throw FileError(PathText(*path), "it holds a layout of another name");
  }
  return record;
}

bool LayoutStore::Exists(const std::string& name) const {
  if (!CheckNameText(name).empty()) return false;
  return FindLayoutFile(name).has_value();
}

std::vector<LayoutSummary> LayoutStore::List(std::string_view prefix) const {
  const std::string stem_prefix = FileStem(prefix);
  const std::string legacy_prefix = LegacyStem(prefix);
  std::vector<LayoutSummary> layouts;
  for (const auto& [path, name] : FilesIn(LayoutsFolder())) {
    if (path.extension() != ".json") continue;
    const std::string stem = name.substr(0, name.size() - 5);
    if (stem.compare(0, stem_prefix.size(), stem_prefix) != 0 &&
        stem.compare(0, legacy_prefix.size(), legacy_prefix) != 0) {
      continue;
    }
    try {
      const LayoutRecord record = ReadLayoutFile(path);
      if (!CheckNameText(record.name).empty()) continue;
      if (FileStem(record.name) != stem && LegacyStem(record.name) != stem) continue;
      layouts.push_back(LayoutSummary{record.name, record.original, record.snapshot.display, record.snapshot.taken_at,
                                      record.snapshot.icons.size(), record.sequence,
                                      record.automatic});
    } catch (const LayoutFileError&) {
      // Left out here; loading it by name says what is wrong with it.
    }
  }
  return layouts;
}

void LayoutStore::Delete(const std::string& name) {
  Require(CheckNameText(name));
  const std::optional<fs::path> path = FindLayoutFile(name);
  if (!path || !fs::remove(*path)) throw LayoutNameError("There is no layout named \"" + name + "\".");
}

std::vector<fs::path> LayoutStore::HistoryEntries(Stack stack) const {
  std::vector<fs::path> entries;
  for (FolderFile& file : FilesIn(HistoryFolder(stack))) {
    if (IsHistoryEntry(file.name)) entries.push_back(std::move(file.path));
  }
  std::sort(entries.begin(), entries.end(),
            [](const fs::path& a, const fs::path& b) { return a.filename() < b.filename(); });
  return entries;
}

void LayoutStore::MakeFolder(Stack stack) const { fs::create_directories(HistoryFolder(stack)); }

void LayoutStore::Push(const Snapshot& snapshot, Stack stack) {
  const fs::path folder = HistoryFolder(stack);
  fs::create_directories(folder);
  std::vector<fs::path> entries = HistoryEntries(stack);
  // Never before the newest entry, even when the clock has been put back: Undo takes
  // the last in name order.
  auto stamp = static_cast<std::uint64_t>(NowNanoseconds());
  if (!entries.empty()) {
    const std::optional<std::uint64_t> newest = ParseDigits(PathText(entries.back().filename()).substr(0, 20));
    if (newest && *newest >= stamp) stamp = *newest + 1;
  }
  WriteLayoutFile(folder / (StampedName(stamp) + ".json"), LayoutRecord{{}, false, snapshot});

  entries = HistoryEntries(stack);
  if (entries.size() <= kHistoryLimit) return;
  // Another process trimming at once removes some of the same files: that is no fault.
  for (std::size_t i = 0; i < entries.size() - kHistoryLimit; ++i) {
    std::error_code ignored;
    fs::remove(entries[i], ignored);
  }
}

void LayoutStore::ClearRedo() {
  for (const fs::path& entry : HistoryEntries(Stack::Redo)) {
    std::error_code ignored;
    fs::remove(entry, ignored);
  }
}

std::size_t LayoutStore::HistorySize(Stack stack) const { return HistoryEntries(stack).size(); }

void LayoutStore::ReturnClaimsOfEndedProcesses() const {
  for (const Stack stack : {Stack::Undo, Stack::Redo}) {
    for (const auto& [path, name] : FilesIn(HistoryFolder(stack))) {
      // Left by a Keep that could not remove it at once.
      if (const std::size_t spent = name.find(kSpentMark); spent != std::string::npos) {
        std::error_code ignored;
        if (IsHistoryEntry(name.substr(0, spent))) fs::remove(path, ignored);
        continue;
      }
      const std::size_t mark = name.find(kClaimMark);
      if (mark == std::string::npos || !IsHistoryEntry(name.substr(0, mark))) continue;
      try {
        MoveIfAbsent(path, path.parent_path() / name.substr(0, mark));
      } catch (const fs::filesystem_error&) {
        // Tried again at the next undo.
      }
    }
  }
}

std::optional<LayoutStore::Claim> LayoutStore::ClaimNewest(Stack stack) {
  const std::vector<fs::path> entries = HistoryEntries(stack);
  for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
    fs::path claimed = *entry;
    claimed += kClaimMark + StampedName(static_cast<std::uint64_t>(NowNanoseconds()));
    // Gone: another process has just claimed it, and the next one is ours to take.
    if (!MoveIfAbsent(*entry, claimed)) continue;
    LayoutRecord record;
    try {
      record = ReadLayoutFile(claimed, PathText(*entry));
    } catch (const LayoutFileError& e) {
      // Set aside, not put back: it would block every undo after it. Kept for the user.
      fs::path aside = *entry;
      aside.replace_extension();
      aside += std::string(kDamagedMark) + ".json";
      std::string what = e.what();
      try {
        if (MoveIfAbsent(claimed, aside)) {
          throw LayoutFileError(what + " It has been set aside as \"" + PathText(aside.filename()) +
                                "\"; the next undo goes on with the entry before it.");
        }
      } catch (const fs::filesystem_error&) {
      }
      MoveIfAbsent(claimed, *entry);
      throw;
    }
    return Claim(std::move(claimed), *entry, std::move(record.snapshot));
  }
  return std::nullopt;
}

LayoutStore::Claim::Claim(fs::path claimed, fs::path home, Snapshot snapshot)
    : claimed_(std::move(claimed)), home_(std::move(home)), snapshot_(std::move(snapshot)) {}

LayoutStore::Claim::Claim(Claim&& other) noexcept
    : claimed_(std::move(other.claimed_)),
      home_(std::move(other.home_)),
      snapshot_(std::move(other.snapshot_)),
      done_(other.done_) {
  other.done_ = true;
}

LayoutStore::Claim::~Claim() {
  if (done_) return;
  try {
    MoveIfAbsent(claimed_, home_);
  } catch (...) {
    // Put back by the next undo, under the change lock.
  }
}

void LayoutStore::Claim::Keep() {
  if (done_) return;
  done_ = true;
  std::error_code error;
  if (fs::remove(claimed_, error) || !error) return;
  // A claim left behind would go back to the history at the next undo, and the undo
  // would be done twice: under a name that is never returned, it is only litter.
  fs::path spent = home_;
  spent += kSpentMark + StampedName(static_cast<std::uint64_t>(NowNanoseconds()));
  try {
    if (MoveIfAbsent(claimed_, spent)) fs::remove(spent, error);
  } catch (const fs::filesystem_error&) {
    // Nothing more can be done: the claim comes back at the next undo.
  }
}

}  // namespace vandrel::layouts
