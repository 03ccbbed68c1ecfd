// The stand-in desktop's command line: what to build (which shell window tree, how
// many icons with which labels) and how to report and end.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace standin {

// The window trees the shell has been seen to keep its icon view in.
enum class Layout {
  Progman,  // "Progman" > "SHELLDLL_DefView" > "SysListView32"
  Win10,    // empty "Progman"; empty top-level "WorkerW"; "WorkerW" > "SHELLDLL_DefView" > "SysListView32"
  Win24H2,  // "Progman" > { empty "WorkerW" (first child), "SHELLDLL_DefView" > "SysListView32" }
  None,     // no shell window at all
};

inline constexpr int kMaxIcons = 100000;
inline constexpr std::size_t kLongLabelBytes = 130;

struct Options {
  std::vector<std::string> labels;  // one per icon, ANSI bytes, no terminator inside
  Layout layout = Layout::Progman;
  bool cheap_paint = false;
  std::wstring ready_event;  // empty: none
  std::uint32_t timeout_seconds = 900;
  bool help = false;
};

struct ParseResult {
  std::optional<Options> options;
  std::string error;  // set when options is empty
};

// args excludes the program name.
ParseResult ParseOptions(const std::vector<std::wstring>& args);

// Splits a label file's bytes into lines: "\n" ends a line, a "\r" before it is
// dropped, and a last line without "\n" still counts. No bytes: no lines.
std::vector<std::string> SplitLines(const std::string& bytes);

// The label --long-label gives: "0123456789" over and over, kLongLabelBytes long.
std::string LongLabel();

std::string Usage();

}  // namespace standin
