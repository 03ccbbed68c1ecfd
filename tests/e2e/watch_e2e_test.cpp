// The watcher end to end, in a Wine virtual desktop whose resolution the test changes:
// a hand-made layout comes back after a resolution change and the way back, each
// resolution keeping its own; after an Explorer restart; a layout scrambled just before
// a change is not the one kept; auto-arrange on leaves everything alone; one watcher a
// session, `--stop`, and Start with Windows. Positions are read back from the stand-in's
// list view, the kept layouts from their files.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <wtsapi32.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "child_process.h"
#include "keyboard.h"
#include "product_command.h"
#include "remote_list_view.h"
#include "standin_desktop.h"
#include "temp_folder.h"
#include "virtual_desktop.h"
#include "window_search.h"

namespace vandrel::e2e {
namespace {

namespace fs = std::filesystem;

constexpr int kIcons = 12;
// The watcher's own timing: 3 s between two alike reads, 2 s of a settled display, a
// read-back 2 s after a restore. Every wait below is a deadline well past these.
constexpr Millis kCaptured{12000};
constexpr Millis kRestored{30000};
// How long "nothing happens" is watched for: past a settle and a read-back.
constexpr Millis kQuiet{6000};

using Positions = std::vector<Position>;

Positions HandPlaces(int seed) {
  Positions places;
  for (int i = 0; i < kIcons; ++i) places.push_back({30 + (97 * i + 41 * seed) % 600, 20 + (53 * i + 29 * seed) % 500});
  return places;
}

class Watch : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SetResolution(1024, 768));
    data_ = std::make_unique<TempFolder>();
    desktop_ = std::make_unique<StandinDesktop>(StandinOptions{kIcons, L"progman", true});
    Attach();
    // As Vandrel leaves the view after its first change: positions stay where put.
    view_->SetStyle(view_->Style() & ~static_cast<DWORD>(LVS_AUTOARRANGE));
  }
  void TearDown() override {
    if (watcher_ && watcher_->running())
      watcher_->Close(FindInProcess(watcher_->id(), {L"VandrelWatcher"}), Millis{10000});
    watcher_.reset();
    view_.reset();
    desktop_.reset();
    SetResolution(1024, 768);
  }

  void Attach() { view_ = std::make_unique<RemoteListView>(desktop_->list_view()); }

  void StartWatcher() {
    watcher_ = std::make_unique<ChildProcess>(ProgramFolder() + L"\\vandrel.exe", std::vector<std::wstring>{L"watch"},
                                              ChildOptions{DataFolderEnvironment(*data_)});
    ASSERT_TRUE(
        WaitUntil([&] { return FindInProcess(watcher_->id(), {L"VandrelWatcher"}) != nullptr; }, kStartTimeout));
  }

  void Arrange(const Positions& places) {
    for (int i = 0; i < kIcons; ++i) view_->SetItemPosition(i, places[static_cast<std::size_t>(i)]);
    PressShift();
  }

  // The automatic layout kept for a screen `width` pixels wide, by icon index; empty
  // when there is none (or it is being replaced just now).
  std::optional<Positions> Kept(int width) const {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(data_->path() / "layouts", error)) {
      try {
        std::ifstream file(entry.path(), std::ios::binary);
        const nlohmann::json layout = nlohmann::json::parse(file);
        if (!layout.value("automatic", false) || layout["display"]["screen_width"] != width) continue;
        std::map<std::string, Position> by_label;
        for (const auto& icon : layout["icons"]) by_label[icon["label"]] = {icon["x"], icon["y"]};
        Positions places;
        for (int i = 0; i < kIcons; ++i) places.push_back(by_label["Icon " + std::to_string(i)]);
        return places;
      } catch (const std::exception&) {
      }
    }
    return std::nullopt;
  }

  bool KeptAs(int width, const Positions& places, Millis timeout = kCaptured) const {
    return WaitUntil([&] { return Kept(width) == places; }, timeout, Millis{50});
  }
  // Kept, and long enough ago to stand when the display changes now.
  bool KeptForGood(int width, const Positions& places) const {
    if (!KeptAs(width, places)) return false;
    Sleep(3200);
    return true;
  }
  bool ShownAs(const Positions& places, Millis timeout = kRestored) const {
    return WaitUntil([&] { return view_->Positions() == places; }, timeout, Millis{100});
  }
  // The stand-in's grid on the screen as it is now, column after column, once it is laid.
  bool InGrid() const {
    const int spacing = GetSystemMetrics(SM_CYICONSPACING);
    const int rows = GetSystemMetrics(SM_CYSCREEN) / spacing;
    Positions grid;
    for (int i = 0; i < kIcons; ++i) grid.push_back({19 + spacing * (i / rows), 2 + spacing * (i % rows)});
    return ShownAs(grid, kActionTimeout);
  }

  std::unique_ptr<TempFolder> data_;
  std::unique_ptr<StandinDesktop> desktop_;
  std::unique_ptr<RemoteListView> view_;
  std::unique_ptr<ChildProcess> watcher_;
};

