// Two thousand label reads through the test window's "名称" button, each box read and
// closed as a user would: every read opens the shell's process and allocates a block in
// it, and must hand both back. A leak of one handle or one block a read would show as
// hundreds between read 200 and read 2,000; the first test shows that the measures see
// a leak of that kind at all.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_scenario.h"
#include "buttons.h"
#include "driver_error.h"
#include "message_box.h"
#include "process_usage.h"

namespace vandrel::e2e {
namespace {

// Room for what a process does on its own between two readings (a heap growing a
// page, a handle Wine opens lazily), far below one a read over 1,800 reads.
constexpr long long kHandleSlack = 8;
constexpr long long kAllocationSlack = 8;
constexpr long long kCommittedSlack = 128 * 1024;
constexpr int kIcons = 15;

long long Grown(SIZE_T before, SIZE_T after) { return static_cast<long long>(after) - static_cast<long long>(before); }

// One read as a user makes it: click, read the box, press OK. Posted and polled every
// millisecond, where bench().Click starts a thread and polls every 10 ms: 2,000 reads
// would otherwise spend most of their time asleep. The next Type waits for the click's
// handler to return, and a second box from one click would be read as the next label.
std::wstring ReadLabel(HWND button, DWORD process_id) {
  if (!PostClick(button)) ThrowLastError("PostMessage BM_CLICK");
  HWND box = nullptr;
  if (!WaitUntil([&] { return (box = FindMessageBox(process_id)) != nullptr; }, kActionTimeout, Millis{1})) {
    throw DriverError("no message box after a click on \"名称\"");
  }
  std::wstring text = MessageBoxText(box);
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
  if (!WaitUntil([&] { return !IsWindow(box); }, kActionTimeout, Millis{1})) {
    throw DriverError("the box \"" + Narrow(text) + "\" did not close on OK");
  }
  return text;
}

class LabelReads : public BenchScenario {
 protected:
  static void SetUpTestSuite() { BeginWithBench({kIcons}); }
  static void TearDownTestSuite() { EndWithBench(); }

  static ProcessUsage ProductUsage() { return MeasureUsage(product().process().handle()); }
  static ProcessUsage ShellUsage() { return MeasureUsage(desktop().process().handle()); }
};

TEST_F(LabelReads, TheMeasuresSeeHandlesAndBlocksLeftBehind) {
  ASSERT_TRUE(ready()) << error();
  // 64 of each, as a leak of one a read would leave after 64 reads.
  constexpr int kPlanted = 64;
  const HANDLE product_process = product().process().handle();
  const HANDLE shell_process = desktop().process().handle();
  const ProcessUsage product_before = ProductUsage();
  const ProcessUsage shell_before = ShellUsage();

  std::vector<HANDLE> handles;  // valid in the product's process, not in ours
  std::vector<void*> blocks;
  for (int i = 0; i < kPlanted; ++i) {
    HANDLE copy = nullptr;
    if (DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), product_process, &copy, 0, FALSE,
                        DUPLICATE_SAME_ACCESS)) {
      handles.push_back(copy);
    }
    // The size of the product's label request, written to as the product writes it.
    void* block = VirtualAllocEx(shell_process, nullptr, 188, MEM_COMMIT, PAGE_READWRITE);
    if (block != nullptr) {
      blocks.push_back(block);
      const char record[88] = {1};
      WriteProcessMemory(shell_process, block, record, sizeof record, nullptr);
    }
  }
  const ProcessUsage product_planted = ProductUsage();
  const ProcessUsage shell_planted = ShellUsage();
  for (const HANDLE copy : handles) {
    // Wine refuses DUPLICATE_CLOSE_SOURCE without a target process: the handle comes
    // here, closed over there, and is closed here in turn.
    HANDLE back = nullptr;
    if (DuplicateHandle(product_process, copy, GetCurrentProcess(), &back, 0, FALSE,
                        DUPLICATE_CLOSE_SOURCE | DUPLICATE_SAME_ACCESS)) {
      CloseHandle(back);
    }
  }
  for (void* block : blocks) VirtualFreeEx(shell_process, block, 0, MEM_RELEASE);
  const ProcessUsage product_after = ProductUsage();
  const ProcessUsage shell_after = ShellUsage();
  ASSERT_EQ(handles.size(), std::size_t{kPlanted});
  ASSERT_EQ(blocks.size(), std::size_t{kPlanted});

