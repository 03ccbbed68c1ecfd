// vandrel.com: what cmd.exe runs for `vandrel ...`, since it tries .com before .exe.
// vandrel.exe is a windowed program, which cmd.exe starts and does not wait for: the
// prompt would come back before the job's output, and %ERRORLEVEL% would not tell how it
// went. This console program starts vandrel.exe beside it with the same arguments and
// its own standard handles, waits for the job and ends with its exit status.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string>

#include "app/program_name.h"
#include "win32/handles.h"

namespace {

// This program's own path with ".exe" for its extension; empty when it cannot be had.
std::wstring WindowedProgram() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  const std::size_t dot = path.find_last_of(L'.');
  const std::size_t separator = path.find_last_of(L"\\/");
  if (dot == std::wstring::npos || (separator != std::wstring::npos && dot < separator)) return path + L".exe";
  return path.replace(dot, std::wstring::npos, L".exe");
}

void SayCannotStart(DWORD code) {
  const std::string text =
      "vandrel: cannot start vandrel.exe beside vandrel.com (system error " + std::to_string(code) + ")\r\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

// A job whose processes end when its last handle, this program's, is closed.
vandrel::win32::Handle JobThatEndsWithUs() {
  vandrel::win32::Handle job(CreateJobObjectW(nullptr, nullptr));
  if (!job) return job;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (!SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits)) job.reset();
  return job;
}

}  // namespace

int wmain() {
  // As vandrel.exe does: no DLL from beside the program, wherever it was unpacked.
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  const std::wstring arguments(vandrel::cli::ArgumentsAfterProgramName(GetCommandLineW()));
  const std::wstring program = WindowedProgram();
  std::wstring line = L"\"" + program + L"\"";
  if (!arguments.empty()) line.append(L" ").append(arguments);

  // Without arguments it is the window the user asked for: started, not waited for.
  const bool job = !arguments.empty();
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (job) {
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    for (HANDLE handle : {startup.hStdInput, startup.hStdOutput, startup.hStdError}) {
      // Handles this program was given are passed on only if they may be inherited.
      if (handle != nullptr && handle != INVALID_HANDLE_VALUE) {
        SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
      }
    }
    // A job cut off halfway (a restore with half the icons placed) helps no one, and the
    // job is short: Ctrl+C waits for its end.
    SetConsoleCtrlHandler(nullptr, TRUE);
  }
  // Ctrl+Break, or the console closed, still ends this program: the job ends with it,
  // rather than writing on behind a prompt that has come back. The job object is
  // closed only by this program's end, and takes the child along then.
  // The watcher is no job: it stays for the session.
  const bool resident = arguments == L"watch";
  const vandrel::win32::Handle child_job = job && !resident ? JobThatEndsWithUs() : vandrel::win32::Handle();
  PROCESS_INFORMATION started{};
  if (program.empty() ||
      !CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, job ? TRUE : FALSE,
                      child_job ? CREATE_SUSPENDED : 0, nullptr, nullptr, &startup, &started)) {
    SayCannotStart(GetLastError());
    return 1;
  }
  vandrel::win32::OwnedProcess child(started);
  if (child_job) {
    // Not in the job (a job of our own forbids it on old Windows): it runs all the same.
    AssignProcessToJobObject(child_job.get(), child.process.get());
    ResumeThread(child.thread.get());
  }
  child.thread.reset();
  DWORD status = 0;
  if (resident) {
    // The prompt comes back once the watcher's window stands.
    // A second one ends at once, saying that one runs.
    while (WaitForSingleObject(child.process.get(), 100) == WAIT_TIMEOUT) {
      DWORD owner = 0;
      GetWindowThreadProcessId(FindWindowW(L"VandrelWatcher", nullptr), &owner);
      if (owner == child.id) return 0;
    }
  }
  if (job) {
    WaitForSingleObject(child.process.get(), INFINITE);
    if (!GetExitCodeProcess(child.process.get(), &status)) status = 1;
  }
  return static_cast<int>(status);
}