TEST_F(Watch, EachResolutionGetsItsHandMadeLayoutBackAndUndoTakesARestoreBack) {
  StartWatcher();
  const Positions wide = HandPlaces(1);
  Arrange(wide);
  ASSERT_TRUE(KeptForGood(1024, wide));

  ASSERT_TRUE(SetResolution(800, 600));
  ASSERT_TRUE(InGrid());
  const Positions grid = view_->Positions();
  const Positions narrow = HandPlaces(2);
  Arrange(narrow);
  ASSERT_TRUE(KeptForGood(800, narrow));

  ASSERT_TRUE(SetResolution(1024, 768));
  EXPECT_TRUE(ShownAs(wide)) << "the 1024 x 768 layout did not come back";
  ASSERT_TRUE(SetResolution(800, 600));
  EXPECT_TRUE(ShownAs(narrow)) << "the 800 x 600 layout did not come back";
  EXPECT_EQ(Kept(1024), wide);

  // Listed as the watcher's, and the restore is one change Undo takes back: to the
  // stand-in's grid.
  const CommandResult list = RunProductCommand({L"layout", L"list"}, DataFolderEnvironment(*data_));
  EXPECT_NE(list.out.find("automatic 800x600\t"), std::string::npos) << list;
  EXPECT_NE(list.out.find("automatic 1024x768\t"), std::string::npos) << list;
  EXPECT_NE(list.out.find("\t(automatic)"), std::string::npos) << list;
  const CommandResult undo = RunProductCommand({L"undo"}, DataFolderEnvironment(*data_));
  EXPECT_EQ(undo.exit_code, 0u) << undo;
  EXPECT_TRUE(ShownAs(grid, kActionTimeout));
}

TEST_F(Watch, AnExplorerRestartGetsTheLayoutBack) {
  StartWatcher();
  const Positions places = HandPlaces(3);
  Arrange(places);
  ASSERT_TRUE(KeptForGood(1024, places));
  const HWND old_view = view_->window();
  view_.reset();
  SendMessageW(FindTopLevel({L"Progman", std::nullopt, desktop_->process().id()}),
               RegisterWindowMessageW(L"VandrelStandinRestart"), 0, 0);
  ASSERT_NE(desktop_->list_view(), old_view);
  Attach();
  EXPECT_TRUE(ShownAs(places));
}

TEST_F(Watch, ALockAndASleepLeaveTheLayoutAsItWas) {
  StartWatcher();
  const Positions places = HandPlaces(7);
  Arrange(places);
  ASSERT_TRUE(KeptForGood(1024, places));
  const HWND watcher = FindInProcess(watcher_->id(), {L"VandrelWatcher"});
  const HWND progman = FindTopLevel({L"Progman", std::nullopt, desktop_->process().id()});
  struct Away {
    UINT message;
    WPARAM leave;
    WPARAM back;
  };
  // What Windows sends: a lock and an unlock, a suspend and a resume. Meanwhile the
  // shell moves the icons (a remote session at another size would).
  for (const Away away : {Away{WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, WTS_SESSION_UNLOCK},
                          Away{WM_POWERBROADCAST, PBT_APMSUSPEND, PBT_APMRESUMEAUTOMATIC}}) {
    SendMessageW(watcher, away.message, away.leave, 0);
    SendMessageW(progman, RegisterWindowMessageW(L"VandrelStandinScramble"), away.leave, 0);
    PressShift();
    SendMessageW(watcher, away.message, away.back, 0);
    EXPECT_TRUE(ShownAs(places)) << "after message " << away.message;
    EXPECT_EQ(Kept(1024), places);
  }
}

