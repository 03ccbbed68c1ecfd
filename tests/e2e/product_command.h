// vandrel.exe run as a command (`vandrel layout save NAME`, `vandrel undo`, ...): no
// window, its standard output and errors captured, its exit status read.
#pragma once

#include <windows.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "child_process.h"
#include "wait.h"

namespace vandrel::e2e {

struct CommandResult {
  DWORD exit_code = STILL_ACTIVE;
  std::string out;  // the bytes written, line ends as they came
  std::string err;
  friend std::ostream& operator<<(std::ostream& out, const CommandResult& result) {
    return out << "exit " << result.exit_code << ", stdout \"" << result.out << "\", stderr \"" << result.err << "\"";
  }
};

// vandrel.exe from beside the test program, or `program` such as the console launcher
// vandrel.com, run with `arguments` and `environment` to its end. Standard output goes
// through a pipe or, given `output_file`, into that file as a shell's `>` would send it;
// errors through a pipe. Throws DriverError when it does not end within kActionTimeout.
CommandResult RunProductCommand(const std::vector<std::wstring>& arguments, const Environment& environment,
                                const std::wstring& output_file = {}, const std::wstring& program = L"vandrel.exe");

// The bytes of `file` as they are; empty when it cannot be read.
std::string FileText(const std::filesystem::path& file);

// `text` less the line ends at its end.
std::string Chomped(std::string text);

}  // namespace vandrel::e2e
