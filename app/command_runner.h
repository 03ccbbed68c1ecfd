// `vandrel ARGS...`: the job the arguments name, done without a window.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vandrel::cli {

// `arguments` are UTF-8, without the program's name. Answers the exit status: 0 done,
// 1 failed (the reason on one line of stderr), 2 bad usage.
int RunCommandLine(const std::vector<std::string>& arguments, std::string_view version);

// The arguments this process was started with, UTF-8, without the program's name.
std::vector<std::string> ProcessArguments();

}  // namespace vandrel::cli
