#include "layouts/layout_file.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>
#include <set>
#include <system_error>
#include <utility>

#include "layouts/atomic_file.h"

namespace vandrel::layouts {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using nlohmann::ordered_json;

// Why a file cannot be used; the file's name is put in front once, at the top.
class Refusal : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

[[noreturn]] void Refuse(const std::string& why) { throw Refusal(why); }

// Vandrel's own files nest three levels deep. One nested a hundred thousand levels
// would cost memory for nothing, and the stack wherever a value is handled recursively.
constexpr int kMaxNesting = 64;

// What reaches the list view of a position: 16 bits each way. A file with more would
// put the icon somewhere else than it says.
constexpr std::int32_t kLeastCoordinate = -32768;
constexpr std::int32_t kMostCoordinate = 32767;
// A screen position is a view's plus the view's origin, the virtual screen's top-left
// corner, which lies at or left of and above the primary's (0, 0) and itself within 16
// bits: a view point Vandrel read may lie up to 32768 further up or left.
constexpr std::int32_t kLeastScreenCoordinate = kLeastCoordinate * 2;

// --- Writing ---

ordered_json RectJson(const Rect& r) {
  return {{"left", r.left}, {"top", r.top}, {"right", r.right}, {"bottom", r.bottom}};
}

std::string Dump(const ordered_json& value, int indent = -1) {
  return value.dump(indent, ' ', false, ordered_json::error_handler_t::replace);
}

// A value from a file, as an error message shows it. dump() recurses once per level
// of nesting, so a hostile file could overflow the stack with an array nested a
// hundred thousand deep: only scalars are shown, and text only up to a length that
// fits a message.
std::string Shown(const json& value) {
  constexpr std::size_t kShownTextBytes = 64;
  if (value.is_string()) {
    const auto& text = value.get_ref<const std::string&>();
    if (text.size() <= kShownTextBytes) return Dump(text);
    std::size_t cut = kShownTextBytes;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;  // not inside a character
    return Dump(text.substr(0, cut)) + "...";
  }
  if (value.is_null() || value.is_boolean() || value.is_number()) return Dump(value);
  return value.type_name();
}

// --- Reading: every member checked for presence, type and range ---

// "display.work_area.left", "icons[3].x": where in the file a fault is.
std::string Where(std::string_view parent, std::string_view key) {
  return parent.empty() ? std::string(key) : std::string(parent) + "." + std::string(key);
}

const json& Member(const json& object, std::string_view parent, const char* key) {
  const auto it = object.find(key);
  if (it == object.end()) Refuse(Where(parent, key) + " is missing");
  return *it;
}

const json& ObjectMember(const json& object, std::string_view parent, const char* key) {
  const json& value = Member(object, parent, key);
  if (!value.is_object()) Refuse(Where(parent, key) + " is not an object");
  return value;
}

template <typename T>
T Integer(const json& object, std::string_view parent, const char* key, T low = std::numeric_limits<T>::min(),
          T high = std::numeric_limits<T>::max()) {
  const json& value = Member(object, parent, key);
  const std::string range = " (" + std::to_string(low) + " to " + std::to_string(high) + ")";
  if (value.is_number_float() && std::isfinite(value.get<double>()) &&
      std::trunc(value.get<double>()) == value.get<double>()) {
    // A whole number past 64 bits, which the reader keeps as a real.
    Refuse(Where(parent, key) + " is out of range" + range);
  }
  if (!value.is_number_integer()) Refuse(Where(parent, key) + " is not an integer");
  // Compared in the number's own type: no conversion can wrap before the check.
  const auto within = [&](auto n) { return std::cmp_greater_equal(n, low) && std::cmp_less_equal(n, high); };
  if (value.is_number_unsigned()) {
    const auto n = value.get<std::uint64_t>();
    if (within(n)) return static_cast<T>(n);
  } else {
    const auto n = value.get<std::int64_t>();
    if (within(n)) return static_cast<T>(n);
  }
  Refuse(Where(parent, key) + " is out of range" + range);
}

bool Boolean(const json& object, std::string_view parent, const char* key) {
  const json& value = Member(object, parent, key);
  if (!value.is_boolean()) Refuse(Where(parent, key) + " is not true or false");
  return value.get<bool>();
}

std::string Text(const json& object, std::string_view parent, const char* key) {
  const json& value = Member(object, parent, key);
  if (!value.is_string()) Refuse(Where(parent, key) + " is not a string");
  return value.get<std::string>();
}

Rect ReadRect(const json& object, std::string_view parent, const char* key) {
  const json& r = ObjectMember(object, parent, key);
  const std::string where = Where(parent, key);
  return Rect{Integer<std::int32_t>(r, where, "left"), Integer<std::int32_t>(r, where, "top"),
              Integer<std::int32_t>(r, where, "right"), Integer<std::int32_t>(r, where, "bottom")};
}

std::vector<Monitor> ReadMonitorList(const json& display) {
  const json& list = Member(display, "display", "monitor_list");
  if (!list.is_array()) Refuse("display.monitor_list is not an array");
  std::vector<Monitor> monitors;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const std::string where = "display.monitor_list[" + std::to_string(i) + "]";
    if (!list[i].is_object()) Refuse(where + " is not an object");
    monitors.push_back(Monitor{ReadRect(list[i], where, "area"), ReadRect(list[i], where, "work_area"),
                               Integer<std::uint32_t>(list[i], where, "dpi"), Boolean(list[i], where, "primary")});
  }
  return monitors;
}

