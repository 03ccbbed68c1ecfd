// The folder that holds Vandrel's layouts and undo history.
#pragma once

#include <filesystem>

namespace vandrel {

// VANDREL_DATA_DIR when it is set and not empty, else %LOCALAPPDATA%\Vandrel. Throws
// std::runtime_error when neither can be found.
std::filesystem::path DataFolder();

}  // namespace vandrel
