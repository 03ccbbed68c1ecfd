#include "child_process.h"

#include <algorithm>

#include "driver_error.h"

namespace vandrel::e2e {
namespace {

// The test's environment with `changes` applied, as the block CreateProcessW takes with
// CREATE_UNICODE_ENVIRONMENT: "name=value" strings, each ended by a zero, one more at the end.
std::wstring EnvironmentBlock(const Environment& changes) {
  std::vector<std::wstring> entries;
  if (wchar_t* block = GetEnvironmentStringsW()) {
    for (const wchar_t* entry = block; *entry != L'\0'; entry += wcslen(entry) + 1) entries.emplace_back(entry);
    FreeEnvironmentStringsW(block);
  }
  for (const auto& [name, value] : changes) {
    // Names are matched without regard to case; "=C:" style entries keep their leading '='.
    std::erase_if(entries, [&](const std::wstring& entry) {
      return _wcsicmp(entry.substr(0, entry.find(L'=', 1)).c_str(), name.c_str()) == 0;
    });
    entries.push_back(name + L"=" + value);
  }
  std::sort(entries.begin(), entries.end(),
            [](const std::wstring& a, const std::wstring& b) { return _wcsicmp(a.c_str(), b.c_str()) < 0; });
  std::wstring out;
  for (const auto& entry : entries) out.append(entry).push_back(L'\0');
  out.push_back(L'\0');
  return out;
}

}  // namespace

std::wstring ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) ThrowLastError("GetModuleFileNameW");
    // A full buffer may hold a cut path: grow and ask again.
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  const auto slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash);
}

std::wstring QuoteArgument(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) return argument;
  // Backslashes are literal except in front of a quote, where they pair up.
  std::wstring out = L"\"";
  std::size_t backslashes = 0;
  for (const wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    if (c == L'"') backslashes = backslashes * 2 + 1;
    out.append(backslashes, L'\\');
    backslashes = 0;
    out.push_back(c);
  }
  out.append(backslashes * 2, L'\\');
  out.push_back(L'"');
  return out;
}

ChildProcess::ChildProcess(const std::wstring& program, const std::vector<std::wstring>& arguments,
                           const ChildOptions& options) {
  std::wstring command_line = QuoteArgument(program);
  for (const auto& argument : arguments) command_line += L" " + QuoteArgument(argument);
  // Unless given handles, the child's standard output goes nowhere (the stand-in's
  // "ready" line would only clutter the test log); its errors come out with ours.
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  const HANDLE nowhere =
      CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable, OPEN_EXISTING, 0, nullptr);
  HANDLE errors = nullptr;
  DuplicateHandle(GetCurrentProcess(), GetStdHandle(STD_ERROR_HANDLE), GetCurrentProcess(), &errors, 0, TRUE,
                  DUPLICATE_SAME_ACCESS);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  const HANDLE output = options.output != nullptr ? options.output : nowhere;
  startup.hStdOutput = output != INVALID_HANDLE_VALUE ? output : nullptr;
  startup.hStdError = options.errors != nullptr ? options.errors : errors;
  std::wstring environment;
  if (!options.environment.empty()) environment = EnvironmentBlock(options.environment);
  PROCESS_INFORMATION info{};
  const BOOL started =
      CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, TRUE, CREATE_UNICODE_ENVIRONMENT,
                     environment.empty() ? nullptr : environment.data(), nullptr, &startup, &info);
  const DWORD error = GetLastError();
  if (nowhere != INVALID_HANDLE_VALUE) CloseHandle(nowhere);
  if (errors != nullptr) CloseHandle(errors);
  if (!started) {
    SetLastError(error);
    ThrowLastError("cannot start " + Narrow(program));
  }
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  id_ = info.dwProcessId;
}

ChildProcess::~ChildProcess() {
  Terminate();
  CloseHandle(process_);
}

bool ChildProcess::running() const { return WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

bool ChildProcess::WaitForExit(Millis timeout) const {
  return WaitForSingleObject(process_, static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

DWORD ChildProcess::exit_code() const {
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(process_, &code);
  return code;
}

bool ChildProcess::Close(HWND window, Millis timeout) {
  if (!running()) return true;
  if (window != nullptr) PostMessageW(window, WM_CLOSE, 0, 0);
  if (window != nullptr && WaitForExit(timeout)) return true;
  Terminate();
  return false;
}

void ChildProcess::Terminate() {
  if (!running()) return;
  TerminateProcess(process_, 1);
  WaitForExit(Millis{5000});
}

}  // namespace vandrel::e2e
