// The driver's own parts that the scenarios lean on and cannot check themselves:
// argument quoting, the message box read and closed as the product's would be, and a
// program run to its end with an environment, its output and its exit status.
#include <gtest/gtest.h>

#include <windows.h>

#include <shellapi.h>

#include <thread>

#include "child_process.h"
#include "driver_error.h"
#include "message_box.h"
#include "product_command.h"
#include "temp_folder.h"

namespace vandrel::e2e {
namespace {

TEST(Driver, QuotedArgumentsReadBackUnchanged) {
  const std::wstring cases[] = {L"plain", L"", L"two words", L"Z:\\tmp\\labels file.txt", L"say \"hi\"",
                                L"ends in backslash\\", L"C:\\dir with space\\", L"a\\\\\"b", L"tab\there"};
  for (const auto& argument : cases) {
    const std::wstring line = L"prog.exe " + QuoteArgument(argument);
    int count = 0;
    LPWSTR* read = CommandLineToArgvW(line.c_str(), &count);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(count, 2) << Narrow(line);
    if (count == 2) {
      EXPECT_EQ(std::wstring(read[1]), argument) << Narrow(line);
    }
    LocalFree(read);
  }
}

TEST(Driver, ReadsAMessageBoxAndPressesOk) {
  int answer = 0;
  // The box of another thread of this process stands in for the product's: the same
  // window class, caption and controls.
  std::thread shows([&] { answer = MessageBoxW(nullptr, L"Radius is too small.", kMessageBoxTitle, MB_OK); });
  const HWND box = WaitForMessageBox(GetCurrentProcessId());
  if (box == nullptr) shows.detach();  // no box to close: the thread cannot be joined
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(MessageBoxText(box), L"Radius is too small.");
  EXPECT_TRUE(PressOk(box));
  shows.join();
  EXPECT_EQ(answer, IDOK);
  EXPECT_EQ(FindMessageBox(GetCurrentProcessId()), nullptr);
}

TEST(Driver, RunsAProgramToItsEndWithItsEnvironmentOutputAndStatus) {
  wchar_t system[MAX_PATH] = {};
  ASSERT_NE(GetSystemDirectoryW(system, MAX_PATH), 0u);
  const TempFolder folder;
  for (const std::wstring& output_file : {std::wstring(), (folder.path() / L"out.txt").wstring()}) {
    SCOPED_TRACE(output_file.empty() ? "through a pipe" : "into a file");
    const CommandResult echo = RunToEnd(std::wstring(system) + L"\\cmd.exe", {L"/c", L"echo %VANDREL_E2E_PROBE%"},
                                        {{L"VANDREL_E2E_PROBE", L"Z:\\tmp\\a b"}}, output_file);
    EXPECT_EQ(echo.exit_code, 0u) << echo;
    EXPECT_EQ(Chomped(echo.out), "Z:\\tmp\\a b") << echo;
  }
  const CommandResult refused = RunToEnd(ProgramFolder() + L"\\standin_desktop.exe", {L"--icons", L"many"}, {});
  EXPECT_EQ(refused.exit_code, 2u) << refused;
  EXPECT_EQ(refused.err.rfind("standin_desktop: ", 0), 0u) << refused;
}

}  // namespace
}  // namespace vandrel::e2e
