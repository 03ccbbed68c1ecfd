// The driver's own parts that the scenarios lean on and cannot check themselves:
// argument quoting, and the message box read and closed as the product's would be.
#include <gtest/gtest.h>

#include <windows.h>

#include <shellapi.h>

#include <thread>

#include "child_process.h"
#include "driver_error.h"
#include "message_box.h"

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

}  // namespace
}  // namespace vandrel::e2e
