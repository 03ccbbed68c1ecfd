// A folder of its own for one test, removed with everything in it afterwards.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>

#include "layouts/atomic_file.h"

namespace vandrel::testing {

struct TempFolder {
  TempFolder()
      : path(std::filesystem::temp_directory_path() / ("vandrel-test-" + std::to_string(layouts::CurrentProcessId()) +
                                                       "-" + std::to_string(layouts::NextSerial()))) {
    std::filesystem::remove_all(path);  // left by an earlier run that crashed, under the same process id
    std::filesystem::create_directories(path);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  std::filesystem::path path;
};

}  // namespace vandrel::testing