TEST_F(Watch, IconsScrambledJustBeforeAChangeAreNotKept) {
  StartWatcher();
  const Positions places = HandPlaces(4);
  Arrange(places);
  ASSERT_TRUE(KeptForGood(1024, places));
  // Windows moving the icons before anyone is told: the watcher takes the scramble
  // for a layout that held still, and the change comes within 3 s of that.
  SendMessageW(FindTopLevel({L"Progman", std::nullopt, desktop_->process().id()}),
               RegisterWindowMessageW(L"VandrelStandinScramble"), 7, 0);
  const Positions scrambled = view_->Positions();
  PressShift();
  ASSERT_TRUE(KeptAs(1024, scrambled));
  ASSERT_TRUE(SetResolution(800, 600));
  EXPECT_TRUE(KeptAs(1024, places)) << "the scrambled layout was kept";
  ASSERT_TRUE(InGrid());
  ASSERT_TRUE(SetResolution(1024, 768));
  EXPECT_TRUE(ShownAs(places));
}

TEST_F(Watch, AutoArrangeOnLeavesEverythingAlone) {
  StartWatcher();
  const Positions places = HandPlaces(5);
  Arrange(places);
  ASSERT_TRUE(KeptForGood(1024, places));
  view_->SetStyle(view_->Style() | LVS_AUTOARRANGE);
  Arrange(HandPlaces(6));
  ASSERT_TRUE(SetResolution(800, 600));
  Sleep(1000);
  ASSERT_TRUE(SetResolution(1024, 768));
  Sleep(static_cast<DWORD>(kQuiet.count()));
  EXPECT_NE(view_->Positions(), places) << "restored with auto-arrange on";
  EXPECT_EQ(Kept(1024), places);
  EXPECT_FALSE(Kept(800));
}

TEST_F(Watch, OnePerSessionStopsOnRequestAndStartsWithWindowsOnRequest) {
  StartWatcher();
  const Environment environment = DataFolderEnvironment(*data_);
  const CommandResult second = RunProductCommand({L"watch"}, environment);
  EXPECT_EQ(second.exit_code, 0u) << second;
  EXPECT_EQ(Chomped(second.out), "Vandrel is already keeping watch in this session.");
  EXPECT_TRUE(watcher_->running());

  const HWND window = FindInProcess(watcher_->id(), {L"VandrelWatcher"});
  constexpr wchar_t kRun[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  const auto run_value = [&]() -> std::optional<std::wstring> {
    wchar_t text[1024];
    DWORD size = sizeof text;
    if (RegGetValueW(HKEY_CURRENT_USER, kRun, L"Vandrel", RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    return std::wstring(text);
  };
  constexpr WPARAM kStartWithWindows = 6;  // the menu item's command
  SendMessageW(window, WM_COMMAND, kStartWithWindows, 0);
  const std::optional<std::wstring> value = run_value();
  ASSERT_TRUE(value);
  EXPECT_EQ(*value, L"\"" + ProgramFolder() + L"\\vandrel.exe\" watch");
  SendMessageW(window, WM_COMMAND, kStartWithWindows, 0);
  EXPECT_FALSE(run_value());

  const CommandResult stop = RunProductCommand({L"watch", L"--stop"}, environment);
  EXPECT_EQ(stop.exit_code, 0u) << stop;
  EXPECT_TRUE(watcher_->WaitForExit(Millis{5000}));
  EXPECT_EQ(watcher_->exit_code(), 0u);
  const CommandResult none = RunProductCommand({L"watch", L"--stop"}, environment);
  EXPECT_EQ(none.exit_code, 1u) << none;
  EXPECT_EQ(Chomped(none.err), "Vandrel is not keeping watch in this session.");

  // From a prompt: vandrel.com comes back once the watcher stands, and leaves it running.
  const CommandResult from_prompt = RunProductCommand({L"watch"}, environment, {}, L"vandrel.com");
  EXPECT_EQ(from_prompt.exit_code, 0u) << from_prompt;
  EXPECT_NE(FindTopLevel({L"VandrelWatcher"}), nullptr);
  EXPECT_EQ(RunProductCommand({L"watch", L"--stop"}, environment).exit_code, 0u);
}

}  // namespace
}  // namespace vandrel::e2e

// The tests need a display whose resolution they can change: a Wine virtual desktop.
// Started outside one, the program runs itself again inside one and hands on its status.
int main(int argc, char** argv) {
  std::wstring arguments;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) arguments += L" ";
    arguments += vandrel::e2e::QuoteArgument(std::wstring(argv[i], argv[i] + std::strlen(argv[i])));
  }
  if (const std::optional<int> status = vandrel::e2e::RunInVirtualDesktop(L"vandrel_watch_e2e_tests.exe", arguments)) {
    return *status;
  }
  testing::InitGoogleTest(&argc, argv);
  const int code = RUN_ALL_TESTS();
  vandrel::e2e::ReportVirtualDesktopStatus(code);
  return code;
}
