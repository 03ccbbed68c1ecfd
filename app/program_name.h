// Where a Windows command line's arguments begin. The program's own name, first on the
// line, is split by a simpler rule than the arguments: quotes only switch blanks on and
// off, with no backslash escapes, so `C:\"Program Files"\Vandrel\vandrel list` names
// the program up to "vandrel". CommandLineToArgvW takes the name to the first blank
// unless it starts with a quote, and would split that path in two.
#pragma once

#include <cstddef>
#include <string_view>

namespace vandrel::cli {

// The line after the program's name and the blanks that follow it; empty when there
// are no arguments.
inline std::wstring_view ArgumentsAfterProgramName(std::wstring_view line) {
  std::size_t at = 0;
  for (bool quoted = false; at < line.size(); ++at) {
    if (line[at] == L'"') {
      quoted = !quoted;
    } else if (!quoted && (line[at] == L' ' || line[at] == L'\t')) {
      break;
    }
  }
  while (at < line.size() && (line[at] == L' ' || line[at] == L'\t')) ++at;
  return line.substr(at);
}

}  // namespace vandrel::cli