DisplayConfiguration ReadDisplay(const json& doc, bool with_monitors) {
  const json& d = ObjectMember(doc, "", "display");
  DisplayConfiguration display;
  display.work_area = ReadRect(d, "display", "work_area");
  display.screen_width = Integer<std::int32_t>(d, "display", "screen_width");
  display.screen_height = Integer<std::int32_t>(d, "display", "screen_height");
  display.dpi = Integer<std::uint32_t>(d, "display", "dpi");
  display.monitors = Integer<std::int32_t>(d, "display", "monitors");
  if (with_monitors) display.monitor_list = ReadMonitorList(d);
  return display;
}

ViewState ReadView(const json& doc) {
  const json& v = ObjectMember(doc, "", "view");
  ViewState view;
  view.auto_arrange = Boolean(v, "view", "auto_arrange");
  view.snap_to_grid = Boolean(v, "view", "snap_to_grid");
  view.text_colour = Integer<std::uint32_t>(v, "view", "text_colour");
  view.background_colour = Integer<std::uint32_t>(v, "view", "background_colour");
  return view;
}

std::vector<IconPlace> ReadIcons(const json& doc, bool view_positions) {
  const std::int32_t least = view_positions ? kLeastCoordinate : kLeastScreenCoordinate;
  const json& list = Member(doc, "", "icons");
  if (!list.is_array()) Refuse("icons is not an array");
  std::vector<IconPlace> icons;
  icons.reserve(list.size());
  for (std::size_t i = 0; i < list.size(); ++i) {
    const std::string where = "icons[" + std::to_string(i) + "]";
    const json& icon = list[i];
    if (!icon.is_object()) Refuse(where + " is not an object");
    icons.push_back(IconPlace{Text(icon, where, "label"), Integer<std::int32_t>(icon, where, "occurrence", 0),
                              Integer<std::int32_t>(icon, where, "x", least, kMostCoordinate),
                              Integer<std::int32_t>(icon, where, "y", least, kMostCoordinate)});
    // Files from before the folder view was asked, and icons it had no name for, have none.
    if (icon.contains("parsing_name")) icons.back().parsing_name = Text(icon, where, "parsing_name");
  }
  // An icon is known by its label and occurrence: two records of one icon would
  // leave it unclear where it goes.
  std::vector<const IconPlace*> sorted(icons.size());
  std::transform(icons.begin(), icons.end(), sorted.begin(), [](const IconPlace& p) { return &p; });
  const auto key = [](const IconPlace* p) { return std::tie(p->label, p->occurrence); };
  std::sort(sorted.begin(), sorted.end(), [&](const IconPlace* a, const IconPlace* b) { return key(a) < key(b); });
  const auto twin = std::adjacent_find(sorted.begin(), sorted.end(),
                                       [&](const IconPlace* a, const IconPlace* b) { return key(a) == key(b); });
  if (twin != sorted.end()) {
    Refuse("the icon " + Shown((*twin)->label) + " with occurrence " + std::to_string((*twin)->occurrence) +
           " is listed twice");
  }
  return icons;
}

