#include "temp_folder.h"

#include <windows.h>

#include <atomic>
#include <string>
#include <system_error>

#include "driver_error.h"

namespace vandrel::e2e {

TempFolder::TempFolder() {
  static std::atomic<int> counter{0};
  std::error_code error;
  const std::filesystem::path base = std::filesystem::temp_directory_path(error);
  if (error) throw DriverError("no temp folder: " + error.message());
  // The process id keeps apart runs in the same prefix, should one be left behind.
  path_ = base / (L"vandrel-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter));
  std::filesystem::remove_all(path_, error);
  if (!std::filesystem::create_directories(path_, error)) {
    throw DriverError("cannot make " + path_.string() + ": " + error.message());
  }
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

Environment DataFolderEnvironment(const TempFolder& folder) {
  return {{L"VANDREL_DATA_DIR", folder.path().wstring()}};
}

}  // namespace vandrel::e2e
