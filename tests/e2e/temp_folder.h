// A folder of the test's own under the Windows temp folder, gone with everything in it
// when the object goes: a fresh data folder for each test, a place for label files.
#pragma once

#include <filesystem>

#include "child_process.h"

namespace vandrel::e2e {

class TempFolder {
 public:
  // Throws DriverError when it cannot be made.
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// What points the product at `folder` for its layouts and settings.
Environment DataFolderEnvironment(const TempFolder& folder);

}  // namespace vandrel::e2e