// Reads at most one byte past the limit, so that a huge file costs no more than that.
std::string ReadBytes(const fs::path& path, std::string_view shown_as) {
  std::ifstream in;
  if (!OpenForReading(in, path)) {
    std::error_code error;
    if (!fs::exists(path, error)) throw FileError(shown_as, "it does not exist");
    throw FileError(shown_as, "it cannot be opened");
  }
  std::string bytes(kMaxFileBytes + 1, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (in.bad()) throw FileError(shown_as, "it cannot be read");
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  return bytes;
}

}  // namespace

LayoutFileError FileError(std::string_view file, std::string_view why) {
  return LayoutFileError("Cannot use the layout file \"" + std::string(file) + "\": " + std::string(why) + ".");
}

std::string FormatLayout(const LayoutRecord& record) {
  const Snapshot& s = record.snapshot;
  ordered_json head = {
      {"format", kFormatName},
      {"version", s.positions_in_view ? kViewPositionsVersion : kFormatVersion},
      {"name", record.name},
      {"original", record.original},
      {"taken_at", s.taken_at},
      {"sequence", record.sequence},
      {"display",
       {{"work_area", RectJson(s.display.work_area)},
        {"screen_width", s.display.screen_width},
        {"screen_height", s.display.screen_height},
        {"dpi", s.display.dpi},
        {"monitors", s.display.monitors}}},
      {"view",
       {{"auto_arrange", s.view.auto_arrange},
        {"snap_to_grid", s.view.snap_to_grid},
        {"text_colour", s.view.text_colour},
        {"background_colour", s.view.background_colour}}},
  };
  if (!s.positions_in_view) {
    ordered_json monitors = ordered_json::array();
    for (const Monitor& m : s.display.monitor_list) {
      monitors.push_back(
          {{"area", RectJson(m.area)}, {"work_area", RectJson(m.work_area)}, {"dpi", m.dpi}, {"primary", m.primary}});
    }
    head["display"]["monitor_list"] = std::move(monitors);
  }
  if (record.automatic) head["automatic"] = true;
  // Indented, but one line per icon: readable, and a third of the size of every
  // member on its own line.
  std::string text = Dump(head, 1);
  text.resize(text.size() - 2);  // the closing "\n}"
  text += ",\n \"icons\": [";
  const char* separator = "\n  ";
  for (const IconPlace& icon : s.icons) {
    text += separator;
    ordered_json line = {{"label", icon.label}, {"occurrence", icon.occurrence}, {"x", icon.x}, {"y", icon.y}};
    if (!icon.parsing_name.empty()) line["parsing_name"] = icon.parsing_name;
    text += Dump(line);
    separator = ",\n  ";
  }
  text += s.icons.empty() ? "]\n}\n" : "\n ]\n}\n";
  return text;
}

