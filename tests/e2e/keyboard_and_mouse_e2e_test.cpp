// Both windows driven by real input, as a user without a mouse (or with one) drives
// them: Ctrl+Tab between the main window's pages, Tab through the tabs to the mail link
// and Enter or Space on it; Tab in the test window's table order, through Memo1 and out
// of it; Enter on a push button, and the focus back on it once its box is closed; a
// mouse click on Button12, which lies over Memo1.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "bench_scenario.h"
#include "buttons.h"
#include "keyboard.h"
#include "message_box.h"
#include "product_command.h"
#include "temp_folder.h"
#include "window_search.h"

namespace vandrel::e2e {
namespace {

constexpr wchar_t kMailLink[] = L"mailto:vandrel@example.org";

// Sends `key` and waits until the focus in `window`'s thread has moved off where it was.
HWND PressAndFollowFocus(HWND window, WORD key, bool shift = false) {
  const HWND before = FocusOf(window);
  if (!PressKey(window, key, shift ? std::initializer_list<WORD>{VK_SHIFT} : std::initializer_list<WORD>{})) {
    return nullptr;
  }
  WaitUntil([&] { return FocusOf(window) != before; }, Millis{5000});
  return FocusOf(window);
}

// While it lives, "mailto:" links open a command that writes the link into a file:
// what the mail label hands to the shell can be read back.
class MailHandler {
 public:
  explicit MailHandler(const std::filesystem::path& file) {
    wchar_t old[1024];
    DWORD size = sizeof old;
    if (RegGetValueW(HKEY_CLASSES_ROOT, kKey, nullptr, RRF_RT_REG_SZ, nullptr, old, &size) == ERROR_SUCCESS) old_ = old;
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    ready_ = Set(std::wstring(system) + L"\\cmd.exe /c echo %1>\"" + file.wstring() + L"\"");
  }
  ~MailHandler() {
    if (!old_ || !Set(*old_)) RegDeleteKeyValueW(HKEY_CLASSES_ROOT, kKey, nullptr);
  }
  bool ready() const { return ready_; }

 private:
  static constexpr wchar_t kKey[] = L"mailto\\shell\\open\\command";
  static bool Set(const std::wstring& value) {
    return RegSetKeyValueW(HKEY_CLASSES_ROOT, kKey, nullptr, REG_SZ, value.c_str(),
                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
  }
  std::optional<std::wstring> old_;
  bool ready_ = false;
};

class MainWindowKeys : public Scenario {
 protected:
  static void SetUpTestSuite() { Begin({15}, /*with_product=*/true); }
  static void TearDownTestSuite() { End(); }

  static HWND Tabs() { return FindDescendant(product().main_window(), {L"SysTabControl32"}); }
  static int Page() { return static_cast<int>(SendMessageW(Tabs(), TCM_GETCURSEL, 0, 0)); }
  static HWND MailLabel() {
    return FindDescendant(product().main_window(), {L"Static", std::wstring(L"Mail:   vandrel@example.org")});
  }
  static bool ShowsPage(int page) {
    return WaitUntil([&] { return Page() == page && (IsWindowVisible(MailLabel()) != FALSE) == (page == 1); },
                     Millis{5000});
  }
};

TEST_F(MainWindowKeys, CtrlTabAndCtrlPageKeysSwitchThePages) {
  ASSERT_TRUE(ready()) << error();
  ASSERT_NE(Tabs(), nullptr);
  ASSERT_TRUE(ShowsPage(0)) << "the window opens on its first page";
  const struct {
    const char* keys;
    WORD key;
    bool shift;
    int page;
  } cases[] = {
      {"Ctrl+Tab", VK_TAB, false, 1},        {"Ctrl+Tab, round again", VK_TAB, false, 0},
      {"Ctrl+Shift+Tab", VK_TAB, true, 1},   {"Ctrl+Shift+Tab, round again", VK_TAB, true, 0},
      {"Ctrl+PgDn", VK_NEXT, false, 1},      {"Ctrl+PgUp", VK_PRIOR, false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keys);
    ASSERT_TRUE(c.shift ? PressKey(product().main_window(), c.key, {VK_CONTROL, VK_SHIFT})
                        : PressKey(product().main_window(), c.key, {VK_CONTROL}));
    EXPECT_TRUE(ShowsPage(c.page)) << "showing page " << Page();
  }
}

TEST_F(MainWindowKeys, TheMailLinkTakesTheFocusAndEnterOrSpaceOpensIt) {
  ASSERT_TRUE(ready()) << error();
  const HWND main = product().main_window();
  const TempFolder folder;
  const std::filesystem::path opened = folder.path() / "link.txt";
  const MailHandler handler(opened);
  ASSERT_TRUE(handler.ready()) << "cannot register a mailto handler in the prefix";

  ASSERT_TRUE(PressKey(main, VK_TAB, {VK_CONTROL}));
  ASSERT_TRUE(ShowsPage(1));
  // The tabs and the link are the page's two stops.
  for (int i = 0; i < 3 && FocusOf(main) != Tabs(); ++i) PressAndFollowFocus(main, VK_TAB);
  ASSERT_EQ(FocusOf(main), Tabs()) << "Tab never reached the page tabs";
  ASSERT_EQ(PressAndFollowFocus(main, VK_TAB), MailLabel()) << "Tab went from the tabs elsewhere than to the link";

  for (const WORD key : {WORD{VK_RETURN}, WORD{VK_SPACE}}) {
    SCOPED_TRACE(key == VK_RETURN ? "Enter" : "Space");
    std::filesystem::remove(opened);
    ASSERT_TRUE(PressKey(main, key));
    EXPECT_TRUE(WaitUntil([&] { return FileText(opened).find(Narrow(kMailLink)) != std::string::npos; },
                          Millis{20000}))
        << "the handler got \"" << FileText(opened) << "\", wanted " << Narrow(kMailLink);
    // The program the link started may have taken the front: the label has the focus
    // again once the window is back there, which the next press brings about.
  }
  ASSERT_TRUE(PressKey(main, VK_TAB, {VK_CONTROL}));
  EXPECT_TRUE(ShowsPage(0));
}

// The test window's controls by their ids, in the order of its table: Button1, Button2,
// Button4, BitBtn2, Button9, Button10, Button11, Button3, BitBtn3, Button5, Button6, Edit1,
// BitBtn1, Edit3, Button13, Edit2, Memo1, Button12, BitBtn4.
constexpr int kButton1 = 101, kButton12 = 110;
const std::vector<int> kTableOrder = {101, 102, 104, 113, 107, 108, 109, 103, 114, 105,
                                      106, 116, 112, 118, 111, 117, 119, 110, 115};

class TestWindowInput : public BenchScenario {
 protected:
  static void SetUpTestSuite() { BeginWithBench({15}); }
  static void TearDownTestSuite() { EndWithBench(); }