  std::printf("product before: %s\n        planted: %s\n", ::testing::PrintToString(product_before).c_str(),
              ::testing::PrintToString(product_planted).c_str());
  std::printf("shell before: %s\n      planted: %s\n", ::testing::PrintToString(shell_before).c_str(),
              ::testing::PrintToString(shell_planted).c_str());
  EXPECT_GE(Grown(product_before.handles_in_table, product_planted.handles_in_table), kPlanted);
  EXPECT_GE(Grown(shell_before.private_allocations, shell_planted.private_allocations), kPlanted);
  EXPECT_GE(Grown(shell_before.committed_private, shell_planted.committed_private), kPlanted * 4096LL);
  EXPECT_GE(Grown(shell_before.pagefile_usage, shell_planted.pagefile_usage), kPlanted * 4096LL);
  static_assert(kPlanted > kHandleSlack && kPlanted > kAllocationSlack && kPlanted * 4096LL > kCommittedSlack);
  // And all of it goes again when handed back.
  EXPECT_LE(Grown(product_before.handles_in_table, product_after.handles_in_table), kHandleSlack);
  EXPECT_LE(Grown(shell_before.private_allocations, shell_after.private_allocations), kAllocationSlack);
  EXPECT_LE(Grown(shell_before.committed_private, shell_after.committed_private), kCommittedSlack);
  EXPECT_LE(Grown(shell_before.pagefile_usage, shell_after.pagefile_usage), kCommittedSlack);
}

TEST_F(LabelReads, TwoThousandReadsLeaveNoHandleInTheProductAndNoBlockInTheShell) {
  ASSERT_TRUE(ready()) << error();
  constexpr int kReads = 2000;
  constexpr int kFirstReading = 200;
  constexpr int kEvery = 200;
  const HWND button = bench().Button(L"名称");
  const DWORD product_id = product().process().id();
  std::vector<std::pair<ProcessUsage, ProcessUsage>> readings;  // product, shell; at read 200, 400, ...
  int wrong = 0;
  std::string first_wrong;
  const auto start = std::chrono::steady_clock::now();
  for (int read = 1; read <= kReads; ++read) {
    const int index = read % kIcons;
    bench().Type(kEdit1Id, std::to_wstring(index));
    const std::wstring shown = ReadLabel(button, product_id);
    if (shown != L"Icon " + std::to_wstring(index) && wrong++ == 0) {
      first_wrong =
          "read " + std::to_string(read) + " of icon " + std::to_string(index) + " showed \"" + Narrow(shown) + "\"";
    }
    if (read >= kFirstReading && read % kEvery == 0) readings.emplace_back(ProductUsage(), ShellUsage());
  }
  const auto took = std::chrono::duration_cast<Millis>(std::chrono::steady_clock::now() - start).count();
  std::printf("%d reads in %lld ms, measures included\n", kReads, static_cast<long long>(took));
  for (std::size_t i = 0; i < readings.size(); ++i) {
    const auto& [in_product, in_shell] = readings[i];
    std::printf(
        "read %4zu: product %zu handles; shell %zu private allocations, %zu committed bytes, PagefileUsage %zu\n",
        kFirstReading + i * kEvery, in_product.handles_in_table, in_shell.private_allocations,
        static_cast<std::size_t>(in_shell.committed_private), static_cast<std::size_t>(in_shell.pagefile_usage));
  }
  EXPECT_EQ(wrong, 0) << first_wrong;
  EXPECT_TRUE(Answers(bench().window()));
  EXPECT_EQ(FindMessageBox(product_id), nullptr) << "a click showed more than one box";
  ASSERT_EQ(readings.size(), std::size_t{(kReads - kFirstReading) / kEvery + 1});

  const auto& [product_first, shell_first] = readings.front();
  const auto& [product_last, shell_last] = readings.back();
  EXPECT_LE(Grown(product_first.handles_in_table, product_last.handles_in_table), kHandleSlack)
      << "from " << product_first << "\nto " << product_last;
  EXPECT_LE(Grown(product_first.handle_count, product_last.handle_count), kHandleSlack);
  EXPECT_LE(Grown(shell_first.private_allocations, shell_last.private_allocations), kAllocationSlack)
      << "from " << shell_first << "\nto " << shell_last;
  EXPECT_LE(Grown(shell_first.committed_private, shell_last.committed_private), kCommittedSlack)
      << "from " << shell_first << "\nto " << shell_last;
  EXPECT_LE(Grown(shell_first.pagefile_usage, shell_last.pagefile_usage), kCommittedSlack)
      << "from " << shell_first << "\nto " << shell_last;
  EXPECT_LE(Grown(shell_first.private_usage, shell_last.private_usage), kCommittedSlack);
}

}  // namespace
}  // namespace vandrel::e2e