LayoutRecord ParseLayout(std::string_view bytes, std::string_view file) {
  try {
    if (bytes.size() > kMaxFileBytes) {
      Refuse("it is larger than " + std::to_string(kMaxFileBytes >> 20) + " MB, far more than any desktop needs");
    }
    json doc;
    bool too_deep = false;
    // The keys of each open object, by the depth of its keys: the reader itself would
    // keep the last of two values of one key without a word.
    std::vector<std::set<std::string>> keys;
    std::string twice;
    // Deeper values are dropped as they are read, not built.
    const json::parser_callback_t check = [&](int depth, json::parse_event_t event, json& parsed) {
      const auto level = static_cast<std::size_t>(depth);
      if (event == json::parse_event_t::key) {
        if (keys.size() <= level) keys.resize(level + 1);
        if (!keys[level].insert(parsed.get<std::string>()).second && twice.empty()) twice = parsed.get<std::string>();
        return true;
      }
      if (event != json::parse_event_t::object_start && event != json::parse_event_t::array_start) return true;
      if (depth >= kMaxNesting) {
        too_deep = true;
        return false;
      }
      if (event == json::parse_event_t::object_start) {
        if (keys.size() <= level + 1) keys.resize(level + 2);
        keys[level + 1].clear();
      }
      return true;
    };
    try {
      doc = json::parse(bytes.begin(), bytes.end(), check);
    } catch (const json::parse_error& e) {
      if (bytes.find_first_not_of(" \t\r\n") == std::string_view::npos) Refuse("it is empty");
      if (e.byte > bytes.size()) Refuse("it ends too early (cut short?)");
      Refuse("it is not JSON (at byte " + std::to_string(e.byte) + ")");
    } catch (const json::out_of_range&) {
      Refuse("it holds a number too large for any layout");
    }
    if (too_deep) Refuse("it nests values more than " + std::to_string(kMaxNesting) + " levels deep");
    if (!twice.empty()) Refuse("it gives the key " + Shown(json(twice)) + " twice in one object");
    if (!doc.is_object()) Refuse("it is not a Vandrel layout");
    const auto format = doc.find("format");
    if (format == doc.end() || !format->is_string() || *format != kFormatName) {
      Refuse("it is not a Vandrel layout (no \"format\": \"" + std::string(kFormatName) + "\")");
    }
    const auto version = doc.find("version");
    const bool view_positions = version != doc.end() && *version == kViewPositionsVersion;
    if (version == doc.end() || !version->is_number_integer() || (*version != kFormatVersion && !view_positions)) {
      Refuse("it is of another version (" + (version == doc.end() ? std::string("none") : Shown(*version)) +
             "); this Vandrel reads versions " + std::to_string(kViewPositionsVersion) + " and " +
             std::to_string(kFormatVersion));
    }
    LayoutRecord record;
    record.name = Text(doc, "", "name");
    record.original = Boolean(doc, "", "original");
    record.automatic = doc.contains("automatic") && Boolean(doc, "", "automatic");
    record.snapshot.taken_at = Integer<std::int64_t>(doc, "", "taken_at");
    // Files saved before layouts were counted have none: older than any that has one.
    if (doc.contains("sequence")) record.sequence = Integer<std::uint64_t>(doc, "", "sequence");
    record.snapshot.display = ReadDisplay(doc, !view_positions);
    record.snapshot.positions_in_view = view_positions;
    record.snapshot.view = ReadView(doc);
    record.snapshot.icons = ReadIcons(doc, view_positions);
    return record;
  } catch (const Refusal& refusal) {
    throw FileError(file, refusal.what());
  } catch (const json::exception&) {
    // Every member is checked before it is used; this is a fault missed there, said in
    // words of our own rather than the reader's.
    throw FileError(file, "it holds a value Vandrel cannot read");
  }
}

LayoutRecord ReadLayoutFile(const fs::path& path) { return ReadLayoutFile(path, PathText(path)); }

LayoutRecord ReadLayoutFile(const fs::path& path, std::string_view shown_as) {
  return ParseLayout(ReadBytes(path, shown_as), shown_as);
}

void WriteLayoutFile(const fs::path& path, const LayoutRecord& record) {
  WriteFileAtomically(path, FormatLayout(record));
}

std::string PathText(const fs::path& path) {
  const std::u8string text = path.u8string();
  std::string shown(text.begin(), text.end());
  // The prefix that lets Windows take long paths means nothing to a reader.
  if (shown.rfind("\\\\?\\UNC\\", 0) == 0) return "\\\\" + shown.substr(8);
  if (shown.rfind("\\\\?\\", 0) == 0) return shown.substr(4);
  return shown;
}

}  // namespace vandrel::layouts
