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
// Outlasts the product's 3 s limit on a list-view message by a wide margin.
inline constexpr std::uint32_t kDefaultHangMs = 8000;
inline constexpr std::uint32_t kMaxHangMs = 600000;

struct Options {
  std::vector<std::string> labels;  // one per icon, ANSI bytes, no terminator inside
  Layout layout = Layout::Progman;
  bool cheap_paint = false;
  std::wstring ready_event;  // empty: none
  std::uint32_t timeout_seconds = 900;
  // Faults of a shell, counted in placements (LVM_SETITEMPOSITION and its 32-bit
  // form) carried out: the one after hang_after placements holds the view's thread
  // for hang_ms, once; the one after exit_after placements ends the process on the spot.
  std::optional<std::uint32_t> hang_after;
  // The same hang on a style write instead: the one after hang_on_style writes of the
  // view's style word (WM_STYLECHANGING for GWL_STYLE, from anyone) holds the thread.
  std::optional<std::uint32_t> hang_on_style;
  std::uint32_t hang_ms = kDefaultHangMs;
  std::optional<std::uint32_t> exit_after;
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
