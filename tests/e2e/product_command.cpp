#include "product_command.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "driver_error.h"

namespace vandrel::e2e {
namespace {

struct HandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using OwnedHandle = std::unique_ptr<void, HandleCloser>;

// The child writes to the inheritable end; only the test reads.
void MakePipe(OwnedHandle& read, OwnedHandle& write) {
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  HANDLE reading = nullptr, writing = nullptr;
  if (!CreatePipe(&reading, &writing, &inheritable, 0)) ThrowLastError("CreatePipe");
  read.reset(reading);
  write.reset(writing);
  SetHandleInformation(reading, HANDLE_FLAG_INHERIT, 0);
}

// Reads what is in the pipe now, without waiting for more: the pipe's end would only come
// once every process holding its writing end has ended or closed it.
void ReadAvailable(HANDLE pipe, std::string& into) {
  DWORD available = 0;
  while (PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
    char buffer[4096];
    DWORD got = 0;
    if (!ReadFile(pipe, buffer, std::min<DWORD>(available, sizeof buffer), &got, nullptr) || got == 0) return;
    into.append(buffer, got);
  }
}

}  // namespace

CommandResult RunProductCommand(const std::vector<std::wstring>& arguments, const Environment& environment,
                                const std::wstring& output_file, const std::wstring& program) {
  OwnedHandle out_read, out_write, err_read, err_write;
  if (output_file.empty()) {
    MakePipe(out_read, out_write);
  } else {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    const HANDLE file = CreateFileW(output_file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) ThrowLastError("CreateFileW " + Narrow(output_file));
    out_write.reset(file);
  }
  MakePipe(err_read, err_write);

  ChildProcess child(ProgramFolder() + L"\\" + program, arguments,
                     ChildOptions{environment, out_write.get(), err_write.get()});
  // Ours closed, the child holds the only writing ends.
  out_write.reset();
  err_write.reset();

  CommandResult result;
  const bool ended = WaitUntil(
      [&] {
        const bool exited = child.WaitForExit(Millis{0});
        // Once it has ended, all it wrote is in the pipes: this read takes the rest.
        if (out_read) ReadAvailable(out_read.get(), result.out);
        ReadAvailable(err_read.get(), result.err);
        return exited;
      },
      kActionTimeout, Millis{5});
  if (!ended) {
    throw DriverError(Narrow(program) + " did not end within " + std::to_string(kActionTimeout.count()) + " ms");
  }
  result.exit_code = child.exit_code();
  if (!output_file.empty()) result.out = FileText(output_file);
  return result;
}

std::string FileText(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Chomped(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

}  // namespace vandrel::e2e
