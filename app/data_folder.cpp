#include "app/data_folder.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <shlobj.h>

#include <optional>
#include <stdexcept>
#include <string>

#include "win32/entry.h"

namespace vandrel {
namespace {

std::optional<std::wstring> Variable(const wchar_t* name) {
  std::wstring value(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
    if (length == 0) return std::nullopt;  // unset, or set to nothing
    if (length < value.size()) {
      value.resize(length);
      return value;
    }
    // Too small: `length` counts the terminator this time.
    value.resize(length);
  }
}

std::optional<std::wstring> LocalAppData() {
  // The variable first: Windows sets it from the known folder at logon. Then the shell,
  // through the call that needs no COM allocator: ole32 loaded at every start costs
  // more under Wine than the whole lookup.
  if (std::optional<std::wstring> folder = Variable(L"LOCALAPPDATA")) return folder;
  wchar_t path[MAX_PATH] = {};
  const auto get_folder_path = win32::Entry<decltype(&SHGetFolderPathW)>(L"shell32.dll", "SHGetFolderPathW");
  if (get_folder_path != nullptr &&
      SUCCEEDED(get_folder_path(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path)) && path[0] != 0) {
    return std::wstring(path);
  }
  return std::nullopt;
}

// The folder as a full path with the \\?\ prefix: Windows then takes paths past MAX_PATH
// (a long folder, and a claimed entry's name inside it) whatever the system's long-path
// setting. The folder as given when it has no full path.
std::filesystem::path LongPathForm(const std::wstring& folder) {
  if (folder.rfind(L"\\\\?\\", 0) == 0) return folder;
  std::wstring full(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetFullPathNameW(folder.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0) return folder;
    if (length < full.size()) {
      full.resize(length);
      break;
    }
    full.resize(length);
  }
  if (full.rfind(L"\\\\.\\", 0) == 0 || full.rfind(L"\\\\?\\", 0) == 0) return full;  // a device path
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

}  // namespace

std::filesystem::path DataFolder() {
  if (std::optional<std::wstring> folder = Variable(L"VANDREL_DATA_DIR")) return LongPathForm(*folder);
  if (std::optional<std::wstring> folder = LocalAppData()) return LongPathForm(*folder + L"\\Vandrel");
  throw std::runtime_error("No folder for Vandrel's layouts: neither LOCALAPPDATA nor VANDREL_DATA_DIR is set");
}

}  // namespace vandrel