  static int FocusedId() { return GetDlgCtrlID(FocusOf(bench().window())); }
  // Tabs until `id` has the focus; false when a whole round did not reach it.
  static bool TabTo(int id) {
    for (std::size_t i = 0; i <= kTableOrder.size() && FocusedId() != id; ++i) {
      PressAndFollowFocus(bench().window(), VK_TAB);
    }
    return FocusedId() == id;
  }
  static std::wstring PackedSpacing() { return std::to_wstring(static_cast<std::int32_t>(view().ItemSpacing(true))); }
};

TEST_F(TestWindowInput, TabAndShiftTabFollowTheTableThroughMemo1) {
  ASSERT_TRUE(ready()) << error();
  ASSERT_TRUE(TabTo(kButton1));
  for (const bool backward : {false, true}) {
    SCOPED_TRACE(backward ? "Shift+Tab" : "Tab");
    std::vector<int> expected(kTableOrder.begin() + 1, kTableOrder.end());
    expected.push_back(kButton1);
    if (backward) expected = std::vector<int>(kTableOrder.rbegin(), kTableOrder.rend());
    std::vector<int> walked;
    for (std::size_t i = 0; i < kTableOrder.size(); ++i) {
      walked.push_back(GetDlgCtrlID(PressAndFollowFocus(bench().window(), VK_TAB, backward)));
    }
    EXPECT_EQ(walked, expected);
  }
}

TEST_F(TestWindowInput, EnterClicksTheFocusedButtonAndTheFocusComesBackAfterItsBox) {
  ASSERT_TRUE(ready()) << error();
  ASSERT_TRUE(TabTo(kButton12));
  const DWORD product_id = product().process().id();
  // The second Enter finds the focus where the first left it, once its box is closed.
  for (int press = 1; press <= 2; ++press) {
    SCOPED_TRACE("Enter " + std::to_string(press));
    ASSERT_TRUE(PressKey(bench().window(), VK_RETURN));
    const HWND box = WaitForMessageBox(product_id);
    ASSERT_NE(box, nullptr) << "Enter on Button12 showed no box";
    EXPECT_EQ(MessageBoxText(box), PackedSpacing());
    ASSERT_TRUE(PressOk(box));
    EXPECT_TRUE(WaitUntil([] { return FocusedId() == kButton12; }, Millis{5000}))
        << "the focus is on " << FocusedId() << " after the box";
  }
}

TEST_F(TestWindowInput, AMouseClickOnButton12ClicksItAboveMemo1) {
  ASSERT_TRUE(ready()) << error();
  const HWND button = GetDlgItem(bench().window(), kButton12);
  RECT place;
  ASSERT_TRUE(GetWindowRect(button, &place));
  const POINT centre{(place.left + place.right) / 2, (place.top + place.bottom) / 2};
  ASSERT_TRUE(ClickAt(bench().window(), centre));
  const HWND box = WaitForMessageBox(product().process().id(), Millis{5000});
  POINT cursor{};
  GetCursorPos(&cursor);
  ASSERT_NE(box, nullptr) << "the click at (" << centre.x << ", " << centre.y << ") showed no box; the window there is a "
                          << Narrow(ClassOf(WindowFromPoint(centre))) << ", the cursor is at (" << cursor.x << ", "
                          << cursor.y << ")";
  EXPECT_EQ(MessageBoxText(box), PackedSpacing());
  EXPECT_TRUE(PressOk(box));
}

}  // namespace
}  // namespace vandrel::e2e
