#include "standin_options.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <string_view>

namespace standin {
namespace {

std::string Utf8(std::wstring_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
  if (bytes > 0) WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), bytes, nullptr, nullptr);
  return out;
}

// Plain decimal digits only: no sign, no spaces, nothing after.
std::optional<std::uint32_t> ParseNumber(std::wstring_view text, std::uint32_t min, std::uint32_t max) {
  if (text.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - L'0');
    if (value > max) return std::nullopt;
  }
  if (value < min) return std::nullopt;
  return static_cast<std::uint32_t>(value);
}

std::optional<std::string> ReadFileBytes(const std::wstring& path) {
  FILE* file = _wfopen(path.c_str(), L"rb");
  if (file == nullptr) return std::nullopt;
  std::string bytes;
  char chunk[65536];
  std::size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, got);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) return std::nullopt;
  return bytes;
}

ParseResult Fail(std::string message) { return {std::nullopt, std::move(message)}; }

}  // namespace

std::vector<std::string> SplitLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    const std::size_t next = end == std::string::npos ? bytes.size() : end + 1;
    if (end == std::string::npos) end = bytes.size();
    if (end > start && bytes[end - 1] == '\r') --end;
    lines.push_back(bytes.substr(start, end - start));
    start = next;
  }
  return lines;
}

std::string LongLabel() {
  std::string label;
  while (label.size() < kLongLabelBytes) label += "0123456789";
  label.resize(kLongLabelBytes);
  return label;
}

std::string Usage() {
  return "usage: standin_desktop [--icons N] [--labels FILE] [--long-label I]\n"
         "                       [--layout progman|win10|24h2|none] [--cheap-paint]\n"
         "                       [--ready-event NAME] [--timeout S]\n"
         "                       [--hang-after N | --hang-on-style N [--hang-ms M]]\n"
         "                       [--exit-after N]\n"
         "Plays the Windows shell's desktop icon view under Wine. Prints \"ready\" once the\n"
         "view is filled and shown; ends on WM_CLOSE to its \"Progman\" window (for --layout\n"
         "none, its \"VandrelStandinControl\" window), or after S seconds (default 900).\n"
         "--hang-after N: after N placements the view's thread stops answering for M ms\n"
         "(default 8000), once, then carries out the held placement and goes on.\n"
         "--hang-on-style N: the same hang, on the style write after N writes of the view's style.\n"
         "--exit-after N: the placement after N ends the process at once, exit code 4.\n";
}

ParseResult ParseOptions(const std::vector<std::wstring>& args) {
  Options options;
  std::optional<std::uint32_t> icons;
  std::optional<std::uint32_t> long_label;
  std::optional<std::wstring> labels_file;
  bool hang_ms_given = false;

  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::wstring& name = args[i];
    if (name == L"--cheap-paint") {
      options.cheap_paint = true;
      continue;
    }
    if (name == L"--help" || name == L"-h") {
      options.help = true;
      continue;
    }
    const bool takes_value = name == L"--icons" || name == L"--labels" || name == L"--long-label" ||
                             name == L"--layout" || name == L"--ready-event" || name == L"--timeout" ||
                             name == L"--hang-after" || name == L"--hang-ms" || name == L"--exit-after" ||
                             name == L"--hang-on-style";
    if (!takes_value) return Fail("unknown option '" + Utf8(name) + "'");
    if (i + 1 >= args.size()) return Fail(Utf8(name) + " needs a value");
    const std::wstring& value = args[++i];

    if (name == L"--icons") {
      icons = ParseNumber(value, 0, kMaxIcons);
      if (!icons) return Fail("--icons takes a whole number from 0 to " + std::to_string(kMaxIcons));
    } else if (name == L"--long-label") {
      long_label = ParseNumber(value, 0, kMaxIcons - 1);
      if (!long_label) return Fail("--long-label takes an icon index");
    } else if (name == L"--labels") {
      labels_file = value;
    } else if (name == L"--layout") {
      if (value == L"progman") {
        options.layout = Layout::Progman;
      } else if (value == L"win10") {
        options.layout = Layout::Win10;
      } else if (value == L"24h2") {
        options.layout = Layout::Win24H2;
      } else if (value == L"none") {
        options.layout = Layout::None;
      } else {
        return Fail("--layout takes progman, win10, 24h2 or none, not '" + Utf8(value) + "'");
      }
    } else if (name == L"--hang-after" || name == L"--exit-after" || name == L"--hang-on-style") {
      const auto count = ParseNumber(value, 0, 0x7FFFFFFF);
      if (!count) {
        return Fail(Utf8(name) + " takes a number of " + (name == L"--hang-on-style" ? "style writes" : "placements") +
                    " from 0 to 2147483647");
      }
      (name == L"--hang-after" ? options.hang_after : name == L"--exit-after" ? options.exit_after
                                                                              : options.hang_on_style) = count;
    } else if (name == L"--hang-ms") {
      const auto ms = ParseNumber(value, 1, kMaxHangMs);
      if (!ms) return Fail("--hang-ms takes a whole number of milliseconds from 1 to " + std::to_string(kMaxHangMs));
      options.hang_ms = *ms;
      hang_ms_given = true;
    } else if (name == L"--ready-event") {
      if (value.empty()) return Fail("--ready-event needs a name");
      options.ready_event = value;
    } else {
      // SetTimer takes milliseconds up to 0x7FFFFFFF.
      const auto seconds = ParseNumber(value, 1, 0x7FFFFFFF / 1000);
      if (!seconds) return Fail("--timeout takes a whole number of seconds from 1 to 2147483");
      options.timeout_seconds = *seconds;
    }
  }
  if (options.help) return {std::move(options), {}};
  if (options.hang_after && options.hang_on_style) return Fail("--hang-after and --hang-on-style exclude each other");
  if (hang_ms_given && !options.hang_after && !options.hang_on_style) {
    return Fail("--hang-ms needs --hang-after or --hang-on-style");
  }

  std::vector<std::string> file_labels;
  if (labels_file) {
    const auto bytes = ReadFileBytes(*labels_file);
    if (!bytes) return Fail("cannot read label file '" + Utf8(*labels_file) + "'");
    file_labels = SplitLines(*bytes);
    if (!icons && file_labels.size() > kMaxIcons) {
      return Fail("label file has more than " + std::to_string(kMaxIcons) + " lines");
    }
  }
  const std::size_t count = icons ? *icons : labels_file ? file_labels.size() : 15;
  options.labels.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    // Icons past the end of the label file keep the default label.
    options.labels.push_back(i < file_labels.size() ? std::move(file_labels[i]) : "Icon " + std::to_string(i));
  }
  if (long_label) {
    if (*long_label >= count) {
      return Fail("--long-label " + std::to_string(*long_label) + ": there are only " + std::to_string(count) +
                  " icons");
    }
    options.labels[*long_label] = LongLabel();
  }
  return {std::move(options), {}};
}

}  // namespace standin
